// dvftool check: what it finds wrong with a study's images, as text and as
// JSON, its exit codes, packages, and studies that are no files at all.
#include "tools/dvftool/DvfTool.h"

#include "platform/cab/CabWriter.h"
#include "viewer/cabreader/CabFilesCallback.h"

#include "TestPaths.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

struct Result {
    int code = -1;
    std::string out, err;
};

std::string Drain(std::FILE* stream)
{
    std::rewind(stream);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        text.append(buffer, n);
    std::fclose(stream);
    return text;
}

Result Check(const QStringList& args)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Result result;
    result.code = dvftool::Run(QStringList{QStringLiteral("check")} + args, out, err);
    result.out = Drain(out);
    result.err = Drain(err);
    cabreader::CabFilesCallback::SetCurrentCabFile(nullptr);
    return result;
}

class DvftoolCheck : public ::testing::Test {
protected:
    QString Path(const std::string& name) const { return QString::fromStdString((dir_ / name).string()); }

    void Picture(const std::string& name)
    {
        QImage image(16, 10, QImage::Format_RGB888);
        image.fill(Qt::darkCyan);
        ASSERT_TRUE(image.save(Path(name), "JPG"));
    }

    // Two views, three samples, true colour only; each line of rgb names the
    // two views' images of one sample.
    QString Study(const std::string& file, const std::vector<std::array<const char*, 2>>& rgb)
    {
        std::string text = "[HEADER]\r\nCheck\r\nSite\r\n0\r\n0\r\n0\r\n1\r\n1\r\n2\r\n[VIEW]\r\nNorth\r\nSouth\r\n"
                           "[ENDVIEW]\r\n";
        int k = 0;
        for (const auto& names : rgb) {
            ++k;
            text += "[SAMPLE]\r\n1\r\n2\r\nJune 21\r\n" + std::to_string(8 + k) + ":00\r\nFalse\r\np.hlx\r\n[RGB]\r\n";
            text += std::string(names[0]) + "\r\n" + names[1] + "\r\n";
        }
        return QString::fromStdString(dir_.Write(file, text).string());
    }

    testsupport::TempDir dir_;
};

TEST_F(DvftoolCheck, MissingUndecodableAndRepeatedImagesAreListedAndFailTheCheck)
{
    for (const char* name : {"n1.jpg", "s1.jpg", "n2.jpg"})
        Picture(name);
    dir_.Write("n3.jpg", "\xFF\xD8\xFF\xE0 no picture after all");
    const QString study = Study("study.dvf", {{"n1.jpg", "s1.jpg"}, {"N2.JPG", "s2.jpg"}, {"n3.jpg", "N1.jpg"}});

    const Result text = Check({study});
    EXPECT_EQ(text.code, 1);
    const std::string expected =
        "missing: South, sample 2, June 21, 10:00, RGB: s2.jpg\n"
        "does not decode: North, sample 3, June 21, 11:00, RGB: Image file is damaged or not a valid JPEG image: " +
        Path("n3.jpg").toStdString();
    EXPECT_EQ(text.out.substr(0, expected.size()), expected) << text.out;
    EXPECT_NE(text.out.find("\nrepeated: n1.jpg is named by North, sample 1, June 21, 9:00, RGB; "
                            "South, sample 3, June 21, 11:00, RGB\n"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("6 images checked in 2 views and 3 samples: 1 missing, 1 do not decode, "
                            "1 files named more than once\n"),
              std::string::npos)
        << text.out;

    const Result json = Check({"--json", study});
    EXPECT_EQ(json.code, 1);
    const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_EQ(report["Checked"].toInt(), 6);
    EXPECT_FALSE(report["Ok"].toBool());
    ASSERT_EQ(report["Missing"].toArray().size(), 1);
    const QJsonObject missing = report["Missing"].toArray()[0].toObject();
    EXPECT_EQ(missing["View"].toString(), "South");
    EXPECT_EQ(missing["Sample"].toInt(), 2);
    EXPECT_EQ(missing["SampleDate"].toString(), "June 21");
    EXPECT_EQ(missing["SampleTime"].toString(), "10:00");
    EXPECT_EQ(missing["Kind"].toString(), "RGB");
    EXPECT_EQ(missing["File"].toString(), "s2.jpg");
    ASSERT_EQ(report["Undecodable"].toArray().size(), 1);
    EXPECT_TRUE(report["Undecodable"].toArray()[0].toObject()["Error"].toString().startsWith("Image file is damaged"));
    ASSERT_EQ(report["Repeated"].toArray().size(), 1);
    EXPECT_EQ(report["Repeated"].toArray()[0].toObject()["Uses"].toArray().size(), 2);
}

TEST_F(DvftoolCheck, AWholeStudyPassesAsAFileAndAsAPackage)
{
    for (const char* name : {"n1.jpg", "s1.jpg"})
        Picture(name);
    const QString study = Study("whole.dvf", {{"n1.jpg", "S1.JPG"}});
    const Result text = Check({study});
    EXPECT_EQ(text.code, 0) << text.out << text.err;
    EXPECT_EQ(text.out, "2 images checked in 2 views and 1 samples: 0 missing, 0 do not decode, "
                        "0 files named more than once\n");
    const Result json = Check({"--json", study});
    EXPECT_EQ(json.code, 0);
    EXPECT_TRUE(QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object()["Ok"].toBool());

    const std::string package = (dir_ / "whole.dvp").string();
    {
        cab::CabWriter writer(package, 1);
        for (const char* name : {"whole.dvf", "n1.jpg", "s1.jpg"}) {
            cab::WriterSource source;
            source.sourcePath = (dir_ / name).string();
            source.nameInCab = name;
            ASSERT_FALSE(writer.AddFile(source)) << name;
        }
        ASSERT_FALSE(writer.Commit());
    }
    const Result packed = Check({QString::fromStdString(package)});
    EXPECT_EQ(packed.code, 0) << packed.out << packed.err;

    EXPECT_EQ(Check({}).code, 2);
    EXPECT_EQ(Check({"--xml", study}).code, 2);
}

TEST_F(DvftoolCheck, APipeOrADeviceAsTheStudyFailsByNameWithoutHanging)
{
    const std::string fifo = (dir_ / "pipe.dvf").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& input : {fifo, std::string("/dev/zero")}) {
        const std::string command = "timeout -s KILL 20 '" HALVEX_BINARY_DIR "/bin/dvftool' check '" + input +
                                    "' 2>&1";
        std::FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        const int status = pclose(pipe);
        ASSERT_TRUE(WIFEXITED(status)) << input;
        EXPECT_EQ(WEXITSTATUS(status), 1) << input;
        EXPECT_NE(out.find("Not a study file but a device, pipe or socket: " + input), std::string::npos) << out;
    }
}

} // namespace
