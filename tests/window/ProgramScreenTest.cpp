// The real program on a virtual X display: started with a generated study
// remembered in its settings, it must come up titled with the study's name and
// show pictures in its panels. Skipped where no virtual display can be had.
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

TEST(ProgramScreen, TheRememberedStudyAppearsWithPicturesInItsPanels)
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    const QString import = QStandardPaths::findExecutable("import");
    const QString xwininfo = QStandardPaths::findExecutable("xwininfo");
    const QString program = QStringLiteral(HALVEX_BINARY_DIR "/bin/HALVEX-Daystrand");
    if (xvfb.isEmpty() || import.isEmpty() || xwininfo.isEmpty() || !QFileInfo::exists(program))
        GTEST_SKIP() << "needs Xvfb, import, xwininfo and the built program";

    testsupport::TempDir temp;
    const QString folder = QString::fromStdString(temp.path().string());
    samplestudy::SampleStudyOptions options;
    options.outputFolder = folder + "/study";
    options.views = 4;
    options.dates = 1;
    options.times = 3;
    options.width = 320;
    options.height = 200;
    options.threads = 1;
    const samplestudy::SampleStudyResult study = samplestudy::WriteSampleStudy(options);
    ASSERT_TRUE(study.ok()) << study.error.toStdString();
    {
        QSettings remembered(folder + "/config/HALVEX-FileSystem/HALVEX-FileSystem.ini", QSettings::IniFormat);
        remembered.setValue("FSSettings/FSDaylightStudyCurrentFolder", options.outputFolder + "/");
        remembered.setValue("FSSettings/FSDaylightStudyCurrentFile", study.dvfPath);
    }

    QProcess server;
    Stopper stopServer{server};
    server.start(xvfb, {"-displayfd", "1", "-screen", "0", "1280x900x24", "-nolisten", "tcp"});
    ASSERT_TRUE(server.waitForStarted(10000));
    QString display;
    QElapsedTimer clock;
    clock.start();
    while (display.isEmpty() && clock.elapsed() < 20000) {
        server.waitForReadyRead(500);
        display = QString::fromLatin1(server.readAllStandardOutput()).trimmed();
    }
    if (display.isEmpty())
        GTEST_SKIP() << "Xvfb gave no display";

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", ":" + display);
    env.insert("XDG_CONFIG_HOME", folder + "/config");
    env.insert("QT_QPA_PLATFORM", "xcb");
    // The X keyboard library hands strndup a length past the end of a string it
    // has terminated; the sanitizer's strict string checks flag that read in a
    // system library, so they are left out for the program started here.
    if (env.contains("ASAN_OPTIONS"))
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":strict_string_checks=0:intercept_strndup=0");
    QProcess viewer;
    Stopper stopViewer{viewer};
    viewer.setProcessEnvironment(env);
    viewer.setProcessChannelMode(QProcess::ForwardedChannels);
    viewer.start(program, {});
    ASSERT_TRUE(viewer.waitForStarted(10000));

    const QString title = "HALVEX Daystrand - Study Name: Sunlit Room";
    bool titled = false;
    clock.restart();
    while (!titled && clock.elapsed() < 60000 && viewer.state() == QProcess::Running) {
        titled = RunTool(xwininfo, {"-root", "-tree"}, env).contains("\"" + title + "\"");
        if (!titled)
            QThread::msleep(200);
    }
    ASSERT_TRUE(titled) << "no window titled " << title.toStdString();

    // The panels are filled once loading ends; give the pictures time to land.
    const QString shot = folder + "/screen.png";
    int colours = 0;
    clock.restart();
    while (colours < 50 && clock.elapsed() < 30000) {
        RunTool(import, {"-window", "root", shot}, env);
        colours = PanelAreaColours(QImage(shot));
        if (colours < 50)
            QThread::msleep(300);
    }
    EXPECT_GE(colours, 50) << "the panel area is blank in " << shot.toStdString();
    EXPECT_EQ(viewer.state(), QProcess::Running);
}

} // namespace
