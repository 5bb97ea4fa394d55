#include "viewer/window/CommandLine.h"

#include "viewer/settings/ViewerPreferences.h"
#include "viewer/window/ProgramVersion.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace viewer {

namespace {

const QString kCacheMegabytes = QStringLiteral("cache-mb");

} // namespace

void AddViewerOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Shows a daylight study (a DVF study file and its images, or a DVP package of them)\n"
        "in up to four view panels, steps and plays its frames, lists its properties and packs\n"
        "it into a package. A study named on the command line is opened in place of the one\n"
        "remembered from the last run."));
    parser.addPositionalArgument(QStringLiteral("study"),
                                 QStringLiteral("The study file (.dvf) or study package (.dvp) to open."),
                                 QStringLiteral("[STUDY.dvf|STUDY.dvp]"));
    parser.addOption(QCommandLineOption(kCacheMegabytes,
                                        QStringLiteral("Memory for decoded frames in megabytes (default: the "
                                                       "viewer's settings, or else a quarter of physical memory, "
                                                       "at most 2048)."),
                                        QStringLiteral("MB")));
}

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    AddViewerOptions(parser);
    // Our own rather than the parser's: its help option also offers the
    // toolkit's options, which need an application object to list.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and ends."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the program's version and ends."));
    parser.addOption(help);
    parser.addOption(version);

    CommandLine result;
    const QString program = arguments.isEmpty() ? QString() : QFileInfo(arguments.front()).fileName();
    if (!parser.parse(arguments)) {
        result.What = CommandLine::Action::Fail;
        result.Text = program + QStringLiteral(": ") + parser.errorText() + QStringLiteral("\nTry '") + program +
                      QStringLiteral(" --help' for more information.\n");
        return result;
    }
    if (parser.isSet(help)) {
        result.What = CommandLine::Action::ShowText;
        // The parser names the program only once an application object exists.
        result.Text = parser.helpText().replace(QStringLiteral("<executable_name>"), program);
        return result;
    }
    if (parser.isSet(version)) {
        result.What = CommandLine::Action::ShowText;
        result.Text = program + QLatin1Char(' ') + QLatin1String(kVersionText) + QLatin1Char('\n');
        return result;
    }
    if (parser.isSet(kCacheMegabytes)) {
        bool number = false;
        const qint64 megabytes = parser.value(kCacheMegabytes).toLongLong(&number);
        if (!number || megabytes < settings::kMinFrameCacheMegabytes) {
            result.What = CommandLine::Action::Fail;
            result.Text = program + QStringLiteral(": --cache-mb needs a whole number of megabytes, %1 or more\n")
                                        .arg(settings::kMinFrameCacheMegabytes);
            return result;
        }
        result.FrameCacheBytes = std::min(megabytes, settings::kMaxFrameCacheMegabytes) << 20;
    }
    const QStringList studies = parser.positionalArguments();
    if (studies.size() > 1) {
        result.What = CommandLine::Action::Fail;
        result.Text = program + QStringLiteral(": one study at a time, please (%1 were given)\n").arg(studies.size());
        return result;
    }
    if (!studies.isEmpty()) {
        // Desktops that pass URLs for local files are understood too.
        const QUrl url(studies.front());
        const QString path = url.isLocalFile() ? url.toLocalFile() : studies.front();
        result.StudyFile = QFileInfo(path).absoluteFilePath();
    }
    return result;
}

} // namespace viewer
