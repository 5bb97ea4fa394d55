#include "tools/make-sample-study/SampleStudyWriter.h"

#include "tools/make-sample-study/SampleOverlay.h"
#include "tools/make-sample-study/SampleScene.h"
#include "tools/make-sample-study/SolarPosition.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <turbojpeg.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace samplestudy {

namespace {

// Daylight saving in the generator's calendar year (a common year): from the
// second Sunday in March to the first Sunday in November.
constexpr int kSavingFirstDay = 71;
constexpr int kSavingLastDay = 308;

struct Sample {
    int sky = 0;      // index into SkyKinds()
    int electric = 2; // 1 on, 2 off
    int date = 0;     // index into the planned dates
    double clockHours = 0;
};

QString DateText(int dayOfYear)
{
    static const int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int day = dayOfYear;
    int month = 0;
    while (month < 11 && day > monthDays[month])
        day -= monthDays[month++];
    return QStringLiteral("%1 %2").arg(QLocale::c().standaloneMonthName(month + 1)).arg(day);
}

QString NumberText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// A name safe in any file system, for the study file and the image prefix.
QString SafeName(const QString& name, bool keepSpaces)
{
    QString out;
    for (const QChar c : name) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            out += c;
        else if (keepSpaces && (c == u' ' || c == u'-' || c == u'_'))
            out += c;
    }
    out = out.trimmed();
    return out.isEmpty() ? QStringLiteral("Study") : out;
}

QString ImageName(const QString& prefix, int view, int sample, int digits, bool pseudo)
{
    return QStringLiteral("%1_v%2_%3_%4.jpg")
        .arg(prefix)
        .arg(view)
        .arg(sample, digits, 10, QChar(u'0'))
        .arg(pseudo ? QStringLiteral("pse") : QStringLiteral("rgb"));
}

