// Studies opened from outside the Open dialog: the command line, a dropped
// file, Recent Studies and the study shown at start-up; and what the viewer
// remembers between runs in its own settings file.
#include "WindowFixture.h"

#include "platform/cab/CabWriter.h"
#include "viewer/settings/ViewerPreferences.h"
#include "viewer/window/StartUp.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

namespace windowtest {
namespace {

class OpeningTest : public WindowTest {
protected:
    OpeningTest() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Folder() + "/config"); }

    // The window on display: the one Start() made, else the fixture's.
    viewer::frmDSFViewer& Current() { return session_ ? session_->Window() : *window_; }
    QStringList Recent() { return Current().Preferences().RecentStudies(); }
    // What a run before this one left in the viewer's settings file.
    void Seed(const QStringList& recent)
    {
        settings::ViewerPreferences earlier(options_.PreferencesFile);
        earlier.SetRecentStudies(recent);
        earlier.Sync();
    }

    void Remember(const QString& file)
    {
        QSettings store(QSettings::IniFormat, QSettings::UserScope, "HALVEX-FileSystem", "HALVEX-FileSystem");
        store.setValue("FSSettings/FSDaylightStudyCurrentFolder", Folder() + "/");
        store.setValue("FSSettings/FSDaylightStudyCurrentFile", file);
    }

    // Starts the program as main() does and lets its first activation run.
    viewer::frmDSFViewer& Start()
    {
        window_.reset();
        module_.Reset();
        session_ = viewer::StartViewer(module_, ui_, options_);
        // The first activation is queued behind start-up.
        PumpUntil([] { return false; }, 100);
        return session_->Window();
    }

    QString Caption() const { return module_.Study.StudyName; }

    // A package of a fresh study, in a folder of its own.
    QString PackageOf(const std::string& name)
    {
        Study study = SimpleStudy(1, 2);
        study.name = name;
        const QString dvf = WriteStudy(study, name + ".dvf");
        const QString path = PathOf("packed/" + name + ".dvp");
        temp_.Write("packed/.keep", "");
        cab::CabWriter writer(path.toStdString(), 1);
        for (const QString& file : {dvf, PathOf(FrameName(1, 1)), PathOf(FrameName(1, 2))}) {
            cab::WriterSource source;
            source.sourcePath = file.toStdString();
            source.nameInCab = QFileInfo(file).fileName().toStdString();
            EXPECT_FALSE(writer.AddFile(source));
        }
        EXPECT_FALSE(writer.Commit());
        return path;
    }

    QString StudyNamed(const std::string& name, const std::string& file)
    {
        Study study = SimpleStudy(1, 3);
        study.name = name;
        return WriteStudy(study, file);
    }

    QMenu* RecentMenu(viewer::frmDSFViewer& window)
    {
        auto* menu = window.findChild<QMenu*>("ID_RecentStudies");
        if (menu)
            emit menu->aboutToShow();
        return menu;
    }

    std::unique_ptr<viewer::ViewerSession> session_;
};

TEST_F(OpeningTest, AStudyOnTheCommandLineWinsOverTheRememberedOne)
{
    Remember(StudyNamed("Remembered", "remembered.dvf"));
    options_.StudyFile = PackageOf("Named");
    viewer::frmDSFViewer& window = Start();
    EXPECT_EQ(Caption(), "Named");
    EXPECT_EQ(window.windowTitle(), "HALVEX Daystrand - Study Name: Named");
    // Unpacked beside the package, whose folder is where the images are looked for.
    EXPECT_EQ(module_.CurrentFolder, Folder() + "/packed/");
    EXPECT_EQ(module_.TotalFrames, 2);
    EXPECT_EQ(Recent(), QStringList{options_.StudyFile});
}

TEST_F(OpeningTest, WithoutASharedStudyTheOneOpenedLastIsShown)
{
    const QString last = StudyNamed("Last", "last.dvf");
    Seed({last, StudyNamed("Before", "before.dvf")});
    Remember(Folder() + "/gone.dvf");
    Start();
    EXPECT_EQ(Caption(), "Last");
    EXPECT_EQ(module_.LoadedStudyFile, last);
    EXPECT_TRUE(ui_.messages.empty());

    // A shared study that exists still comes first.
    Remember(StudyNamed("Shared", "shared.dvf"));
    Start();
    EXPECT_EQ(Caption(), "Shared");
    EXPECT_EQ(Recent().front(), Folder() + "/shared.dvf");

    // What the viewer opens is its own to remember: the product's values stay as it left them.
    const QString opened = StudyNamed("Opened", "opened.dvf");
    session_->Window().OpenStudyFile(opened);
    ASSERT_EQ(Recent().front(), opened);
    ASSERT_TRUE(session_->Window().close());
    const QSettings shared(QSettings::IniFormat, QSettings::UserScope, "HALVEX-FileSystem", "HALVEX-FileSystem");
    EXPECT_EQ(shared.value("FSSettings/FSDaylightStudyCurrentFile").toString(), Folder() + "/shared.dvf");
    EXPECT_EQ(shared.value("FSSettings/FSDaylightStudyCurrentFolder").toString(), Folder() + "/");
}

