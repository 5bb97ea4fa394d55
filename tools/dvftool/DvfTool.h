// dvftool's subcommands and the dispatch between them. Each subcommand lives
// in its own file and is listed once in DvfTool.cpp.
#pragma once

#include "platform/cab/CabText.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace dvftool {

// Exit codes shared by every subcommand.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1; // the command ran and the input was at fault
constexpr int kExitUsage = 2;  // the command line was wrong

// Where a subcommand writes: standard output for results, standard error for
// complaints. Text goes out as UTF-8.
struct Output {
    std::FILE* out;
    std::FILE* err;

    void Out(const QByteArray& bytes) const { std::fwrite(bytes.constData(), 1, bytes.size(), out); }
    void Err(const QByteArray& bytes) const { std::fwrite(bytes.constData(), 1, bytes.size(), err); }
    void Out(const QString& text) const { Out(text.toUtf8()); }
    void Err(const QString& text) const { Err(text.toUtf8()); }
};

// A subcommand's arguments: the flags it knows (each "--name"), then its
// files; "--" ends the flags.
struct Arguments {
    QStringList flags;
    QStringList files;
    bool Has(const char* flag) const { return flags.contains(QLatin1String(flag)); }
};
// The arguments of `command` with exactly one file. Anything else (another
// "-..." or another number of files) is told on io.Err with the command's
// usage line, and gives nothing: the command then exits with kExitUsage.
std::optional<Arguments> ParseArguments(const QStringList& args, const QStringList& knownFlags, const char* command,
                                        const QByteArray& usage, const Output& io);

// Takes "--charset NAME" or "--charset=NAME" out of `args` (before a "--"):
// how the names of a package that lack the UTF-8 mark are read; Auto when it
// is not given. Nothing, after a complaint naming `command`, for an unknown
// name or a missing one.
std::optional<cab::NameCharset> TakeCharsetOption(QStringList& args, const char* command, const Output& io);
// The option's line in the usage texts of list and extract.
extern const char* const kCharsetHelp;

// args are what follows the subcommand's name.
int InfoCommand(const QStringList& args, const Output& io);
int PropertiesCommand(const QStringList& args, const Output& io);
int PackCommand(const QStringList& args, const Output& io);
int ListCommand(const QStringList& args, const Output& io);
int ExtractCommand(const QStringList& args, const Output& io);
int CheckCommand(const QStringList& args, const Output& io);
int ExportCommand(const QStringList& args, const Output& io);

// args are the program's arguments without the program name.
int Run(const QStringList& args, std::FILE* out, std::FILE* err);

} // namespace dvftool
