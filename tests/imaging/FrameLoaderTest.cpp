// Loading a panel's frames on the worker pool: frame order, the first failure
// in frame order ending the load, delivery on the calling thread, and the same
// frames whatever the number of workers.
#include "platform/imaging/FrameLoader.h"

#include "platform/imaging/ImageDecoder.h"

#include "ImagingTestData.h"
#include "TestPaths.h"

#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>

using imaging::FrameLoader;
using imagingtest::DataFile;

namespace {

QColor FrameColour(int i)
{
    return QColor((i * 37) % 256, 255 - (i * 23) % 256, (i * 71) % 256);
}

// `count` small JPEG frames, each of its own colour.
QStringList WriteFrames(const testsupport::TempDir& dir, int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = QString::fromStdString((dir / ("v1_" + std::to_string(i) + ".jpg")).string());
        EXPECT_TRUE(imagingtest::Solid(24, 16, FrameColour(i)).save(path, "JPG", 95));
        paths << path;
    }
    return paths;
}

struct Delivery {
    std::vector<int> indices;
    std::vector<QImage> images;
    bool allOnCallingThread = true;
};

FrameLoader::FrameSink Recorder(Delivery& d)
{
    QThread* caller = QThread::currentThread();
    return [&d, caller](int index, const QImage& image) {
        d.indices.push_back(index);
        d.images.push_back(image);
        d.allOnCallingThread = d.allOnCallingThread && QThread::currentThread() == caller;
    };
}

} // namespace

TEST(FrameLoader, DeliversEveryFrameInFrameOrderOnTheCallingThread)
{
    testsupport::TempDir dir;
    const QStringList paths = WriteFrames(dir, 40);
    Delivery d;
    const auto outcome = FrameLoader(4).Load(paths, Recorder(d));
    EXPECT_TRUE(outcome.ok()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.delivered, 40);
    EXPECT_EQ(outcome.failedIndex, -1);
    ASSERT_EQ(d.indices.size(), 40u);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(d.indices[i], i);
        EXPECT_TRUE(imagingtest::Near(d.images[i].pixel(12, 8), FrameColour(i))) << "frame " << i;
    }
    EXPECT_TRUE(d.allOnCallingThread);
}

TEST(FrameLoader, OneWorkerAndManyWorkersGiveTheSameFrames)
{
    testsupport::TempDir dir;
    QStringList paths = WriteFrames(dir, 25);
    paths.insert(10, DataFile("good_33x17.jpg"));
    paths.insert(3, DataFile("good_7x5.bmp"));
    Delivery single, pooled, wide;
    EXPECT_TRUE(FrameLoader(1).Load(paths, Recorder(single)).ok());
    EXPECT_TRUE(FrameLoader(2).Load(paths, Recorder(pooled)).ok());
    EXPECT_TRUE(FrameLoader(7).Load(paths, Recorder(wide)).ok());
    ASSERT_EQ(single.images.size(), 27u);
    EXPECT_EQ(pooled.indices, single.indices);
    EXPECT_EQ(wide.indices, single.indices);
    for (std::size_t i = 0; i < single.images.size(); ++i) {
        EXPECT_EQ(pooled.images[i], single.images[i]) << i;
        EXPECT_EQ(wide.images[i], single.images[i]) << i;
    }
}

TEST(FrameLoader, TheFirstFailureInFrameOrderEndsTheLoadAndKeepsTheFramesBeforeIt)
{
    testsupport::TempDir dir;
    const QStringList good = WriteFrames(dir, 12);
    const QString damaged = DataFile("truncated_in_scan.jpg");
    const QString missing = QString::fromStdString((dir / "gone.jpg").string());
    const QString expectedError = imaging::DecodeImageFile(damaged).error;

    for (int workers : {1, 2, 6}) {
        SCOPED_TRACE(workers);
        // A later failure (the missing file) must not win over the earlier one,
        // however the workers race.
        QStringList paths = good;
        paths[5] = damaged;
        paths[9] = missing;
        Delivery d;
        const auto outcome = FrameLoader(workers).Load(paths, Recorder(d));
        EXPECT_EQ(outcome.failedIndex, 5);
        EXPECT_EQ(outcome.delivered, 5);
        EXPECT_EQ(outcome.error, expectedError);
        EXPECT_EQ(d.indices, (std::vector<int>{0, 1, 2, 3, 4}));

        Delivery first;
        paths = good;
        paths[0] = missing;
        const auto atStart = FrameLoader(workers).Load(paths, Recorder(first));
        EXPECT_EQ(atStart.failedIndex, 0);
        EXPECT_EQ(atStart.delivered, 0);
        EXPECT_EQ(atStart.error, "Image file not found: " + missing);
        EXPECT_TRUE(first.indices.empty());

        Delivery last;
        paths = good;
        paths.back() = damaged;
        const auto atEnd = FrameLoader(workers).Load(paths, Recorder(last));
        EXPECT_EQ(atEnd.failedIndex, 11);
        EXPECT_EQ(atEnd.delivered, 11);
    }
}

