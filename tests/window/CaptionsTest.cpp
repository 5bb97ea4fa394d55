// Each panel's caption: switched from the menu, remembered, and saying so when
// a panel shows another moment than the date and time on display.
#include "WindowFixture.h"

#include "viewer/settings/ViewerPreferences.h"
#include "viewer/window/PanelCaption.h"

#include <QAction>

namespace windowtest {
namespace {

class CaptionsTest : public WindowTest {
protected:
    viewer::PanelCaption* Caption(int i) const
    {
        return Find<viewer::PanelCaption>(QStringLiteral("labCaption(%1)").arg(i));
    }
    QAction* Item() const { return Find<QAction>("ID_PanelCaptions"); }

    // Two panels of one view: panel 0 under a clear sky, panel 1 under a partly
    // cloudy one, in a study that alternates between the two.
    void OpenAlternatingSkies()
    {
        Study study = SimpleStudy(2, 4);
        study.skyMask = 3;
        for (int k = 0; k < 4; ++k)
            study.samples[k].sky = k % 2 == 0 ? 1 : 2;
        Open(WriteStudy(study));
        Choose(Skies(1), "Partly Cloudy");
        Button("cmdRefresh(1)")->click();
    }
};

TEST_F(CaptionsTest, CaptionsSayWhatEachPanelShowsAndWhenItIsAnotherMoment)
{
    OpenAlternatingSkies();
    EXPECT_FALSE(Item()->isChecked());
    EXPECT_TRUE(Caption(0)->isHidden());

    Item()->trigger();
    EXPECT_TRUE(Item()->isChecked());
    ASSERT_FALSE(Caption(0)->isHidden());
    EXPECT_EQ(Caption(0)->text(), "View A\nJune 20, 9:00\nClear \u00B7 Lights Off \u00B7 RGB");
    EXPECT_FALSE(Caption(0)->OtherMoment());
    // Panel 1's first frame is sample 2, while the Current Display shows sample 1.
    ASSERT_FALSE(Caption(1)->isHidden());
    EXPECT_EQ(Caption(1)->text(),
              "View B\nJune 20, 10:00\nPartly Cloudy \u00B7 Lights Off \u00B7 RGB\nNot the date and time on display");
    EXPECT_TRUE(Caption(1)->OtherMoment());
    // Drawn over the image, not beside it.
    EXPECT_TRUE(Panel(0)->ImageRect().contains(Caption(0)->geometry().topLeft()));

    window_->cmdNext_Click();
    EXPECT_EQ(Caption(0)->text(), "View A\nJune 20, 11:00\nClear \u00B7 Lights Off \u00B7 RGB\n"
                                  "Not the date and time on display");

    Item()->trigger();
    EXPECT_TRUE(Caption(0)->isHidden());
    EXPECT_TRUE(Caption(1)->isHidden());
}

TEST_F(CaptionsTest, TheChoiceIsRememberedInTheViewersOwnSettings)
{
    window_->stbMain_ToolClick("ID_PanelCaptions");
    EXPECT_TRUE(settings::ViewerPreferences(options_.PreferencesFile).ShowCaptions());
    Recreate();
    EXPECT_TRUE(Item()->isChecked());
    Open(WriteStudy(SimpleStudy(1, 2)));
    EXPECT_FALSE(Caption(0)->isHidden());
    EXPECT_TRUE(Caption(0)->text().startsWith("View A\n"));
}

} // namespace
} // namespace windowtest
