// The panels' frames: one cache of decoded frames for the whole window, its
// memory budget, read-ahead in the direction the frames last moved with a small
// mark while it works, and the tile in place of a file that is missing or
// damaged.
#include "viewer/window/frmDSFViewer.h"

#include "platform/imaging/FrameScheduler.h"
#include "platform/imaging/ImagingControl.h"
#include "viewer/settings/ViewerPreferences.h"
#include "viewer/window/FramePlayer.h"
#include "viewer/window/MissingImageTile.h"

#include <QFileInfo>

namespace viewer {

qint64 FrameCacheBudget(const ViewerOptions& options, const settings::ViewerPreferences& preferences)
{
    if (options.FrameCacheBytes > 0)
        return options.FrameCacheBytes;
    if (const qint64 megabytes = preferences.FrameCacheMegabytes(); megabytes > 0)
        return megabytes << 20;
    return imaging::DefaultFrameBudget();
}

void frmDSFViewer::ConnectFrames()
{
    const auto tile = [](imaging::FrameTileKind kind, const imaging::FrameSource& source, QSize size) {
        // A missing file is named as the study names it; a damaged one by its file name.
        if (kind == imaging::FrameTileKind::Missing)
            return MissingImageTile(source.path, size);
        return MissingImageTile(QFileInfo(source.path).fileName(), size, QLatin1String(kImageDamaged));
    };
    for (imaging::ImagingControl* panel : LEADV_) {
        panel->SetFrameScheduler(frames_.get());
        panel->SetFrameTileMaker(tile);
        connect(panel, &imaging::ImagingControl::ShownFrameArrived, player_, &FramePlayer::FrameReadyChanged);
    }
    // Playback waits for a frame still being decoded rather than skip it.
    player_->SetFrameReadyCheck([this] { return ShownFramesReady(); });
    connect(frames_.get(), &imaging::FrameScheduler::ReadAheadChanged, this, [this](bool working) {
        for (imaging::ImagingControl* panel : LEADV_)
            panel->SetReadAheadMark(working);
    });
}

bool frmDSFViewer::ShownFramesReady() const
{
    for (const imaging::ImagingControl* panel : LEADV_) {
        if (panel->OnScreen() && !panel->ShownFrameReady())
            return false;
    }
    return true;
}

} // namespace viewer
