// Which frames to decode, most urgent first: the frame every visible panel
// shows, then the frames after it in the direction of play for all panels in
// turn, with a few behind, for as far as the budget holds them.
#pragma once

#include "platform/imaging/FrameCache.h"
#include "platform/imaging/FrameSource.h"

#include <QSize>

#include <vector>

namespace imaging {

// How a panel shows its frames.
struct PanelGeometry {
    QSize panel;            // device pixels
    bool zoomed = false;    // zoom mode: the frame at zoomPercent of its full size
    double zoomPercent = 100;

    // The size the frame lands at on screen, which its decode must cover.
    QSize NeededFor(QSize full) const;
};

struct PanelPlayState {
    const std::vector<FrameSource>* sources = nullptr;
    int shown = 0; // 0-based position on screen
    PanelGeometry geometry;
};

struct ReadAheadLimits {
    int ahead = 240;     // frames after the shown one, per panel
    int behind = 4;      // frames before it, for a step back
    double share = 0.85; // of the budget; the rest is for frames still leaving it
};

// `direction` +1 forward, -1 backward. The same file wanted by several panels
// or frames is listed once, at the largest scale any of them needs. Shown
// frames are listed whatever the budget.
std::vector<FrameRequest> PlanReadAhead(const std::vector<PanelPlayState>& panels, int direction,
                                        qint64 budget, const ReadAheadLimits& limits = {});

} // namespace imaging
