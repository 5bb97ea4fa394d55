// The window's export commands driven through their dialogs, with the user's
// answers scripted: what is written, what is asked before a file is replaced,
// and what a cancel leaves.
#include "ExportStudy.h"
#include "HelpRecorder.h"

#include "platform/ui/FakeUi.h"
#include "viewer/export/ExportController.h"
#include "viewer/settings/HelpTopics.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>

using namespace exporting;
using exporttest::ExportStudy;
using exporttest::StudyShape;

namespace {

ExportContext ContextOf(const ExportStudy& study, int panels)
{
    ExportContext context;
    context.Study = study.Record();
    context.Folder = study.Folder();
    context.StudyFile = study.DvfPath();
    for (int p = 0; p < panels; ++p)
        context.Panels.push_back({{p + 1, DefaultChoice(study.Record())}, QRect(300, 10 + p * 40, 64, 40), 0});
    context.CurrentFrame = 2;
    context.DelaySeconds = 0.5;
    return context;
}

template <typename T>
T* Control(QDialog& dialog, const char* name)
{
    T* control = dialog.findChild<T*>(QLatin1String(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

// Runs the dialog's Ok with the file name given; the dialog's answer is ShowModal's.
int PressOk(QDialog& dialog, const QString& file)
{
    Control<QLineEdit>(dialog, "txtFile")->setText(file);
    Control<QPushButton>(dialog, "cmdOk")->click();
    return dialog.result();
}

struct Fixture {
    explicit Fixture(const StudyShape& shape = {}) : study(shape), controller(ui, nullptr) {}
    ExportStudy study;
    ui::FakeUi ui;
    ExportController controller;
};

TEST(ExportCommands, AnAnimationOfTheChosenFramesIsWrittenBehindAProgressBox)
{
    Fixture f;
    const QString gif = f.study.Path(QStringLiteral("clip.gif"));
    f.ui.onModal = [&](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("frmExportAnimation"));
        Control<QComboBox>(dialog, "cbxFormat")->setCurrentIndex(2); // GIF
        Control<QRadioButton>(dialog, "optSpan")->setChecked(true);
        Control<QSpinBox>(dialog, "spnFrom")->setValue(2);
        Control<QSpinBox>(dialog, "spnTo")->setValue(4);
        return PressOk(dialog, gif);
    };
    QSignalSpy ended(&f.controller, &ExportController::ExportEnded);
    f.controller.ExportAnimation(ContextOf(f.study, 2));
    ASSERT_TRUE(f.controller.Busy());
    ASSERT_NE(f.controller.ProgressBox(), nullptr);
    EXPECT_EQ(f.controller.ProgressBox()->windowModality(), Qt::WindowModal);
    ASSERT_TRUE(ended.wait(20000));
    const ExportOutcome outcome = ended.front().at(0).value<ExportOutcome>();
    EXPECT_TRUE(outcome.ok()) << outcome.Error.toStdString();
    EXPECT_EQ(outcome.Frames, 3);
    EXPECT_EQ(QImageReader(gif).imageCount(), 3);
    EXPECT_EQ(QImageReader(gif).size(), QSize(64, 80));
    EXPECT_FALSE(f.controller.Busy());
}

TEST(ExportCommands, AnExistingFileIsReplacedOnlyAfterTheUserAgrees)
{
    Fixture f;
    const QString mp4 = f.study.Path(QStringLiteral("clip.mp4"));
    {
        QFile old(mp4);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("last week's");
    }
    f.ui.messageAnswers = {ui::MessageAnswer::No};
    f.ui.onModal = [&](QDialog& dialog) { return PressOk(dialog, mp4); };
    f.controller.ExportAnimation(ContextOf(f.study, 1));
    EXPECT_FALSE(f.controller.Busy()) << "No keeps the dialog open; the user then cancelled";
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].text, QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                         .arg(QDir::toNativeSeparators(mp4)));
    EXPECT_EQ(f.ui.messages[0].buttons, ui::MessageButtons::YesNo);

    // Yes, then a cancel at once: the old file stays, and no temporary is left.
    f.ui.messageAnswers = {ui::MessageAnswer::Yes};
    QSignalSpy ended(&f.controller, &ExportController::ExportEnded);
    QSignalSpy status(&f.controller, &ExportController::Status);
    f.controller.ExportAnimation(ContextOf(f.study, 1));
    ASSERT_TRUE(f.controller.Busy());
    f.controller.CancelExport();
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_TRUE(ended.front().at(0).value<ExportOutcome>().Cancelled);
    QFile old(mp4);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("last week's"));
    EXPECT_EQ(f.study.Entries().filter(QStringLiteral(".part")), QStringList());
    EXPECT_EQ(status.back().at(0).toString(),
              QStringLiteral("Export cancelled; %1 was not written").arg(QDir::toNativeSeparators(mp4)));
}

