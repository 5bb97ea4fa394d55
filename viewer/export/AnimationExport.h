// Exports frames of a scene as a video or an animated image: frames rendered in
// parallel and encoded in order as they are ready, written under a temporary
// name and renamed into place at the end, so a cancelled or failed export
// leaves the chosen name as it was.
#pragma once

#include "viewer/export/AnimationEncoder.h"
#include "viewer/export/ExportScene.h"
#include "viewer/export/FramePipeline.h"

#include <QList>
#include <QString>

#include <functional>

namespace exporting {

// Told how many of `total` frames are done, after each frame and while a slow
// frame is awaited; returns false to cancel.
using ExportProgress = std::function<bool(int done, int total)>;

struct ExportOutcome {
    int Frames = 0;         // frames (or files) written
    int Skipped = 0;        // images left out because their files are missing
    bool Cancelled = false; // the progress callback said stop; nothing was saved
    QString Error;          // "" unless the export failed; nothing was saved then either
    bool ok() const { return Error.isEmpty() && !Cancelled; }
};

struct AnimationRequest {
    QString Path;      // replaced when it exists: the caller asks the user first
    QList<int> Frames; // 1-based, in the order shown
    // Format, rate and quality; the size is the scene's, made even for MP4.
    EncoderSettings Encoder;
};

// The file's suffix chooses nothing here: Encoder.format does.
ExportOutcome ExportAnimation(const ExportScene& scene, const AnimationRequest& request,
                              const ExportProgress& progress = {}, const FramePipeline& pipeline = FramePipeline());

} // namespace exporting
