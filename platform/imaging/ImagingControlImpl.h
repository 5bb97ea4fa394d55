// The state behind an ImagingControl, shared by the files it is written in.
#pragma once

#include "platform/imaging/ImagingControl.h"

#include <QFont>

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
    int mode = kFitMode;
    float zoom = 100.0f;

    QColor textColor = Qt::black;
    int textStyle = 0;
    int textAlign = kTextAlignLeft;
    bool textWrap = false;
    int textPersistent = 1;
    QRectF textRect;
    std::vector<DrawnText> texts;
    bool dropTextsOnRepaint = false;

    // A smoothly scaled copy of the displayed image at the size last drawn,
    // made when the control is idle; never one per list image.
    QImage refined;
    qint64 refinedKey = -1;
    bool refineQueued = false;

    // Frame sources: the scheduler decoding them, the file pinned in its cache
    // because it is on screen, and what the panel shows meanwhile.
    FrameScheduler* scheduler = nullptr;
    QString pinned;
    bool waiting = false;   // the shown source is awaited; the previous picture stays
    QString tile;           // the first line of the tile shown in place of a frame, or ""
    QString tilePath;
    bool readAheadMark = false;

    void ImagesChanged() { texts.clear(); }
    void SetCurrent(const QImage& image, QSize full = {})
    {
        current = image;
        currentFull = full.isValid() ? full : image.size();
        tile.clear();
        if (current.cacheKey() != refinedKey) {
            refined = QImage();
            refinedKey = -1;
        }
    }
};

} // namespace imaging
