#include "tools/tcab/Commands.h"

#include <array>
#include <cstdio>

#ifndef TCAB_VERSION
#define TCAB_VERSION "0"
#endif

namespace tcab {

namespace {

struct Command {
    const CommandSyntax* syntax;
    int (*run)(const ParsedArgs& args, Console console);
};

const std::array<Command, 4> kCommands = {{
    {&kCreateSyntax, &Create},
    {&kListSyntax, &List},
    {&kTestSyntax, &Test},
    {&kExtractSyntax, &Extract},
}};

const Command* Find(const std::string& name)
{
    for (const Command& command : kCommands)
        if (name == command.syntax->name)
            return &command;
    return nullptr;
}

void PrintProgramHelp(std::ostream& out)
{
    out << "Usage: tcab [OPTION]... COMMAND [ARGUMENT]...\n"
           "Create, list, test and extract Microsoft Cabinet files.\n\nCommands:\n";
    for (const Command& command : kCommands) {
        std::string left = std::string("  ") + command.syntax->name + " " + command.syntax->operands;
        left.resize(std::max<std::size_t>(left.size() + 2, 38), ' ');
        out << left << command.syntax->summary << "\n";
    }
    out << "\nOptions:\n"
           "  -q, --quiet             print nothing but errors\n"
           "  -v, --verbose           name each file as it is handled\n"
           "  -h, --help              show this help and exit\n"
           "      --version           show the version and exit\n"
           "\nRun 'tcab COMMAND --help' for the options of a command.\n"
           "On a terminal a progress bar shows how far a command has come; elsewhere\n"
           "tcab prints nothing while it works unless --verbose is given.\n\n"
        << kExitStatusHelp;
}

} // namespace

std::string VersionText()
{
    return std::string("tcab (TessalyCabinet) ") + TCAB_VERSION + "\n";
}

int Run(const std::vector<std::string>& args, Console console)
{
    // Options before the command: the program's own, and -q/-v for the command.
    std::size_t at = 0;
    for (; at < args.size() && args[at].size() > 1 && args[at][0] == '-'; ++at) {
        const std::string& arg = args[at];
        if (arg == "--help" || arg == "-h") {
            PrintProgramHelp(console.out);
            return kExitOk;
        }
        if (arg == "--version") {
            console.out << VersionText();
            return kExitOk;
        }
        if (arg == "-q" || arg == "--quiet") {
            console.verbosity = Verbosity::Quiet;
        } else if (arg == "-v" || arg == "--verbose") {
            console.verbosity = Verbosity::Verbose;
        } else {
            console.err << "tcab: unknown option '" << arg << "'\nTry 'tcab --help' for more information.\n";
            return kExitUsage;
        }
    }
    if (at == args.size()) {
        console.err << "tcab: no command given\n";
        PrintProgramHelp(console.err);
        return kExitUsage;
    }
    std::string name = args[at];
    std::vector<std::string> rest(args.begin() + std::ptrdiff_t(at) + 1, args.end());
    if (name == "help") {
        if (rest.empty()) {
            PrintProgramHelp(console.out);
            return kExitOk;
        }
        name = rest[0];
        rest = {"--help"};
    }
    const Command* command = Find(name);
    if (!command) {
        console.err << "tcab: unknown command '" << name << "'\nTry 'tcab --help' for more information.\n";
        return kExitUsage;
    }
    const auto parsed = ParseArgs(*command->syntax, rest, console.err, console.verbosity);
    if (!parsed)
        return kExitUsage;
    if (parsed->help) {
        PrintCommandHelp(*command->syntax, console.out);
        return kExitOk;
    }
    console.verbosity = parsed->verbosity;
    return command->run(*parsed, console);
}

std::string HexNumber(int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(number));
    return text;
}

std::string DisplayPath(const std::string& path)
{
    std::string shown = path;
    for (char& c : shown)
        if (c == '\\')
            c = '/';
    return shown;
}

} // namespace tcab
