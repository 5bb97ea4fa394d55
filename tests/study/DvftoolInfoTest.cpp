// dvftool info, run as a program: exact JSON for whole and cut-short studies,
// the readable summary, and its exit codes.
#include "StudyFiles.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace studytest;

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
};

// Standard error is sent to a file so the tests see standard output alone. A
// run that hangs is killed after 20 seconds and fails.
ToolRun Dvftool(const std::string& arguments, const testsupport::TempDir& dir)
{
    const std::string command = std::string("timeout -s KILL 20 '" HALVEX_BINARY_DIR "/bin/dvftool' ") + arguments +
                                " 2>'" +
                                (dir / "stderr.txt").string() + "'";
    ToolRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string ErrorText(const testsupport::TempDir& dir)
{
    std::ifstream in(dir / "stderr.txt");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Quoted(const std::filesystem::path& p)
{
    return "'" + p.string() + "'";
}

// One view named in Windows-1252 with a quote, a tab and a control byte;
// daylight saving in the second sample.
std::string OddlyNamedStudy()
{
    return Header("Caf\xE9 \"Nord\"") + Lines({"[VIEW]", "North,\tfirst\x01", "[ENDVIEW]"}) +
           Sample("1", "Jun 21", "9:00") + Lines({"[RGB]", "img\\n1.jpg", "[PSEUDO]", "p1.jpg"}) +
           Sample("4", "Jun 21", "10:00", "True");
}

} // namespace

TEST(DvftoolInfo, JsonOfAWholeStudy)
{
    testsupport::TempDir dir;
    const auto study = dir.Write("study.dvf", OddlyNamedStudy());
    const ToolRun run = Dvftool("info --json " + Quoted(study), dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "{\"ErrMsg\": \"\", \"StudyName\": \"Caf\xC3\xA9 \\\"Nord\\\"\", \"SiteName\": \"Boston\", "
              "\"SiteLatitude\": 42.5, \"SiteLongitude\": -71.25, \"SiteCompassNorth\": 180, "
              "\"SkyConditionMask\": 5, \"ColorModeMask\": 3, \"ElectricModeMask\": 1, \"Views\": ["
              "{\"ViewName\": \"North,\\tfirst\\u0001\", \"Samples\": ["
              "{\"SkyCondition\": 1, \"ElectricState\": 1, \"SampleDate\": \"Jun 21\", \"SampleTime\": \"9:00\", "
              "\"DaylightSaving\": false, \"HalvexFile\": \"study.hlx\", \"RgbFile\": \"img\\\\n1.jpg\", "
              "\"PseudoFile\": \"p1.jpg\"}, "
              "{\"SkyCondition\": 4, \"ElectricState\": 1, \"SampleDate\": \"Jun 21\", \"SampleTime\": \"10:00\", "
              "\"DaylightSaving\": true, \"HalvexFile\": \"study.hlx\", \"RgbFile\": \"\", \"PseudoFile\": \"\"}"
              "]}]}\n");

    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(doc.object().value("StudyName").toString(), Q("Café \"Nord\""));
}

TEST(DvftoolInfo, JsonOfACutShortStudyHoldsWhatWasRead)
{
    testsupport::TempDir dir;
    const auto study = dir.Write("cut.dvf", Lines({"[VIEW]", "A", "B", "[ENDVIEW]", "[SAMPLE]", "2", "1"}));
    const ToolRun run = Dvftool("info --json " + Quoted(study), dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out,
              "{\"ErrMsg\": \"Unexpected end of file in [SAMPLE] section at line 8\", \"StudyName\": \"\", "
              "\"SiteName\": \"\", \"SiteLatitude\": 0, \"SiteLongitude\": 0, \"SiteCompassNorth\": 0, "
              "\"SkyConditionMask\": 0, \"ColorModeMask\": 0, \"ElectricModeMask\": 0, \"Views\": ["
              "{\"ViewName\": \"A\", \"Samples\": []}, {\"ViewName\": \"B\", \"Samples\": []}]}\n");

    const ToolRun missing = Dvftool("info --json " + Quoted(dir / "none.dvf"), dir);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("\"ErrMsg\": \"Study file not found: "), std::string::npos);
}

TEST(DvftoolInfo, ReadableSummaryAndCommandLineMistakes)
{
    testsupport::TempDir dir;
    const auto study = dir.Write("study.dvf", OddlyNamedStudy());
    const ToolRun run = Dvftool("info " + Quoted(study), dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "Study:             Caf\xC3\xA9 \"Nord\"\n"
              "Site:              Boston\n"
              "Latitude:          42.5 degrees\n"
              "Longitude:         -71.25 degrees\n"
              "Compass north:     180 degrees\n"
              "Views:             1\n"
              "  1. North,\tfirst\x01\n"
              "Samples:           2\n"
              "Distinct dates:    1 (Jun 21)\n"
              "Sky conditions:    Clear, Overcast (samples by sky: Clear: 1, Overcast: 1)\n"
              "Image kinds:       true colour, pseudo colour\n"
              "Electric lighting: on\n");

    EXPECT_EQ(Dvftool("info", dir).exitCode, 2);
    EXPECT_EQ(Dvftool("info --xml " + Quoted(study), dir).exitCode, 2);
    EXPECT_EQ(Dvftool("info " + Quoted(study) + " " + Quoted(study), dir).exitCode, 2);
    EXPECT_EQ(Dvftool("frobnicate", dir).exitCode, 2);
    EXPECT_EQ(Dvftool("", dir).exitCode, 2);
    EXPECT_EQ(Dvftool("--help", dir).exitCode, 0);
}

TEST(DvftoolInfo, PipesAndEndlessDevicesAreRefusedByNameWithoutHanging)
{
    testsupport::TempDir dir;
    const std::string fifo = (dir / "pipe.dvf").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& input : {fifo, std::string("/dev/zero")}) {
        for (const char* command : {"info ", "properties "}) {
            const ToolRun run = Dvftool(command + Quoted(input), dir);
            EXPECT_EQ(run.exitCode, 1) << command << input;
            EXPECT_NE(ErrorText(dir).find("Not a study file but a device, pipe or socket: " + input), std::string::npos)
                << ErrorText(dir);
        }
    }
}
