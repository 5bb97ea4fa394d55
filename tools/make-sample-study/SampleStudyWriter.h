// Writes a complete demonstration study: the DVF and the JPEG frames of every
// view, sample and image kind, rendered from the sun's position for the site.
// Needs a QGuiApplication (its fonts draw the captions and the legend).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace samplestudy {

enum class ElectricChoice { Off, On, Both };

struct SampleStudyOptions {
    QString outputFolder;
    QString studyName = QStringLiteral("Sunlit Room");
    QString siteName = QStringLiteral("Boston, Massachusetts");
    double latitude = 42.36;
    double longitude = -71.06; // degrees east; west is negative
    double compassNorth = 0;   // degrees the room is turned from north
    double timeZoneHours = -5; // offset of the zone's standard time from UTC
    bool daylightSaving = true; // clock times in summer are an hour ahead (second Sunday in March to first Sunday in November)
    int views = 4;          // 1 .. StandardViews().size()
    int dates = 3;          // 1 .. 365
    int times = 9;          // per date, 1 .. 1440
    double firstHour = 8;   // clock time of the first sample of a day
    double lastHour = 16;   // clock time of the last
    int skies = 1;          // the first n sky conditions: Clear, Partly Cloudy, Overcast, General Sky - Type 1, ...
    ElectricChoice electric = ElectricChoice::Off;
    bool rgb = true;
    bool pseudo = true;
    int width = 640;
    int height = 400;
    int quality = 88;       // JPEG quality 1 .. 100
    int threads = 0;        // 0: one per core
    // When above 0, only the first `pool` samples are rendered; every later
    // sample s gets its own file name, hard-linked to the image of sample
    // s mod pool (copied where links cannot be made). A long study then costs
    // the time and disk of a short one while every frame is still its own file.
    int pool = 0;
    bool overwrite = false; // replace a study file of the same name
};

struct PlannedDate {
    int dayOfYear = 0; // 1 = 1 January of a common year
    QString text;      // "June 21"
    bool daylightSaving = false;
};

// The dates a study of `count` dates covers: the solstices and equinoxes for
// up to four, otherwise spread evenly over the year.
std::vector<PlannedDate> PlanDates(int count, bool daylightSaving);
// Clock times in hours, evenly from first to last.
std::vector<double> PlanTimes(int count, double firstHour, double lastHour);
// "9:00 AM", "12:30 PM".
QString ClockText(double hours);

struct SampleStudyResult {
    QString dvfPath;
    int samples = 0;
    int imageFiles = 0;
    QString error; // "" on success
    bool ok() const { return error.isEmpty(); }
};

// Reports frames written so far, from the calling thread.
using SampleProgress = std::function<void(int written, int total)>;

// Checks the options; "" when they are usable, else what is wrong.
QString CheckOptions(const SampleStudyOptions& options);

SampleStudyResult WriteSampleStudy(const SampleStudyOptions& options,
                                   const SampleProgress& progress = {});

// Text as the DVF stores it; characters outside Windows-1252 become "?".
QByteArray ToWindows1252(const QString& text);

} // namespace samplestudy
