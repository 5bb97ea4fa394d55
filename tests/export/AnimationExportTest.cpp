// Exported animations read back as a player would (libavformat and
// libavcodec): their frames, size, duration and colours; and a cancelled or
// failed export leaves the chosen name as it was, with no temporary file.
#include "ExportStudy.h"

#include "viewer/export/AnimationExport.h"

#include <gtest/gtest.h>

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

using namespace exporting;
using exporttest::ExportStudy;
using exporttest::StudyShape;

namespace {

struct VideoFacts {
    QString error;
    QString codec;
    int frames = 0;
    int width = 0;
    int height = 0;
    int pixelFormat = -1;
    double seconds = 0;
    QRgb firstCentre = 0; // the first frame's middle pixel, decoded
};

QRgb CentreOf(const AVFrame* frame)
{
    SwsContext* sws = sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                     frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
    QImage rgb(frame->width, frame->height, QImage::Format_RGB888);
    uint8_t* planes[1] = {rgb.bits()};
    const int strides[1] = {static_cast<int>(rgb.bytesPerLine())};
    sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
    sws_freeContext(sws);
    return rgb.pixel(frame->width / 2, frame->height / 2);
}

VideoFacts ReadVideo(const QString& path)
{
    VideoFacts facts;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.toLocal8Bit().constData(), nullptr, nullptr) < 0) {
        facts.error = QStringLiteral("does not open");
        return facts;
    }
    avformat_find_stream_info(format, nullptr);
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        facts.error = QStringLiteral("has no video stream");
        avformat_close_input(&format);
        return facts;
    }
    const AVStream* stream = format->streams[index];
    facts.width = stream->codecpar->width;
    facts.height = stream->codecpar->height;
    facts.pixelFormat = stream->codecpar->format;
    facts.codec = QString::fromLatin1(avcodec_get_name(stream->codecpar->codec_id));
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext* codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, stream->codecpar);
    avcodec_open2(codec, decoder, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool decodedFirst = false;
    int64_t ticks = 0;
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index) {
            ++facts.frames;
            ticks += packet->duration;
            if (!decodedFirst && avcodec_send_packet(codec, packet) >= 0) {
                avcodec_send_packet(codec, nullptr); // a first frame held back for reordering comes out now
                if (avcodec_receive_frame(codec, frame) >= 0) {
                    facts.firstCentre = CentreOf(frame);
                    decodedFirst = true;
                }
            }
        }
        av_packet_unref(packet);
    }
    facts.seconds = double(ticks) * av_q2d(stream->time_base);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return facts;
}

// Frames and their durations in milliseconds from an animated WebP's chunks.
std::vector<int> WebPFrameDurations(const QByteArray& file)
{
    std::vector<int> durations;
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WEBP")
        return durations;
    for (qsizetype at = 12; at + 8 <= file.size();) {
        const QByteArray tag = file.mid(at, 4);
        const auto* b = reinterpret_cast<const uchar*>(file.constData() + at + 4);
        const qsizetype size = b[0] | (b[1] << 8) | (b[2] << 16) | (qsizetype(b[3]) << 24);
        if (tag == "ANMF" && at + 8 + 15 < file.size()) {
            const auto* d = reinterpret_cast<const uchar*>(file.constData() + at + 8 + 12);
            durations.push_back(d[0] | (d[1] << 8) | (d[2] << 16));
        }
        at += 8 + size + (size & 1);
    }
    return durations;
}

AnimationRequest Request(const QString& path, AnimationFormat format, QList<int> frames)
{
    AnimationRequest request;
    request.Path = path;
    request.Frames = std::move(frames);
    request.Encoder.format = format;
    request.Encoder.rate = RateFromDelay(0.3);
    request.Encoder.preset = QStringLiteral("ultrafast");
    return request;
}

StudyShape OddSized()
{
    StudyShape shape;
    shape.width = 33;
    shape.height = 17;
    return shape;
}

TEST(AnimationEncoder, RatesComeFromTheDelayExactly)
{
    EXPECT_EQ(RateFromDelay(1.0), (FrameRate{1, 1}));
    EXPECT_EQ(RateFromDelay(0.3), (FrameRate{10, 3}));
    EXPECT_EQ(RateFromDelay(2.5), (FrameRate{2, 5}));
    EXPECT_EQ(RateFromDelay(0), (FrameRate{10, 1}));
    EXPECT_EQ(RateFromPerSecond(29.97), (FrameRate{2997, 100}));
    EXPECT_EQ(EvenSize(QSize(33, 17)), QSize(32, 16));
    EXPECT_EQ(EvenSize(QSize(1, 1)), QSize(2, 2));
}

