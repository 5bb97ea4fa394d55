// The demonstration study generator: the sun's position, the sunlit patch it
// places, and a DVF the viewer's own reader accepts whose every image decodes.
#include "tools/make-sample-study/SampleScene.h"
#include "tools/make-sample-study/SampleStudyWriter.h"
#include "tools/make-sample-study/SolarPosition.h"

#include "platform/imaging/ImageDecoder.h"
#include "viewer/study/StudyReader.h"

#include "TestPaths.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace samplestudy;

TEST(SolarPosition, NoonAltitudesFollowLatitudeAndSeason)
{
    // Boston, US Eastern: solar noon comes near 11:45 standard time.
    const SunPosition june = SolarPosition(42.36, -71.06, 172, 11.75, -5);
    EXPECT_NEAR(june.altitude, 90 - 42.36 + 23.44, 0.6);
    EXPECT_NEAR(june.azimuth, 180, 3);
    EXPECT_NEAR(june.declination, 23.44, 0.2);
    const SunPosition equinox = SolarPosition(42.36, -71.06, 80, 11.8, -5);
    EXPECT_NEAR(equinox.altitude, 90 - 42.36, 0.8);
    const SunPosition december = SolarPosition(42.36, -71.06, 355, 11.7, -5);
    EXPECT_NEAR(december.altitude, 90 - 42.36 - 23.44, 0.6);
    // Sydney in June: the sun stands low in the north at noon.
    const SunPosition sydney = SolarPosition(-33.87, 151.21, 172, 11.9, 10);
    EXPECT_NEAR(sydney.altitude, 90 - 33.87 - 23.44, 0.8);
    EXPECT_TRUE(sydney.azimuth < 5 || sydney.azimuth > 355) << sydney.azimuth;
}

TEST(SolarPosition, MorningSunIsEastAfternoonWestNightBelowTheHorizon)
{
    const SunPosition morning = SolarPosition(42.36, -71.06, 172, 8, -5);
    const SunPosition afternoon = SolarPosition(42.36, -71.06, 172, 16, -5);
    const SunPosition night = SolarPosition(42.36, -71.06, 172, 23.5, -5);
    EXPECT_GT(morning.altitude, 0);
    EXPECT_GT(morning.azimuth, 45);
    EXPECT_LT(morning.azimuth, 135);
    EXPECT_GT(afternoon.azimuth, 225);
    EXPECT_LT(afternoon.azimuth, 315);
    EXPECT_LT(morning.hourAngle, 0);
    EXPECT_GT(afternoon.hourAngle, 0);
    EXPECT_LT(night.altitude, 0);
    // The equation of time swings between about -14 and +16 minutes.
    EXPECT_NEAR(SolarPosition(0, 0, 307, 12, 0).equationOfTime, 16.4, 0.6);
    EXPECT_NEAR(SolarPosition(0, 0, 42, 12, 0).equationOfTime, -14.2, 0.6);
}

namespace {

// Mean column of the brightest floor pixels in the plan view (east is right).
double SunPatchColumn(double clockHours)
{
    const SunPosition sun = SolarPosition(42.36, -71.06, 80, clockHours, -5);
    const RoomLight light({sun.altitude, sun.azimuth, 0.0, false});
    QImage plan(160, 100, QImage::Format_RGB888);
    RenderRoom(StandardViews()[3], light, &plan, nullptr);
    double sum = 0;
    int count = 0;
    for (int y = 0; y < plan.height(); ++y)
        for (int x = 0; x < plan.width(); ++x)
            if (qGray(plan.pixel(x, y)) > 245) {
                sum += x;
                ++count;
            }
    return count ? sum / count : -1;
}

} // namespace

TEST(SampleScene, TheSunlitPatchMovesFromWestToEastThroughTheDay)
{
    const double morning = SunPatchColumn(9);
    const double noon = SunPatchColumn(12);
    const double afternoon = SunPatchColumn(15);
    ASSERT_GT(morning, 0) << "a patch in the morning";
    ASSERT_GT(afternoon, 0);
    EXPECT_LT(morning, noon);
    EXPECT_LT(noon, afternoon);
    EXPECT_LT(SunPatchColumn(22), 0) << "no patch at night";
}

TEST(SampleScene, FalseColourScaleRunsBlueToRedOverTenToTenThousandLux)
{
    EXPECT_EQ(PseudoColour(10), qRgb(0, 0, 255));
    EXPECT_EQ(PseudoColour(1), qRgb(0, 0, 255));
    EXPECT_EQ(PseudoColour(10000), qRgb(255, 0, 0));
    EXPECT_EQ(PseudoColour(1e6), qRgb(255, 0, 0));
    EXPECT_EQ(PseudoColour(std::pow(10.0, 2.5)), qRgb(0, 255, 0));
}

