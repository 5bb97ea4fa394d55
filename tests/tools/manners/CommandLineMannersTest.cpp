// What every program says about itself: --help and --version answer on
// standard output with status 0 (the viewer's without a display), dvftool
// explains each command, and a wrong command line ends with status 2.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramRun Program(const QString& name, const QStringList& args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Help must not need a screen: a terminal over ssh has none.
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(variable));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(HALVEX_BINARY_DIR "/bin/") + name, args);
    ProgramRun run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished(5000);
        ADD_FAILURE() << name.toStdString() << " did not end";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

TEST(CommandLineManners, EveryProgramAnswersHelpAndVersion)
{
    for (const char* name : {"HALVEX-Daystrand", "dvftool", "tcab", "make-sample-study"}) {
        const QString program = QString::fromLatin1(name);
        const ProgramRun help = Program(program, {"--help"});
        EXPECT_EQ(help.exitCode, 0) << name << help.err.toStdString();
        EXPECT_TRUE(help.out.contains("usage", Qt::CaseInsensitive)) << name << help.out.toStdString();
        EXPECT_TRUE(help.out.contains(program)) << name;

        const ProgramRun version = Program(program, {"--version"});
        EXPECT_EQ(version.exitCode, 0) << name << version.err.toStdString();
        const QString line = version.out.section('\n', 0, 0);
        EXPECT_TRUE(line.startsWith(program + " ")) << line.toStdString();
        EXPECT_TRUE(line.endsWith(" " HALVEX_VERSION)) << line.toStdString();
    }
}

TEST(CommandLineManners, DvftoolExplainsEachCommand)
{
    const ProgramRun overview = Program("dvftool", {"help"});
    ASSERT_EQ(overview.exitCode, 0);
    for (const char* command : {"info", "properties", "pack", "list", "extract", "check"}) {
        EXPECT_TRUE(overview.out.contains(QStringLiteral("\n  %1 ").arg(command))) << command;
        const ProgramRun asked = Program("dvftool", {"help", command});
        EXPECT_EQ(asked.exitCode, 0) << command;
        EXPECT_TRUE(asked.out.startsWith(QStringLiteral("usage: dvftool %1").arg(command))) << asked.out.toStdString();
        const ProgramRun option = Program("dvftool", {command, "--help"});
        EXPECT_EQ(option.exitCode, 0) << command;
        EXPECT_EQ(option.out, asked.out) << command;
    }
    EXPECT_EQ(Program("dvftool", {"help", "frobnicate"}).exitCode, 2);
    EXPECT_EQ(Program("dvftool", {"frobnicate"}).exitCode, 2);
    // After "--" a file may be called --help.
    EXPECT_EQ(Program("dvftool", {"properties", "--", "--help"}).exitCode, 1);
}

TEST(CommandLineManners, TheViewerRefusesACommandLineItCannotFollow)
{
    const ProgramRun unknown = Program("HALVEX-Daystrand", {"--frobnicate"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("frobnicate")) << unknown.err.toStdString();
    EXPECT_TRUE(unknown.out.isEmpty());
    const ProgramRun two = Program("HALVEX-Daystrand", {"a.dvf", "b.dvf"});
    EXPECT_EQ(two.exitCode, 2);
    EXPECT_TRUE(two.err.contains("one study at a time")) << two.err.toStdString();
}

} // namespace
