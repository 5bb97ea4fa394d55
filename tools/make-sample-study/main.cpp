// make-sample-study: writes a demonstration daylight study (a DVF and its JPEG
// frames) for trying the viewer, for tests and for benchmarks.
#include "tools/make-sample-study/SampleScene.h"
#include "tools/make-sample-study/SampleStudyWriter.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>

namespace {

bool ReadInt(const QCommandLineParser& parser, const QString& name, int& out)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    out = parser.value(name).toInt(&ok);
    if (!ok)
        std::fprintf(stderr, "make-sample-study: --%s needs a whole number\n", qPrintable(name));
    return ok;
}

bool ReadDouble(const QCommandLineParser& parser, const QString& name, double& out)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    out = parser.value(name).toDouble(&ok);
    if (!ok)
        std::fprintf(stderr, "make-sample-study: --%s needs a number\n", qPrintable(name));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    // Fonts for the captions need a GUI application, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("make-sample-study"));
    QGuiApplication::setApplicationVersion(QStringLiteral(HALVEX_VERSION));

    samplestudy::SampleStudyOptions o;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a demonstration daylight study: a room with a south window, its sunlit patch placed "
        "by the sun's position for each date and time, as true-colour and false-colour JPEG frames "
        "of up to six views, with the DVF that lists them."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("Output folder (default: \"Sunlit Room\")"));
    const auto add = [&parser](const QString& name, const QString& help, const QString& value,
                               const QString& def) {
        parser.addOption(QCommandLineOption(name, help.arg(def), value, def));
    };
    add(QStringLiteral("name"), QStringLiteral("Study name (default %1)"), QStringLiteral("text"), o.studyName);
    add(QStringLiteral("site"), QStringLiteral("Site name (default %1)"), QStringLiteral("text"), o.siteName);
    add(QStringLiteral("latitude"), QStringLiteral("Degrees north (default %1)"), QStringLiteral("deg"), QString::number(o.latitude));
    add(QStringLiteral("longitude"), QStringLiteral("Degrees east, west negative (default %1)"), QStringLiteral("deg"), QString::number(o.longitude));
    add(QStringLiteral("north"), QStringLiteral("Compass north of the room in degrees (default %1)"), QStringLiteral("deg"), QString::number(o.compassNorth));
    add(QStringLiteral("timezone"), QStringLiteral("Standard time offset from UTC in hours (default %1)"), QStringLiteral("hours"), QString::number(o.timeZoneHours));
    add(QStringLiteral("views"), QStringLiteral("Number of views, 1 to 6 (default %1)"), QStringLiteral("n"), QString::number(o.views));
    add(QStringLiteral("dates"), QStringLiteral("Number of dates (default %1)"), QStringLiteral("n"), QString::number(o.dates));
    add(QStringLiteral("times"), QStringLiteral("Number of times per date (default %1)"), QStringLiteral("n"), QString::number(o.times));
    add(QStringLiteral("first-hour"), QStringLiteral("Clock time of the first sample of a day (default %1)"), QStringLiteral("hours"), QString::number(o.firstHour));
    add(QStringLiteral("last-hour"), QStringLiteral("Clock time of the last sample of a day (default %1)"), QStringLiteral("hours"), QString::number(o.lastHour));
    add(QStringLiteral("skies"), QStringLiteral("Number of sky conditions: Clear, Partly Cloudy, Overcast, General Sky types (default %1)"), QStringLiteral("n"), QString::number(o.skies));
    add(QStringLiteral("electric"), QStringLiteral("Electric lighting: off, on or both (default %1)"), QStringLiteral("state"), QStringLiteral("off"));
    add(QStringLiteral("colors"), QStringLiteral("Image kinds: rgb, pseudo or both (default %1)"), QStringLiteral("kinds"), QStringLiteral("both"));
    add(QStringLiteral("size"), QStringLiteral("Image size WIDTHxHEIGHT (default %1)"), QStringLiteral("size"), QStringLiteral("640x400"));
    add(QStringLiteral("quality"), QStringLiteral("JPEG quality 1 to 100 (default %1)"), QStringLiteral("n"), QString::number(o.quality));
    add(QStringLiteral("pool"), QStringLiteral("Render only the first n samples; later ones link to their images in turn, 0 for none (default %1)"), QStringLiteral("n"), QStringLiteral("0"));
    add(QStringLiteral("threads"), QStringLiteral("Worker threads, 0 for one per core (default %1)"), QStringLiteral("n"), QStringLiteral("0"));
    parser.addOption(QCommandLineOption(QStringLiteral("no-dst"), QStringLiteral("Clock times never include daylight saving")));
    parser.addOption(QCommandLineOption(QStringLiteral("overwrite"), QStringLiteral("Replace a study of the same name in the folder")));
    parser.addOption(QCommandLineOption(QStringLiteral("quiet"), QStringLiteral("Print nothing but errors")));
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        std::fprintf(stderr, "make-sample-study: give one output folder\n");
        return 2;
    }
    o.outputFolder = positional.isEmpty() ? QStringLiteral("Sunlit Room") : positional.first();
    o.studyName = parser.value(QStringLiteral("name"));
    o.siteName = parser.value(QStringLiteral("site"));
    bool ok = ReadDouble(parser, QStringLiteral("latitude"), o.latitude) &&
              ReadDouble(parser, QStringLiteral("longitude"), o.longitude) &&
              ReadDouble(parser, QStringLiteral("north"), o.compassNorth) &&
              ReadDouble(parser, QStringLiteral("timezone"), o.timeZoneHours) &&
              ReadInt(parser, QStringLiteral("views"), o.views) &&
              ReadInt(parser, QStringLiteral("dates"), o.dates) &&
              ReadInt(parser, QStringLiteral("times"), o.times) &&
              ReadDouble(parser, QStringLiteral("first-hour"), o.firstHour) &&
              ReadDouble(parser, QStringLiteral("last-hour"), o.lastHour) &&
              ReadInt(parser, QStringLiteral("skies"), o.skies) &&
              ReadInt(parser, QStringLiteral("quality"), o.quality) &&
              ReadInt(parser, QStringLiteral("threads"), o.threads) &&
              ReadInt(parser, QStringLiteral("pool"), o.pool);
    if (!ok)
        return 2;
    const QString electric = parser.value(QStringLiteral("electric")).toLower();
    if (electric == u"off")
        o.electric = samplestudy::ElectricChoice::Off;
    else if (electric == u"on")
        o.electric = samplestudy::ElectricChoice::On;
    else if (electric == u"both")
        o.electric = samplestudy::ElectricChoice::Both;
    else {
        std::fprintf(stderr, "make-sample-study: --electric is off, on or both\n");
        return 2;
    }
    const QString colors = parser.value(QStringLiteral("colors")).toLower();
    o.rgb = colors == u"rgb" || colors == u"both";
    o.pseudo = colors == u"pseudo" || colors == u"both";
    if (!o.rgb && !o.pseudo) {
        std::fprintf(stderr, "make-sample-study: --colors is rgb, pseudo or both\n");
        return 2;
    }
    const QStringList size = parser.value(QStringLiteral("size")).toLower().split(u'x');
    bool wOk = false, hOk = false;
    if (size.size() == 2) {
        o.width = size[0].toInt(&wOk);
        o.height = size[1].toInt(&hOk);
    }
    if (!wOk || !hOk) {
        std::fprintf(stderr, "make-sample-study: --size is WIDTHxHEIGHT, for example 1280x720\n");
        return 2;
    }
    o.daylightSaving = !parser.isSet(QStringLiteral("no-dst"));
    o.overwrite = parser.isSet(QStringLiteral("overwrite"));
    const bool quiet = parser.isSet(QStringLiteral("quiet"));

    const auto progress = [quiet](int written, int total) {
        if (!quiet)
            std::fprintf(stderr, "\r%d of %d images", written, total);
    };
    const samplestudy::SampleStudyResult result = samplestudy::WriteSampleStudy(o, progress);
    if (!quiet)
        std::fprintf(stderr, "\n");
    if (!result.ok()) {
        std::fprintf(stderr, "make-sample-study: %s\n", qPrintable(result.error));
        return 1;
    }
    if (!quiet)
        std::printf("%s: %d samples, %d image files\n", qPrintable(result.dvfPath), result.samples,
                    result.imageFiles);
    return 0;
}
