// The parallel renderer hands frames over in order, stops at the first failure
// and at a stop from its caller, and never lets a worker outlive a run.
#include "viewer/export/FramePipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

using namespace exporting;

namespace {

RenderedFrame Numbered(int index)
{
    QImage image(1, 1, QImage::Format_RGB32);
    image.fill(QColor(index % 256, 0, 0));
    // Later frames finish first now and then, so order is the pipeline's doing.
    if (index % 3 == 0)
        std::this_thread::yield();
    return {image, QString()};
}

TEST(FramePipeline, DeliversEveryFrameInOrderWithBoundedLookAhead)
{
    std::atomic<int> rendering{0};
    std::atomic<int> mostAhead{0};
    std::atomic<int> handed{0};
    const auto render = [&](int index) {
        rendering.fetch_add(1);
        int ahead = index - handed.load();
        int seen = mostAhead.load();
        while (ahead > seen && !mostAhead.compare_exchange_weak(seen, ahead)) {
        }
        const RenderedFrame frame = Numbered(index);
        rendering.fetch_sub(1);
        return frame;
    };
    std::vector<int> order;
    const PipelineOutcome outcome = FramePipeline(4, 3).Run(200, render, [&](int index, const QImage& frame) {
        order.push_back(index);
        EXPECT_EQ(qRed(frame.pixel(0, 0)), index % 256);
        handed.store(index + 1);
        return true;
    });
    EXPECT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.Delivered, 200);
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(order[i], i);
    // The frame being handed over and three beyond it.
    EXPECT_LE(mostAhead.load(), 4);
    EXPECT_EQ(rendering.load(), 0);
}

TEST(FramePipeline, TheFirstFailureInFrameOrderEndsTheRun)
{
    const auto render = [](int index) -> RenderedFrame {
        if (index == 7 || index == 20)
            return {QImage(), QStringLiteral("frame %1 is damaged").arg(index)};
        return Numbered(index);
    };
    int delivered = 0;
    const PipelineOutcome outcome = FramePipeline(3).Run(50, render, [&](int, const QImage&) {
        ++delivered;
        return true;
    });
    EXPECT_EQ(outcome.Error, QStringLiteral("frame 7 is damaged"));
    EXPECT_EQ(outcome.Delivered, 7);
    EXPECT_EQ(delivered, 7);

    const PipelineOutcome thrown =
        FramePipeline(2).Run(12, [](int index) { return index == 9 ? throw std::runtime_error("frame 9 threw") : Numbered(index); },
                             [](int, const QImage&) { return true; });
    EXPECT_EQ(thrown.Error, QStringLiteral("frame 9 threw"));
    EXPECT_EQ(thrown.Delivered, 9);
}

TEST(FramePipeline, AStopFromTheSinkOrTheWaitEndsTheRunAtOnce)
{
    std::atomic<int> rendered{0};
    const auto render = [&](int index) {
        rendered.fetch_add(1);
        return Numbered(index);
    };
    const PipelineOutcome stopped =
        FramePipeline(2, 2).Run(1000, render, [](int index, const QImage&) { return index < 4; });
    EXPECT_TRUE(stopped.Stopped);
    EXPECT_EQ(stopped.Delivered, 4);
    EXPECT_LT(rendered.load(), 20) << "workers went on far past the stop";

    // A frame that never comes: the wait is asked, and its no ends the run.
    std::atomic<bool> release{false};
    int waits = 0;
    const PipelineOutcome waited = FramePipeline(1).Run(
        3,
        [&](int index) {
            while (index == 1 && !release.load())
                std::this_thread::yield();
            return Numbered(index);
        },
        [](int, const QImage&) { return true; },
        [&] {
            ++waits;
            release.store(true); // lets the worker finish so the run can join it
            return false;
        });
    EXPECT_TRUE(waited.Stopped);
    EXPECT_EQ(waited.Delivered, 1);
    EXPECT_GE(waits, 1);
}

} // namespace
