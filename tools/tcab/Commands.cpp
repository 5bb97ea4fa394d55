#include "tools/tcab/Commands.h"

#include <cstdio>

namespace tcab {

namespace {

constexpr const char* kUsage =
    "usage: tcab create [--no-compress] CABINET PATH...\n"
    "       tcab list CABINET\n"
    "       tcab extract CABINET [FOLDER] [NAME...]\n"
    "\n"
    "create   stores files and whole folder trees (named relative to the folder)\n"
    "         in a new cabinet, MSZIP-compressed unless --no-compress is given\n"
    "list     prints each file: date, time, size, attributes (RHSAX) and name\n"
    "extract  writes all files, or the named ones, below FOLDER (default: here)\n";

} // namespace

int Run(const std::vector<std::string>& args, Console console)
{
    if (args.empty() || args[0] == "-h" || args[0] == "--help") {
        (args.empty() ? console.err : console.out) << kUsage;
        return args.empty() ? kExitUsage : kExitOk;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "create")
        return Create(rest, console);
    if (args[0] == "list")
        return List(rest, console);
    if (args[0] == "extract")
        return Extract(rest, console);
    console.err << "tcab: unknown command '" << args[0] << "'\n" << kUsage;
    return kExitUsage;
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
