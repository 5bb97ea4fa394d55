// The study named on the viewer's command line, however the desktop or the
// user wrote it.
#include "viewer/window/CommandLine.h"

#include <QDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, AStudyIsTakenAsAnAbsolutePathFromAPathOrAFileUrl)
{
    using viewer::CommandLine;
    const CommandLine none = viewer::ParseCommandLine({"HALVEX-Daystrand"});
    EXPECT_EQ(none.What, CommandLine::Action::Run);
    EXPECT_EQ(none.StudyFile, "");

    const CommandLine relative = viewer::ParseCommandLine({"HALVEX-Daystrand", "studies/Atrium.dvf"});
    EXPECT_EQ(relative.What, CommandLine::Action::Run);
    EXPECT_EQ(relative.StudyFile, QDir::current().absoluteFilePath("studies/Atrium.dvf"));

    const CommandLine url =
        viewer::ParseCommandLine({"HALVEX-Daystrand", QUrl::fromLocalFile("/data/Sun Room/Sun Room.dvp").toString()});
    EXPECT_EQ(url.StudyFile, "/data/Sun Room/Sun Room.dvp");

    const CommandLine help = viewer::ParseCommandLine({"HALVEX-Daystrand", "--help"});
    EXPECT_EQ(help.What, CommandLine::Action::ShowText);
    EXPECT_TRUE(help.Text.contains("[STUDY.dvf|STUDY.dvp]"));
}

TEST(CommandLine, TheFrameMemoryIsAWholeNumberOfMegabytesAndTooLittleIsRefused)
{
    using viewer::CommandLine;
    EXPECT_EQ(viewer::ParseCommandLine({"HALVEX-Daystrand"}).FrameCacheBytes, 0);
    const CommandLine given = viewer::ParseCommandLine({"HALVEX-Daystrand", "--cache-mb", "512", "a.dvf"});
    EXPECT_EQ(given.What, CommandLine::Action::Run);
    EXPECT_EQ(given.FrameCacheBytes, qint64(512) << 20);
    EXPECT_EQ(given.StudyFile, QDir::current().absoluteFilePath("a.dvf"));
    // So large a number is taken as the most there is, never an overflow.
    EXPECT_GT(viewer::ParseCommandLine({"HALVEX-Daystrand", "--cache-mb=9000000000000"}).FrameCacheBytes, 0);
    for (const char* value : {"lots", "8", "-512", "1.5"}) {
        const CommandLine refused = viewer::ParseCommandLine({"HALVEX-Daystrand", "--cache-mb", value});
        EXPECT_EQ(refused.What, CommandLine::Action::Fail) << value;
        EXPECT_TRUE(refused.Text.contains("--cache-mb needs a whole number of megabytes, 16 or more")) << value;
    }
}

} // namespace
