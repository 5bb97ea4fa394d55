#include "tools/dvftool/DvfTool.h"

#include <array>

namespace dvftool {

namespace {

struct Command {
    const char* name;
    const char* synopsis;
    int (*run)(const QStringList& args, const Output& io);
};

const std::array kCommands = {
    Command{"info", "info [--json] STUDY.dvf   what a study holds: name, site, views, samples", &InfoCommand},
    Command{"properties", "properties STUDY.dvf|STUDY.dvp   the properties table as tab-delimited text",
            &PropertiesCommand},
    Command{"pack", "pack [--hvx] [--rsf] STUDY.dvf OUT.dvp   pack the study's folder into a package",
            &PackCommand},
    Command{"list", "list PACKAGE              the files of a study package, as XML", &ListCommand},
    Command{"extract", "extract [--max-size SIZE] PACKAGE [FOLDER]  unpack a study package (beside itself by default)",
            &ExtractCommand},
    Command{"check", "check [--json] STUDY.dvf|STUDY.dvp   missing, undecodable and repeated images", &CheckCommand},
};

void PrintUsage(const Output& io, std::FILE* stream)
{
    QByteArray text = "usage: dvftool COMMAND [OPTIONS] ARGUMENTS\n\ncommands:\n";
    for (const Command& command : kCommands)
        text += QByteArray("  ") + command.synopsis + '\n';
    if (stream == io.out)
        io.Out(text);
    else
        io.Err(text);
}

} // namespace

Arguments ParseArguments(const QStringList& args, const QStringList& knownFlags)
{
    Arguments parsed;
    bool optionsEnded = false;
    for (const QString& arg : args) {
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && knownFlags.contains(arg)) {
            parsed.flags << arg;
        } else if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            if (parsed.unknown.isEmpty())
                parsed.unknown = arg;
        } else {
            parsed.files << arg;
        }
    }
    return parsed;
}

int Run(const QStringList& args, std::FILE* out, std::FILE* err)
{
    const Output io{out, err};
    if (args.isEmpty()) {
        PrintUsage(io, err);
        return kExitUsage;
    }
    const QString name = args.front();
    if (name == QLatin1String("help") || name == QLatin1String("--help") || name == QLatin1String("-h")) {
        PrintUsage(io, out);
        return kExitOk;
    }
    for (const Command& command : kCommands) {
        if (name == QLatin1String(command.name))
            return command.run(args.mid(1), io);
    }
    io.Err(QStringLiteral("dvftool: unknown command \"%1\"\n").arg(name));
    PrintUsage(io, err);
    return kExitUsage;
}

} // namespace dvftool
