// dvftool export: every failure a script can meet ends with its text and a
// non-zero exit, and the panels take their settings from the right options.
#include "ExportStudy.h"
#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

using exporttest::ExportStudy;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// dvftool export run as a program: an export that hangs fails the test.
ToolRun Export(const QStringList& args)
{
    std::vector<std::string> argv{DVFTOOL_PROGRAM, "export"};
    for (const QString& arg : args)
        argv.push_back(arg.toStdString());
    const proc::Result result = proc::Run(argv, QDir::tempPath().toStdString());
    EXPECT_FALSE(result.timedOut) << "dvftool export hung";
    return {result.exitCode, QString::fromStdString(result.out), QString::fromStdString(result.err)};
}

TEST(DvftoolExport, FailuresExitNonZeroWithTheirText)
{
    const ExportStudy study;
    const QString dvf = study.DvfPath();
    const QString mp4 = study.Path(QStringLiteral("out.mp4"));
    QFile existing(study.Path(QStringLiteral("taken.gif")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();

    struct Case {
        QStringList args;
        int exitCode;
        QString text;
    };
    const Case cases[] = {
        {{dvf, "--view", "Attic", "--out", mp4}, 1,
         "dvftool export: the study has no view \"Attic\"; its views are 1 \"View 1\", 2 \"View 2\", 3 \"View 3\", 4 \"View 4\"\n"},
        {{dvf, "--view", "7", "--out", mp4}, 1, "dvftool export: the study has no view \"7\""},
        {{dvf, "--view", "1", "--sky", "Overcast", "--out", mp4}, 1,
         "dvftool export: the study has no sky condition \"Overcast\"; it has Clear\n"},
        {{dvf, "--view", "1", "--lighting", "on", "--out", mp4}, 1,
         "dvftool export: the study has no images with electric lighting on\n"},
        {{dvf, "--view", "1", "--frames", "May 5", "--out", mp4}, 1,
         "dvftool export: The study has no date \"May 5\""},
        {{dvf, "--view", "1", "--out", study.Path("taken.gif")}, 1,
         "dvftool export: " + study.Path("taken.gif") + " exists; give --overwrite to replace it\n"},
        {{dvf, "--view", "1", "--out", study.Path("taken.gif/out.mp4")}, 1,
         "dvftool export: Cannot write in the folder " + study.Path("taken.gif") + ": Not a directory\n"},
        {{dvf, "--view", "1", "--view", "2", "--out", study.Path("sheet.pdf")}, 1,
         "dvftool export: a contact sheet shows one panel"},
        {{dvf, "--view", "1", "--frames", "1-2", "--out", study.Path("two.jpg")}, 1,
         "dvftool export: a .jpg holds one frame"},
        {{dvf, "--view", "1", "--out", study.Path("clip.avi")}, 1, "the output is named by its suffix"},
        {{study.Path("none.dvf"), "--view", "1", "--out", mp4}, 1, "dvftool export: " + study.Path("none.dvf") + ": "},
        {{dvf, "--view", "1", "--lighting", "dim", "--out", mp4}, 2, "dvftool export: --lighting takes on or off, not \"dim\"\n"},
        {{dvf, "--view", "1"}, 2, "dvftool export: name the output with --out\n"},
        {{dvf, "--out", mp4}, 2, "dvftool export: name at least one --view\n"},
        {{dvf, "--view", "1", "--size", "big", "--out", mp4}, 2, "--size takes WIDTHxHEIGHT"},
        {{dvf, "--view", "1", "--view", "2", "--view", "3", "--view", "4", "--view", "1", "--out", mp4}, 2,
         "at most 4 panels, not 5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const ToolRun run = Export(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.err.contains(c.text)) << run.err.toStdString();
        EXPECT_EQ(run.out, QString());
    }
    // Nothing was left behind by any of them.
    EXPECT_EQ(study.Entries().filter(QStringLiteral(".part")), QStringList());
    EXPECT_FALSE(QFile::exists(mp4));
}

TEST(DvftoolExport, PanelOptionsBeforeTheFirstViewApplyToAllAndAfterItToThatView)
{
    const ExportStudy study;
    const QString png = study.Path(QStringLiteral("frame.png"));
    const ToolRun run = Export({study.DvfPath(), QStringLiteral("--color"), QStringLiteral("pseudo"),
                                QStringLiteral("--view"), QStringLiteral("1"), QStringLiteral("--view"),
                                QStringLiteral("View 3"), QStringLiteral("--color"), QStringLiteral("rgb"),
                                QStringLiteral("--frames"), QStringLiteral("2"), QStringLiteral("--out"), png});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, png + QStringLiteral(": frame 2, 64 x 80\n"));
    const QImage frame(png);
    ASSERT_EQ(frame.size(), QSize(64, 80));
    EXPECT_TRUE(exporttest::Near(frame.pixel(32, 20), exporttest::FrameColour(1, 2).darker(200)));
    EXPECT_TRUE(exporttest::Near(frame.pixel(32, 60), exporttest::FrameColour(3, 2)));

    // Again without --overwrite is refused; with it the file is replaced.
    EXPECT_EQ(Export({study.DvfPath(), QStringLiteral("--view"), QStringLiteral("2"), QStringLiteral("--frames"),
                      QStringLiteral("3"), QStringLiteral("--out"), png})
                  .exitCode,
              1);
    EXPECT_EQ(Export({study.DvfPath(), QStringLiteral("--view"), QStringLiteral("2"), QStringLiteral("--frames"),
                      QStringLiteral("3"), QStringLiteral("--overwrite"), QStringLiteral("--out"), png})
                  .exitCode,
              0);
    EXPECT_EQ(QImage(png).size(), QSize(64, 40));
}

TEST(DvftoolExport, AFolderGetsEachPanelsOwnImageFiles)
{
    const ExportStudy study;
    ASSERT_TRUE(QFile::remove(study.Path(QStringLiteral("v2_005_rgb.jpg"))));
    const QString folder = study.Path(QStringLiteral("June/"));
    const ToolRun run = Export({study.DvfPath(), QStringLiteral("--view"), QStringLiteral("2"), QStringLiteral("--frames"),
                                QStringLiteral("June 21"), QStringLiteral("--out"), folder});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // Frame 5's image is missing: it is left out and said so.
    EXPECT_EQ(run.out, folder + QStringLiteral(": 2 image files\n1 image was missing and left out\n"));
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{QStringLiteral("0004 P1 View 2 - June 21 12.00 PM - Clear, lighting off, RGB.jpg"),
                                  QStringLiteral("0006 P1 View 2 - June 21 4.00 PM - Clear, lighting off, RGB.jpg")}));
    QFile copy(folder + files.front());
    QFile original(study.Path(QStringLiteral("v2_004_rgb.jpg")));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), original.readAll());
}

} // namespace
