// The imaging control behind every view panel and the hidden decoder: a list of
// frames with one shown position, drawn fitted to the control or at a scale
// about a point of the image (ViewGeometry.h), with text measured and drawn over
// the image. The list holds either decoded images or frame sources; a source is
// decoded when it is shown (or read ahead), through the window's frame
// scheduler, at the size it takes on screen. An interactive control zooms with
// the wheel and pans when dragged; a control can also show its frame against
// another control's, wiped or as their difference.
#pragma once

#include "platform/imaging/FrameSource.h"
#include "platform/imaging/ImageComparison.h"
#include "platform/imaging/ImagingError.h"
#include "platform/imaging/ReadAheadPlan.h"
#include "platform/imaging/ViewGeometry.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace imaging {

class FrameScheduler;

// What stands in for a frame whose file is missing, or could not be decoded
// when it was wanted (gone or damaged since the list was made).
enum class FrameTileKind { Missing, Damaged };
// Makes the picture shown in place of such a frame, `size` pixels large (the
// size the frame takes on screen); it is placed and fitted like a frame.
using FrameTileMaker = std::function<QImage(FrameTileKind kind, const FrameSource& source, QSize size)>;

// Display modes, numbered as the viewer's code writes them.
inline constexpr int kFitMode = 3;  // whole image scaled into the control, aspect kept, centred
inline constexpr int kZoomMode = 4; // image drawn at the zoom percentage about the view's centre

// Text alignment inside the text rectangle (SetTextAlign).
inline constexpr int kTextAlignLeft = 0;
inline constexpr int kTextAlignCentre = 4;
// Text styles (SetTextStyle).
inline constexpr int kTextStylePlain = 0;
inline constexpr int kTextStyleShadow = 1; // a black shadow one pixel down and right

class ImagingControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int imageCount READ ImageCount)
    Q_PROPERTY(int shownPosition READ ShownPosition WRITE SetShownPosition)
    Q_PROPERTY(int displayMode READ DisplayMode WRITE SetDisplayMode)
    Q_PROPERTY(float zoomPercent READ ZoomPercent WRITE SetZoomPercent)

