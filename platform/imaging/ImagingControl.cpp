#include "platform/imaging/ImagingControl.h"

#include "platform/imaging/ImageDecoder.h"
#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControlImpl.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegion>
#include <QTimer>

#include <cmath>
#include <vector>

namespace imaging {

namespace {

QString PositionError(int position, int count)
{
    return QStringLiteral("Invalid image list position %1 (the list holds %2 images)")
        .arg(position)
        .arg(count);
}

} // namespace

ImagingControl::ImagingControl(QWidget* parent) : QWidget(parent), d_(std::make_unique<Impl>())
{
    // The control paints every pixel itself; skipping Qt's erase saves a fill.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ImagingControl::~ImagingControl()
{
    EndCompare();
    if (d_->host)
        d_->host->SetCompare(nullptr, CompareMode::None);
    ReleaseShown();
    if (d_->scheduler)
        d_->scheduler->Detach(this);
}

int ImagingControl::ImageCount() const
{
    return static_cast<int>(d_->list.size() + d_->sources.size());
}

void ImagingControl::DeleteImages(int first, int count)
{
    const int size = ImageCount();
    if (first < 0 || count < 0 || first > size || count > size - first)
        throw ImagingError(QStringLiteral("Invalid image list range: %1 images from position %2 "
                                          "(the list holds %3 images)")
                               .arg(count)
                               .arg(first)
                               .arg(size));
    if (count == 0)
        return;
    if (!d_->sources.empty()) {
        d_->sources.erase(d_->sources.begin() + first, d_->sources.begin() + first + count);
        d_->ImagesChanged();
        if (d_->sources.empty()) {
            ReleaseShown();
            d_->shown = 0;
            d_->waiting = false;
            d_->SetCurrent(QImage());
            Changed();
        } else {
            ShowSource(std::min(d_->shown, ImageCount() - 1));
        }
        return;
    }
    d_->list.erase(d_->list.begin() + first, d_->list.begin() + first + count);
    d_->ImagesChanged();
    if (d_->list.empty()) {
        d_->shown = 0;
        d_->SetCurrent(QImage());
    } else {
        d_->shown = std::min(d_->shown, ImageCount() - 1);
        d_->SetCurrent(d_->list[d_->shown]);
    }
    Changed();
}

void ImagingControl::InsertImage(int position, const QImage& image)
{
    if (position < 0 || position > ImageCount())
        throw ImagingError(PositionError(position, ImageCount()));
    if (image.isNull())
        throw ImagingError(QStringLiteral("No image to insert into the image list"));
    if (!d_->sources.empty())
        throw ImagingError(QStringLiteral("The image list holds frame sources; a decoded image cannot join them"));
    d_->list.insert(d_->list.begin() + position, image);
    d_->ImagesChanged();
}

int ImagingControl::ShownPosition() const
{
    return d_->shown;
}

void ImagingControl::SetShownPosition(int position)
{
    if (position == 0 && ImageCount() == 0) {
        d_->shown = 0;
        d_->SetCurrent(QImage());
        Changed();
        return;
    }
    if (position < 0 || position >= ImageCount())
        throw ImagingError(PositionError(position, ImageCount()));
    if (!d_->sources.empty()) {
        ShowSource(position);
        return;
    }
    d_->shown = position;
    d_->SetCurrent(d_->list[position]);
    Changed();
}

const QImage& ImagingControl::CurrentImage() const
{
    return d_->current;
}

QImage ImagingControl::ListImage(int position) const
{
    if (position < 0 || position >= ImageCount())
        throw ImagingError(PositionError(position, ImageCount()));
    if (!d_->sources.empty()) {
        const FrameSource& source = d_->sources[position];
        if (source.IsMissing() || !d_->scheduler)
            return {};
        return d_->scheduler->Cache().Find(source.path).image;
    }
    return d_->list[position];
}

void ImagingControl::Load(const QString& path)
{
    DecodedImage decoded = DecodeImageFile(path);
    if (!decoded.ok())
        throw ImagingError(decoded.error);
    d_->SetCurrent(decoded.image);
    d_->ImagesChanged();
    Changed();
}

int ImagingControl::DisplayMode() const
{
    return d_->view.fit ? kFitMode : kZoomMode;
}

void ImagingControl::SetDisplayMode(int mode)
{
    if (mode != kFitMode && mode != kZoomMode)
        throw ImagingError(QStringLiteral("Invalid display mode %1").arg(mode));
    ViewState view = d_->view;
    view.fit = mode == kFitMode;
    if (view.fit)
        view.centre = {0.5, 0.5};
    SetView(view);
}

float ImagingControl::ZoomPercent() const
{
    return static_cast<float>(d_->view.scale * 100.0);
}

void ImagingControl::SetZoomPercent(float percent)
{
    if (!std::isfinite(percent))
        throw ImagingError(QStringLiteral("Invalid zoom percentage"));
    ViewState view = d_->view;
    view.scale = percent / 100.0;
    SetView(view);
}

ViewState ImagingControl::View() const
{
    return d_->view;
}

void ImagingControl::SetView(const ViewState& view, bool moving)
{
    if (moving) {
        d_->moving = true;
        MoveUntilRest(); // restarts the wait for the view to come to rest
    }
    if (view == d_->view)
        return;
    // A pan needs no other decode; a new scale may need a larger one.
    const bool rescaled = view.fit != d_->view.fit || (!view.fit && view.scale != d_->view.scale);
    d_->view = view;
    if (rescaled)
        RequestFrames();
    update();
}

QSize ImagingControl::ShownFrameSize() const
{
    return d_->current.isNull() ? QSize() : d_->currentFull;
}

void ImagingControl::Repaint()
{
    if (d_->dropTextsOnRepaint) {
        d_->texts.clear();
        d_->dropTextsOnRepaint = false;
    }
    if (isVisible())
        repaint();
}

void ImagingControl::SetTextColor(const QColor& color)
{
    d_->textColor = color;
}

QColor ImagingControl::TextColor() const
{
    return d_->textColor;
}

void ImagingControl::SetTextStyle(int style)
{
    d_->textStyle = style;
}

void ImagingControl::SetTextAlign(int align)
{
    d_->textAlign = align;
}

void ImagingControl::SetTextWordWrap(bool wrap)
{
    d_->textWrap = wrap;
}

void ImagingControl::SetTextPersistent(int keep)
{
    d_->textPersistent = keep;
}

qreal ImagingControl::TextWidth(const QString& text) const
{
    const QFontMetricsF metrics(font());
    if (text.contains(u'\n'))
        return metrics.boundingRect(QRectF(), Qt::AlignLeft, text).width();
    return metrics.horizontalAdvance(text);
}

qreal ImagingControl::TextHeight(const QString& text) const
{
    const QFontMetricsF metrics(font());
    if (text.contains(u'\n'))
        return metrics.boundingRect(QRectF(), Qt::AlignLeft, text).height();
    return metrics.height();
}

void ImagingControl::SetTextRect(const QRectF& rect)
{
    d_->textRect = rect;
}

QRectF ImagingControl::TextRect() const
{
    return d_->textRect;
}

void ImagingControl::DrawText(const QString& text)
{
    d_->texts.push_back(
        {text, d_->textRect, font(), d_->textColor, d_->textAlign, d_->textWrap, d_->textStyle});
    if (d_->textPersistent == 0)
        d_->dropTextsOnRepaint = true;
    update();
}

QStringList ImagingControl::DrawnTexts() const
{
    QStringList out;
    for (const auto& t : d_->texts)
        out << t.text;
    return out;
}

QRectF ImagingControl::ImageRect() const
{
    // Fit and zoom refer to the frame's full size, whatever size it was
    // decoded at.
    if (d_->current.isNull())
        return {};
    return ImageRectIn(d_->view, QSizeF(size()), QSizeF(d_->currentFull));
}

QRect ImagingControl::ImagePixels() const
{
    const QRectF r = ImageRect();
    return QRect(qRound(r.x()), qRound(r.y()), qRound(r.width()), qRound(r.height()));
}

void ImagingControl::Changed()
{
    update();
    if (d_->host)
        d_->host->update();
}

void ImagingControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // A tile without a maker is painted over the whole panel; a made one is
    // placed like a frame.
    if (d_->tile && d_->current.isNull()) {
        DrawTile(painter);
    } else {
        const QRect target = ImagePixels();
        if (d_->compare != CompareMode::None && d_->partner) {
            DrawCompared(painter, target);
        } else {
            // Black around the image, not under it: the image covers its own pixels.
            const QRegion background = QRegion(rect()).subtracted(QRegion(target));
            for (const QRect& r : background)
                painter.fillRect(r, Qt::black);
            if (d_->shownLayer.Draw(painter, d_->current, target, rect(), devicePixelRatioF(), d_->moving))
                QueueRefine();
        }
    }
    for (const auto& t : d_->texts) {
        painter.setFont(t.font);
        int flags = t.align == kTextAlignCentre ? Qt::AlignHCenter : Qt::AlignLeft;
        // The rectangle comes from a rounded measurement; a text a fraction of a
        // pixel wider than it must still show whole.
        flags |= Qt::AlignTop | Qt::TextDontClip;
        if (t.wrap)
            flags |= Qt::TextWordWrap;
        if (t.style == kTextStyleShadow) {
            painter.setPen(Qt::black);
            painter.drawText(t.rect.translated(1, 1), flags, t.text);
        }
        painter.setPen(t.color);
        painter.drawText(t.rect, flags, t.text);
    }
    if (d_->readAheadMark) {
        // A small dot in the top right corner while frames are read ahead.
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 200, 60, 200));
        painter.drawEllipse(QRectF(width() - 12.0, 5.0, 7.0, 7.0));
    }
}