TEST(FrameLoader, AnEmptyListLoadsNothingWithoutError)
{
    Delivery d;
    const auto outcome = FrameLoader(3).Load({}, Recorder(d));
    EXPECT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.delivered, 0);
    EXPECT_TRUE(d.indices.empty());
}

TEST(FrameLoader, WorkerCountZeroMeansOnePerCore)
{
    EXPECT_EQ(FrameLoader(0).WorkerCount(), std::max(1, int(std::thread::hardware_concurrency())));
    EXPECT_EQ(FrameLoader(3).WorkerCount(), 3);
}

TEST(FrameLoader, AFifoAmongTheFramesEndsTheLoadAtOnceWithItsError)
{
    // Before, a named pipe without a writer held a worker, and with it the
    // window, for good.
    testsupport::TempDir dir;
    const std::string pipe = (dir / "v1_pipe.jpg").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    QStringList paths = WriteFrames(dir, 3);
    paths.insert(1, QString::fromStdString(pipe));
    const auto outcome = imagingtest::Within10Seconds<imaging::FrameLoadOutcome>([paths] {
        return FrameLoader(2).Load(paths, {});
    });
    ASSERT_TRUE(outcome.has_value()) << "the load blocked on the pipe";
    EXPECT_EQ(outcome->failedIndex, 1);
    EXPECT_EQ(outcome->delivered, 1);
    EXPECT_EQ(outcome->error, "Image file could not be read: " + paths[1] + " (not a regular file)");
}

TEST(FrameLoader, ASinkThatThrowsStopsTheWorkersAndPassesTheErrorOn)
{
    testsupport::TempDir dir;
    const QStringList paths = WriteFrames(dir, 30);
    int seen = 0;
    EXPECT_THROW(FrameLoader(3).Load(paths,
                                     [&seen](int index, const QImage&) {
                                         ++seen;
                                         if (index == 4)
                                             throw std::runtime_error("panel gone");
                                     }),
                 std::runtime_error);
    EXPECT_EQ(seen, 5);
    Delivery d;
    EXPECT_TRUE(FrameLoader(3).Load(paths, Recorder(d)).ok()) << "the loader is usable afterwards";
    EXPECT_EQ(d.indices.size(), 30u);
}

TEST(FrameLoader, SourcesAreReadFromHeadersAndTheFirstBadFileEndsTheLoadWithItsText)
{
    testsupport::TempDir dir;
    QStringList paths = WriteFrames(dir, 6);
    const auto text = dir.Write("v1_text.jpg", "not a picture");
    paths.insert(4, QString::fromStdString(text.string()));
    std::vector<imaging::FrameSource> sources;
    const auto outcome = FrameLoader(2).LoadSources(paths, [&](int index, const imaging::FrameSource& source) {
        EXPECT_EQ(index, static_cast<int>(sources.size()));
        sources.push_back(source);
    });
    EXPECT_EQ(outcome.failedIndex, 4);
    EXPECT_EQ(outcome.error, "Image file is damaged or not a valid JPEG image: " + paths[4] + " (not a JPEG file)");
    ASSERT_EQ(sources.size(), 4u);
    EXPECT_EQ(sources[3].path, paths[3]);
    EXPECT_EQ(sources[3].size, QSize(24, 16));
    EXPECT_TRUE(sources[3].scalable);
    EXPECT_FALSE(sources[3].IsMissing());
}
