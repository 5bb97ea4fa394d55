// While panels load, the window keeps painting and its timers keep running, but
// it takes no command: keys and clicks aimed at the window are dropped, except
// those for the Cancel button, and Esc anywhere in the window cancels. So a load
// can be cancelled without a command running in the middle of it.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace viewer {

class LoadInputGate : public QObject {
public:
    // Watches every event of the application for as long as it lives; only
    // events for `window` and its children are looked at.
    LoadInputGate(QWidget& window, QWidget& cancelButton, std::function<void()> cancel);
    ~LoadInputGate() override;
    LoadInputGate(const LoadInputGate&) = delete;
    LoadInputGate& operator=(const LoadInputGate&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    QWidget& cancelButton_;
    std::function<void()> cancel_;
};

} // namespace viewer