TEST_F(OpeningTest, ALastStudyThatIsGoneIsTakenOffWithAWord)
{
    const QString before = StudyNamed("Before", "before.dvf");
    Seed({Folder() + "/gone.dvf", before});
    viewer::frmDSFViewer& window = Start();
    EXPECT_EQ(window.windowTitle(), "HALVEX Daystrand - Study Name:");
    EXPECT_EQ(module_.LoadedStudyFile, "");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_TRUE(ui_.messages[0].text.contains("gone.dvf"));
    EXPECT_EQ(ui_.messages[0].title, "Recent Studies");
    EXPECT_EQ(Recent(), QStringList{before});
}

TEST_F(OpeningTest, StudiesThatOpenAreRememberedNewestFirstAndBrokenOnesAreNot)
{
    Recreate();
    const QString first = StudyNamed("First", "first.dvf");
    Open(first);
    const QString package = PackageOf("Second");
    window_->OpenStudyFile(package);
    temp_.Write("broken.dvf", "[HEADER]\r\nCut short\r\n");
    Open(PathOf("broken.dvf"));
    EXPECT_EQ(Recent(), (QStringList{package, first}));
}

TEST_F(OpeningTest, RecentStudiesOpenTheirEntryTakeOffGoneOnesAndClear)
{
    const QString kept = StudyNamed("Kept", "kept.dvf");
    const QString gone = Folder() + "/moved.dvf";
    Recreate();
    window_->Preferences().SetRecentStudies({gone, kept});
    QMenu* menu = RecentMenu(*window_);
    ASSERT_NE(menu, nullptr);
    auto* entry0 = menu->findChild<QAction*>("ID_RecentStudy(0)");
    auto* entry1 = menu->findChild<QAction*>("ID_RecentStudy(1)");
    ASSERT_NE(entry0, nullptr);
    ASSERT_NE(entry1, nullptr);
    EXPECT_EQ(entry0->text(), "&1 moved.dvf");
    EXPECT_EQ(entry1->text(), "&2 kept.dvf");

    entry0->trigger();
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_TRUE(ui_.messages[0].text.contains("moved.dvf"));
    EXPECT_EQ(Recent(), QStringList{kept});
    EXPECT_EQ(module_.LoadedStudyFile, "");

    entry1->trigger();
    EXPECT_EQ(Caption(), "Kept");

    RecentMenu(*window_);
    auto* clear = menu->findChild<QAction*>("ID_ClearRecentStudies");
    ASSERT_NE(clear, nullptr);
    ASSERT_TRUE(clear->isEnabled());
    clear->trigger();
    EXPECT_TRUE(Recent().isEmpty());
    RecentMenu(*window_);
    EXPECT_EQ(menu->findChild<QAction*>("ID_RecentStudy(0)"), nullptr);
    EXPECT_FALSE(menu->findChild<QAction*>("ID_ClearRecentStudies")->isEnabled());
}

TEST_F(OpeningTest, ADroppedStudyOpensAndOtherFilesAreNotTaken)
{
    Recreate();
    const QString dvf = StudyNamed("Dropped", "dropped.dvf");
    temp_.Write("notes.txt", "not a study");
    const auto drag = [this](const QString& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_.get(), &drop);
        return drop.isAccepted();
    };
    EXPECT_FALSE(drag(PathOf("notes.txt")));
    ASSERT_TRUE(drag(dvf));
    // The study loads once the drop has returned.
    EXPECT_EQ(module_.LoadedStudyFile, "");
    EXPECT_TRUE(PumpUntil([this] { return !module_.LoadedStudyFile.isEmpty(); }));
    EXPECT_EQ(Caption(), "Dropped");
    EXPECT_EQ(module_.CurrentFolder, Folder() + "/");
}

TEST_F(OpeningTest, TheWindowComesBackWhereItWasClosed)
{
    viewer::frmDSFViewer& first = Start();
    first.setGeometry(40, 50, 700, 500);
    QCoreApplication::processEvents();
    const QPoint place = first.pos();
    ASSERT_TRUE(first.close());
    EXPECT_FALSE(first.Preferences().WindowGeometry().isEmpty());

    viewer::frmDSFViewer& second = Start();
    EXPECT_EQ(second.size(), QSize(700, 500));
    EXPECT_EQ(second.pos(), place);
}

} // namespace
} // namespace windowtest
