#include "tools/tcab/CommandLine.h"

#include <algorithm>

namespace tcab {

const char* const kExitStatusHelp =
    "Exit status:\n"
    "  0    everything asked for was done\n"
    "  1    something failed: a cabinet could not be read, a file could not be stored,\n"
    "       written or verified; each message names the file and the reason\n"
    "  2    the command line was wrong\n"
    "  130  cancelled by Ctrl-C or a termination request; nothing half-written is kept\n";

const std::vector<OptionSyntax>& CommonOptions()
{
    static const std::vector<OptionSyntax> options = {
        {"quiet", 'q', nullptr, "print nothing but errors"},
        {"verbose", 'v', nullptr, "name each file as it is handled (the default on a terminal is a progress bar)"},
        {"help", 'h', nullptr, "show this help and exit"},
    };
    return options;
}

namespace {

const OptionSyntax* FindLong(const CommandSyntax& command, const std::string& name)
{
    for (const auto* list : {&command.options, &CommonOptions()})
        for (const OptionSyntax& o : *list)
            if (name == o.longName)
                return &o;
    return nullptr;
}

const OptionSyntax* FindShort(const CommandSyntax& command, char name)
{
    for (const auto* list : {&command.options, &CommonOptions()})
        for (const OptionSyntax& o : *list)
            if (o.shortName == name)
                return &o;
    return nullptr;
}

void Take(ParsedArgs& parsed, const OptionSyntax& option, const std::string& value)
{
    const std::string name = option.longName;
    if (name == "quiet")
        parsed.verbosity = Verbosity::Quiet;
    else if (name == "verbose")
        parsed.verbosity = Verbosity::Verbose;
    else if (name == "help")
        parsed.help = true;
    if (option.valueName)
        parsed.values[name] = value;
    else
        ++parsed.switches[name];
}

std::optional<ParsedArgs> Wrong(const CommandSyntax& command, std::ostream& err, const std::string& text)
{
    err << "tcab " << command.name << ": " << text << "\n" << UsageLine(command)
        << "Try 'tcab " << command.name << " --help' for more information.\n";
    return std::nullopt;
}

} // namespace

std::optional<ParsedArgs> ParseArgs(const CommandSyntax& command, const std::vector<std::string>& args,
                                    std::ostream& err, Verbosity verbosity)
{
    ParsedArgs parsed;
    parsed.verbosity = verbosity;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!options || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options = false;
            continue;
        }
        if (arg[1] == '-') {
            const std::size_t equals = arg.find('=');
            const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const OptionSyntax* option = FindLong(command, name);
            if (!option)
                return Wrong(command, err, "unknown option '" + arg + "'");
            if (!option->valueName && equals != std::string::npos)
                return Wrong(command, err, "option '--" + name + "' takes no value");
            std::string value;
            if (option->valueName) {
                if (equals != std::string::npos)
                    value = arg.substr(equals + 1);
                else if (i + 1 < args.size())
                    value = args[++i];
                else
                    return Wrong(command, err, "option '--" + name + "' needs " + option->valueName);
            }
            Take(parsed, *option, value);
            continue;
        }
        // One or more short options run together: -qv, or -m VALUE / -mVALUE.
        for (std::size_t k = 1; k < arg.size(); ++k) {
            const OptionSyntax* option = FindShort(command, arg[k]);
            if (!option)
                return Wrong(command, err, std::string("unknown option '-") + arg[k] + "'");
            std::string value;
            if (option->valueName) {
                if (k + 1 < arg.size())
                    value = arg.substr(k + 1);
                else if (i + 1 < args.size())
                    value = args[++i];
                else
                    return Wrong(command, err, std::string("option '-") + arg[k] + "' needs " + option->valueName);
                Take(parsed, *option, value);
                break;
            }
            Take(parsed, *option, value);
        }
    }
    return parsed;
}

std::string UsageLine(const CommandSyntax& command)
{
    return std::string("Usage: tcab ") + command.name + " [OPTION]... " + command.operands + "\n";
}

void PrintCommandHelp(const CommandSyntax& command, std::ostream& out)
{
    out << UsageLine(command) << command.description << "\n\nOptions:\n";
    for (const auto* list : {&command.options, &CommonOptions()}) {
        for (const OptionSyntax& o : *list) {
            std::string left = o.shortName ? std::string("  -") + o.shortName + ", " : std::string("      ");
            left += std::string("--") + o.longName;
            if (o.valueName)
                left += std::string("=") + o.valueName;
            left.resize(std::max<std::size_t>(left.size() + 2, 26), ' ');
            out << left << o.help << "\n";
        }
    }
    out << "\n" << kExitStatusHelp;
}

} // namespace tcab