void ImagingControl::QueueRefine()
{
    if (d_->refineQueued)
        return;
    d_->refineQueued = true;
    QTimer::singleShot(0, this, [this] { Refine(); });
}

void ImagingControl::ResumeRefine()
{
    if (d_->refineHeldBack) {
        d_->refineHeldBack = false;
        QueueRefine();
    }
}

void ImagingControl::Refine()
{
    d_->refineQueued = false;
    if (!isVisible() || d_->moving || d_->current.isNull())
        return;
    if (d_->scheduler && d_->scheduler->ShownFrameAwaited()) {
        d_->refineHeldBack = true;
        return;
    }
    d_->refineHeldBack = false;
    const qreal ratio = devicePixelRatioF();
    bool made = false;
    switch (d_->partner ? d_->compare : CompareMode::None) {
    case CompareMode::None:
        made = d_->shownLayer.Refine(d_->current, ImagePixels(), rect(), ratio);
        break;
    case CompareMode::Wipe:
        made = d_->shownLayer.Refine(d_->current, ImagePixels(), rect(), ratio);
        made = d_->partnerLayer.Refine(d_->partner->d_->current, PartnerPixels(), rect(), ratio) || made;
        break;
    case CompareMode::Difference:
        made = d_->differenceLayer.Refine(DifferenceFrame(), ImagePixels(), rect(), ratio);
        break;
    }
    if (made)
        update();
}

} // namespace imaging
