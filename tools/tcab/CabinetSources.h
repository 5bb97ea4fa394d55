// What the reading commands (list, test, extract) read: each CABINET operand
// as a cabinet, or with --search every cabinet found inside it, and with
// --charset the reading of names that lack the UTF-8 mark.
#pragma once

#include "cabinet/clsExtractCab.h"
#include "platform/cab/CabText.h"
#include "tools/tcab/CommandLine.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tcab {

inline constexpr OptionSyntax kSearchOption = {
    "search", 0, nullptr,
    "look for cabinets inside each file (a self-extracting program, say) and read every one found; "
    "without it a file must be a cabinet itself"};
inline constexpr OptionSyntax kCharsetOption = {
    "charset", 0, "CHARSET",
    "how names stored without the UTF-8 mark are read: auto (the default: as UTF-8 when they are "
    "valid UTF-8, else as Windows-1252), utf-8 or cp1252"};

struct ReadingChoices {
    bool search = false;
    cab::NameCharset names = cab::NameCharset::Auto;
};

// --search and --charset from a parsed command line; nothing, after a
// complaint on `err`, when --charset names no character set tcab knows.
std::optional<ReadingChoices> ReadingChoicesOf(const ParsedArgs& args, const CommandSyntax& command, std::ostream& err);

// The same choice as the library takes it.
tessaly::NameCharset LibraryCharset(cab::NameCharset names);

// One cabinet to read: a whole file, or one found at `offset` inside it.
struct CabinetSource {
    std::string path;
    std::uint64_t offset = 0;
    bool found = false; // found by --search

    // "'setup.exe'", or "the cabinet at byte 4096 of 'setup.exe'".
    std::string Described() const;
    // What --verbose prints before the files of a found cabinet.
    std::string Heading(std::int64_t files) const;
};

// The cabinets `operand` stands for: itself, or with `search` those found
// inside it. With `search`, a file that cannot be read or holds no cabinet
// gives none, after a message to `report`.
std::vector<CabinetSource> CabinetsOf(const std::string& operand, bool search,
                                      const std::function<void(const std::string&)>& report);

// A message that suggests --search when `path` can be read but is no cabinet
// itself (it does not begin with a cabinet's signature); "" otherwise.
std::string SearchHint(const std::string& path);

} // namespace tcab
