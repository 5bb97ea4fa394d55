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

} // namespace
