#include "viewer/export/AnimationEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <numeric>

namespace exporting {

namespace {

constexpr int kMaxSide = 16384;

// The libraries would print their notes to standard error; what matters reaches
// the caller in the returned texts instead.
void SilenceLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

QString AvText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

FrameRate Reduced(long long num, long long den)
{
    const long long g = std::gcd(num, den);
    return {static_cast<int>(num / g), static_cast<int>(den / g)};
}

struct EncoderChoice {
    const char* codec;
    AVPixelFormat pixels;
};

EncoderChoice ChoiceFor(AnimationFormat format)
{
    switch (format) {
    case AnimationFormat::Mp4: return {"libx264", AV_PIX_FMT_YUV420P};
    // libwebp takes Qt's 32-bit pixels as they are, with no colour conversion here.
    case AnimationFormat::WebP: return {"libwebp_anim", AV_PIX_FMT_RGB32};
    case AnimationFormat::Gif: return {"gif", AV_PIX_FMT_PAL8};
    }
    return {"", AV_PIX_FMT_NONE};
}

} // namespace

const char* FormatSuffix(AnimationFormat format)
{
    switch (format) {
    case AnimationFormat::Mp4: return "mp4";
    case AnimationFormat::WebP: return "webp";
    case AnimationFormat::Gif: return "gif";
    }
    return "";
}

FrameRate RateFromDelay(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        seconds = 0.1;
    const long long ms = std::clamp<long long>(std::llround(seconds * 1000.0), 1, 1000LL * 3600);
    return Reduced(1000, ms);
}

FrameRate RateFromPerSecond(double perSecond)
{
    if (!std::isfinite(perSecond) || perSecond <= 0)
        perSecond = 1;
    const long long milli = std::clamp<long long>(std::llround(perSecond * 1000.0), 1, 1000LL * 1000);
    return Reduced(milli, 1000);
}

QSize EvenSize(QSize size)
{
    return {std::max(2, size.width() & ~1), std::max(2, size.height() & ~1)};
}

struct AnimationEncoder::Impl {
    QString path;
    EncoderSettings settings;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    AVPixelFormat scalerInput = AV_PIX_FMT_NONE;
    bool headerWritten = false;
    bool open = false;
    int added = 0;

    ~Impl() { Close(); }

    void Close()
    {
        sws_freeContext(scaler);
        scaler = nullptr;
        scalerInput = AV_PIX_FMT_NONE;
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format) {
            // The GIF and WebP muxers hold the last packet back and let go of it
            // only in their trailer, so an abandoned file gets one too before it
            // is thrown away.
            if (headerWritten)
                av_write_trailer(format);
            headerWritten = false;
            if (format->pb)
                avio_closep(&format->pb);
            avformat_free_context(format);
            format = nullptr;
        }
        open = false;
    }

    EncodeStatus Fail(const QString& text)
    {
        Close();
        return {text};
    }

    EncodeStatus WriteFailure(int code)
    {
        return Fail(QStringLiteral("Could not write the file %1: %2").arg(path, AvText(code)));
    }

    // Hands every packet the encoder has ready to the container.
    int Drain()
    {
        for (;;) {
            int rc = avcodec_receive_packet(codec, packet);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return 0;
            if (rc < 0)
                return rc;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            rc = av_interleaved_write_frame(format, packet); // takes the packet's data
            if (rc < 0)
                return rc;
        }
    }

    EncodeStatus OpenCodec(const AVCodec* encoder)
    {
        codec = avcodec_alloc_context3(encoder);
        if (!codec)
            return Fail(QStringLiteral("Not enough memory to start the video encoder"));
        const EncoderChoice choice = ChoiceFor(settings.format);
        codec->width = settings.size.width();
        codec->height = settings.size.height();
        codec->pix_fmt = choice.pixels;
        codec->time_base = {settings.rate.den, settings.rate.num};
        codec->framerate = {settings.rate.num, settings.rate.den};
        codec->sample_aspect_ratio = {1, 1};
        codec->thread_count = settings.threads;
        if (settings.format == AnimationFormat::Mp4) {
            // A key frame at least every two seconds, so a player can seek.
            codec->gop_size = std::max(1, static_cast<int>(std::lround(settings.rate.PerSecond() * 2)));
            codec->color_range = AVCOL_RANGE_MPEG;
            codec->colorspace = AVCOL_SPC_BT709;
            codec->color_primaries = AVCOL_PRI_BT709;
            codec->color_trc = AVCOL_TRC_BT709;
            av_opt_set(codec->priv_data, "preset", settings.preset.toLatin1().constData(), 0);
            av_opt_set_double(codec->priv_data, "crf", settings.crf, 0);
        } else if (settings.format == AnimationFormat::WebP) {
            av_opt_set_double(codec->priv_data, "quality", settings.webpQuality, 0);
        }
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int rc = avcodec_open2(codec, encoder, nullptr);
        if (rc < 0)
            return Fail(QStringLiteral("Could not open the video encoder %1: %2")
                            .arg(QString::fromLatin1(encoder->name), AvText(rc)));
        return {};
    }

