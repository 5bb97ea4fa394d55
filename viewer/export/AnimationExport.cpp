#include "viewer/export/AnimationExport.h"

#include "viewer/export/StagedFile.h"

namespace exporting {

ExportOutcome ExportAnimation(const ExportScene& scene, const AnimationRequest& request,
                              const ExportProgress& progress, const FramePipeline& pipeline)
{
    ExportOutcome outcome;
    if (request.Frames.isEmpty()) {
        outcome.Error = QStringLiteral("There are no frames to export");
        return outcome;
    }
    ExportScene sized = scene;
    EncoderSettings settings = request.Encoder;
    if (settings.format == AnimationFormat::Mp4 && EvenSize(scene.Layout.Size) != scene.Layout.Size)
        sized.Layout = ResizeLayout(scene.Layout, EvenSize(scene.Layout.Size));
    settings.size = sized.Layout.Size;

    StagedFile file(request.Path);
    if (QString error = file.Create(); !error.isEmpty()) {
        outcome.Error = error;
        return outcome;
    }
    AnimationEncoder encoder;
    if (EncodeStatus s = encoder.Open(file.TemporaryPath(), settings); !s.ok()) {
        outcome.Error = s.error;
        return outcome;
    }

    const int total = static_cast<int>(request.Frames.size());
    QString encodeError;
    const auto render = [&](int index) { return sized.Render(request.Frames[index]); };
    const auto sink = [&](int index, const QImage& frame) {
        if (EncodeStatus s = encoder.Add(frame); !s.ok()) {
            encodeError = s.error;
            return false;
        }
        return !progress || progress(index + 1, total);
    };
    const auto wait = [&] { return !progress || progress(encoder.FramesAdded(), total); };
    const PipelineOutcome run = pipeline.Run(total, render, sink, wait);

    if (!encodeError.isEmpty())
        outcome.Error = encodeError;
    else if (!run.Error.isEmpty())
        outcome.Error = run.Error;
    else if (run.Stopped)
        outcome.Cancelled = true;
    if (!outcome.ok())
        return outcome; // the staged file goes with `file`
    if (EncodeStatus s = encoder.Finish(); !s.ok()) {
        outcome.Error = s.error;
        return outcome;
    }
    if (QString error = file.Commit(); !error.isEmpty()) {
        outcome.Error = error;
        return outcome;
    }
    outcome.Frames = encoder.FramesAdded();
    return outcome;
}

} // namespace exporting
