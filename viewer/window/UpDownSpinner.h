// A pair of arrow buttons that counts a value up and down within a range, one
// step per click, with no text of its own (the window shows the value itself).
#pragma once

#include <QWidget>

class QToolButton;

namespace viewer {

class UpDownSpinner : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int value READ Value WRITE SetValue)
    Q_PROPERTY(int minimum READ Minimum)
    Q_PROPERTY(int maximum READ Maximum)

public:
    UpDownSpinner(int minimum, int maximum, int value, QWidget* parent = nullptr);

    int Value() const { return value_; }
    void SetValue(int value);
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }

    // What a click on an arrow does, also when the value is already at its end.
    void ClickUp();
    void ClickDown();

signals:
    // Once per arrow click, after the value has moved.
    void UpClick();
    void DownClick();

private:
    int minimum_;
    int maximum_;
    int value_;
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace viewer
