// The control's frame sources: which frame is shown, taking it from the
// window's frame cache when it is there and waiting for it when it is not, and
// the tile shown in place of a missing or undecodable file.
#include "platform/imaging/ImagingControl.h"

#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControlImpl.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>

namespace imaging {

namespace {

const QString kMissingTile = QStringLiteral("Image missing");
const QString kDamagedTile = QStringLiteral("Image damaged");

// A file that went away since the list was made is missing; any other
// failure is damage.
FrameTileKind TileFor(const QString& error)
{
    return error.startsWith(QStringLiteral("Image file not found")) ? FrameTileKind::Missing
                                                                     : FrameTileKind::Damaged;
}

} // namespace

void ImagingControl::SetSources(std::vector<FrameSource> sources)
{
    if (!d_->list.empty())
        throw ImagingError(QStringLiteral("The image list holds decoded images; frame sources cannot join them"));
    ReleaseShown();
    d_->sources = std::move(sources);
    d_->ImagesChanged();
    d_->shown = 0;
    d_->waiting = false;
    d_->SetCurrent(QImage());
    if (!d_->sources.empty())
        ShowSource(0);
    Changed();
}

const std::vector<FrameSource>& ImagingControl::Sources() const
{
    return d_->sources;
}

void ImagingControl::SetFrameScheduler(FrameScheduler* scheduler)
{
    if (scheduler == d_->scheduler)
        return;
    ReleaseShown();
    if (d_->scheduler)
        d_->scheduler->Detach(this);
    d_->scheduler = scheduler;
    if (scheduler)
        scheduler->Attach(this);
    if (scheduler && !d_->sources.empty())
        ShowSource(d_->shown);
}

bool ImagingControl::ShownFrameReady() const
{
    return d_->sources.empty() || !d_->waiting;
}

std::optional<FrameTileKind> ImagingControl::ShownTile() const
{
    return d_->tile;
}

void ImagingControl::SetFrameTileMaker(FrameTileMaker maker)
{
    d_->tileMaker = std::move(maker);
    d_->tileKey.clear();
    d_->tileImage = QImage();
    if (!d_->sources.empty() && d_->tile)
        ShowTile(*d_->tile, d_->sources[d_->shown]);
}

PanelGeometry ImagingControl::Geometry() const
{
    // A partner shown through the control that compares with it is decoded
    // for the size it takes there.
    const ImagingControl* shownIn = d_->host && !isVisible() ? d_->host : this;
    ViewState view = shownIn->d_->view;
    if (shownIn != this)
        view = LinkedView(view, QSizeF(shownIn->d_->currentFull), QSizeF(d_->currentFull));
    const qreal ratio = shownIn->devicePixelRatioF();
    PanelGeometry g;
    g.panel = QSize(qRound(shownIn->width() * ratio), qRound(shownIn->height() * ratio));
    g.zoomed = !view.fit;
    g.zoomPercent = view.scale * 100.0 * ratio;
    return g;
}

PanelPlayState ImagingControl::PlayState() const
{
    return {&d_->sources, d_->shown, Geometry()};
}

void ImagingControl::SetReadAheadMark(bool shown)
{
    if (d_->readAheadMark == shown)
        return;
    d_->readAheadMark = shown;
    update();
}

void ImagingControl::ReleaseShown()
{
    if (!d_->pinned.isEmpty() && d_->scheduler)
        d_->scheduler->Cache().Unpin(d_->pinned);
    d_->pinned.clear();
}

void ImagingControl::RequestFrames()
{
    if (d_->scheduler && !d_->sources.empty())
        d_->scheduler->ScheduleReplan();
}

void ImagingControl::ShowSource(int position)
{
    d_->shown = position;
    const FrameSource& source = d_->sources[position];
    if (source.IsMissing()) {
        ReleaseShown();
        d_->waiting = false;
        ShowTile(FrameTileKind::Missing, source);
        Changed();
        return;
    }
    if (!d_->scheduler) {
        // No cache to wait for: decode now, at the size the frame is shown.
        const DecodedImage decoded =
            DecodeImageFile(source.path, {source.ScaleFor(Geometry().NeededFor(source.size))});
        if (decoded.ok())
            d_->SetCurrent(decoded.image, source.size);
        else
            ShowTile(TileFor(decoded.error), source);
        d_->waiting = false;
        Changed();
        return;
    }
    if (d_->pinned != source.path) {
        ReleaseShown();
        d_->scheduler->Cache().Pin(source.path);
        d_->pinned = source.path;
    }
    // Until the frame arrives the previous picture stays: a blank panel between
    // two frames would flicker at every step.
    d_->waiting = !TakeFromCache();
    RequestFrames();
    Changed();
}

bool ImagingControl::TakeFromCache()
{
    const FrameSource& source = d_->sources[d_->shown];
    const CachedFrame frame = d_->scheduler->Cache().Find(source.path);
    if (frame.state == FrameState::Failed) {
        ShowTile(TileFor(frame.error), source);
        return true;
    }
    if (frame.image.isNull())
        return false;
    // A smaller decode is shown until the one the panel needs arrives.
    if (frame.image.cacheKey() != d_->current.cacheKey() || d_->tile)
        d_->SetCurrent(frame.image, source.size);
    return true;
}

void ImagingControl::ShowTile(FrameTileKind kind, const FrameSource& source)
{
    // A tile takes the place a frame would take; without a size of its own
    // (a missing file) it fills the panel.
    const QSize full = source.size.isEmpty() ? size() : source.size;
    if (!d_->tileMaker) {
        d_->SetCurrent(QImage(), full);
    } else {
        const QSize pixels = full.scaled(Geometry().panel, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        const QString key = QStringLiteral("%1|%2x%3|").arg(int(kind)).arg(pixels.width()).arg(pixels.height()) +
                            source.path;
        // A run of missing frames shows one tile, made once.
        if (key != d_->tileKey) {
            d_->tileImage = d_->tileMaker(kind, source, pixels);
            d_->tileKey = key;
        }
        d_->SetCurrent(d_->tileImage, full);
    }
    d_->tile = kind;
    d_->tilePath = source.path;
}

void ImagingControl::FrameDecoded(const QString& path)
{
    if (d_->sources.empty() || d_->sources[d_->shown].path != path || !d_->scheduler)
        return;
    const bool wasWaiting = d_->waiting;
    d_->waiting = !TakeFromCache();
    Changed();
    if (wasWaiting && !d_->waiting)
        emit ShownFrameArrived(d_->shown);
}

void ImagingControl::DrawTile(QPainter& painter)
{
    painter.fillRect(rect(), QColor(48, 48, 52));
    QFont font = painter.font();
    font.setPointSizeF(std::max(7.0, std::min(14.0, height() / 18.0)));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const QString name = QFileInfo(d_->tilePath).fileName();
    const qreal line = metrics.height();
    const QRectF first(0, height() / 2.0 - line, width(), line);
    painter.setPen(QColor(235, 235, 235));
    painter.drawText(first, Qt::AlignCenter, *d_->tile == FrameTileKind::Missing ? kMissingTile : kDamagedTile);
    painter.setPen(QColor(170, 170, 170));
    painter.drawText(first.translated(0, line), Qt::AlignCenter,
                     metrics.elidedText(name, Qt::ElideMiddle, width() - 8));
}

void ImagingControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RequestFrames(); // a larger panel may need a larger decode
}

void ImagingControl::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RequestFrames();
}

void ImagingControl::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    RequestFrames();
}

} // namespace imaging
