// The export commands in the window: what they take from the panels on display,
// Copy Frame on Ctrl+C, and the window kept open while an export is written.
#include "WindowFixture.h"

#include "viewer/export/ExportContext.h"
#include "viewer/export/ExportController.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace windowtest {
namespace {

class ExportMenuTest : public WindowTest {
protected:
    void Click(const char* id)
    {
        QAction* action = window_->findChild<QAction*>(QLatin1String(id));
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
    }
};

TEST_F(ExportMenuTest, TheContextIsThePanelsAsShownInTheirDisplayOrder)
{
    window_->show();
    Open(WriteStudy(SimpleStudy(4, 4)));
    window_->msbShiftDisplay(0); // the slots now show panels 2, 3, 4, 1
    window_->cmdNext_Click();
    exporting::ExportContext context = window_->ExportContextNow();
    ASSERT_EQ(context.Panels.size(), 4u);
    EXPECT_EQ(context.Panels[0].Settings.View, 2);
    EXPECT_EQ(context.Panels[1].Settings.View, 3);
    EXPECT_EQ(context.Panels[3].Settings.View, 1);
    EXPECT_EQ(context.Panels[0].Rect, Panel(1)->geometry());
    EXPECT_EQ(context.CurrentFrame, 2);
    EXPECT_DOUBLE_EQ(context.DelaySeconds, 1.0);
    EXPECT_EQ(context.StudyFile, module_.LoadedStudyFile);

    // A zoomed panel is exported at its zoom (unlinked, the others stay fitted),
    // and at the spot it was panned to.
    window_->msbShiftDisplay(1);
    window_->SetLinkPanels(false);
    QTest::mouseClick(Panel(0), Qt::LeftButton);
    context = window_->ExportContextNow();
    EXPECT_GT(context.Panels[0].ZoomPercent, 0.0);
    EXPECT_EQ(context.Panels[1].ZoomPercent, 0.0);
    const imaging::ViewState clicked = Panel(0)->View();
    Panel(0)->SetView(imaging::ViewState{false, 20, {0.3, 0.7}});
    context = window_->ExportContextNow();
    EXPECT_NEAR(context.Panels[0].Centre.x(), 0.3, 1e-9);
    EXPECT_NEAR(context.Panels[0].Centre.y(), 0.7, 1e-9);
    Panel(0)->SetView(clicked);

    // What the export renders at the shown frame is what the panels show.
    const exporting::RenderedFrame frame = context.Scene().Render(context.CurrentFrame);
    ASSERT_TRUE(frame.ok());
    QRect around;
    for (const exporting::ShownPanel& panel : context.Panels)
        around = around.united(panel.Rect);
    const QRect second = context.Panels[1].Rect.translated(-around.topLeft());
    EXPECT_EQ(SampleOf(frame.Image.copy(second)), 2);
}

TEST_F(ExportMenuTest, CtrlCCopiesTheFrameAsShown)
{
    window_->show();
    Open(WriteStudy(SimpleStudy(2, 3)));
    QGuiApplication::clipboard()->clear();
    // Taken first: the status line the copy shows makes the panels a little smaller.
    const QRect around = Panel(0)->geometry().united(Panel(1)->geometry());
    Key(Qt::Key_C, Qt::ControlModifier);
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), around.size() * window_->devicePixelRatioF());
    EXPECT_EQ(Find<QLabel>("labStatus")->text(), QStringLiteral("Frame 1 copied to the clipboard"));
}

TEST_F(ExportMenuTest, WithoutAStudyTheExportsSaySoAndTheWindowStaysOpenWhileOneRuns)
{
    Click("ID_ExportAnimation");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, QString::fromLatin1(exporting::kMsgNothingToExport));

    window_->show();
    Open(WriteStudy(SimpleStudy(1, 40)));
    ui_.onModal = [this](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("txtFile"))->setText(PathOf("clip.mp4"));
        dialog.findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
        return dialog.result();
    };
    Click("ID_ExportAnimation");
    ASSERT_TRUE(window_->Exports().Busy());
    Click("ID_Exit");
    EXPECT_TRUE(window_->isVisible());
    EXPECT_EQ(ui_.messages.back().text, QString::fromLatin1(exporting::kMsgExportBusy));
    ASSERT_TRUE(PumpUntil([this] { return !window_->Exports().Busy(); }, 30000));
    EXPECT_TRUE(QFile::exists(PathOf("clip.mp4")));
    Click("ID_Exit");
    EXPECT_FALSE(window_->isVisible());
}

} // namespace
} // namespace windowtest