    EncodeStatus Start()
    {
        SilenceLibraries();
        const EncoderChoice choice = ChoiceFor(settings.format);
        const AVCodec* encoder = avcodec_find_encoder_by_name(choice.codec);
        if (!encoder)
            return Fail(QStringLiteral("This FFmpeg build has no %1 encoder").arg(QString::fromLatin1(choice.codec)));
        const QByteArray file = path.toLocal8Bit();
        int rc = avformat_alloc_output_context2(&format, nullptr, FormatSuffix(settings.format), file.constData());
        if (rc < 0 || !format)
            return Fail(QStringLiteral("Could not prepare the %1 container: %2")
                            .arg(QString::fromLatin1(FormatSuffix(settings.format)), AvText(rc)));
        if (EncodeStatus s = OpenCodec(encoder); !s.ok())
            return s;
        stream = avformat_new_stream(format, nullptr);
        frame = av_frame_alloc();
        packet = av_packet_alloc();
        if (!stream || !frame || !packet)
            return Fail(QStringLiteral("Not enough memory to start the video encoder"));
        stream->time_base = codec->time_base;
        stream->avg_frame_rate = codec->framerate;
        stream->sample_aspect_ratio = codec->sample_aspect_ratio;
        rc = avcodec_parameters_from_context(stream->codecpar, codec);
        if (rc < 0)
            return Fail(QStringLiteral("Could not prepare the video stream: %1").arg(AvText(rc)));

        frame->format = codec->pix_fmt;
        frame->width = codec->width;
        frame->height = codec->height;
        if (settings.format != AnimationFormat::WebP) {
            rc = av_frame_get_buffer(frame, 0);
            if (rc < 0)
                return Fail(QStringLiteral("Not enough memory for a video frame: %1").arg(AvText(rc)));
        }
        rc = avio_open(&format->pb, file.constData(), AVIO_FLAG_WRITE);
        if (rc < 0)
            return WriteFailure(rc);
        AVDictionary* options = nullptr;
        if (settings.format == AnimationFormat::Mp4)
            // The index first, so that a player starts before the whole file is there.
            av_dict_set(&options, "movflags", "+faststart", 0);
        else
            av_dict_set(&options, "loop", "0", 0); // animations repeat for ever
        rc = avformat_write_header(format, &options);
        av_dict_free(&options);
        if (rc < 0)
            return WriteFailure(rc);
        headerWritten = true;
        open = true;
        return {};
    }

