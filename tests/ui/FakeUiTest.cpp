// The recording stand-in every window test relies on: what it records, how it
// answers, and the pointer guard and clock arithmetic built on the interface.
#include "platform/ui/FakeUi.h"

#include <QDialog>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace ui;

TEST(FakeUi, RecordsEveryMessageAndAnswersFromTheScriptInOrder)
{
    FakeUi fake;
    fake.messageAnswers = {MessageAnswer::No, MessageAnswer::Cancel};
    UiServices& services = fake;

    EXPECT_EQ(services.Message("File already exists, would you like to overwrite?",
                               "Package Daylight Study", MessageButtons::YesNo,
                               MessageIcon::Exclamation, true),
              MessageAnswer::No);
    EXPECT_EQ(services.ShowMessage({"second", "T2", MessageButtons::OkCancel, MessageIcon::Question, false, nullptr}),
              MessageAnswer::Cancel);

    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[0].text, "File already exists, would you like to overwrite?");
    EXPECT_EQ(fake.messages[0].title, "Package Daylight Study");
    EXPECT_EQ(fake.messages[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(fake.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(fake.messages[0].systemModal);
    EXPECT_EQ(fake.messages[1].title, "T2");
    EXPECT_FALSE(fake.messages[1].systemModal);
    EXPECT_TRUE(fake.messageAnswers.empty());
}

TEST(FakeUi, UnscriptedMessageBoxesAnswerWithTheirFirstButton)
{
    FakeUi fake;
    EXPECT_EQ(fake.Message("a", "t", MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_EQ(fake.Message("a", "t", MessageButtons::OkCancel), MessageAnswer::Ok);
    EXPECT_EQ(fake.Message("a", "t", MessageButtons::YesNo), MessageAnswer::Yes);
    EXPECT_EQ(fake.Message("a", "t", MessageButtons::YesNoCancel), MessageAnswer::Yes);
    EXPECT_EQ(fake.Message("a", "t", MessageButtons::AbortRetryIgnore), MessageAnswer::Abort);
    EXPECT_EQ(fake.Message("a", "t", MessageButtons::RetryCancel), MessageAnswer::Retry);
}

TEST(FakeUi, FileDialogsRecordTheirRequestAndCancelWhenTheScriptSaysSoOrRunsOut)
{
    FakeUi fake;
    fake.fileAnswers = {QString("/studies/a.dvf"), std::nullopt, QString("/out/b.dvp")};
    FileDialogRequest open{"/studies/", "Select HALVEX Daylight Study File",
                           "Daylight Viewer And Package Files (*.dvf,*.dvp)|*.dvf;*.dvp", "", "", 0x1004,
                           nullptr};

    EXPECT_EQ(fake.GetOpenFileName(open), QString("/studies/a.dvf"));
    EXPECT_EQ(fake.GetOpenFileName(open), std::nullopt);
    FileDialogRequest save{"/out/", "Save As", "Daylight Package Files (*.dvp)|*.dvp", "Sunlit Room.dvp",
                           "dvp", 0x8804, nullptr};
    EXPECT_EQ(fake.GetSaveFileName(save), QString("/out/b.dvp"));
    EXPECT_EQ(fake.GetSaveFileName(save), std::nullopt) << "an empty script cancels";

    ASSERT_EQ(fake.fileDialogs.size(), 4u);
    EXPECT_EQ(fake.fileDialogs[0].kind, FakeUi::DialogKind::Open);
    EXPECT_EQ(fake.fileDialogs[0].request.title, "Select HALVEX Daylight Study File");
    EXPECT_EQ(fake.fileDialogs[0].request.flags, fileflags::kFileMustExist | fileflags::kHideReadOnly);
    EXPECT_EQ(fake.fileDialogs[2].kind, FakeUi::DialogKind::Save);
    EXPECT_EQ(fake.fileDialogs[2].request.fileName, "Sunlit Room.dvp");
    EXPECT_EQ(fake.fileDialogs[2].request.defaultExt, "dvp");
    EXPECT_EQ(fake.fileDialogs[2].request.flags,
              fileflags::kNoReadOnlyReturn | fileflags::kPathMustExist | fileflags::kHideReadOnly);
}

TEST(CursorGuard, ShowsItsShapeAndPutsThePreviousOneBackOnEveryWayOut)
{
    FakeUi fake;
    {
        CursorGuard busy(fake, CursorShape::ArrowHourglass);
        EXPECT_EQ(fake.Cursor(), CursorShape::ArrowHourglass);
        try {
            CursorGuard loading(fake, CursorShape::Hourglass);
            EXPECT_EQ(fake.Cursor(), CursorShape::Hourglass);
            throw std::runtime_error("decode failed");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(fake.Cursor(), CursorShape::ArrowHourglass) << "the inner guard restores the outer shape";
    }
    EXPECT_EQ(fake.Cursor(), CursorShape::Default);
    EXPECT_EQ(fake.cursorChanges,
              (std::vector<CursorShape>{CursorShape::ArrowHourglass, CursorShape::Hourglass,
                                        CursorShape::ArrowHourglass, CursorShape::Default}));
}

TEST(FakeUi, ClockStepsPerReadAndWrapsAtMidnight)
{
    FakeUi fake;
    fake.now = 86399.5;
    fake.stepPerRead = 0.25;
    EXPECT_DOUBLE_EQ(fake.TimeOfDaySeconds(), 86399.5);
    EXPECT_DOUBLE_EQ(fake.TimeOfDaySeconds(), 86399.75);
    EXPECT_DOUBLE_EQ(fake.TimeOfDaySeconds(), 0.0);
    EXPECT_EQ(fake.clockReads, 3);
    fake.stepPerRead = 0;
    fake.Advance(-1.0);
    EXPECT_DOUBLE_EQ(fake.now, 86399.25);
    fake.Advance(86400.0 * 2 + 1.0);
    EXPECT_DOUBLE_EQ(fake.now, 0.25);
}

TEST(ElapsedSeconds, CountsForwardAcrossMidnight)
{
    EXPECT_DOUBLE_EQ(ElapsedSeconds(100.0, 102.5), 2.5);
    EXPECT_DOUBLE_EQ(ElapsedSeconds(86399.0, 0.5), 1.5);
    EXPECT_DOUBLE_EQ(ElapsedSeconds(5.0, 5.0), 0.0);
}

TEST(FakeUi, ModalWindowsAreRecordedAndDrivenByTheTestsHandler)
{
    FakeUi fake;
    QDialog about;
    about.setObjectName("frmAbout");
    about.setWindowTitle("About HALVEX Daystrand");
    EXPECT_EQ(fake.ShowModal(about), QDialog::Rejected) << "without a handler the window is closed unanswered";

    QDialog package;
    package.setObjectName("frmDSFPackage");
    package.setWindowTitle("Package Daylight Study");
    fake.onModal = [](QDialog& dialog) {
        dialog.setProperty("seen", true);
        return int(QDialog::Accepted);
    };
    EXPECT_EQ(fake.ShowModal(package), QDialog::Accepted);
    EXPECT_TRUE(package.property("seen").toBool());

    ASSERT_EQ(fake.modals.size(), 2u);
    EXPECT_EQ(fake.modals[0].objectName, "frmAbout");
    EXPECT_EQ(fake.modals[1].objectName, "frmDSFPackage");
    EXPECT_EQ(fake.modals[1].windowTitle, "Package Daylight Study");
}

TEST(FakeUi, OpenedDocumentsAreRecordedWithTheScriptedOutcome)
{
    FakeUi fake;
    EXPECT_TRUE(fake.OpenDocument("/opt/HALVEX-Daystrand.chm"));
    fake.openDocumentSucceeds = false;
    EXPECT_FALSE(fake.OpenDocument("/opt/readme.html"));
    EXPECT_EQ(fake.openedDocuments, (std::vector<QString>{"/opt/HALVEX-Daystrand.chm", "/opt/readme.html"}));
}
