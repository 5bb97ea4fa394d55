// tcab's command lines, described by table: each command names its operands
// and options once, and the same table parses the arguments and prints the
// command's help.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tcab {

enum class Verbosity { Quiet, Normal, Verbose };

struct OptionSyntax {
    const char* longName;  // without the dashes
    char shortName;        // 0 when there is none
    const char* valueName; // nullptr for a switch
    const char* help;
};

struct CommandSyntax {
    const char* name;
    const char* operands; // "CABINET PATH..."
    const char* summary;  // one line for the program's help
    const char* description;
    std::vector<OptionSyntax> options;
};

// What one command line asked for.
struct ParsedArgs {
    std::vector<std::string> operands;
    std::map<std::string, std::string> values; // options with a value, by long name (the last one given wins)
    std::map<std::string, int> switches;       // switches by long name, with how often they were given
    Verbosity verbosity = Verbosity::Normal;
    bool help = false;

    bool Has(const std::string& name) const { return switches.count(name) != 0 || values.count(name) != 0; }
    std::string Value(const std::string& name) const
    {
        auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    }
};

// The options every command takes: -q, -v and -h.
const std::vector<OptionSyntax>& CommonOptions();

// Parses `args` (what follows the command's name). Nothing and a message on
// `err` (with the command's usage line) when the command line is wrong.
std::optional<ParsedArgs> ParseArgs(const CommandSyntax& command, const std::vector<std::string>& args,
                                    std::ostream& err, Verbosity verbosity);

std::string UsageLine(const CommandSyntax& command);
// The whole help of one command: usage, description, options, exit status.
void PrintCommandHelp(const CommandSyntax& command, std::ostream& out);

// What the exit codes mean, as every help text ends.
extern const char* const kExitStatusHelp;

} // namespace tcab
