// Encodes a sequence of equally sized frames into a video or an animated image
// through FFmpeg's libraries: H.264 in MP4 (libx264, yuv420p, so that every
// player and slide program takes it), animated WebP (libwebp) or GIF.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

namespace exporting {

enum class AnimationFormat { Mp4, WebP, Gif };

// "mp4", "webp", "gif": the file suffix and FFmpeg's name of the container.
const char* FormatSuffix(AnimationFormat format);

// Frames per second as an exact fraction, so that a delay of 0.3 s is 10/3 and
// not a rounded 3.33.
struct FrameRate {
    int num = 1;
    int den = 1;
    double PerSecond() const { return double(num) / den; }
    friend bool operator==(const FrameRate&, const FrameRate&) = default;
};

// The rate that shows each frame for `seconds` (the playback delay), to the
// millisecond; the shortest frame shown is 1 ms. Non-finite or non-positive
// delays give the rate of the shortest delay the window offers (0.1 s).
FrameRate RateFromDelay(double seconds);
// The rate closest to `perSecond` in thousandths, between 1/1000 and 1000.
FrameRate RateFromPerSecond(double perSecond);

// H.264 in yuv420p needs even sides: the largest even size inside `size`, at
// least 2 x 2.
QSize EvenSize(QSize size);

struct EncoderSettings {
    AnimationFormat format = AnimationFormat::Mp4;
    QSize size;                     // frame size in pixels; MP4 needs even sides (EvenSize)
    FrameRate rate;
    // MP4: x264's constant rate factor (0 lossless .. 51; 18-23 look clean).
    int crf = 20;
    // MP4: x264's speed preset ("ultrafast" .. "veryslow").
    QString preset = QStringLiteral("medium");
    // WebP: 0 .. 100, higher looks better and takes more room.
    int webpQuality = 80;
    // Encoder threads; 0 lets the encoder choose.
    int threads = 0;
};

// The outcome of one encoder operation: "" on success, else a sentence for the
// user that names what failed, such as
//   Could not open the video encoder libx264: <FFmpeg's reason>
//   Could not write the file <path>: <FFmpeg's reason>
//   The frame is 640 x 480 pixels, the video 1280 x 720
struct EncodeStatus {
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// One encode from Open to Finish. Not copyable; not for use from several
// threads at once. A encoder dropped before Finish leaves an incomplete file,
// which the caller removes (see StagedFile).
class AnimationEncoder {
public:
    AnimationEncoder();
    ~AnimationEncoder();
    AnimationEncoder(const AnimationEncoder&) = delete;
    AnimationEncoder& operator=(const AnimationEncoder&) = delete;

    // Creates or truncates `path` and writes the container's header there. The
    // format comes from the settings, never from the path's suffix, so a
    // temporary name serves. Fails for an MP4 of odd size, a size below 1 x 1
    // or above 16384 pixels a side, a rate that is not positive, and whatever
    // the libraries refuse (an encoder missing from the FFmpeg build included).
    EncodeStatus Open(const QString& path, const EncoderSettings& settings);

    // Adds the next frame, shown for 1/rate seconds. Any format Qt converts;
    // Format_RGB32, and Format_RGB888 for MP4, are taken without a copy. The
    // frame must have the size given to Open.
    EncodeStatus Add(const QImage& frame);

    // Flushes the encoder and completes the file. After it the encoder is
    // closed; Add fails.
    EncodeStatus Finish();

    int FramesAdded() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace exporting