TEST(SampleStudyPlan, DatesTimesAndClockTexts)
{
    const auto three = PlanDates(3, true);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0].text, "March 21");
    EXPECT_EQ(three[1].text, "June 21");
    EXPECT_EQ(three[2].text, "December 21");
    EXPECT_TRUE(three[0].daylightSaving);
    EXPECT_FALSE(three[2].daylightSaving);
    EXPECT_FALSE(PlanDates(3, false)[1].daylightSaving);
    const auto many = PlanDates(50, true);
    ASSERT_EQ(many.size(), 50u);
    for (std::size_t i = 1; i < many.size(); ++i)
        EXPECT_NE(many[i].dayOfYear, many[i - 1].dayOfYear);

    EXPECT_EQ(PlanTimes(9, 8, 16), (std::vector<double>{8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(PlanTimes(1, 10.5, 16), (std::vector<double>{10.5}));
    EXPECT_EQ(ClockText(8), "8:00 AM");
    EXPECT_EQ(ClockText(12.5), "12:30 PM");
    EXPECT_EQ(ClockText(0.25), "12:15 AM");
    EXPECT_EQ(ClockText(13.75), "1:45 PM");
}

TEST(SampleStudyPlan, StudyTextIsWindows1252)
{
    EXPECT_EQ(ToWindows1252(QString::fromUtf8("Salle ensoleill\xC3\xA9" "e \xE2\x82\xAC \xCE\xA9")),
              QByteArray("Salle ensoleill\xE9" "e \x80 ?"));
}

TEST(SampleStudyWriter, WritesAStudyTheReaderAcceptsWhoseEveryImageExistsAndDecodes)
{
    testsupport::TempDir dir;
    SampleStudyOptions o;
    o.outputFolder = QString::fromStdString((dir / "out").string());
    o.studyName = QString::fromUtf8("Salle ensoleill\xC3\xA9" "e");
    o.siteName = "Paris, France";
    o.latitude = 48.85;
    o.longitude = 2.35;
    o.timeZoneHours = 1;
    o.views = 2;
    o.dates = 2;
    o.times = 3;
    o.skies = 2;
    o.electric = ElectricChoice::Both;
    o.width = 64;
    o.height = 40;
    int lastWritten = 0, lastTotal = 0;
    const auto result = WriteSampleStudy(o, [&](int written, int total) {
        lastWritten = written;
        lastTotal = total;
    });
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.samples, 2 * 2 * 2 * 3);
    EXPECT_EQ(result.imageFiles, 24 * 2 * 2);
    EXPECT_LE(lastWritten, lastTotal);

    const std::string bytes = testsupport::ReadAll(result.dvfPath.toStdString());
    EXPECT_EQ(bytes.rfind("[HEADER]\r\nSalle ensoleill\xE9" "e\r\nParis, France\r\n", 0), 0u);
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos);
    for (std::size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1))
        ASSERT_EQ(bytes[at - 1], '\r') << "every line ends with CR LF";

    study::StudyRecord record;
    QString error;
    study::ReadStudyFile(record, result.dvfPath, error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(record.StudyName, o.studyName);
    EXPECT_DOUBLE_EQ(record.SiteLatitude, 48.85);
    EXPECT_DOUBLE_EQ(record.SiteLongitude, 2.35);
    EXPECT_EQ(record.SkyConditionMask, 3);
    EXPECT_EQ(record.ColorModeMask, 3);
    EXPECT_EQ(record.ElectricModeMask, 3);
    ASSERT_EQ(record.ViewCount(), 2);
    EXPECT_EQ(record.Views[1].ViewName, "Looking South At Window");
    EXPECT_EQ(record.Views[2].ViewName, "Looking North From Window");
    ASSERT_EQ(record.SampleCount(), 24);

    // Frame order: sky, then lighting on before off, then date and time.
    const auto& s = record.Views[1].Samples;
    EXPECT_EQ(s[1].SkyCondition, 1);
    EXPECT_EQ(s[1].ElectricState, 1);
    EXPECT_EQ(s[1].SampleDate, "June 21");
    EXPECT_EQ(s[1].SampleTime, "8:00 AM");
    EXPECT_TRUE(s[1].DaylightSaving);
    EXPECT_EQ(s[3].SampleTime, "4:00 PM");
    EXPECT_EQ(s[4].SampleDate, "December 21");
    EXPECT_FALSE(s[4].DaylightSaving);
    EXPECT_EQ(s[7].ElectricState, 2);
    EXPECT_EQ(s[13].SkyCondition, 2);
    EXPECT_EQ(s[13].HalvexFile, "Salle ensoleille.hvx");

    const QDir folder(o.outputFolder);
    QSet<QString> names;
    for (int v = 1; v <= 2; ++v) {
        for (int k = 1; k <= 24; ++k) {
            for (const QString& name : {record.Views[v].Samples[k].RgbFile, record.Views[v].Samples[k].PseudoFile}) {
                ASSERT_FALSE(name.isEmpty());
                names.insert(name);
                const auto decoded = imaging::DecodeImageFile(folder.filePath(name));
                ASSERT_TRUE(decoded.ok()) << decoded.error.toStdString();
                EXPECT_EQ(decoded.image.size(), QSize(64, 40));
            }
        }
    }
    EXPECT_EQ(names.size(), 96) << "every image has its own file";
}

TEST(SampleStudyWriter, RefusesBadOptionsAndKeepsAnExistingStudy)
{
    testsupport::TempDir dir;
    SampleStudyOptions o;
    o.outputFolder = QString::fromStdString(dir.path().string());
    o.views = 7;
    EXPECT_EQ(WriteSampleStudy(o).error, "The number of views must be 1 to 6");
    o.views = 1;
    o.rgb = o.pseudo = false;
    EXPECT_EQ(WriteSampleStudy(o).error, "Choose true-colour images, pseudo-colour images or both");
    o.rgb = true;
    o.width = 8;
    EXPECT_EQ(WriteSampleStudy(o).error, "The image size must be 16 to 8192 pixels each way");

    const auto existing = dir.Write("Sunlit Room.dvf", "keep me");
    o.width = 32;
    o.height = 20;
    o.dates = 1;
    o.times = 1;
    const auto refused = WriteSampleStudy(o);
    EXPECT_TRUE(refused.error.endsWith("Sunlit Room.dvf already exists; choose another folder or allow overwriting"))
        << refused.error.toStdString();
    EXPECT_EQ(testsupport::ReadAll(existing), "keep me");
    o.overwrite = true;
    EXPECT_TRUE(WriteSampleStudy(o).ok());
    EXPECT_NE(testsupport::ReadAll(existing), "keep me");
}
