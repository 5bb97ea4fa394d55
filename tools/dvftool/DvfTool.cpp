#include "tools/dvftool/DvfTool.h"
#include "tools/dvftool/ExportArguments.h"

#include <QByteArray>

#include <array>

namespace dvftool {

namespace {

struct Command {
    const char* name;
    const char* summary; // one line in the command list
    const char* help;    // what `dvftool help NAME` prints: usage, description, options
    int (*run)(const QStringList& args, const Output& io);
};

const std::array kCommands = {
    Command{"info", "what a study holds: name, site, views, samples",
            "usage: dvftool info [--json] STUDY.dvf\n"
            "\n"
            "Reads a study file (DVF) as the viewer does and prints its name, site, views, the number\n"
            "of samples, the distinct dates and the sky conditions; a file the viewer cannot read is\n"
            "reported with the viewer's error text.\n"
            "\n"
            "options:\n"
            "  --json    the whole study as one JSON object, every sample included, for scripts\n",
            &InfoCommand},
    Command{"properties", "the properties table as tab-delimited text",
            "usage: dvftool properties STUDY.dvf|STUDY.dvp\n"
            "\n"
            "Prints the study's properties table exactly as the viewer's Copy puts it on the clipboard:\n"
            "a title line, the column headers, and one line per sample of every view, tab-delimited,\n"
            "lines ended with CR LF. A package is unpacked into a temporary folder first.\n",
            &PropertiesCommand},
    Command{"pack", "pack the study's folder into a package",
            "usage: dvftool pack [--hvx] [--rsf] STUDY.dvf OUT.dvp\n"
            "\n"
            "Packs every study file (.dvf) and picture (.jpg) of the study's folder into a new study\n"
            "package (DVP), as the viewer's Package Study does. The package is written beside its\n"
            "final name and renamed into place, so a failed run never destroys an older package.\n"
            "\n"
            "options:\n"
            "  --hvx     also pack the HALVEX project files (.hvx) of the folder\n"
            "  --rsf     also pack the radiosity solution files (.rsf) of the folder\n",
            &PackCommand},
    Command{"list", "the files of a study package, as XML",
            "usage: dvftool list [--charset CHARSET] PACKAGE\n"
            "\n"
            "Lists the files of a study package (or any cabinet) as XML: the full name, name, date,\n"
            "size and folder of each file.\n"
            "\n"
            "options:\n"
            "  --charset CHARSET  how names stored without the UTF-8 mark are read: auto (the\n"
            "                     default: as UTF-8 when they are valid UTF-8, else as Windows-1252),\n"
            "                     utf-8 or cp1252\n",
            &ListCommand},
    Command{"extract", "unpack a study package (beside itself by default)",
            "usage: dvftool extract [--max-size SIZE] [--charset CHARSET] PACKAGE [FOLDER]\n"
            "\n"
            "Unpacks a study package into FOLDER, or into the folder that holds the package, as the\n"
            "viewer does when it opens one, and names the study file it found. Entries whose names\n"
            "would land outside the folder are refused and listed. Ends with status 1 when anything\n"
            "was refused or the package holds no study file.\n"
            "\n"
            "options:\n"
            "  --max-size SIZE  write at most SIZE bytes (K, M, G, T allowed; 0: no limit);\n"
            "                   by default twenty times the package's size, at least 1 GiB\n"
            "  --charset CHARSET  how names stored without the UTF-8 mark are read: auto (the\n"
            "                     default: as UTF-8 when they are valid UTF-8, else as Windows-1252),\n"
            "                     utf-8 or cp1252\n",
            &ExtractCommand},
    Command{"check", "missing, undecodable and repeated images",
            "usage: dvftool check [--json] STUDY.dvf|STUDY.dvp\n"
            "\n"
            "Lists every image the study names that is missing or does not decode, with its view, date,\n"
            "time and kind, and every file that more than one image of the study names. Ends with\n"
            "status 1 when anything is wrong, 0 when the study is whole.\n"
            "\n"
            "options:\n"
            "  --json    the findings as one JSON object, for scripts\n",
            &CheckCommand},
    Command{"export", "frames, animations and contact sheets", kExportUsage, &ExportCommand},
};

constexpr char kUsage[] =
    "usage: dvftool COMMAND [OPTIONS] ARGUMENTS\n"
    "       dvftool help COMMAND | dvftool COMMAND --help\n"
    "       dvftool --help | --version\n"
    "\n"
    "Inspects, packs, unpacks and exports daylight studies: DVF study files and DVP study packages.\n"
    "\n"
    "commands:\n";

constexpr char kExitStatus[] =
    "\n"
    "exit status: 0 when all went well, 1 when the input was at fault, 2 when the command\n"
    "line was wrong.\n";

QByteArray UsageText()
{
    QByteArray text = kUsage;
    for (const Command& command : kCommands)
        text += QByteArray("  ") + QByteArray(command.name).leftJustified(12, ' ') + command.summary + '\n';
    text += "\nRun 'dvftool help COMMAND' for the options of one command.\n";
    text += kExitStatus;
    return text;
}

const Command* FindCommand(const QString& name)
{
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

bool IsHelpOption(const QString& arg)
{
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

// A subcommand's own --help, looked for before a "--" that ends its options.
bool AsksForHelp(const QStringList& args)
{
    for (const QString& arg : args) {
        if (arg == QLatin1String("--"))
            return false;
        if (IsHelpOption(arg))
            return true;
    }
    return false;
}

} // namespace

std::optional<Arguments> ParseArguments(const QStringList& args, const QStringList& knownFlags, const char* command,
                                        const QByteArray& usage, const Output& io)
{
    Arguments parsed;
    bool optionsEnded = false;
    for (const QString& arg : args) {
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && knownFlags.contains(arg)) {
            parsed.flags << arg;
        } else if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            io.Err(QStringLiteral("dvftool %1: unknown option \"%2\"\n").arg(QLatin1String(command), arg));
            io.Err(usage);
            return std::nullopt;
        } else {
            parsed.files << arg;
        }
    }
    if (parsed.files.size() != 1) {
        io.Err(usage);
        return std::nullopt;
    }
    return parsed;
}

int Run(const QStringList& args, std::FILE* out, std::FILE* err)
{
    const Output io{out, err};
    if (args.isEmpty()) {
        io.Err(UsageText());
        return kExitUsage;
    }
    const QString name = args.front();
    if (name == QLatin1String("--version")) {
        io.Out(QByteArray("dvftool " HALVEX_VERSION "\n"));
        return kExitOk;
    }
    if (IsHelpOption(name) || (name == QLatin1String("help") && args.size() == 1)) {
        io.Out(UsageText());
        return kExitOk;
    }
    if (name == QLatin1String("help")) {
        if (const Command* command = FindCommand(args[1])) {
            io.Out(QByteArray(command->help));
            return kExitOk;
        }
        io.Err(QStringLiteral("dvftool: no command \"%1\" to explain\n").arg(args[1]));
        io.Err(UsageText());
        return kExitUsage;
    }
    if (const Command* command = FindCommand(name)) {
        if (AsksForHelp(args.mid(1))) {
            io.Out(QByteArray(command->help));
            return kExitOk;
        }
        return command->run(args.mid(1), io);
    }
    io.Err(QStringLiteral("dvftool: unknown command \"%1\"\n").arg(name));
    io.Err(UsageText());
    return kExitUsage;
}

} // namespace dvftool
