// The window's frame cache: its budget held under a long walk of frame
// commands, frames on screen never evicted, a jump dropping read-ahead no longer
// wanted, a study closed discarding what is still queued, and a frame decoded
// again when a larger size is wanted. Jobs run on the test's thread, in order.
#include "platform/imaging/FrameCache.h"
#include "platform/imaging/ReadAheadPlan.h"

#include "ImagingTestData.h"
#include "TestPaths.h"

#include <QFile>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

using imaging::CachedFrame;
using imaging::DecodeScale;
using imaging::FrameCache;
using imaging::FrameRequest;
using imaging::FrameSource;
using imaging::FrameState;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

std::vector<FrameSource> WriteSources(const testsupport::TempDir& dir, int count)
{
    std::vector<FrameSource> sources;
    for (int i = 0; i < count; ++i) {
        const QString path = QString::fromStdString((dir / ("f" + std::to_string(i) + ".jpg")).string());
        EXPECT_TRUE(imagingtest::Solid(kWidth, kHeight, QColor(i * 4, 100, 200)).save(path, "JPG", 90));
        sources.push_back(FrameSource::FromHeader(path, imaging::ReadImageHeader(path)));
    }
    return sources;
}

FrameRequest Full(const FrameSource& s, bool shown = false)
{
    return {s.path, DecodeScale::Full, s.BytesAt(DecodeScale::Full), shown};
}

int RunAll(FrameCache& cache)
{
    int n = 0;
    while (cache.RunOneJob())
        ++n;
    return n;
}

} // namespace

TEST(FrameCache, BudgetHoldsAndShownFramesStayThroughALongWalkOfFrameCommands)
{
    testsupport::TempDir dir;
    const auto sources = WriteSources(dir, 80);
    const qint64 frameBytes = sources[0].BytesAt(DecodeScale::Full);
    FrameCache cache(12 * frameBytes, -1);
    imaging::PanelPlayState panel{&sources, 0, {QSize(kWidth, kHeight)}};
    std::mt19937 random(7);
    int direction = 1;
    for (int step = 0; step < 400; ++step) {
        const int previous = panel.shown;
        switch (random() % 6) {
        case 0: panel.shown = 0; break;                                   // First
        case 1: panel.shown = 79; break;                                  // Last
        case 2: panel.shown = int(random() % 80); direction = 1; break;   // a date chosen
        case 3: panel.shown = std::max(0, panel.shown - 1); direction = -1; break;
        default: panel.shown = std::min(79, panel.shown + 1); direction = 1; break;
        }
        cache.Unpin(sources[previous].path);
        cache.Pin(sources[panel.shown].path);
        cache.SetWanted(imaging::PlanReadAhead({panel}, direction, cache.Budget()));
        // Some commands come before the read-ahead has finished.
        for (int jobs = int(random() % 8); jobs > 0 && cache.RunOneJob(); --jobs) {
        }
        ASSERT_LE(cache.HeldBytes(), cache.Budget()) << "step " << step;
        RunAll(cache);
        ASSERT_LE(cache.HeldBytes(), cache.Budget()) << "step " << step;
        const CachedFrame shown = cache.Find(sources[panel.shown].path);
        ASSERT_EQ(shown.state, FrameState::Ready) << "step " << step;
        ASSERT_EQ(shown.image.size(), QSize(kWidth, kHeight));
    }
}

TEST(FrameCache, AFrameOnScreenIsNeverEvictedEvenPastTheBudget)
{
    testsupport::TempDir dir;
    const auto sources = WriteSources(dir, 10);
    const qint64 frameBytes = sources[0].BytesAt(DecodeScale::Full);
    FrameCache cache(2 * frameBytes, -1);
    // Four panels on screen need more than the budget: all are decoded and kept.
    for (int i = 0; i < 4; ++i)
        cache.Pin(sources[i].path);
    cache.SetWanted({Full(sources[0], true), Full(sources[1], true), Full(sources[2], true), Full(sources[3], true),
                     Full(sources[4])});
    EXPECT_EQ(RunAll(cache), 4) << "read-ahead waits while the budget is spent";
    cache.SetWanted({Full(sources[5]), Full(sources[6])});
    RunAll(cache);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(cache.Find(sources[i].path).state, FrameState::Ready) << i;
    EXPECT_EQ(cache.Find(sources[5].path).state, FrameState::Absent);

    // Off screen they go at once while the cache is over its budget, and then
    // least recently used first.
    for (int i = 0; i < 4; ++i)
        cache.Unpin(sources[i].path);
    EXPECT_LE(cache.HeldBytes(), cache.Budget());
    EXPECT_EQ(cache.Find(sources[0].path).state, FrameState::Absent);
    EXPECT_EQ(cache.Find(sources[3].path).state, FrameState::Ready);
    cache.Find(sources[2].path);
    cache.Pin(sources[8].path);
    cache.SetWanted({Full(sources[8], true)});
    RunAll(cache);
    EXPECT_EQ(cache.Find(sources[8].path).state, FrameState::Ready);
    EXPECT_EQ(cache.Find(sources[2].path).state, FrameState::Ready) << "used last, kept";
    EXPECT_EQ(cache.Find(sources[3].path).state, FrameState::Absent);
    EXPECT_LE(cache.HeldBytes(), cache.Budget());
}

