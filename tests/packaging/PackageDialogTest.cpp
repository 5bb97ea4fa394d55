// The Package Study dialog as a user drives it: its default path, the check
// box rules, Save As, the overwrite question, refusals, progress, and a
// failing write that must leave the old package as it was.
#include "HelpRecorder.h"
#include "PackagingFixtures.h"

#include "platform/ui/FakeUi.h"
#include "viewer/packaging/frmDSFPackage.h"
#include "viewer/settings/HelpTopics.h"
#include "viewer/study/StudyModule.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

using namespace packaging;
using namespace packtest;

namespace {

study::StudyModule ModuleFor(const testsupport::TempDir& dir)
{
    study::StudyModule module;
    module.Study.StudyName = QStringLiteral("Office");
    module.LoadedStudyFile = Q(dir / "study.dvf");
    module.CurrentFolder = Q(dir.path()) + QLatin1Char('/');
    return module;
}

template <class T>
T& Get(const QWidget& window, const char* name)
{
    T* child = window.findChild<T*>(QLatin1String(name));
    if (!child)
        throw std::runtime_error(std::string("no control ") + name);
    return *child;
}

void Click(const QWidget& window, const char* name)
{
    Get<QAbstractButton>(window, name).click();
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(PackageDialog, ControlsAndTheDefaultPackagePath)
{
    testsupport::TempDir dir;
    WriteFiles(dir, {{"study.dvf", kStudyFile}});
    study::StudyModule module = ModuleFor(dir);
    ui::FakeUi fake;
    {
        frmDSFPackage dialog(module, fake);
        EXPECT_EQ(dialog.objectName(), QStringLiteral("frmDSFPackage"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Package Daylight Study"));
        EXPECT_EQ(Get<QGroupBox>(dialog, "Frame1").title(), QStringLiteral("Pack Daylight Study Files"));
        EXPECT_EQ(Get<QCheckBox>(dialog, "chkHALVEX").text(), QStringLiteral("Include HALVEX Files"));
        EXPECT_EQ(Get<QCheckBox>(dialog, "chkRSFFiles").text(),
                  QStringLiteral("Include Radiosity Solution Files (RSF) - Contains Render Image"));
        EXPECT_EQ(Get<QLabel>(dialog, "Label1").text(), QStringLiteral("Filename"));
        EXPECT_EQ(Get<QPushButton>(dialog, "cmdChange").text(), QStringLiteral("Change..."));
        EXPECT_EQ(Get<QPushButton>(dialog, "cmdOk").text(), QStringLiteral("Ok"));
        EXPECT_EQ(Get<QPushButton>(dialog, "cmdCancel").text(), QStringLiteral("Cancel"));
        EXPECT_EQ(Get<QPushButton>(dialog, "cmdHelp").text(), QStringLiteral("Help"));
        EXPECT_EQ(Get<QLineEdit>(dialog, "txtFilename").text(), module.CurrentFolder + QStringLiteral("Office.dvp"));
    }
    const auto defaultPath = [&](const QString& folder) {
        module.CurrentFolder = folder;
        frmDSFPackage dialog(module, fake);
        return Get<QLineEdit>(dialog, "txtFilename").text();
    };
    EXPECT_EQ(defaultPath(QStringLiteral("/data/studies")), QStringLiteral("/data/studies/Office.dvp"));
    EXPECT_EQ(defaultPath(QStringLiteral("C:\\Data\\")), QStringLiteral("C:\\Data\\Office.dvp"));
    EXPECT_EQ(defaultPath(QString()), QStringLiteral("/Office.dvp"));
}

TEST(PackageDialog, HalvexBoxNeedsHalvexFiles)
{
    testsupport::TempDir dir;
    WriteFiles(dir, {{"study.dvf", kStudyFile}, {"render.RSF", "r"}});
    study::StudyModule module = ModuleFor(dir);
    ui::FakeUi fake;
    frmDSFPackage dialog(module, fake);
    EXPECT_FALSE(Get<QCheckBox>(dialog, "chkHALVEX").isEnabled());
    EXPECT_FALSE(Get<QCheckBox>(dialog, "chkRSFFiles").isEnabled());
    EXPECT_FALSE(Get<QCheckBox>(dialog, "chkHALVEX").isChecked());
    EXPECT_FALSE(Get<QCheckBox>(dialog, "chkRSFFiles").isChecked());
    EXPECT_TRUE(dialog.RsfPresent());
}

TEST(PackageDialog, WithoutRsfFilesTheRsfBoxStaysOff)
{
    testsupport::TempDir dir;
    WriteFiles(dir, {{"study.dvf", kStudyFile}, {"job.hvx", "h"}});
    study::StudyModule module = ModuleFor(dir);
    ui::FakeUi fake;
    frmDSFPackage dialog(module, fake);
    EXPECT_TRUE(Get<QCheckBox>(dialog, "chkHALVEX").isEnabled());
    EXPECT_FALSE(dialog.RsfPresent());
    Click(dialog, "chkHALVEX");
    EXPECT_TRUE(Get<QCheckBox>(dialog, "chkHALVEX").isChecked());
    EXPECT_FALSE(Get<QCheckBox>(dialog, "chkRSFFiles").isEnabled());
    EXPECT_FALSE(Get<QCheckBox>(dialog, "chkRSFFiles").isChecked());
}

TEST(PackageDialog, UncheckingHalvexGreysTheRsfBoxButItsFilesStillGoIn)
{
    testsupport::TempDir dir;
    WriteFiles(dir, MixedFolderFiles());
    study::StudyModule module = ModuleFor(dir);
    ui::FakeUi fake;
    frmDSFPackage dialog(module, fake);
    Click(dialog, "chkHALVEX");
    EXPECT_TRUE(Get<QCheckBox>(dialog, "chkRSFFiles").isEnabled());
    EXPECT_TRUE(Get<QCheckBox>(dialog, "chkRSFFiles").isChecked());
    Click(dialog, "chkHALVEX");
    EXPECT_FALSE(Get<QCheckBox>(dialog, "chkRSFFiles").isEnabled());
    EXPECT_TRUE(Get<QCheckBox>(dialog, "chkRSFFiles").isChecked());

    Click(dialog, "cmdOk");
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Sorted(EntryNames(dir / "Office.dvp")),
              Sorted({"B.JPG", "a.jpg", "c.Jpg", "render.rsf", "second.DvF", "study.dvf"}));
}

TEST(PackageDialog, SaveAsOffersTheStudyNameAndCancelChangesNothing)
{
    testsupport::TempDir dir;
    WriteFiles(dir, {{"study.dvf", kStudyFile}});
    study::StudyModule module = ModuleFor(dir);
    ui::FakeUi fake;
    fake.fileAnswers = {QStringLiteral("/elsewhere/Chosen.dvp"), std::nullopt};
    frmDSFPackage dialog(module, fake);
    Click(dialog, "cmdChange");
    EXPECT_EQ(Get<QLineEdit>(dialog, "txtFilename").text(), QStringLiteral("/elsewhere/Chosen.dvp"));
    Click(dialog, "cmdChange");
    EXPECT_EQ(Get<QLineEdit>(dialog, "txtFilename").text(), QStringLiteral("/elsewhere/Chosen.dvp"));

    ASSERT_EQ(fake.fileDialogs.size(), 2u);
    const ui::FakeUi::FileDialogCall& call = fake.fileDialogs[0];
    EXPECT_EQ(call.kind, ui::FakeUi::DialogKind::Save);
    EXPECT_EQ(call.request.startFolder, module.CurrentFolder);
    EXPECT_EQ(call.request.title, QStringLiteral("Save As"));
    EXPECT_EQ(call.request.filter, QStringLiteral("Daylight Package Files (*.dvp)|*.dvp"));
    EXPECT_EQ(call.request.fileName, QStringLiteral("Office.dvp"));
    EXPECT_EQ(call.request.defaultExt, QStringLiteral("dvp"));
    EXPECT_EQ(call.request.flags, 34820u);
}

TEST(PackageDialog, DecliningToOverwriteKeepsTheDialogAndTheFile)
{
    testsupport::TempDir dir;
    WriteFiles(dir, MixedFolderFiles());
    const auto old = dir.Write("Office.dvp", "the old package");
    study::StudyModule module = ModuleFor(dir);
    ui::FakeUi fake;
    fake.messageAnswers = {ui::MessageAnswer::No};
    frmDSFPackage dialog(module, fake);
    dialog.show();
    Click(dialog, "cmdOk");

    ASSERT_EQ(fake.messages.size(), 1u);
    const ui::MessageRequest& question = fake.messages[0];
    EXPECT_EQ(question.text, QStringLiteral("File already exists, would you like to overwrite?"));
    EXPECT_EQ(question.title, QStringLiteral("Package Daylight Study"));
    EXPECT_EQ(question.buttons, ui::MessageButtons::YesNo);
    EXPECT_EQ(question.icon, ui::MessageIcon::Exclamation);
    EXPECT_TRUE(question.systemModal);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(testsupport::ReadAll(old), "the old package");
}

TEST(PackageDialog, OverwritingReplacesThePackageOnlyWhenTheNewOneIsComplete)
{
    testsupport::TempDir dir;
    WriteFiles(dir, MixedFolderFiles());
    const auto old = dir.Write("Office.dvp", "the old package");
    study::StudyModule module = ModuleFor(dir);
    ui::FakeUi fake;
    fake.messageAnswers = {ui::MessageAnswer::Yes, ui::MessageAnswer::Ok, ui::MessageAnswer::Yes};
    frmDSFPackage dialog(module, fake);

    {
        FailingWriterInstalled failing(FailingWriter::FailAt::Close, QStringLiteral("The disk is full."));
        Click(dialog, "cmdOk");
    }
    ASSERT_EQ(fake.messages.size(), 2u);
    const ui::MessageRequest& failure = fake.messages[1];
    EXPECT_EQ(failure.text, QStringLiteral("The package could not be written.\n\nThe disk is full.\n\n"
                                           "The file that was already there has been left as it was."));
    EXPECT_EQ(failure.title, QStringLiteral("Create Daylight Study Package File"));
    EXPECT_EQ(failure.icon, ui::MessageIcon::Exclamation);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(testsupport::ReadAll(old), "the old package");

    // The same dialog, the real writer: the package is replaced.
    Click(dialog, "cmdOk");
    EXPECT_EQ(fake.messages.size(), 3u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Sorted(EntryNames(old)), Sorted({"B.JPG", "a.jpg", "c.Jpg", "second.DvF", "study.dvf"}));
    // The wait pointer showed for each write and went away again.
    EXPECT_EQ(fake.Cursor(), ui::CursorShape::Default);
    EXPECT_NE(std::find(fake.cursorChanges.begin(), fake.cursorChanges.end(), ui::CursorShape::Hourglass),
              fake.cursorChanges.end());
}

TEST(PackageDialog, APathThatCannotBeCreatedIsRefused)
{
    testsupport::TempDir dir;
    WriteFiles(dir, {{"study.dvf", kStudyFile}});
    study::StudyModule module = ModuleFor(dir);
    ui::FakeUi fake;
    frmDSFPackage dialog(module, fake);
    Get<QLineEdit>(dialog, "txtFilename").setText(Q(dir / "no such folder" / "Office.dvp"));
    Click(dialog, "cmdOk");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, QStringLiteral("Invalid filename, please change and try again."));
    EXPECT_EQ(fake.messages[0].title, QStringLiteral("Create Daylight Study Package File"));
    EXPECT_EQ(fake.messages[0].buttons, ui::MessageButtons::Ok);
    EXPECT_TRUE(fake.messages[0].systemModal);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST(PackageDialog, AFolderWithNothingToPackIsRefused)
{
    testsupport::TempDir dir;
    WriteFiles(dir, {{"notes.txt", "x"}});
    study::StudyModule module = ModuleFor(dir); // the study file has gone since it was opened
    ui::FakeUi fake;
    frmDSFPackage dialog(module, fake);
    Click(dialog, "cmdOk");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text,
              QStringLiteral("The study's folder holds no study file and no images, so there is nothing to package."));
    EXPECT_EQ(fake.messages[0].title, QStringLiteral("Create Daylight Study Package File"));
    EXPECT_FALSE(std::filesystem::exists(dir / "Office.dvp"));
}

TEST(PackageDialog, LargePackagesShowProgress)
{
    testsupport::TempDir dir;
    WriteFiles(dir, {{"study.dvf", kStudyFile}, {"big.jpg", std::string(kProgressThresholdBytes + 1, 'x')}});
    study::StudyModule module = ModuleFor(dir);
    ui::FakeUi fake;
    frmDSFPackage dialog(module, fake);
    dialog.show();
    QProgressBar& bar = Get<QProgressBar>(dialog, "pgbPackage");
    EXPECT_FALSE(bar.isVisible());
    std::vector<int> values;
    bool visibleMeanwhile = true;
    QObject::connect(&bar, &QProgressBar::valueChanged, [&](int value) {
        values.push_back(value);
        visibleMeanwhile = visibleMeanwhile && bar.isVisible();
    });
    Click(dialog, "cmdOk");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_GT(values.size(), 2u);
    EXPECT_TRUE(visibleMeanwhile);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(values.back(), bar.maximum());
}

TEST(PackageDialog, HelpOpensTopic106)
{
    testsupport::TempDir dir;
    WriteFiles(dir, {{"study.dvf", kStudyFile}});
    study::StudyModule module = ModuleFor(dir);
    module.HelpFile = Q(dir.Write("HALVEX-Daystrand.chm", "help"));
    testsupport::HelpRecorder help;
    ui::FakeUi fake;
    frmDSFPackage dialog(module, fake);
    Click(dialog, "cmdHelp");
    EXPECT_EQ(help.topics, std::vector<qint32>{106});
}

TEST(PackageDialog, TheCommandNeedsAnOpenStudy)
{
    testsupport::TempDir dir;
    WriteFiles(dir, {{"study.dvf", kStudyFile}});
    study::StudyModule module = ModuleFor(dir);
    ui::FakeUi fake;
    module.Study.StudyName.clear();
    msbPackageFile(module, fake, nullptr);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, QStringLiteral("Study must be opened and loaded to package. Please open Study "
                                                    "using the File-Open command and try again."));
    EXPECT_EQ(fake.messages[0].title, QStringLiteral("Package Study"));
    EXPECT_EQ(fake.messages[0].icon, ui::MessageIcon::Exclamation);
    EXPECT_TRUE(fake.modals.empty());

    // A cancelled Open leaves the name but no study file: nothing to pack from.
    module.Study.StudyName = QStringLiteral("Office");
    module.LoadedStudyFile.clear();
    msbPackageFile(module, fake, nullptr);
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text, fake.messages[0].text);
    EXPECT_TRUE(fake.modals.empty());

    module.LoadedStudyFile = Q(dir / "study.dvf");
    msbPackageFile(module, fake, nullptr);
    ASSERT_EQ(fake.modals.size(), 1u);
    EXPECT_EQ(fake.modals[0].objectName, QStringLiteral("frmDSFPackage"));
    EXPECT_EQ(fake.modals[0].windowTitle, QStringLiteral("Package Daylight Study"));
}
