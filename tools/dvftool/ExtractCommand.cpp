// dvftool extract [--max-size SIZE] [--charset CHARSET] PACKAGE [FOLDER]: unpacks a study
// package as the viewer does when it opens one, and says what it found and
// what it refused.
#include "tools/dvftool/DvfTool.h"

#include "platform/cab/CabText.h"
#include "viewer/cabreader/ExtractPackage.h"
#include "viewer/study/StudyModule.h"

#include <QFileInfo>

namespace dvftool {

namespace {

const QByteArray kUsage = QByteArray("usage: dvftool extract [--max-size SIZE] [--charset CHARSET] PACKAGE [FOLDER]\n"
                                     "  --max-size SIZE    write at most SIZE bytes (K, M, G, T allowed; 0: no limit);\n"
                                     "                     by default twenty times the package's size, at least 1 GiB\n")
                          + kCharsetHelp;

} // namespace

int ExtractCommand(const QStringList& givenArgs, const Output& io)
{
    QStringList allArgs = givenArgs;
    const auto charset = TakeCharsetOption(allArgs, "extract", io);
    if (!charset)
        return kExitUsage;
    QStringList args;
    std::optional<quint64> maxBytes;
    bool options = true;
    for (qsizetype i = 0; i < allArgs.size(); ++i) {
        const QString& arg = allArgs[i];
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && (arg == QLatin1String("--max-size") || arg.startsWith(QLatin1String("--max-size=")))) {
            const bool inlineValue = arg.size() > 10;
            if (!inlineValue && i + 1 == allArgs.size()) {
                io.Err(kUsage);
                return kExitUsage;
            }
            const QString text = inlineValue ? arg.mid(11) : allArgs[++i];
            const auto size = cab::ParseSizeText(text.toStdString());
            if (!size) {
                io.Err(QStringLiteral("dvftool extract: \"%1\" is not a size\n").arg(text));
                return kExitUsage;
            }
            maxBytes = *size;
        } else if (options && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            io.Err(QStringLiteral("dvftool extract: unknown option \"%1\"\n").arg(arg));
            io.Err(kUsage);
            return kExitUsage;
        } else {
            args << arg;
        }
    }
    if (args.isEmpty() || args.size() > 2 || args.front().isEmpty()) {
        io.Err(kUsage);
        return kExitUsage;
    }
    const QString package = args.front();
    // Like the viewer, unpack beside the package unless told otherwise.
    const QString folder = args.size() == 2 ? args[1] : QFileInfo(package).path();

    study::StudyModule module;
    qint16 count = 0;
    QString studyFile;
    cabreader::PackageReport report;
    try {
        cabreader::ExtractPackage(module, package, folder, count, studyFile, &report, maxBytes, *charset);
    } catch (const cabreader::CabFileError& error) {
        io.Err(QStringLiteral("dvftool extract: %1: %2%3\n")
                   .arg(package, error.Description(),
                        error.Detail().isEmpty() ? QString() : QStringLiteral(" (%1)").arg(error.Detail())));
        return kExitFailed;
    }
    if (report.NothingWritten) {
        io.Err(QStringLiteral("dvftool extract: %1: %2\n").arg(package, report.ExtractErrorText));
        return kExitFailed;
    }

    io.Out(QStringLiteral("Files in package: %1\n").arg(count));
    io.Out(QStringLiteral("Study file:       %1\n")
               .arg(studyFile.isEmpty() ? QStringLiteral("none") : studyFile));
    io.Out(QStringLiteral("Unpacked into:    %1\n").arg(folder));
    for (const cabreader::CabRefusal& refusal : report.RefusedEntries)
        io.Out(QStringLiteral("Refused:          %1 (%2)\n").arg(refusal.Name, refusal.Reason));

    bool complete = true;
    if (report.ExtractError != 0) {
        io.Err(QStringLiteral("dvftool extract: %1: unpacking stopped: %2\n").arg(package, report.ExtractErrorText));
        complete = false;
    }
    if (!report.RefusedEntries.isEmpty()) {
        io.Err(QStringLiteral("dvftool extract: %1: %2 entries were not written\n")
                   .arg(package)
                   .arg(report.RefusedEntries.size()));
        complete = false;
    }
    if (count == 0 || studyFile.isEmpty()) {
        io.Err(QStringLiteral("dvftool extract: %1: the package holds no files or no study file (DVF)\n").arg(package));
        complete = false;
    }
    return complete ? kExitOk : kExitFailed;
}

} // namespace dvftool