TEST(ExportCommands, AFrameIsSavedAsAPictureOrAsThePanelsOwnFiles)
{
    Fixture f;
    const QString png = f.study.Path(QStringLiteral("frame.png"));
    f.ui.onModal = [&](QDialog& dialog) {
        Control<QComboBox>(dialog, "cbxSize")->setCurrentIndex(2); // twice as large
        return PressOk(dialog, png);
    };
    f.controller.ExportFrame(ContextOf(f.study, 2));
    EXPECT_EQ(QImage(png).size(), QSize(128, 160));

    const QString folder = f.study.Path(QStringLiteral("panels"));
    ASSERT_TRUE(QDir().mkpath(folder));
    f.ui.onModal = [&](QDialog& dialog) {
        Control<QRadioButton>(dialog, "optPanelFiles")->setChecked(true);
        return PressOk(dialog, folder);
    };
    f.controller.ExportFrame(ContextOf(f.study, 2));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);

    // Again: the two files are there, and the user is asked before they are replaced.
    f.ui.messageAnswers = {ui::MessageAnswer::No};
    f.ui.onModal = [&](QDialog& dialog) {
        Control<QRadioButton>(dialog, "optPanelFiles")->setChecked(true);
        PressOk(dialog, folder);
        return QDialog::Rejected;
    };
    f.controller.ExportFrame(ContextOf(f.study, 2));
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_TRUE(f.ui.messages[0].text.startsWith(QStringLiteral("2 files of this export already exist in ")));
}

TEST(ExportCommands, NothingShownNothingExportedAndCopyFramePutsTheFrameOnTheClipboard)
{
    Fixture f;
    ExportContext empty;
    f.controller.ExportContactSheet(empty);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].text, QString::fromLatin1(kMsgNothingToExport));
    EXPECT_TRUE(f.ui.modals.empty());

    const ExportContext context = ContextOf(f.study, 2);
    f.controller.CopyFrame(context);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(64, 80));
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB888), context.Scene().Render(2).Image);
}

TEST(ExportCommands, AContactSheetOfTheChosenPanelIsWritten)
{
    Fixture f;
    const QString pdf = f.study.Path(QStringLiteral("sheet.pdf"));
    f.ui.onModal = [&](QDialog& dialog) {
        EXPECT_EQ(Control<QComboBox>(dialog, "cbxPanel")->count(), 2);
        Control<QComboBox>(dialog, "cbxPanel")->setCurrentIndex(1);
        return PressOk(dialog, pdf);
    };
    QSignalSpy ended(&f.controller, &ExportController::ExportEnded);
    f.controller.ExportContactSheet(ContextOf(f.study, 2));
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_EQ(ended.front().at(0).value<ExportOutcome>().Frames, 6);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF"));
}

} // namespace

TEST(ExportCommands, EachDialogsHelpOpensItsPartOfTheExportPage)
{
    Fixture f;
    ExportContext context = ContextOf(f.study, 1);
    context.HelpFile = f.study.Folder() + QStringLiteral("/index.html");
    QFile page(context.HelpFile);
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    testsupport::HelpRecorder help;
    f.ui.onModal = [&](QDialog& dialog) {
        Control<QPushButton>(dialog, "cmdHelp")->click();
        return int(QDialog::Rejected);
    };
    f.controller.ExportFrame(context);
    f.controller.ExportAnimation(context);
    f.controller.ExportContactSheet(context);
    EXPECT_EQ(help.topics, (std::vector<qint32>{settings::kTopicExportFrame, settings::kTopicExportAnimation,
                                                 settings::kTopicExportSheet}));
}
