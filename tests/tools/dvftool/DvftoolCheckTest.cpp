// dvftool check: what it finds wrong with a study's images, as text and as
// JSON, its exit codes, packages, and studies that are no files at all.
#include "ProcessRunner.h"
#include "TestPaths.h"

#include "platform/cab/CabWriter.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <array>
#include <sys/stat.h>

namespace {

class DvftoolCheck : public ::testing::Test {
protected:
    // dvftool check run as a program: a study that hangs it fails the test.
    proc::Result Check(const QStringList& args)
    {
        std::vector<std::string> argv{DVFTOOL_PROGRAM, "check"};
        for (const QString& arg : args)
            argv.push_back(arg.toStdString());
        proc::Result result = proc::Run(argv, dir_.path());
        EXPECT_FALSE(result.timedOut) << "dvftool check hung";
        return result;
    }

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

    const proc::Result text = Check({study});
    EXPECT_EQ(text.exitCode, 1);
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

    const proc::Result json = Check({"--json", study});
    EXPECT_EQ(json.exitCode, 1);
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
    const proc::Result text = Check({study});
    EXPECT_EQ(text.exitCode, 0) << text.out << text.err;
    EXPECT_EQ(text.out, "2 images checked in 2 views and 1 samples: 0 missing, 0 do not decode, "
                        "0 files named more than once\n");
    const proc::Result json = Check({"--json", study});
    EXPECT_EQ(json.exitCode, 0);
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
    const proc::Result packed = Check({QString::fromStdString(package)});
    EXPECT_EQ(packed.exitCode, 0) << packed.out << packed.err;

    EXPECT_EQ(Check({}).exitCode, 2);
    EXPECT_EQ(Check({"--xml", study}).exitCode, 2);
}

TEST_F(DvftoolCheck, APipeOrADeviceAsTheStudyFailsByNameWithoutHanging)
{
    ASSERT_EQ(::mkfifo((dir_ / "pipe.dvf").c_str(), 0600), 0);
    for (const QString& input : {Path("pipe.dvf"), QStringLiteral("/dev/zero")}) {
        const proc::Result result = Check({input});
        EXPECT_EQ(result.exitCode, 1) << input.toStdString();
        EXPECT_NE(result.err.find("Not a study file but a device, pipe or socket: " + input.toStdString()),
                  std::string::npos)
            << result.err;
    }
}

} // namespace
