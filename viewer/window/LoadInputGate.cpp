#include "viewer/window/LoadInputGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace viewer {

namespace {

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

LoadInputGate::LoadInputGate(QWidget& window, QWidget& cancelButton, std::function<void()> cancel)
    : window_(window), cancelButton_(cancelButton), cancel_(std::move(cancel))
{
    QCoreApplication::instance()->installEventFilter(this);
}

LoadInputGate::~LoadInputGate()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool LoadInputGate::eventFilter(QObject* watched, QEvent* event)
{
    if (!IsUserInput(event->type()))
        return false;
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != &window_)
        return false;
    if (widget == &cancelButton_ || cancelButton_.isAncestorOf(widget))
        return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cancel_();
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // Taken by the widget, so no shortcut of the window fires; the key
        // press that follows is dropped here.
        event->accept();
        return true;
    }
    return true;
}

} // namespace viewer
