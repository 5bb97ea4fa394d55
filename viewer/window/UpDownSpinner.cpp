#include "viewer/window/UpDownSpinner.h"

#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace viewer {

UpDownSpinner::UpDownSpinner(int minimum, int maximum, int value, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), value_(std::clamp(value, minimum, maximum))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setObjectName(QStringLiteral("up"));
    up_->setArrowType(Qt::UpArrow);
    up_->setFocusPolicy(Qt::NoFocus);
    down_ = new QToolButton(this);
    down_->setObjectName(QStringLiteral("down"));
    down_->setArrowType(Qt::DownArrow);
    down_->setFocusPolicy(Qt::NoFocus);
    for (QToolButton* arrow : {up_, down_}) {
        arrow->setAutoRepeat(true);
        arrow->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        column->addWidget(arrow);
    }
    connect(up_, &QToolButton::clicked, this, &UpDownSpinner::ClickUp);
    connect(down_, &QToolButton::clicked, this, &UpDownSpinner::ClickDown);
}

void UpDownSpinner::SetValue(int value)
{
    value_ = std::clamp(value, minimum_, maximum_);
}

void UpDownSpinner::ClickUp()
{
    SetValue(value_ + 1);
    emit UpClick();
}

void UpDownSpinner::ClickDown()
{
    SetValue(value_ - 1);
    emit DownClick();
}

} // namespace viewer
