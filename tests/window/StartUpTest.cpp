// Starting the program, opening studies and packages, and what the user is
// told when a file cannot be opened.
#include "WindowFixture.h"

#include "platform/cab/CabWriter.h"
#include "viewer/help/HelpWindow.h"
#include "viewer/settings/HelpTopics.h"
#include "viewer/window/StartUp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>

namespace windowtest {
namespace {

const QString kTail = ". Please rerun this study or select another existing Daylight Study File. "
                      "Please contact Tessaly for more information.";

class StartUpTest : public WindowTest {
protected:
    StartUpTest()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Folder() + "/config");
        savedXdg_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", (Folder() + "/xdg").toUtf8());
        temp_.Write("xdg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + Folder().toStdString() + "/docs\"\n");
    }
    ~StartUpTest() override { qputenv("XDG_CONFIG_HOME", savedXdg_); }

    void Remember(const QString& folder, const QString& file)
    {
        QSettings store(QSettings::IniFormat, QSettings::UserScope, "HALVEX-FileSystem", "HALVEX-FileSystem");
        store.setValue("FSSettings/FSDaylightStudyCurrentFolder", folder);
        store.setValue("FSSettings/FSDaylightStudyCurrentFile", file);
    }

    // Starts the program as main() does and lets its first activation run.
    viewer::frmDSFViewer& Start()
    {
        window_.reset();
        module_.Reset();
        session_ = viewer::StartViewer(module_, ui_, options_);
        // The first activation is queued behind start-up.
        PumpUntil([] { return false; }, 50);
        return session_->Window();
    }

    // A package of the named files of the scratch folder, written beside them.
    QString Package(const std::string& name, const std::vector<std::string>& files)
    {
        const QString path = PathOf(name);
        cab::CabWriter writer(path.toStdString(), 1);
        for (const std::string& file : files) {
            cab::WriterSource source;
            source.sourcePath = PathOf(file).toStdString();
            source.nameInCab = file;
            EXPECT_FALSE(writer.AddFile(source)) << file;
        }
        EXPECT_FALSE(writer.Commit());
        return path;
    }

    std::vector<std::string> StudyFiles(const Study& study, const std::string& dvf)
    {
        std::vector<std::string> files{dvf};
        for (const Sample& s : study.samples)
            files.insert(files.end(), s.rgb.begin(), s.rgb.end());
        return files;
    }

    static QWidget* HelpWindow()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == "HelpWindow")
                return widget;
        }
        return nullptr;
    }

    std::unique_ptr<viewer::ViewerSession> session_;
    QByteArray savedXdg_;
};