TEST(AnimationExport, AnMp4PlaysEveryFrameAtTheRateOfTheDelay)
{
    const ExportStudy study(OddSized());
    const QString path = study.Path(QStringLiteral("out.mp4"));
    const ExportOutcome outcome =
        ExportAnimation(study.Scene(1), Request(path, AnimationFormat::Mp4, {1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(outcome.ok()) << outcome.Error.toStdString();
    EXPECT_EQ(outcome.Frames, 6);

    const VideoFacts video = ReadVideo(path);
    ASSERT_EQ(video.error, QString());
    EXPECT_EQ(video.codec, QStringLiteral("h264"));
    EXPECT_EQ(video.frames, 6);
    EXPECT_EQ(video.width, 32); // 33 x 17 made even
    EXPECT_EQ(video.height, 16);
    EXPECT_EQ(video.pixelFormat, AV_PIX_FMT_YUV420P);
    EXPECT_NEAR(video.seconds, 6 * 0.3, 0.01);
    // Red, green and blue in their places after the colour conversion and back.
    EXPECT_TRUE(exporttest::Near(video.firstCentre, exporttest::FrameColour(1, 1), 20))
        << std::hex << video.firstCentre << " vs " << exporttest::FrameColour(1, 1).rgb();
}

TEST(AnimationExport, GifAndWebPCarryTheirFramesAndTimes)
{
    const ExportStudy study(OddSized());
    const QString gif = study.Path(QStringLiteral("out.gif"));
    ASSERT_TRUE(ExportAnimation(study.Scene(1), Request(gif, AnimationFormat::Gif, {2, 3, 4})).ok());
    const VideoFacts facts = ReadVideo(gif);
    EXPECT_EQ(facts.codec, QStringLiteral("gif"));
    EXPECT_EQ(facts.frames, 3);
    EXPECT_EQ(facts.width, 33);
    EXPECT_NEAR(facts.seconds, 0.9, 0.011);
    EXPECT_TRUE(exporttest::Near(facts.firstCentre, exporttest::FrameColour(1, 2), 40));

    const QString webp = study.Path(QStringLiteral("out.webp"));
    ASSERT_TRUE(ExportAnimation(study.Scene(2), Request(webp, AnimationFormat::WebP, {1, 2, 3, 4, 5, 6})).ok());
    QFile file(webp);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(WebPFrameDurations(file.readAll()), std::vector<int>(6, 300));
}

TEST(AnimationExport, ACancelledOrFailedExportLeavesTheOldFileAndNoTemporary)
{
    const ExportStudy study;
    const QString path = study.Path(QStringLiteral("report.mp4"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the file from last week");
    }
    const QStringList before = study.Entries();
    int calls = 0;
    const ExportOutcome cancelled = ExportAnimation(
        study.Scene(4), Request(path, AnimationFormat::Mp4, {1, 2, 3, 4, 5, 6}),
        [&](int done, int) { return ++calls, done < 3; });
    EXPECT_TRUE(cancelled.Cancelled);
    EXPECT_EQ(cancelled.Error, QString());
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("the file from last week"));
    old.close();
    EXPECT_EQ(study.Entries(), before);

    // A folder that is not there: the reason, and nothing written anywhere.
    const ExportOutcome failed = ExportAnimation(
        study.Scene(1), Request(study.Path(QStringLiteral("gone/report.mp4")), AnimationFormat::Mp4, {1}));
    EXPECT_EQ(failed.Error, QStringLiteral("Cannot write in the folder %1: No such file or directory")
                                .arg(study.Path(QStringLiteral("gone"))));
    EXPECT_EQ(study.Entries(), before);

    // A damaged image fails the export with the decoder's words, leaving no trace either.
    {
        QFile damaged(study.Path(QStringLiteral("v1_004_rgb.jpg")));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("\xFF\xD8\xFF not really");
    }
    const ExportOutcome broken = ExportAnimation(study.Scene(1), Request(path, AnimationFormat::Gif, {3, 4, 5}));
    EXPECT_TRUE(broken.Error.startsWith(QStringLiteral("Image file is damaged or not a valid JPEG image: ")))
        << broken.Error.toStdString();
    EXPECT_EQ(study.Entries(), before);

    // Finished, it replaces the old file in one step.
    const ExportOutcome done = ExportAnimation(study.Scene(1), Request(path, AnimationFormat::Mp4, {1, 2}));
    ASSERT_TRUE(done.ok()) << done.Error.toStdString();
    EXPECT_EQ(study.Entries(), before);
    EXPECT_EQ(ReadVideo(path).frames, 2);
}

} // namespace
