// The state behind an ImagingControl, shared by the files it is written in.
#pragma once

#include "platform/imaging/ImagingControl.h"
#include "platform/imaging/ScaledImage.h"

#include <QFont>
#include <QPointF>

class QTimer;

namespace imaging {

struct ImagingControl::Impl {
    struct DrawnText {
        QString text;
        QRectF rect;
        QFont font;
        QColor color;
        int align = kTextAlignLeft;
        bool wrap = false;
        int style = 0;
    };

    std::vector<QImage> list;
    std::vector<FrameSource> sources; // the other kind of list: one of the two is empty
    int shown = 0;
    QImage current;
    QSize currentFull; // the shown frame's full size, which fit and zoom refer to
    ViewState view;

    QColor textColor = Qt::black;
    int textStyle = 0;
    int textAlign = kTextAlignLeft;
    bool textWrap = false;
    int textPersistent = 1;
    QRectF textRect;
    std::vector<DrawnText> texts;
    bool dropTextsOnRepaint = false;

    // The displayed image scaled to the size last drawn, made smooth when the
    // control is idle; never one per list image. One for each picture drawn.
    ScaledImage shownLayer;
    ScaledImage partnerLayer;
    ScaledImage differenceLayer;
    bool refineQueued = false;
    bool refineHeldBack = false; // until every panel on screen shows its frame
    // The view moves (a drag, the wheel): drawn quickly until it rests.
    bool moving = false;
    QTimer* restTimer = nullptr;

    // The user's zoom and pan.
    enum class Drag { None, Pressed, Panning, Splitting, Moved }; // Moved: dragged, but not to pan
    bool interactive = false;
    Drag drag = Drag::None;
    Qt::MouseButton dragButton = Qt::NoButton;
    QPointF lastAt;
    QPointF pressAt;
    bool endsDoubleClick = false; // the next release ends a double click

    // Comparison: this control shows its frame against the partner's, or
    // another control (the host) shows this one's frame against its own.
    ImagingControl* partner = nullptr;
    ImagingControl* host = nullptr;
    CompareMode compare = CompareMode::None;
    DifferenceKind differenceKind = DifferenceKind::Absolute;
    double gain = 2;
    double wipe = 0.5;
    QString nameA;
    QString nameB;
    QImage difference; // of the two frames on display, made when first drawn
    qint64 differenceOf[2] = {-1, -1};
    DifferenceKind differenceKindMade = DifferenceKind::Absolute;
    double differenceGainMade = 0;

    // Frame sources: the scheduler decoding them, the file pinned in its cache
    // because it is on screen, and what the panel shows meanwhile.
    FrameScheduler* scheduler = nullptr;
    QString pinned;
    bool waiting = false;   // the shown source is awaited; the previous picture stays
    std::optional<FrameTileKind> tile; // shown in place of the frame
    QString tilePath;
    FrameTileMaker tileMaker;
    QImage tileImage; // the tile last made, and what it was made for
    QString tileKey;
    bool readAheadMark = false;

    void ImagesChanged() { texts.clear(); }
    void SetCurrent(const QImage& image, QSize full = {})
    {
        current = image;
        currentFull = full.isValid() ? full : image.size();
        tile.reset();
    }
};

} // namespace imaging