TEST_F(StartUpTest, WithoutSettingsTheWindowWaitsEmpty)
{
    viewer::frmDSFViewer& window = Start();
    EXPECT_EQ(module_.CurrentFile, "");
    EXPECT_EQ(module_.CurrentFolder, Folder() + "/docs/HALVEX");
    EXPECT_EQ(module_.HelpFile, Folder() + "/program/help/index.html");
    EXPECT_EQ(window.windowTitle(), "HALVEX Daystrand - Study Name:");
    EXPECT_EQ(window.objectName(), "frmDSFViewer");
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(window.LEADV(i)->isHidden());
    EXPECT_TRUE(module_.PlaceholderShown);
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(StartUpTest, ARememberedStudyIsDisplayedAtTheFirstActivation)
{
    const QString dvf = WriteStudy(SimpleStudy(2, 5));
    Remember(Folder() + "/", dvf);
    viewer::frmDSFViewer& window = Start();
    EXPECT_EQ(module_.LoadedStudyFile, dvf);
    EXPECT_EQ(module_.TotalFrames, 5);
    EXPECT_EQ(module_.CurrentFrame, 1);
    EXPECT_EQ(window.findChild<QLineEdit*>("txtTotalFrames")->text(), " 5");
    EXPECT_FALSE(window.LEADV(1)->isHidden());
    // Panel commands answer: a setting change draws the notice.
    auto* views = window.findChild<QComboBox*>("cbxViewName(1)");
    emit views->activated(views->currentIndex());
    EXPECT_EQ(window.LEADV(1)->DrawnTexts().size(), 2);

    // Later activations do nothing more.
    module_.CurrentFile.clear();
    window.Form_Activate();
    EXPECT_EQ(module_.LoadedStudyFile, dvf);
}

TEST_F(StartUpTest, ARememberedStudyThatIsGoneLeavesTheWindowEmpty)
{
    Remember("/nowhere/", Folder() + "/gone.dvf");
    viewer::frmDSFViewer& window = Start();
    EXPECT_EQ(module_.CurrentFolder, "/nowhere/");
    EXPECT_EQ(module_.LoadedStudyFile, "");
    EXPECT_EQ(window.windowTitle(), "HALVEX Daystrand - Study Name:");
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(StartUpTest, HelpGoesThroughTheProgramsMessageBoxes)
{
    Start();
    settings::ShowHelpTopic(module_.HelpFile, 101);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_TRUE(ui_.messages[0].text.contains("help topic 101"));
    EXPECT_EQ(ui_.messages[0].icon, ui::MessageIcon::Exclamation);

    // With the help pages in place, the topic opens in the program's help window.
    QDir().mkpath(Folder() + "/program/help");
    for (const QString& page : QDir(HALVEX_SOURCE_DIR "/data/help").entryList(QDir::Files))
        QFile::copy(HALVEX_SOURCE_DIR "/data/help/" + page, Folder() + "/program/help/" + page);
    settings::ShowHelpTopic(module_.HelpFile, 106);
    EXPECT_EQ(ui_.messages.size(), 1u);
    auto* help = qobject_cast<help::HelpWindow*>(HelpWindow());
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->CurrentPage(), "packaging.html");
}

TEST_F(StartUpTest, TheOpenDialogStartsInTheStudyFolderAndMovesIt)
{
    const QString dvf = WriteStudy(SimpleStudy(1, 2), "sub/Study.Dvf");
    module_.CurrentFolder = "/start/here/";
    Open(dvf);
    ASSERT_EQ(ui_.fileDialogs.size(), 1u);
    const ui::FileDialogRequest& request = ui_.fileDialogs[0].request;
    EXPECT_EQ(ui_.fileDialogs[0].kind, ui::FakeUi::DialogKind::Open);
    EXPECT_EQ(request.startFolder, "/start/here/");
    EXPECT_EQ(request.title, "Select HALVEX Daylight Study File");
    EXPECT_EQ(request.filter, "Daylight Viewer And Package Files (*.dvf,*.dvp)|*.dvf;*.dvp");
    EXPECT_EQ(request.flags, 0x1004u);
    EXPECT_EQ(module_.CurrentFolder, Folder() + "/sub/");
    // The images lie beside the study, where the folder now points.
    EXPECT_EQ(module_.LoadedStudyFile, dvf);

    QString filename = "x";
    QString ext = "unchanged";
    ui_.fileAnswers.push_back(dvf);
    window_->msbOpenFile(filename, ext);
    EXPECT_EQ(ext, ".DVF");
}

TEST_F(StartUpTest, CancellingTheDialogKeepsTheStudyOnDisplayForPackageStudy)
{
    const QString dvf = WriteStudy(SimpleStudy(1, 3));
    Open(dvf);
    const QString folder = module_.CurrentFolder;
    ui_.fileAnswers.push_back(std::nullopt);
    window_->OpenStudy();
    EXPECT_EQ(module_.LoadedStudyFile, dvf);
    EXPECT_EQ(module_.CurrentFolder, folder);
    EXPECT_EQ(module_.TotalFrames, 3);
    EXPECT_FALSE(Panel(0)->isHidden());
    // Package Study packs the study still on display, rather than refusing.
    window_->stbMain_ToolClick("ID_PackageStudy");
    ASSERT_EQ(ui_.modals.size(), 1u);
    EXPECT_EQ(ui_.modals[0].objectName, "frmDSFPackage");
}

TEST_F(StartUpTest, AnyOtherExtensionIsReadAsAStudyFile)
{
    Open(WriteStudy(SimpleStudy(1, 2), "study.txt"));
    EXPECT_EQ(module_.TotalFrames, 2);
}

TEST_F(StartUpTest, APackageIsUnpackedBesideItselfAndItsStudyShown)
{
    const Study study = SimpleStudy(1, 3);
    WriteStudy(study, "Sunny.dvf");
    const QString package = Package("Sunny.dvp", StudyFiles(study, "Sunny.dvf"));
    temp_.Write("pkg/.keep", "");
    const QString moved = PathOf("pkg/Sunny.dvp");
    ASSERT_TRUE(QFile::rename(package, moved));

    Open(moved);
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_TRUE(QFile::exists(PathOf("pkg/Sunny.dvf")));
    EXPECT_TRUE(QFile::exists(PathOf("pkg/" + FrameName(1, 3))));
    EXPECT_EQ(QDir::cleanPath(module_.LoadedStudyFile), QDir::cleanPath(PathOf("pkg/Sunny.dvf")));
    EXPECT_EQ(module_.TotalFrames, 3);
    EXPECT_EQ(ui_.cursorChanges.front(), ui::CursorShape::Hourglass);
}

TEST_F(StartUpTest, APackageWithoutAStudyFileIsRefused)
{
    WriteFrame("lonely.jpg", Qt::red);
    temp_.Write("notes.txt", "a study was never written");
    const QString package = Package("Empty.DVP", {"lonely.jpg", "notes.txt"});
    temp_.Write("pkg/.keep", "");
    ASSERT_TRUE(QFile::rename(package, PathOf("pkg/Empty.DVP")));
    Open(PathOf("pkg/Empty.DVP"));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "The selected Daylight Study Package File (DVP) contains no files or no "
                                    "Daylight Viewer File (DVF). Please select another file and try again.");
    EXPECT_EQ(ui_.messages[0].title, "Open Daylight Study Package File");
    EXPECT_EQ(ui_.messages[0].icon, ui::MessageIcon::Exclamation);
    EXPECT_TRUE(ui_.messages[0].systemModal);
    EXPECT_TRUE(QFile::exists(PathOf("pkg/notes.txt")));
    EXPECT_EQ(module_.LoadedStudyFile, "");
}

