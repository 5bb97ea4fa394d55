// The order in which frames are wanted: what every visible panel shows first,
// then ahead in the direction of play for all panels in turn with a few behind,
// each file once at the largest scale wanted, as far as the budget allows.
#include "platform/imaging/ReadAheadPlan.h"

#include <gtest/gtest.h>

using imaging::DecodeScale;
using imaging::FrameSource;
using imaging::PanelPlayState;
using imaging::PlanReadAhead;
using imaging::ReadAheadLimits;

namespace {

std::vector<FrameSource> Frames(const QString& prefix, int count, QSize size = {1920, 1080})
{
    std::vector<FrameSource> out;
    for (int i = 0; i < count; ++i)
        out.push_back({imaging::FrameSourceKind::File, prefix + QString::number(i), size, true});
    return out;
}

QStringList Paths(const std::vector<imaging::FrameRequest>& plan)
{
    QStringList out;
    for (const auto& r : plan)
        out << r.path;
    return out;
}

constexpr qint64 kPlenty = qint64(1) << 40;

} // namespace

TEST(ReadAheadPlan, ShownFramesFirstThenAheadInTurnWithAFewBehind)
{
    const auto a = Frames("a", 10);
    const auto b = Frames("b", 10);
    const PanelPlayState pa{&a, 4, {{240, 135}}};
    const PanelPlayState pb{&b, 4, {{240, 135}}};
    const ReadAheadLimits limits{3, 1, 1.0};
    EXPECT_EQ(Paths(PlanReadAhead({pa, pb}, +1, kPlenty, limits)),
              QStringList({"a4", "b4", "a5", "a3", "b5", "b3", "a6", "b6", "a7", "b7"}));
    EXPECT_EQ(Paths(PlanReadAhead({pa, pb}, -1, kPlenty, limits)),
              QStringList({"a4", "b4", "a3", "a5", "b3", "b5", "a2", "b2", "a1", "b1"}));
    // At the ends of the list there is nothing further to want.
    const PanelPlayState last{&a, 9, {{240, 135}}};
    EXPECT_EQ(Paths(PlanReadAhead({last}, +1, kPlenty, limits)), QStringList({"a9", "a8"}));
}

TEST(ReadAheadPlan, EachFileOnceAtTheLargestScaleMissingOnesSkipped)
{
    // A pool of frames repeats: the same file in two panels of different sizes.
    auto a = Frames("pool", 3);
    a[1] = FrameSource::Missing("gone.jpg");
    const auto b = Frames("pool", 3);
    const PanelPlayState small{&a, 0, {{200, 200}}};
    const PanelPlayState large{&b, 0, {{900, 900}}};
    const auto plan = PlanReadAhead({small, large}, +1, kPlenty, {2, 0, 1.0});
    ASSERT_EQ(Paths(plan), QStringList({"pool0", "pool1", "pool2"}));
    EXPECT_EQ(plan[0].scale, DecodeScale::Half) << "900 wide needs 960, not 240";
    EXPECT_TRUE(plan[0].shown);
    EXPECT_EQ(plan[0].bytes, imaging::DecodedBytes({960, 540}));
    EXPECT_FALSE(plan[1].shown);
}

TEST(ReadAheadPlan, TheBudgetEndsTheListButNeverDropsAShownFrame)
{
    const auto a = Frames("a", 100);
    const qint64 eighth = imaging::DecodedBytes({240, 135});
    const PanelPlayState p{&a, 10, {{240, 135}}};
    EXPECT_EQ(PlanReadAhead({p}, +1, 5 * eighth, {50, 0, 1.0}).size(), 5u);
    // Zoomed to 400%, one shown frame at full size exceeds the budget: still wanted.
    PanelPlayState zoomed = p;
    zoomed.geometry.zoomed = true;
    zoomed.geometry.zoomPercent = 400;
    const auto plan = PlanReadAhead({zoomed}, +1, 5 * eighth, {50, 0, 1.0});
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(plan[0].scale, DecodeScale::Full);
}
