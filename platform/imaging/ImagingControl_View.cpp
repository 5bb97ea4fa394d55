// The user's own zoom and pan on the control: the wheel zooms about the
// pointer, a drag pans, a click and a double click are told to the owner, and
// the pointer's place on the image is reported for the pixel readout. While the
// view moves it is drawn quickly; shortly after it rests, smoothly.
#include "platform/imaging/ImagingControl.h"

#include "platform/imaging/ImagingControlImpl.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>

namespace imaging {

namespace {

// How long after the last move of a drag or turn of the wheel the view counts
// as resting and is drawn smoothly.
constexpr int kRestMilliseconds = 150;

int ShiftState(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= 1;
    if (modifiers & Qt::ControlModifier)
        shift |= 2;
    if (modifiers & Qt::AltModifier)
        shift |= 4;
    return shift;
}

int ButtonNumber(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

} // namespace

void ImagingControl::SetInteractive(bool interactive)
{
    d_->interactive = interactive;
    setMouseTracking(interactive);
}

bool ImagingControl::Interactive() const
{
    return d_->interactive;
}

void ImagingControl::MoveUntilRest()
{
    if (!d_->restTimer) {
        d_->restTimer = new QTimer(this);
        d_->restTimer->setSingleShot(true);
        d_->restTimer->setInterval(kRestMilliseconds);
        connect(d_->restTimer, &QTimer::timeout, this, [this] {
            d_->moving = false;
            update();
        });
    }
    d_->restTimer->start();
}

void ImagingControl::EditView(const ViewState& view, bool moving)
{
    SetView(view, moving);
    emit ViewEdited(moving);
}

void ImagingControl::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    if (const int button = ButtonNumber(event->button()))
        emit MouseDown(button, ShiftState(event->modifiers()), at.x(), at.y());
    if (d_->interactive && d_->drag == Impl::Drag::None && event->button() != Qt::NoButton) {
        d_->dragButton = event->button();
        d_->pressAt = d_->lastAt = at;
        const bool onLine = d_->compare == CompareMode::Wipe && d_->partner && event->button() == Qt::LeftButton &&
                            NearWipeLine(at.x(), d_->wipe, width());
        d_->drag = onLine ? Impl::Drag::Splitting : Impl::Drag::Pressed;
    }
    QWidget::mousePressEvent(event);
}

void ImagingControl::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    if (!d_->interactive)
        return;
    const QPointF at = event->position();
    switch (d_->drag) {
    case Impl::Drag::Splitting:
        d_->wipe = WipeFractionAt(at.x(), width());
        update();
        emit WipeMoved(d_->wipe);
        break;
    case Impl::Drag::Pressed:
        if ((at - d_->pressAt).manhattanLength() < QApplication::startDragDistance())
            break;
        // Only the left and middle buttons pan; a drag with another is no click.
        d_->drag = d_->dragButton == Qt::LeftButton || d_->dragButton == Qt::MiddleButton ? Impl::Drag::Panning
                                                                                       : Impl::Drag::Moved;
        if (d_->drag == Impl::Drag::Panning)
            setCursor(Qt::ClosedHandCursor);
        [[fallthrough]];
    case Impl::Drag::Panning:
        if (d_->drag == Impl::Drag::Panning && !d_->view.fit && !d_->current.isNull())
            EditView(Panned(d_->view, QSizeF(size()), QSizeF(d_->currentFull), at - d_->lastAt), true);
        break;
    case Impl::Drag::None:
        if (d_->compare == CompareMode::Wipe && d_->partner && NearWipeLine(at.x(), d_->wipe, width()))
            setCursor(Qt::SplitHCursor);
        else
            unsetCursor();
        break;
    case Impl::Drag::Moved:
        break;
    }
    d_->lastAt = at;
    if (!d_->current.isNull())
        emit PointerMoved(ImagePointAt(d_->view, QSizeF(size()), QSizeF(d_->currentFull), at));
}

void ImagingControl::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (!d_->interactive || event->button() != d_->dragButton)
        return;
    const Impl::Drag was = d_->drag;
    d_->drag = Impl::Drag::None;
    d_->dragButton = Qt::NoButton;
    if (was == Impl::Drag::Panning || was == Impl::Drag::Splitting)
        unsetCursor();
    if (d_->endsDoubleClick) {
        d_->endsDoubleClick = false;
        return;
    }
    const QPointF at = event->position();
    if (was == Impl::Drag::Pressed) {
        if (const int button = ButtonNumber(event->button()))
            emit Clicked(button, ShiftState(event->modifiers()), at.x(), at.y());
    }
}

void ImagingControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!d_->interactive) {
        QWidget::mouseDoubleClickEvent(event); // a press like any other
        return;
    }
    const QPointF at = event->position();
    const int button = ButtonNumber(event->button());
    if (button)
        emit MouseDown(button, ShiftState(event->modifiers()), at.x(), at.y());
    // The release that follows belongs to the double click, not to a click.
    d_->drag = Impl::Drag::Moved;
    d_->dragButton = event->button();
    d_->endsDoubleClick = true;
    if (button)
        emit DoubleClicked(button, at.x(), at.y());
}

void ImagingControl::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (!d_->interactive || d_->current.isNull() || delta == 0) {
        event->ignore();
        return;
    }
    event->accept();
    EditView(ZoomedBy(d_->view, QSizeF(size()), QSizeF(d_->currentFull), WheelFactor(delta), event->position()),
             true);
}

void ImagingControl::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (d_->interactive)
        emit PointerLeft();
}

} // namespace imaging
