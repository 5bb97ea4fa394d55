#include "viewer/window/PanelLayout.h"

#include "viewer/window/NumberText.h"

#include <cmath>

namespace viewer {

qint64 RoundHalfEven(double value)
{
    // Computed by hand rather than with nearbyint, which follows whatever
    // rounding direction the process happens to be in.
    if (!std::isfinite(value))
        return 0;
    const double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5)
        return static_cast<qint64>(whole) + 1;
    if (fraction < 0.5)
        return static_cast<qint64>(whole);
    const qint64 low = static_cast<qint64>(whole);
    return (low % 2 == 0) ? low : low + 1;
}

PanelLayout ComputePanelLayout(const PanelLayoutInput& input)
{
    PanelLayout layout;
    layout.ColumnShown = !input.ScreenToggled;
    for (const DisplaySlot& slot : input.Slots) {
        if (slot.Value == kChecked)
            ++layout.SlotsInUse;
    }
    const int n = layout.SlotsInUse;
    if (n == 0)
        return layout;

    const qint64 column = input.ScreenToggled ? kHiddenColumnOffset : RoundHalfEven(input.ColumnWidth);
    const qint64 x0 = column + kLeftGap;
    const qint64 widest = input.WindowWidth - column - kRightAllowance;

    qint64 w = 0;
    qint64 h = 0;
    if (n == 1) {
        h = input.WindowHeight - kSinglePanelAllowance;
        w = widest;
    } else if (n < 4) {
        h = RoundHalfEven(static_cast<double>(input.WindowHeight - kStackedAllowance) / n);
        w = RoundHalfEven(static_cast<double>(h) * kPanelAspect);
        if (w > widest) {
            w = widest;
            h = RoundHalfEven(static_cast<double>(widest) / kPanelAspect);
        }
    } else {
        w = RoundHalfEven(static_cast<double>(widest) / 2);
        h = RoundHalfEven(static_cast<double>(w) / kPanelAspect);
        // In a wide, low window two rows of that height would run past the
        // bottom edge: the rows take the height there is, and the width follows.
        const qint64 room = input.WindowHeight - kStackedAllowance;
        if (2 * h + kTopMargin > room) {
            h = RoundHalfEven(static_cast<double>(room - kTopMargin) / 2);
            w = RoundHalfEven(static_cast<double>(h) * kPanelAspect);
        }
    }
    layout.PanelWidth = w;
    layout.PanelHeight = h;
    if (w < 1 || h < 1)
        return layout;

    int k = 0;
    for (int slot = 0; slot < kPanelCount; ++slot) {
        if (input.Slots[slot].Value != kChecked)
            continue;
        ++k;
        TwipRect rect{x0, kTopMargin, w, h};
        if (n == 2 || n == 3) {
            // The second panel starts at H, not H + 60, and so covers the bottom
            // of the first; the window has always stacked them this way.
            if (k >= 2)
                rect.Top = (k - 1) * h;
        } else if (n == 4) {
            rect.Left = (k == 2 || k == 4) ? x0 + w : x0;
            rect.Top = (k >= 3) ? h + kTopMargin : kTopMargin;
        }
        const int panel = PanelOfCaption(input.Slots[slot].Caption);
        // A caption that names no panel keeps its place empty.
        if (panel >= 0)
            layout.Panels.push_back({slot, panel, rect});
    }
    return layout;
}

TwipRect PlaceholderRect(qint64 windowWidth, qint64 windowHeight, double columnWidth)
{
    const qint64 column = RoundHalfEven(columnWidth);
    return {column + kLeftGap, kTopMargin, windowWidth - column - kRightAllowance,
            windowHeight - kStackedAllowance};
}

int PanelOfCaption(const QString& caption)
{
    const double number = LeadingNumber(caption);
    if (number > kPanelCount + 1) // beyond any panel; keeps the rounding in range
        return -1;
    const qint64 c = RoundHalfEven(number);
    return (c >= 1 && c <= kPanelCount) ? static_cast<int>(c - 1) : -1;
}

SlotCaptions DefaultCaptions()
{
    return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")};
}

SlotCaptions ShiftCaptions(const SlotCaptions& captions, int shiftType)
{
    if (shiftType == 0)
        return {captions[1], captions[2], captions[3], captions[0]};
    if (shiftType == 1)
        return {captions[3], captions[0], captions[1], captions[2]};
    return captions;
}

DisplaySlots CompareSlots(int panel)
{
    DisplaySlots shown;
    for (DisplaySlot& slot : shown)
        slot = {kUnchecked, QString()};
    shown[0] = {kChecked, QString::number(panel + 1)};
    return shown;
}

float ZoomAfterClick(float zoom, int button)
{
    if (button == 1)
        return zoom + 10;
    if (button == 2 && zoom > 10)
        return zoom - 10;
    return zoom;
}

int TwipsToPixels(qint64 twips, double dotsPerInch)
{
    return static_cast<int>(RoundHalfEven(static_cast<double>(twips) * dotsPerInch / 1440.0));
}

qint64 PixelsToTwips(int pixels, double dotsPerInch)
{
    return RoundHalfEven(static_cast<double>(pixels) * 1440.0 / dotsPerInch);
}

} // namespace viewer
