// Study files ReadStudyFile refuses: each failure names what went wrong and
// the line, and what was read before it stays in the record.
#include "StudyFiles.h"
#include "Watchdog.h"

#include <gtest/gtest.h>

#include <QFile>

#include <filesystem>
#include <sys/stat.h>

using namespace studytest;
using study::StudyRecord;

namespace {

QString ReadData(StudyRecord& record, const char* name)
{
    QString errMsg = QStringLiteral("not cleared");
    study::ReadStudyFile(record, DataFile(name), errMsg);
    return errMsg;
}

} // namespace

TEST(DvfReaderFailure, EndOfFileInsideEachKindOfSection)
{
    StudyRecord record;
    EXPECT_EQ(ReadData(record, "truncated_in_header.dvf"), "Unexpected end of file in [HEADER] section at line 4");
    EXPECT_EQ(record.StudyName, "Study");
    EXPECT_EQ(record.SiteName, "Site");

    EXPECT_EQ(ReadData(record, "truncated_in_sample.dvf"), "Unexpected end of file in [SAMPLE] section at line 18");
    ASSERT_EQ(record.ViewCount(), 2);
    EXPECT_EQ(record.SampleCount(), 0); // a sample is stored only once it is whole

    EXPECT_EQ(ReadData(record, "truncated_in_rgb.dvf"), "Unexpected end of file in [RGB] section at line 23");
    ASSERT_EQ(record.SampleCount(), 1);
    EXPECT_EQ(record.Views[1].Samples[1].RgbFile, "north.jpg");
    EXPECT_EQ(record.Views[2].Samples[1].RgbFile, "");

    EXPECT_EQ(ReadData(record, "truncated_in_pseudo.dvf"), "Unexpected end of file in [PSEUDO] section at line 25");
    EXPECT_EQ(record.Views[2].Samples[1].RgbFile, "s.jpg");

    // A marker on the last line of the file and a last line without its end.
    EXPECT_EQ(Read(record, Lines({"[VIEW]", "A", "[ENDVIEW]", "[RGB]"})),
              "Unexpected end of file in [RGB] section at line 5");
    EXPECT_EQ(Read(record, "[HEADER]\r\nName"), "Unexpected end of file in [HEADER] section at line 3");
}

TEST(DvfReaderFailure, NumberFieldsThatAreNoNumbers)
{
    StudyRecord record;
    EXPECT_EQ(ReadData(record, "not_a_number_in_header.dvf"), "Invalid number \"42.3N\" in [HEADER] section at line 4");
    EXPECT_EQ(record.SiteName, "Site");

    EXPECT_EQ(ReadData(record, "not_a_number_in_sample.dvf"), "Invalid number \"Clear\" in [SAMPLE] section at line 15");
    EXPECT_EQ(record.SampleCount(), 0);

    EXPECT_EQ(ReadData(record, "electric_state_out_of_range.dvf"),
              "Number out of range \"40000\" in [SAMPLE] section at line 16");

    const char* bad[] = {"1.2.3", "--1", "0x10", "1e", ".", "inf", "nan", "1 2", "12\xB0"};
    for (const char* text : bad) {
        const QString errMsg = Read(record, Lines({"[HEADER]", "N", "S", text}));
        EXPECT_TRUE(errMsg.startsWith("Invalid number \"")) << text << " gave " << errMsg.toStdString();
        EXPECT_TRUE(errMsg.endsWith("in [HEADER] section at line 4")) << errMsg.toStdString();
    }
    EXPECT_EQ(Read(record, Lines({"[HEADER]", "N", "S", "1e999"})),
              "Number out of range \"1e999\" in [HEADER] section at line 4");
    EXPECT_EQ(Read(record, Lines({"[HEADER]", "N", "S", "0", "0", "0", "2147483648"})),
              "Number out of range \"2147483648\" in [HEADER] section at line 7");
    EXPECT_EQ(Read(record, Lines({"[HEADER]", "N", "S", "0", "0", "0", "-2147483648", "-32769"})),
              "Number out of range \"-32769\" in [HEADER] section at line 8");

    // A runaway field is cut short in the message.
    const std::string longText(100, '7');
    EXPECT_EQ(Read(record, Lines({"[HEADER]", "N", "S", "0", "0", "0", "0", (longText + "x").c_str()})),
              "Invalid number \"" + QString(40, QLatin1Char('7')) + "...\" in [HEADER] section at line 8");
}