bool WriteJpeg(tjhandle tj, const QImage& image, int quality, const QString& path, QString& error)
{
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(tj, image.constBits(), image.width(), static_cast<int>(image.bytesPerLine()),
                    image.height(), TJPF_RGB, &jpeg, &size, TJSAMP_420, quality, 0) != 0) {
        error = QStringLiteral("Cannot encode %1: %2").arg(path, QString::fromLocal8Bit(tjGetErrorStr2(tj)));
        tjFree(jpeg);
        return false;
    }
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(reinterpret_cast<const char*>(jpeg), qint64(size)) == qint64(size);
    tjFree(jpeg);
    if (!written || !file.flush()) {
        error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

std::vector<PlannedDate> PlanDates(int count, bool daylightSaving)
{
    static const std::vector<std::vector<int>> kSeasons = {
        {172}, {172, 355}, {80, 172, 355}, {80, 172, 264, 355}};
    std::vector<int> days;
    if (count >= 1 && count <= 4) {
        days = kSeasons[count - 1];
    } else {
        for (int i = 0; i < count; ++i)
            days.push_back((20 + i * 365 / count) % 365 + 1);
    }
    std::vector<PlannedDate> out;
    for (int day : days) {
        const bool saving = daylightSaving && day >= kSavingFirstDay && day <= kSavingLastDay;
        out.push_back({day, DateText(day), saving});
    }
    return out;
}

std::vector<double> PlanTimes(int count, double firstHour, double lastHour)
{
    std::vector<double> out;
    for (int i = 0; i < count; ++i) {
        const double h = count == 1 ? firstHour : firstHour + (lastHour - firstHour) * i / (count - 1);
        out.push_back(std::round(h * 60.0) / 60.0);
    }
    return out;
}

QString ClockText(double hours)
{
    int minutes = static_cast<int>(std::lround(hours * 60.0)) % (24 * 60);
    if (minutes < 0)
        minutes += 24 * 60;
    const int h = minutes / 60;
    const int m = minutes % 60;
    const int h12 = h % 12 == 0 ? 12 : h % 12;
    return QStringLiteral("%1:%2 %3")
        .arg(h12)
        .arg(m, 2, 10, QChar(u'0'))
        .arg(h < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QByteArray ToWindows1252(const QString& text)
{
    // The code points that Windows-1252 puts at 0x80 .. 0x9F.
    static const char16_t kHigh[32] = {
        0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
        0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += static_cast<char>(u);
            continue;
        }
        const auto* hit = std::find(std::begin(kHigh), std::end(kHigh), u);
        out += (u != 0 && hit != std::end(kHigh)) ? static_cast<char>(0x80 + (hit - kHigh)) : '?';
    }
    return out;
}

QString CheckOptions(const SampleStudyOptions& o)
{
    const int maxViews = static_cast<int>(StandardViews().size());
    const int maxSkies = static_cast<int>(SkyKinds().size());
    if (o.outputFolder.trimmed().isEmpty())
        return QStringLiteral("No output folder given");
    if (o.views < 1 || o.views > maxViews)
        return QStringLiteral("The number of views must be 1 to %1").arg(maxViews);
    if (o.dates < 1 || o.dates > 365)
        return QStringLiteral("The number of dates must be 1 to 365");
    if (o.times < 1 || o.times > 1440)
        return QStringLiteral("The number of times must be 1 to 1440");
    if (o.skies < 1 || o.skies > maxSkies)
        return QStringLiteral("The number of sky conditions must be 1 to %1").arg(maxSkies);
    if (!o.rgb && !o.pseudo)
        return QStringLiteral("Choose true-colour images, pseudo-colour images or both");
    if (o.width < 16 || o.height < 16 || o.width > 8192 || o.height > 8192)
        return QStringLiteral("The image size must be 16 to 8192 pixels each way");
    if (o.quality < 1 || o.quality > 100)
        return QStringLiteral("The JPEG quality must be 1 to 100");
    if (o.pool < 0)
        return QStringLiteral("The pool of rendered samples cannot be negative");
    if (!(o.firstHour >= 0 && o.lastHour < 24 && o.firstHour <= o.lastHour))
        return QStringLiteral("The times of day must lie from 0 to 24 hours, first before last");
    if (!(std::abs(o.latitude) <= 90) || !(std::abs(o.longitude) <= 180))
        return QStringLiteral("The latitude must be -90 to 90 and the longitude -180 to 180 degrees");
    if (!(std::abs(o.timeZoneHours) <= 14))
        return QStringLiteral("The time zone must be -14 to 14 hours");
    return {};
}

SampleStudyResult WriteSampleStudy(const SampleStudyOptions& o, const SampleProgress& progress)
{
    SampleStudyResult result;
    result.error = CheckOptions(o);
    if (!result.error.isEmpty())
        return result;

    QDir folder(o.outputFolder);
    if (!QDir().mkpath(folder.absolutePath())) {
        result.error = QStringLiteral("Cannot create the output folder %1").arg(o.outputFolder);
        return result;
    }
    result.dvfPath = folder.absoluteFilePath(SafeName(o.studyName, true) + QStringLiteral(".dvf"));
    if (QFileInfo::exists(result.dvfPath) && !o.overwrite) {
        result.error = QStringLiteral("%1 already exists; choose another folder or allow overwriting")
                           .arg(result.dvfPath);
        return result;
    }

    // Frame order: by sky, then lighting (on before off), then date and time,
    // so a panel showing the first sky and lighting holds the first samples.
    const std::vector<PlannedDate> dates = PlanDates(o.dates, o.daylightSaving);
    const std::vector<double> times = PlanTimes(o.times, o.firstHour, o.lastHour);
    std::vector<int> electricStates;
    if (o.electric != ElectricChoice::Off)
        electricStates.push_back(1);
    if (o.electric != ElectricChoice::On)
        electricStates.push_back(2);
    std::vector<Sample> samples;
    for (int sky = 0; sky < o.skies; ++sky)
        for (int electric : electricStates)
            for (int d = 0; d < static_cast<int>(dates.size()); ++d)
                for (double t : times)
                    samples.push_back({sky, electric, d, t});

    const int sampleCount = static_cast<int>(samples.size());
    const int digits = std::max(4, static_cast<int>(QString::number(sampleCount).size()));
    const QString prefix = SafeName(o.studyName, false);
    const auto& cameras = StandardViews();

    // Captions and legend are drawn here, once, where fonts may be used.
    const int textSize = std::max(8, o.height / 30);
    std::vector<QImage> viewLabels;
    for (int v = 0; v < o.views; ++v)
        viewLabels.push_back(RenderLabel(cameras[v].name, textSize));
    std::vector<QImage> sampleLabels;
    for (const Sample& s : samples) {
        const PlannedDate& date = dates[s.date];
        QString text = date.text + QStringLiteral("  ") + ClockText(s.clockHours);
        if (date.daylightSaving)
            text += QStringLiteral(" DST");
        text += QStringLiteral("  ") + SkyKinds()[s.sky].name +
                (s.electric == 1 ? QStringLiteral("  Lights On") : QStringLiteral("  Lights Off"));
        sampleLabels.push_back(RenderLabel(text, textSize));
    }
    const QImage legend = o.pseudo ? RenderLegend(o.height) : QImage();

    const int rendered = o.pool > 0 ? std::min(o.pool, sampleCount) : sampleCount;
    const int jobs = rendered * o.views;
    const int kinds = (o.rgb ? 1 : 0) + (o.pseudo ? 1 : 0);
    std::atomic<int> nextJob{0};
    std::atomic<bool> failed{false};
    std::mutex mutex;
    std::condition_variable changed;
    int finished = 0;
    QString firstError;

    const auto work = [&] {
        tjhandle tj = tjInitCompress();
        QImage rgb(o.width, o.height, QImage::Format_RGB888);
        QImage pseudo(o.width, o.height, QImage::Format_RGB888);
        for (;;) {
            const int job = nextJob.fetch_add(1);
            if (job >= jobs || failed.load())
                break;
            const int s = job / o.views;
            const int v = job % o.views;
            const Sample& sample = samples[s];
            const PlannedDate& date = dates[sample.date];
            const double standardHours = sample.clockHours - (date.daylightSaving ? 1.0 : 0.0);
            const SunPosition sun = SolarPosition(o.latitude, o.longitude, date.dayOfYear,
                                                  standardHours, o.timeZoneHours);
            const RoomLight light({sun.altitude, sun.azimuth - o.compassNorth,
                                   SkyKinds()[sample.sky].cloudiness, sample.electric == 1});
            RenderRoom(cameras[v], light, o.rgb ? &rgb : nullptr, o.pseudo ? &pseudo : nullptr);
            QString error;
            bool ok = tj != nullptr;
            if (!ok)
                error = QStringLiteral("Cannot start the JPEG encoder");
            const int margin = std::max(2, o.height / 80);
            for (int kind = 0; ok && kind < 2; ++kind) {
                const bool isPseudo = kind == 1;
                if (isPseudo ? !o.pseudo : !o.rgb)
                    continue;
                QImage& frame = isPseudo ? pseudo : rgb;
                BlendOverlay(frame, viewLabels[v], margin, margin);
                BlendOverlay(frame, sampleLabels[s], margin,
                             o.height - margin - sampleLabels[s].height());
                if (isPseudo)
                    BlendOverlay(frame, legend, o.width - margin - legend.width(), margin);
                ok = WriteJpeg(tj, frame, o.quality,
                               folder.absoluteFilePath(ImageName(prefix, v + 1, s + 1, digits, isPseudo)),
                               error);
            }
            {
                std::lock_guard<std::mutex> lock(mutex);
                ++finished;
                if (!ok && firstError.isEmpty())
                    firstError = error;
            }
            if (!ok)
                failed.store(true);
            changed.notify_all();
        }
        if (tj)
            tjDestroy(tj);
    };

    int workerCount = o.threads > 0 ? o.threads : static_cast<int>(std::thread::hardware_concurrency());
    workerCount = std::clamp(workerCount, 1, std::max(1, jobs));
    std::vector<std::thread> workers;
    for (int i = 0; i < workerCount; ++i)
        workers.emplace_back(work);
    {
        std::unique_lock<std::mutex> lock(mutex);
        int reported = -1;
        while (finished < jobs && !failed.load()) {
            changed.wait_for(lock, std::chrono::milliseconds(200));
            if (progress && finished != reported) {
                reported = finished;
                const int done = finished;
                lock.unlock();
                progress(done * kinds, jobs * kinds);
                lock.lock();
            }
        }
    }
    for (auto& t : workers)
        t.join();
    if (!firstError.isEmpty()) {
        result.error = firstError;
        return result;
    }
    for (int s = rendered; s < sampleCount; ++s) {
        for (int kind = 0; kind < 2; ++kind) {
            const bool isPseudo = kind == 1;
            if (isPseudo ? !o.pseudo : !o.rgb)
                continue;
            for (int v = 0; v < o.views; ++v) {
                const QString from = folder.absoluteFilePath(ImageName(prefix, v + 1, s % rendered + 1, digits, isPseudo));
                const QString to = folder.absoluteFilePath(ImageName(prefix, v + 1, s + 1, digits, isPseudo));
                QFile::remove(to);
                if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0 &&
                    !QFile::copy(from, to)) {
                    result.error = QStringLiteral("Cannot write %1").arg(to);
                    return result;
                }
            }
        }
    }

    // The study file, written whole beside the images or not at all.
    QByteArray dvf;
    const auto line = [&dvf](const QString& text) { dvf += ToWindows1252(text) + "\r\n"; };
    int skyMask = 0;
    for (int sky = 0; sky < o.skies; ++sky)
        skyMask |= SkyKinds()[sky].code;
    int electricMask = 0;
    for (int e : electricStates)
        electricMask |= e;
    line(QStringLiteral("[HEADER]"));
    line(o.studyName);
    line(o.siteName);
    line(NumberText(o.latitude));
    line(NumberText(o.longitude));
    line(NumberText(o.compassNorth));
    line(QString::number(skyMask));
    line(QString::number((o.rgb ? 1 : 0) | (o.pseudo ? 2 : 0)));
    line(QString::number(electricMask));
    line(QStringLiteral("[VIEW]"));
    for (int v = 0; v < o.views; ++v)
        line(cameras[v].name);
    line(QStringLiteral("[ENDVIEW]"));
    const QString projectFile = SafeName(o.studyName, true) + QStringLiteral(".hvx");
    for (int s = 0; s < sampleCount; ++s) {
        const Sample& sample = samples[s];
        const PlannedDate& date = dates[sample.date];
        line(QStringLiteral("[SAMPLE]"));
        line(QString::number(SkyKinds()[sample.sky].code));
        line(QString::number(sample.electric));
        line(date.text);
        line(ClockText(sample.clockHours));
        line(date.daylightSaving ? QStringLiteral("True") : QStringLiteral("False"));
        line(projectFile);
        for (int kind = 0; kind < 2; ++kind) {
            const bool isPseudo = kind == 1;
            if (isPseudo ? !o.pseudo : !o.rgb)
                continue;
            line(isPseudo ? QStringLiteral("[PSEUDO]") : QStringLiteral("[RGB]"));
            for (int v = 0; v < o.views; ++v)
                line(ImageName(prefix, v + 1, s + 1, digits, isPseudo));
        }
    }
    QSaveFile file(result.dvfPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(dvf) != dvf.size() || !file.commit()) {
        result.error = QStringLiteral("Cannot write %1: %2").arg(result.dvfPath, file.errorString());
        return result;
    }
    result.samples = sampleCount;
    result.imageFiles = sampleCount * o.views * kinds;
    return result;
}

} // namespace samplestudy
