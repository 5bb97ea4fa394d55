// Panel placement for window sizes, Display slots, captions and Toggle Screen.
#include "viewer/window/PanelLayout.h"

#include <gtest/gtest.h>

namespace {

using viewer::ComputePanelLayout;
using viewer::PanelLayout;
using viewer::PanelLayoutInput;
using viewer::TwipRect;

PanelLayoutInput Window(qint64 width, qint64 height, int inUse, bool toggled = false)
{
    PanelLayoutInput input;
    input.WindowWidth = width;
    input.WindowHeight = height;
    input.ScreenToggled = toggled;
    const viewer::SlotCaptions captions = viewer::DefaultCaptions();
    for (int i = 0; i < 4; ++i)
        input.Slots[i] = {i < inUse ? viewer::kChecked : viewer::kUnchecked, captions[i]};
    return input;
}

std::vector<TwipRect> Rects(const PanelLayout& layout)
{
    std::vector<TwipRect> rects;
    for (const auto& p : layout.Panels)
        rects.push_back(p.Rect);
    return rects;
}

std::vector<int> Panels(const PanelLayout& layout)
{
    std::vector<int> panels;
    for (const auto& p : layout.Panels)
        panels.push_back(p.Panel);
    return panels;
}

TEST(PanelLayout, TwelveThousandByNineThousandWithOneToFourPanels)
{
    EXPECT_EQ(Rects(ComputePanelLayout(Window(12000, 9000, 1))),
              (std::vector<TwipRect>{{3780, 60, 8064, 8200}}));
    EXPECT_EQ(Rects(ComputePanelLayout(Window(12000, 9000, 2))),
              (std::vector<TwipRect>{{3780, 60, 6660, 4086}, {3780, 4086, 6660, 4086}}));
    EXPECT_EQ(Rects(ComputePanelLayout(Window(12000, 9000, 3))),
              (std::vector<TwipRect>{{3780, 60, 4440, 2724}, {3780, 2724, 4440, 2724}, {3780, 5448, 4440, 2724}}));
    EXPECT_EQ(Rects(ComputePanelLayout(Window(12000, 9000, 4))),
              (std::vector<TwipRect>{{3780, 60, 4032, 2474},
                                     {7812, 60, 4032, 2474},
                                     {3780, 2534, 4032, 2474},
                                     {7812, 2534, 4032, 2474}}));
    EXPECT_EQ(Panels(ComputePanelLayout(Window(12000, 9000, 4))), (std::vector<int>{0, 1, 2, 3}));
}

TEST(PanelLayout, NarrowWindowCapsTheWidthAndShrinksTheHeight)
{
    const PanelLayout layout = ComputePanelLayout(Window(6000, 9000, 2));
    EXPECT_EQ(Rects(layout), (std::vector<TwipRect>{{3780, 60, 2064, 1266}, {3780, 1266, 2064, 1266}}));
}

TEST(PanelLayout, LowWideWindowKeepsTheRatioAndLeavesSpaceAtTheRight)
{
    // H = 2172 / 3 = 724, W = 724 x 1.63 = 1180.12, far below the 15 000 available.
    const PanelLayout layout = ComputePanelLayout(Window(19000, 3000, 3));
    EXPECT_EQ(Rects(layout),
              (std::vector<TwipRect>{{3780, 60, 1180, 724}, {3780, 724, 1180, 724}, {3780, 1448, 1180, 724}}));
}

TEST(PanelLayout, FourPanelsInAWideLowWindowKeepTheLowerRowInside)
{
    // Half the width would make rows of 2474, far below the bottom at 2000 - 828;
    // the rows take (1172 - 60) / 2 = 556 and the width 556 x 1.63 = 906.28.
    EXPECT_EQ(Rects(ComputePanelLayout(Window(12000, 2000, 4))),
              (std::vector<TwipRect>{{3780, 60, 906, 556},
                                     {4686, 60, 906, 556},
                                     {3780, 616, 906, 556},
                                     {4686, 616, 906, 556}}));
}

TEST(PanelLayout, HalvesRoundToTheEvenNeighbour)
{
    // (9001 - 828) / 2 = 4086.5 -> 4086; (9003 - 828) / 2 = 4087.5 -> 4088.
    EXPECT_EQ(ComputePanelLayout(Window(30000, 9001, 2)).PanelHeight, 4086);
    EXPECT_EQ(ComputePanelLayout(Window(30000, 9003, 2)).PanelHeight, 4088);
    // (12001 - 3936) / 2 = 4032.5 -> 4032; (12003 - 3936) / 2 = 4033.5 -> 4034.
    EXPECT_EQ(ComputePanelLayout(Window(12001, 9000, 4)).PanelWidth, 4032);
    EXPECT_EQ(ComputePanelLayout(Window(12003, 9000, 4)).PanelWidth, 4034);
    EXPECT_EQ(ComputePanelLayout(Window(12003, 9000, 4)).PanelHeight, 2475); // 4034 / 1.63 = 2474.8

    EXPECT_EQ(viewer::RoundHalfEven(2.5), 2);
    EXPECT_EQ(viewer::RoundHalfEven(3.5), 4);
    EXPECT_EQ(viewer::RoundHalfEven(-2.5), -2);
    EXPECT_EQ(viewer::RoundHalfEven(-3.5), -4);
    EXPECT_EQ(viewer::RoundHalfEven(6660.18), 6660);
    EXPECT_EQ(viewer::RoundHalfEven(2473.6), 2474);
}

TEST(PanelLayout, TheColumnWidthIsRoundedBeforeUse)
{
    PanelLayoutInput input = Window(12000, 9000, 1);
    input.ColumnWidth = 3612.5;
    EXPECT_EQ(Rects(ComputePanelLayout(input)), (std::vector<TwipRect>{{3780, 60, 8064, 8200}}));
    input.ColumnWidth = 3613.5;
    EXPECT_EQ(Rects(ComputePanelLayout(input)), (std::vector<TwipRect>{{3782, 60, 8062, 8200}}));
}

TEST(PanelLayout, ToggleScreenGivesThePanelsTheColumnsWidth)
{
    const PanelLayout shown = ComputePanelLayout(Window(12000, 9000, 1));
    const PanelLayout toggled = ComputePanelLayout(Window(12000, 9000, 1, true));
    EXPECT_TRUE(shown.ColumnShown);
    EXPECT_FALSE(toggled.ColumnShown);
    ASSERT_EQ(toggled.Panels.size(), 1u);
    EXPECT_EQ(toggled.Panels[0].Rect, (TwipRect{108, 60, 11736, 8200}));
    EXPECT_EQ(toggled.Panels[0].Rect.Width, shown.Panels[0].Rect.Width + 3612 + 60);

    EXPECT_EQ(Rects(ComputePanelLayout(Window(12000, 9000, 4, true))),
              (std::vector<TwipRect>{{108, 60, 5868, 3600},
                                     {5976, 60, 5868, 3600},
                                     {108, 3660, 5868, 3600},
                                     {5976, 3660, 5868, 3600}}));
}

TEST(PanelLayout, NoRoomOrNoSlotShowsNoPanel)
{
    // One panel is 1 twip wide at 3937 and nothing at 3936.
    EXPECT_EQ(ComputePanelLayout(Window(3937, 9000, 1)).Panels.size(), 1u);
    EXPECT_TRUE(ComputePanelLayout(Window(3936, 9000, 1)).Panels.empty());
    EXPECT_TRUE(ComputePanelLayout(Window(12000, 800, 1)).Panels.empty());
    EXPECT_TRUE(ComputePanelLayout(Window(12000, 828, 2)).Panels.empty());
    EXPECT_TRUE(ComputePanelLayout(Window(0, 0, 4)).Panels.empty());
    EXPECT_TRUE(ComputePanelLayout(Window(-500, -500, 3)).Panels.empty());

    const PanelLayout none = ComputePanelLayout(Window(12000, 9000, 0));
    EXPECT_EQ(none.SlotsInUse, 0);
    EXPECT_TRUE(none.Panels.empty());
}

TEST(PanelLayout, OnlyACheckedBoxPutsItsSlotInUse)
{
    PanelLayoutInput input = Window(12000, 9000, 0);
    input.Slots[0].Value = viewer::kGrayed;
    input.Slots[2].Value = viewer::kChecked;
    const PanelLayout layout = ComputePanelLayout(input);
    EXPECT_EQ(layout.SlotsInUse, 1);
    ASSERT_EQ(layout.Panels.size(), 1u);
    EXPECT_EQ(layout.Panels[0].Slot, 2);
    EXPECT_EQ(layout.Panels[0].Panel, 2);
    EXPECT_EQ(layout.Panels[0].Rect, (TwipRect{3780, 60, 8064, 8200}));
}

TEST(PanelLayout, SlotsFillInIndexOrderWithThePanelTheirCaptionNames)
{
    PanelLayoutInput input = Window(12000, 9000, 0);
    input.Slots = {{{viewer::kUnchecked, "1"}, {viewer::kChecked, "4"}, {viewer::kUnchecked, "2"}, {viewer::kChecked, "3"}}};
    const PanelLayout layout = ComputePanelLayout(input);
    EXPECT_EQ(Panels(layout), (std::vector<int>{3, 2}));
    EXPECT_EQ(Rects(layout), (std::vector<TwipRect>{{3780, 60, 6660, 4086}, {3780, 4086, 6660, 4086}}));
}

TEST(PanelLayout, CaptionsAreReadAsRoundedLeadingNumbers)
{
    EXPECT_EQ(viewer::PanelOfCaption("1"), 0);
    EXPECT_EQ(viewer::PanelOfCaption(" 4"), 3);
    EXPECT_EQ(viewer::PanelOfCaption("2.5"), 1);
    EXPECT_EQ(viewer::PanelOfCaption("3.5"), 3);
    EXPECT_EQ(viewer::PanelOfCaption("3 (north)"), 2);
    EXPECT_EQ(viewer::PanelOfCaption(""), -1);
    EXPECT_EQ(viewer::PanelOfCaption("0"), -1);
    EXPECT_EQ(viewer::PanelOfCaption("5"), -1);
    EXPECT_EQ(viewer::PanelOfCaption("99999999999999999999999"), -1);
}

TEST(PanelLayout, ACaptionNamingNoPanelLeavesItsPlaceEmpty)
{
    PanelLayoutInput input = Window(12000, 9000, 3);
    input.Slots[1].Caption = "View";
    const PanelLayout layout = ComputePanelLayout(input);
    EXPECT_EQ(Panels(layout), (std::vector<int>{0, 2}));
    EXPECT_EQ(Rects(layout), (std::vector<TwipRect>{{3780, 60, 4440, 2724}, {3780, 5448, 4440, 2724}}));
}

TEST(PanelLayout, ThePlaceholderSitsBesideTheColumn)
{
    EXPECT_EQ(viewer::PlaceholderRect(12000, 9000), (TwipRect{3780, 60, 8064, 8172}));
    EXPECT_EQ(viewer::PlaceholderRect(12000, 9000, 3000.4), (TwipRect{3168, 60, 8676, 8172}));
}

TEST(DisplayShift, CaptionsRotateAndComeBack)
{
    const viewer::SlotCaptions start = viewer::DefaultCaptions();
    EXPECT_EQ(viewer::ShiftCaptions(start, 0), (viewer::SlotCaptions{"2", "3", "4", "1"}));
    EXPECT_EQ(viewer::ShiftCaptions(start, 1), (viewer::SlotCaptions{"4", "1", "2", "3"}));
    EXPECT_EQ(viewer::ShiftCaptions(start, 2), start);
    EXPECT_EQ(viewer::ShiftCaptions(start, -1), start);

    viewer::SlotCaptions captions = start;
    for (int i = 0; i < 4; ++i)
        captions = viewer::ShiftCaptions(captions, 0);
    EXPECT_EQ(captions, start);
    EXPECT_EQ(viewer::ShiftCaptions(viewer::ShiftCaptions(start, 0), 1), start);
    EXPECT_EQ(viewer::ShiftCaptions(viewer::ShiftCaptions(start, 1), 0), start);
}

TEST(DisplayShift, WithTwoSlotsInUseAShiftChangesWhichPanelsShow)
{
    PanelLayoutInput input = Window(12000, 9000, 2);
    viewer::SlotCaptions captions = viewer::DefaultCaptions();
    for (const std::vector<int>& expected : {std::vector<int>{1, 2}, {2, 3}, {3, 0}, {0, 1}}) {
        captions = viewer::ShiftCaptions(captions, 0);
        for (int i = 0; i < 4; ++i)
            input.Slots[i].Caption = captions[i];
        EXPECT_EQ(Panels(ComputePanelLayout(input)), expected);
    }
}

TEST(PanelZoom, ClicksStepByTenAndZoomingOutStopsAtTen)
{
    EXPECT_FLOAT_EQ(viewer::ZoomAfterClick(100, 1), 110);
    EXPECT_FLOAT_EQ(viewer::ZoomAfterClick(100, 2), 90);
    EXPECT_FLOAT_EQ(viewer::ZoomAfterClick(15, 2), 5);
    EXPECT_FLOAT_EQ(viewer::ZoomAfterClick(5, 2), 5);
    EXPECT_FLOAT_EQ(viewer::ZoomAfterClick(10, 2), 10);
    EXPECT_FLOAT_EQ(viewer::ZoomAfterClick(10.5f, 2), 0.5f);
    EXPECT_FLOAT_EQ(viewer::ZoomAfterClick(5, 1), 15);
    EXPECT_FLOAT_EQ(viewer::ZoomAfterClick(40, 4), 40);
}

TEST(TwipsAndPixels, FifteenTwipsAPixelAtNinetySixDotsPerInch)
{
    EXPECT_EQ(viewer::TwipsToPixels(3780, 96), 252);
    EXPECT_EQ(viewer::TwipsToPixels(8064, 96), 538); // 537.6
    EXPECT_EQ(viewer::TwipsToPixels(-60, 96), -4);
    EXPECT_EQ(viewer::PixelsToTwips(800, 96), 12000);
    EXPECT_EQ(viewer::TwipsToPixels(3780, 120), 315);
    EXPECT_EQ(viewer::PixelsToTwips(1000, 120), 12000);
}

} // namespace