public:
    explicit ImagingControl(QWidget* parent = nullptr);
    ~ImagingControl() override;

    // --- the image list ---
    int ImageCount() const;
    // Removes `count` images from position `first`. Throws ImagingError when the
    // range is not inside the list. Drawn text goes with the images.
    void DeleteImages(int first, int count);
    // A copy of `image` stands at `position` (0 .. ImageCount()). The image is
    // shared, not duplicated, until one side changes it. Throws ImagingError for
    // a position outside the list or a null image.
    void InsertImage(int position, const QImage& image);
    // The list image the control displays. Position 0 of an empty list is
    // accepted and displays nothing; any other position outside the list throws
    // ImagingError and leaves the display as it was.
    int ShownPosition() const;
    void SetShownPosition(int position);
    // The image the control displays: the list image last selected, or the
    // image last loaded with Load.
    const QImage& CurrentImage() const;
    // The decoded image at `position`: for a source, what the cache holds of it
    // (null when nothing is). Throws ImagingError outside the list.
    QImage ListImage(int position) const;

    // --- frame sources ---
    // Replaces the list with `sources`; nothing is decoded until a frame is
    // shown or read ahead. Throws ImagingError while decoded images are listed
    // (a list holds one kind or the other).
    void SetSources(std::vector<FrameSource> sources);
    const std::vector<FrameSource>& Sources() const;
    // The scheduler whose cache decodes this control's sources (the window's
    // one). Without one, a shown source is decoded at once on this thread.
    void SetFrameScheduler(FrameScheduler* scheduler);
    // True when the shown frame is on screen: its image (at some scale), or the
    // tile of a missing or undecodable file. False while its decode is awaited.
    bool ShownFrameReady() const;
    // The tile shown in place of the shown frame; none while a picture shows.
    std::optional<FrameTileKind> ShownTile() const;
    // Makes the tiles; without one the control paints a plain tile that names
    // the file.
    void SetFrameTileMaker(FrameTileMaker maker);
    // For the scheduler: what this panel shows and at what size.
    PanelPlayState PlayState() const;
    PanelGeometry Geometry() const;
    // For the scheduler: `path` was decoded (or failed) in the cache.
    void FrameDecoded(const QString& path);
    // For the scheduler: no panel waits for its frame any more; a smooth copy
    // held back meanwhile is made now.
    void ResumeRefine();
    // Draws a small mark in a corner while read-ahead still works for the panels.
    void SetReadAheadMark(bool shown);

    // --- decoding ---
    // Decodes an image file at 24 bits per pixel into the current image (the list
    // is not touched). Throws ImagingError with the decoder's text on failure, in
    // which case the current image stays as it was.
    void Load(const QString& path);

    // --- display ---
    int DisplayMode() const;
    // kFitMode or kZoomMode; anything else throws ImagingError. Fit mode
    // brings the view's centre back to the image's middle.
    void SetDisplayMode(int mode);
    float ZoomPercent() const;
    void SetZoomPercent(float percent); // a percentage of 0 or less draws nothing
    // The view as a whole: fit mode, or the zoom percentage as a scale about
    // an image-relative centre (what export reproduces). The centre is kept
    // over the image when drawn. `moving`: more changes follow at once (a
    // drag), so the control draws quickly until the view rests.
    ViewState View() const;
    void SetView(const ViewState& view, bool moving = false);
    // The full size of the frame shown, which fit, zoom and the view refer
    // to, whatever scale it was decoded at; empty while nothing shows.
    QSize ShownFrameSize() const;
    // Draws the shown image again, now.
    void Repaint();

    // --- the user's own zoom and pan ---
    // Wheel zooms about the pointer, dragging with the left or middle button
    // pans (ViewEdited), a click without a drag and a double click are
    // reported (Clicked, DoubleClicked), and the pointer's place on the image
    // is reported while it moves. Off by default (the hidden decoder).
    void SetInteractive(bool interactive);
    bool Interactive() const;

    // --- comparing with another control's frame ---
    // Shows this control's frame (A) against `partner`'s (B), which is drawn
    // with the view linked to this one's; CompareMode::None (or no partner)
    // ends it. The partner is usually hidden: it still follows its frames and
    // has them decoded at the size they are shown here. A control compares
    // with one partner at a time and is the partner of one control at most.
    void SetCompare(ImagingControl* partner, CompareMode mode);
    CompareMode Compare() const;
    ImagingControl* ComparePartner() const;
    // Short names of A and B drawn beside the wipe line and in the legend.
    void SetCompareNames(const QString& a, const QString& b);
    void SetDifference(DifferenceKind kind, double gain);
    DifferenceKind DifferenceKindShown() const;
    double DifferenceGain() const;
    // Where the wipe line stands, as a fraction of the control's width.
    void SetWipeFraction(double fraction);
    double WipeFraction() const;
    // Visible, or shown through a visible control that compares with it.
    bool OnScreen() const;

    // --- text over the image (units: the control's pixels) ---
    void SetTextColor(const QColor& color);
    QColor TextColor() const;
    void SetTextStyle(int style);       // kTextStylePlain or kTextStyleShadow
    void SetTextAlign(int align);       // kTextAlignLeft or kTextAlignCentre
    void SetTextWordWrap(bool wrap);    // wrap long text inside the rectangle
    void SetTextPersistent(int keep);   // 1: drawn text stays until the images change; 0: until the next repaint
    qreal TextWidth(const QString& text) const;  // in the control's font()
    qreal TextHeight(const QString& text) const;
    void SetTextRect(const QRectF& rect);
    QRectF TextRect() const;
    // Draws `text` in the text rectangle over the displayed image.
    void DrawText(const QString& text);
    // The texts drawn since the images last changed, oldest first.
    QStringList DrawnTexts() const;

    // Where the current image lands in the control for the present size and mode.
    QRectF ImageRect() const;

signals:
    // The shown frame, awaited from the cache, is now on screen.
    void ShownFrameArrived(int position);
    // A mouse button pressed on the control: button 1 left, 2 right, 4 middle;
    // shift 1 Shift, 2 Ctrl, 4 Alt; position in the control's pixels.
    void MouseDown(int button, int shift, double x, double y);
    // Interactive only. A button pressed and let go without a drag (the
    // release that ends a double click is not one), numbered as MouseDown.
    void Clicked(int button, int shift, double x, double y);
    // The second press of a double click; the first was reported as Clicked.
    void DoubleClicked(int button, double x, double y);
    // The user zoomed with the wheel or panned: View() has the new view.
    void ViewEdited(bool moving);
    // The pointer moved over the control: the image-relative point under it.
    void PointerMoved(QPointF imagePoint);
    void PointerLeft();
    // The user dragged the wipe line.
    void WipeMoved(double fraction);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ShowSource(int position);
    void ShowTile(FrameTileKind kind, const FrameSource& source);
    bool TakeFromCache();
    void ReleaseShown();
    void DrawTile(QPainter& painter);
    void RequestFrames();
    // The picture changed: this control repaints, and so does the control
    // that shows it in a comparison.
    void Changed();
    QRect ImagePixels() const;
    void Refine();
    void QueueRefine();
    // Drawing of the comparison (ImagingControl_Compare.cpp).
    void DrawCompared(QPainter& painter, const QRect& target);
    void DrawWipeLine(QPainter& painter, int x);
    void DrawLegend(QPainter& painter);
    const QImage& DifferenceFrame();
    QRect PartnerPixels() const;
    void EndCompare();
    // The view changed by the user's hand (ImagingControl_View.cpp).
    void EditView(const ViewState& view, bool moving);
    void MoveUntilRest();

    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace imaging