TEST(DvfReaderFailure, HeaderAfterViewsLeavesSamplesWithoutTheirViews)
{
    StudyRecord record;
    EXPECT_EQ(ReadData(record, "header_after_views_then_sample.dvf"),
              "View 1 of the [SAMPLE] section at line 14 no longer exists: a [HEADER] section after the "
              "[VIEW] section removed the views");
    EXPECT_EQ(record.StudyName, "Study");
    EXPECT_EQ(record.ViewCount(), 0);

    EXPECT_EQ(Read(record, Lines({"[VIEW]", "A", "B", "[ENDVIEW]"}) + Header() + Lines({"[PSEUDO]", "a", "b"})),
              "View 1 of the [PSEUDO] section at line 14 no longer exists: a [HEADER] section after the "
              "[VIEW] section removed the views");
}

TEST(DvfReaderFailure, MissingFileOrFolder)
{
    StudyRecord record;
    ASSERT_EQ(Read(record, Lines({"[VIEW]", "A", "[ENDVIEW]"})), "");
    ASSERT_EQ(record.ViewCount(), 1);

    testsupport::TempDir dir;
    const QString missing = QString::fromStdString((dir / "missing.dvf").string());
    QString errMsg;
    study::ReadStudyFile(record, missing, errMsg);
    EXPECT_EQ(errMsg, "Study file not found: " + missing);
    EXPECT_EQ(record.ViewCount(), 0); // the views are reset before the file is opened

    const QString folder = QString::fromStdString(dir.path().string());
    study::ReadStudyFile(record, folder, errMsg);
    EXPECT_EQ(errMsg, "Not a study file but a folder: " + folder);

    study::ReadStudyFile(record, QString(), errMsg);
    EXPECT_EQ(errMsg, "Study file not found: ");
}

TEST(DvfReaderFailure, TooManySamplesForTheViewsIsRefused)
{
    // Samples without image sections cost a few bytes each in the file but a
    // whole sample in every view.
    StudyRecord record;
    std::string text = Lines({"[VIEW]", "A", "B", "C", "[ENDVIEW]"});
    for (int s = 0; s < 4; ++s)
        text += Sample("1", "d", "t");
    QString errMsg;
    study::ReadStudyData(record, QByteArrayView(text.data(), qsizetype(text.size())), errMsg, 9);
    EXPECT_EQ(errMsg, "Too many samples in [SAMPLE] section at line 27: 3 views with 4 samples each exceed the "
                      "limit of 9 samples");
    EXPECT_EQ(record.SampleCount(), 3);
}

TEST(DvfReaderFailure, EndlessBlockingAndHugeFilesAreRefusedWithoutReadingThem)
{
    testsupport::TempDir dir;
    const std::string fifo = (dir / "pipe.dvf").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink(fifo, dir / "link-to-pipe.dvf");
    std::filesystem::create_symlink("/dev/zero", dir / "link-to-zero.dvf");
    // Sparse: it claims more than the limit without taking the room.
    const auto huge = dir.Write("huge.dvf", "[HEADER]\r\n");
    std::filesystem::resize_file(huge, static_cast<std::uintmax_t>(study::kMaxStudyFileBytes) + 1);

    const struct {
        std::string path;
        const char* message;
    } cases[] = {
        {fifo, "Not a study file but a device, pipe or socket: "},
        {(dir / "link-to-pipe.dvf").string(), "Not a study file but a device, pipe or socket: "},
        {"/dev/zero", "Not a study file but a device, pipe or socket: "},
        {"/dev/urandom", "Not a study file but a device, pipe or socket: "},
        {(dir / "link-to-zero.dvf").string(), "Not a study file but a device, pipe or socket: "},
        {huge.string(), "Study file is larger than the limit of 256 MiB: "},
    };
    testsupport::Watchdog watchdog("reading a pipe or a device as a study", std::chrono::seconds(20));
    for (const auto& c : cases) {
        StudyRecord record;
        QString errMsg;
        const QString path = QString::fromStdString(c.path);
        study::ReadStudyFile(record, path, errMsg);
        EXPECT_EQ(errMsg, c.message + path);
        EXPECT_EQ(record.ViewCount(), 0);
    }
}