TEST_F(StartUpTest, AFileThatIsNoPackageIsToldNotFatal)
{
    temp_.Write("fake.dvp", "MSCF but not really a cabinet at all");
    Open(PathOf("fake.dvp"));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_TRUE(ui_.messages[0].text.startsWith(
        "The selected Daylight Study Package File (DVP) could not be read (" +
        QDir::toNativeSeparators(PathOf("fake.dvp")) + "): "))
        << ui_.messages[0].text.toStdString();
    EXPECT_EQ(ui_.messages[0].title, "Open Daylight Study Package File");
    EXPECT_EQ(ui_.cursorChanges.back(), ui::CursorShape::Default);
}

TEST_F(StartUpTest, ABrokenStudyFileIsReportedAndPanelCommandsWait)
{
    Open(WriteStudy(SimpleStudy(1, 3)));
    const std::string cut = DvfText(SimpleStudy(1, 3)).substr(0, 120);
    const QString broken = QString::fromStdString(temp_.Write("truncated_in_sample.dvf", cut).string());
    Open(broken);

    ASSERT_EQ(ui_.messages.size(), 1u);
    const ui::MessageRequest& m = ui_.messages[0];
    const QString head = "The following error occurred while attempting to open the current Daylight Study File (" +
                         broken + "): ";
    ASSERT_TRUE(m.text.startsWith(head)) << m.text.toStdString();
    ASSERT_TRUE(m.text.endsWith(kTail));
    EXPECT_GT(m.text.size(), head.size() + kTail.size());
    EXPECT_EQ(m.title, "Daystrand");
    EXPECT_EQ(m.icon, ui::MessageIcon::Information);
    EXPECT_FALSE(m.systemModal);

    EXPECT_EQ(module_.LoadedStudyFile, broken);
    EXPECT_EQ(module_.CurrentFrame, 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Panel(i)->isHidden());
        EXPECT_EQ(Panel(i)->ImageCount(), 0);
    }
    // Neither Refresh nor a display shift brings the panels back, and no
    // notice is drawn.
    Button("cmdRefresh(0)")->click();
    window_->msbShiftDisplay(0);
    Button("cmdReset")->click();
    Choose(Views(0), "View A");
    EXPECT_TRUE(Panel(0)->DrawnTexts().isEmpty());
    EXPECT_EQ(Panel(0)->ImageCount(), 0);
    window_->cmdNext_Click();
    window_->cmdLast_Click();
}

} // namespace
} // namespace windowtest
