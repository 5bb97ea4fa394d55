// The real program on a virtual X display: started with a generated study
// remembered in its settings, or named on its command line, it must come up
// titled with that study's name and show pictures in its panels. Skipped where
// no virtual display can be had.
#include "TestPaths.h"

#include "tools/make-sample-study/SampleStudyWriter.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// Runs a program to its end and gives its standard output.
QString RunTool(const QString& program, const QStringList& args, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    process.waitForFinished(20000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// Stops a started process on every way out of the test.
struct Stopper {
    QProcess& process;
    ~Stopper()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000)) {
                process.kill();
                process.waitForFinished(5000);
            }
        }
    }
};

// Colours in the part of the screen right of the settings column, sampled on a grid.
int PanelAreaColours(const QImage& screen)
{
    QSet<QRgb> colours;
    for (int y = 20; y < screen.height() / 2; y += 7) {
        for (int x = 300; x < screen.width() - 200; x += 7)
            colours.insert(screen.pixel(x, y));
    }
    return static_cast<int>(colours.size());
}

class ProgramScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        xwininfo_ = QStandardPaths::findExecutable("xwininfo");
        import_ = QStandardPaths::findExecutable("import");
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty() || import_.isEmpty() || xwininfo_.isEmpty() || !QFileInfo::exists(kProgram))
            GTEST_SKIP() << "needs Xvfb, import, xwininfo and the built program";

        server_.start(xvfb, {"-displayfd", "1", "-screen", "0", "1280x900x24", "-nolisten", "tcp"});
        ASSERT_TRUE(server_.waitForStarted(10000));
        QString display;
        QElapsedTimer clock;
        clock.start();
        while (display.isEmpty() && clock.elapsed() < 20000) {
            server_.waitForReadyRead(500);
            display = QString::fromLatin1(server_.readAllStandardOutput()).trimmed();
        }
        if (display.isEmpty())
            GTEST_SKIP() << "Xvfb gave no display";

        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("DISPLAY", ":" + display);
        env_.insert("XDG_CONFIG_HOME", Folder() + "/config");
        env_.insert("QT_QPA_PLATFORM", "xcb");
        // The X keyboard library hands strndup a length past the end of a string it
        // has terminated; the sanitizer's strict string checks flag that read in a
        // system library, so they are left out for the program started here.
        if (env_.contains("ASAN_OPTIONS"))
            env_.insert("ASAN_OPTIONS", env_.value("ASAN_OPTIONS") + ":strict_string_checks=0:intercept_strndup=0");
    }

    QString Folder() const { return QString::fromStdString(temp_.path().string()); }

    samplestudy::SampleStudyResult WriteStudy(const QString& folder, const QString& name)
    {
        samplestudy::SampleStudyOptions options;
        options.outputFolder = folder;
        options.studyName = name;
        options.views = 4;
        options.dates = 1;
        options.times = 3;
        options.width = 320;
        options.height = 200;
        options.threads = 1;
        return samplestudy::WriteSampleStudy(options);
    }

    void Remember(const samplestudy::SampleStudyResult& study)
    {
        QSettings remembered(Folder() + "/config/HALVEX-FileSystem/HALVEX-FileSystem.ini", QSettings::IniFormat);
        remembered.setValue("FSSettings/FSDaylightStudyCurrentFolder", QFileInfo(study.dvfPath).path() + "/");
        remembered.setValue("FSSettings/FSDaylightStudyCurrentFile", study.dvfPath);
    }

    void Launch(const QStringList& args)
    {
        viewer_.setProcessEnvironment(env_);
        viewer_.setProcessChannelMode(QProcess::ForwardedChannels);
        viewer_.start(kProgram, args);
        ASSERT_TRUE(viewer_.waitForStarted(10000));
    }

    // Waits for a window with the title and for pictures in the panel area.
    void ExpectStudyShown(const QString& name)
    {
        const QString title = "HALVEX Daystrand - Study Name: " + name;
        bool titled = false;
        QElapsedTimer clock;
        clock.start();
        while (!titled && clock.elapsed() < 60000 && viewer_.state() == QProcess::Running) {
            titled = RunTool(xwininfo_, {"-root", "-tree"}, env_).contains("\"" + title + "\"");
            if (!titled)
                QThread::msleep(200);
        }
        ASSERT_TRUE(titled) << "no window titled " << title.toStdString();

        // The panels are filled once loading ends; give the pictures time to land.
        const QString shot = Folder() + "/screen.png";
        int colours = 0;
        clock.restart();
        while (colours < 50 && clock.elapsed() < 30000) {
            RunTool(import_, {"-window", "root", shot}, env_);
            colours = PanelAreaColours(QImage(shot));
            if (colours < 50)
                QThread::msleep(300);
        }
        EXPECT_GE(colours, 50) << "the panel area is blank in " << shot.toStdString();
        EXPECT_EQ(viewer_.state(), QProcess::Running);
    }

    const QString kProgram = QStringLiteral(HALVEX_BINARY_DIR "/bin/HALVEX-Daystrand");
    testsupport::TempDir temp_;
    QString xwininfo_;
    QString import_;
    QProcessEnvironment env_;
    QProcess server_;
    Stopper stopServer_{server_};
    QProcess viewer_;
    Stopper stopViewer_{viewer_};
};

TEST_F(ProgramScreen, TheRememberedStudyAppearsWithPicturesInItsPanels)
{
    const samplestudy::SampleStudyResult study = WriteStudy(Folder() + "/study", "Sunlit Room");
    ASSERT_TRUE(study.ok()) << study.error.toStdString();
    Remember(study);
    Launch({});
    ExpectStudyShown("Sunlit Room");
}

TEST_F(ProgramScreen, AStudyOnTheCommandLineIsShownInPlaceOfTheRememberedOne)
{
    const samplestudy::SampleStudyResult remembered = WriteStudy(Folder() + "/remembered", "Remembered Room");
    const samplestudy::SampleStudyResult named = WriteStudy(Folder() + "/named", "Named Room");
    ASSERT_TRUE(remembered.ok() && named.ok());
    Remember(remembered);
    Launch({named.dvfPath});
    ExpectStudyShown("Named Room");
}

} // namespace
