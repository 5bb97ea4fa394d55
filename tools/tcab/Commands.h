// tcab's commands: create, list and extract cabinets with the TessalyCabinet
// library. Each returns the program's exit status.
#pragma once

#include "tools/tcab/CommandLine.h"

#include <ostream>
#include <string>
#include <vector>

namespace tcab {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitCancelled = 130;

struct Console {
    std::ostream& out;
    std::ostream& err;
    bool terminal; // standard error is a terminal: draw a progress bar
    Verbosity verbosity = Verbosity::Normal;
};

// `args` are the arguments after the program name.
int Run(const std::vector<std::string>& args, Console console);

// Each command: its description, and the run of its parsed command line.
extern const CommandSyntax kCreateSyntax;
extern const CommandSyntax kListSyntax;
extern const CommandSyntax kExtractSyntax;
extern const CommandSyntax kTestSyntax;
int Create(const ParsedArgs& args, Console console);
int List(const ParsedArgs& args, Console console);
int Extract(const ParsedArgs& args, Console console);
int Test(const ParsedArgs& args, Console console);

// The program's version, as --version prints it.
std::string VersionText();

// "ERROR 0x80040065" style for numbers in messages.
std::string HexNumber(int number);
// "sub\a.txt" as the user's shell writes it.
std::string DisplayPath(const std::string& path);

} // namespace tcab
