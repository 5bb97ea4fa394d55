#include "tools/tcab/CabinetSources.h"

#include "platform/cab/CabFormat.h"
#include "platform/cab/CabIo.h"
#include "platform/cab/CabSearch.h"

#include <cstring>

namespace tcab {

std::optional<ReadingChoices> ReadingChoicesOf(const ParsedArgs& args, const CommandSyntax& command, std::ostream& err)
{
    ReadingChoices choices;
    choices.search = args.Has(kSearchOption.longName);
    if (args.Has(kCharsetOption.longName)) {
        const auto names = cab::ParseNameCharset(args.Value(kCharsetOption.longName));
        if (!names) {
            err << "tcab " << command.name << ": '" << args.Value(kCharsetOption.longName)
                << "' is no character set tcab knows; --charset takes auto, utf-8 or cp1252\n";
            return std::nullopt;
        }
        choices.names = *names;
    }
    return choices;
}

tessaly::NameCharset LibraryCharset(cab::NameCharset names)
{
    switch (names) {
    case cab::NameCharset::Utf8: return tessaly::NameCharset::Utf8;
    case cab::NameCharset::Windows1252: return tessaly::NameCharset::Windows1252;
    case cab::NameCharset::Auto: break;
    }
    return tessaly::NameCharset::Auto;
}

std::string CabinetSource::Heading(std::int64_t files) const
{
    return "cabinet at byte " + std::to_string(offset) + " of '" + path + "' (" + std::to_string(files)
        + (files == 1 ? " file):" : " files):");
}

std::string CabinetSource::Described() const
{
    return found ? "the cabinet at byte " + std::to_string(offset) + " of '" + path + "'" : "'" + path + "'";
}

std::vector<CabinetSource> CabinetsOf(const std::string& operand, bool search,
                                      const std::function<void(const std::string&)>& report)
{
    if (!search)
        return {CabinetSource{operand, 0, false}};
    const cab::CabinetSearch found = cab::FindCabinets(operand);
    if (found.error) {
        report("tcab: cannot search '" + operand + "': " + found.error.message);
        return {};
    }
    if (found.cabinets.empty())
        report("tcab: no cabinet found in '" + operand + "'");
    std::vector<CabinetSource> sources;
    for (const cab::FoundCabinet& cabinet : found.cabinets)
        sources.push_back(CabinetSource{operand, cabinet.offset, true});
    return sources;
}

std::string SearchHint(const std::string& path)
{
    cab::io::OpenedFile file = cab::io::OpenRegularFile(path, "");
    if (file.error)
        return {};
    std::uint8_t start[4] = {};
    if (cab::io::ReadFull(file.fd.Get(), start, sizeof start) < 0
        || std::memcmp(start, cab::format::kSignature, sizeof start) == 0)
        return {};
    return "tcab: '" + path + "' is no cabinet itself; to read cabinets inside it (a self-extracting program, say), "
                              "add --search";
}

} // namespace tcab
