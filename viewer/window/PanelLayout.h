// Where the view panels go: the panel area right of the left-hand column, as a
// function of the window's outer size, the four Display slots and the Toggle
// Screen mode. All figures are twips in the window's client coordinates.
#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <vector>

namespace viewer {

inline constexpr int kPanelCount = 4;

inline constexpr double kDesignColumnWidth = 3612;     // the left-hand frames at design time
inline constexpr qint64 kHiddenColumnOffset = -60;     // stands for the column width while it is hidden
inline constexpr qint64 kLeftGap = 168;                // panel area left edge = column width + this
inline constexpr qint64 kTopMargin = 60;
inline constexpr qint64 kRightAllowance = 324;         // available width = window width - column - this
inline constexpr qint64 kSinglePanelAllowance = 800;   // one panel: height = window height - this
inline constexpr qint64 kStackedAllowance = 828;       // two or three panels, and the placeholder
inline constexpr double kPanelAspect = 1.63;           // width over height of two to four panels

inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;
inline constexpr int kGrayed = 2;

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
qint64 RoundHalfEven(double value);

struct TwipRect {
    qint64 Left = 0;
    qint64 Top = 0;
    qint64 Width = 0;
    qint64 Height = 0;
    friend bool operator==(const TwipRect&, const TwipRect&) = default;
};

// One Display box: its check value (only kChecked puts the slot in use) and its
// caption, which names the panel shown in the slot ("1" is LEADV(0)).
struct DisplaySlot {
    int Value = kUnchecked;
    QString Caption;
};
using DisplaySlots = std::array<DisplaySlot, kPanelCount>;
using SlotCaptions = std::array<QString, kPanelCount>;

struct PanelLayoutInput {
    qint64 WindowWidth = 0;   // outer size, frame and title bar included
    qint64 WindowHeight = 0;
    double ColumnWidth = kDesignColumnWidth;
    bool ScreenToggled = false;
    DisplaySlots Slots;
};

struct PanelPlacement {
    int Slot = 0;   // 0 .. 3
    int Panel = 0;  // LEADV index 0 .. 3
    TwipRect Rect;
};

struct PanelLayout {
    bool ColumnShown = true;
    int SlotsInUse = 0;   // N
    qint64 PanelWidth = 0;
    qint64 PanelHeight = 0;
    // Panels to show, in slot order; every other panel is hidden. Empty when no
    // slot is in use or the window leaves no room (a width or height below 1).
    std::vector<PanelPlacement> Panels;
};

PanelLayout ComputePanelLayout(const PanelLayoutInput& input);

// Where the start-up picture goes while no study is loaded: always beside the
// column, whatever the Toggle Screen mode.
TwipRect PlaceholderRect(qint64 windowWidth, qint64 windowHeight, double columnWidth = kDesignColumnWidth);

// The panel a caption names: its leading number, rounded, minus one; -1 when
// that is no panel.
int PanelOfCaption(const QString& caption);

// "1" to "4", as after start and after Reset.
SlotCaptions DefaultCaptions();

// Shift up (0): every caption moves one slot towards slot 0, the first wrapping
// to slot 3. Shift down (1): the reverse. Any other value leaves them.
SlotCaptions ShiftCaptions(const SlotCaptions& captions, int shiftType);

// The Display slots of compare mode: its view takes the room of one panel,
// that of panel `panel` (0-based).
DisplaySlots CompareSlots(int panel);

// A panel's zoom percentage after a click: left (1) adds 10, right (2) takes 10
// away while it stays above 10; other buttons leave it.
float ZoomAfterClick(float zoom, int button);

// Twips and pixels at a screen's logical dots per inch (15 twips a pixel at 96).
int TwipsToPixels(qint64 twips, double dotsPerInch);
qint64 PixelsToTwips(int pixels, double dotsPerInch);

} // namespace viewer