    // Qt's RGB, full range, into the limited range of BT.709 video; one
    // conversion per kind of input, made when the first frame of it comes.
    bool PrepareScaler(AVPixelFormat input)
    {
        if (scaler && scalerInput == input)
            return true;
        sws_freeContext(scaler);
        scaler = sws_getContext(codec->width, codec->height, input, codec->width, codec->height, AV_PIX_FMT_YUV420P,
                                SWS_BICUBIC, nullptr, nullptr, nullptr);
        scalerInput = scaler ? input : AV_PIX_FMT_NONE;
        if (!scaler)
            return false;
        const int* coefficients = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(scaler, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
        return true;
    }

    // Fills the frame's planes from `image` (Format_RGB888 or Format_RGB32).
    bool Fill(const QImage& image)
    {
        // The encoder may still hold the previous frame's buffers.
        if (settings.format != AnimationFormat::WebP && av_frame_make_writable(frame) < 0)
            return false;
        switch (settings.format) {
        case AnimationFormat::Mp4: {
            if (!PrepareScaler(image.format() == QImage::Format_RGB888 ? AV_PIX_FMT_RGB24 : AV_PIX_FMT_RGB32))
                return false;
            const uint8_t* src[1] = {image.constBits()};
            const int stride[1] = {static_cast<int>(image.bytesPerLine())};
            sws_scale(scaler, src, stride, 0, image.height(), frame->data, frame->linesize);
            return true;
        }
        case AnimationFormat::WebP: {
            // The frame borrows the image's rows; the encoder copies them before Add returns.
            frame->data[0] = const_cast<uint8_t*>(image.constBits());
            frame->linesize[0] = static_cast<int>(image.bytesPerLine());
            return true;
        }
        case AnimationFormat::Gif: {
            const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
            const QList<QRgb> table = indexed.colorTable();
            auto* palette = reinterpret_cast<uint32_t*>(frame->data[1]);
            std::fill(palette, palette + 256, 0xFF000000u);
            for (qsizetype i = 0; i < table.size() && i < 256; ++i)
                palette[i] = table[i] | 0xFF000000u;
            for (int y = 0; y < indexed.height(); ++y)
                std::memcpy(frame->data[0] + qsizetype(y) * frame->linesize[0], indexed.constScanLine(y),
                            static_cast<std::size_t>(indexed.width()));
            return true;
        }
        }
        return false;
    }
};

AnimationEncoder::AnimationEncoder() : d_(std::make_unique<Impl>()) {}

AnimationEncoder::~AnimationEncoder() = default;

int AnimationEncoder::FramesAdded() const
{
    return d_->added;
}

EncodeStatus AnimationEncoder::Open(const QString& path, const EncoderSettings& settings)
{
    d_->Close();
    d_->path = path;
    d_->settings = settings;
    d_->added = 0;
    d_->headerWritten = false;
    const QSize size = settings.size;
    if (size.width() < 1 || size.height() < 1 || size.width() > kMaxSide || size.height() > kMaxSide)
        return {QStringLiteral("A video of %1 x %2 pixels cannot be made").arg(size.width()).arg(size.height())};
    if (settings.format == AnimationFormat::Mp4 && (size.width() % 2 || size.height() % 2))
        return {QStringLiteral("An MP4 video needs an even width and height, not %1 x %2")
                    .arg(size.width())
                    .arg(size.height())};
    if (settings.rate.num <= 0 || settings.rate.den <= 0)
        return {QStringLiteral("The frame rate must be above 0")};
    return d_->Start();
}

EncodeStatus AnimationEncoder::Add(const QImage& image)
{
    if (!d_->open)
        return {QStringLiteral("The video encoder is not open")};
    if (image.size() != d_->settings.size)
        return {QStringLiteral("The frame is %1 x %2 pixels, the video %3 x %4")
                    .arg(image.width())
                    .arg(image.height())
                    .arg(d_->settings.size.width())
                    .arg(d_->settings.size.height())};
    // Packed 24-bit pixels go to H.264 as they are; WebP takes 32-bit ones.
    const bool taken = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32 ||
                       (image.format() == QImage::Format_RGB888 && d_->settings.format == AnimationFormat::Mp4);
    const QImage pixels = taken ? image : image.convertToFormat(QImage::Format_RGB32);
    if (!d_->Fill(pixels))
        return d_->Fail(QStringLiteral("Not enough memory for a video frame"));
    d_->frame->pts = d_->added;
    int rc = avcodec_send_frame(d_->codec, d_->frame);
    if (d_->settings.format == AnimationFormat::WebP) {
        d_->frame->data[0] = nullptr;
        d_->frame->linesize[0] = 0;
    }
    if (rc < 0)
        return d_->Fail(QStringLiteral("The video encoder refused a frame: %1").arg(AvText(rc)));
    rc = d_->Drain();
    if (rc < 0)
        return d_->WriteFailure(rc);
    ++d_->added;
    return {};
}

EncodeStatus AnimationEncoder::Finish()
{
    if (!d_->open)
        return {QStringLiteral("The video encoder is not open")};
    int rc = avcodec_send_frame(d_->codec, nullptr);
    if (rc < 0)
        return d_->Fail(QStringLiteral("The video encoder could not finish: %1").arg(AvText(rc)));
    rc = d_->Drain();
    if (rc < 0)
        return d_->WriteFailure(rc);
    rc = av_write_trailer(d_->format);
    d_->headerWritten = false;
    if (rc < 0)
        return d_->WriteFailure(rc);
    rc = avio_closep(&d_->format->pb);
    if (rc < 0)
        return d_->WriteFailure(rc);
    d_->Close();
    return {};
}

} // namespace exporting