TEST(FrameCache, AJumpDropsReadAheadThatIsNoLongerWanted)
{
    testsupport::TempDir dir;
    const auto sources = WriteSources(dir, 60);
    FrameCache cache(100 * sources[0].BytesAt(DecodeScale::Full), -1);
    std::vector<FrameRequest> ahead;
    for (int i = 0; i < 20; ++i)
        ahead.push_back(Full(sources[i], i == 0));
    cache.SetWanted(ahead);
    ASSERT_TRUE(cache.RunOneJob());
    ASSERT_TRUE(cache.RunOneJob());
    EXPECT_TRUE(cache.ReadAheadPending());

    cache.SetWanted({Full(sources[40], true), Full(sources[41]), Full(sources[42])}); // Last, or a date
    EXPECT_EQ(RunAll(cache), 3);
    EXPECT_FALSE(cache.ReadAheadPending());
    EXPECT_EQ(cache.Find(sources[1].path).state, FrameState::Ready) << "decoded before the jump: kept";
    for (int i = 2; i < 20; ++i)
        EXPECT_EQ(cache.Find(sources[i].path).state, FrameState::Absent) << i;

    // Closing the study drops everything not on screen and all queued work.
    cache.Pin(sources[40].path);
    cache.SetWanted({Full(sources[50]), Full(sources[51])});
    cache.Clear();
    EXPECT_FALSE(cache.RunOneJob());
    EXPECT_EQ(cache.Find(sources[41].path).state, FrameState::Absent);
    EXPECT_EQ(cache.Find(sources[40].path).state, FrameState::Ready);
}

TEST(FrameCache, ALargerScaleWantedDecodesAgainAndAFailedFileKeepsItsError)
{
    testsupport::TempDir dir;
    const auto sources = WriteSources(dir, 2);
    FrameCache cache(1 << 20, -1);
    const FrameSource& s = sources[0];
    cache.SetWanted({{s.path, DecodeScale::Eighth, s.BytesAt(DecodeScale::Eighth), true}});
    RunAll(cache);
    EXPECT_EQ(cache.Find(s.path).image.size(), QSize(8, 6));
    // A smaller request is served by what is held.
    cache.SetWanted({{s.path, DecodeScale::Eighth, s.BytesAt(DecodeScale::Eighth), true}});
    EXPECT_EQ(RunAll(cache), 0);
    // The panel grew: the larger decode replaces the smaller one.
    cache.SetWanted({{s.path, DecodeScale::Half, s.BytesAt(DecodeScale::Half), true}});
    EXPECT_EQ(RunAll(cache), 1);
    const CachedFrame half = cache.Find(s.path);
    EXPECT_EQ(half.image.size(), QSize(32, 24));
    EXPECT_EQ(half.scale, DecodeScale::Half);
    EXPECT_EQ(cache.HeldBytes(), half.image.sizeInBytes());

    // A file deleted after loading fails with the decoder's text; it is not
    // tried again at every step.
    ASSERT_TRUE(QFile::remove(sources[1].path));
    cache.SetWanted({Full(sources[1], true)});
    RunAll(cache);
    const CachedFrame gone = cache.Find(sources[1].path);
    EXPECT_EQ(gone.state, FrameState::Failed);
    EXPECT_EQ(gone.error, "Image file not found: " + sources[1].path);
    cache.SetWanted({Full(sources[1], true)});
    EXPECT_EQ(RunAll(cache), 0);
}

TEST(FrameCache, WorkersFillTheCacheAndStopWithIt)
{
    testsupport::TempDir dir;
    const auto sources = WriteSources(dir, 30);
    std::atomic<int> reported{0};
    {
        FrameCache cache(1 << 24, 2);
        EXPECT_EQ(cache.WorkerCount(), 2);
        cache.SetListener([&](const QString&) { ++reported; });
        std::vector<FrameRequest> all;
        for (const auto& s : sources)
            all.push_back(Full(s));
        cache.SetWanted(all);
        for (int i = 0; i < 1000 && reported < 30; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(reported, 30);
        EXPECT_FALSE(cache.ReadAheadPending());
        // Wanted again while more is queued: the destructor does not wait for the queue.
        cache.Clear();
        cache.SetWanted(all);
    }
    EXPECT_GE(reported, 30);
}
