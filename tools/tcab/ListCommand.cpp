// tcab list: one line per file of a cabinet.
#include "cabinet/TessalyCabinet.h"
#include "tools/tcab/CabinetSources.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/Listing.h"

namespace tcab {

const CommandSyntax kListSyntax = {
    "list",
    "CABINET",
    "show each file: date, time, size, attributes and name",
    "Prints one line for each file of CABINET: its date and time, its size in\n"
    "bytes, its attributes (R read-only, H hidden, S system, A archive, X to be run\n"
    "after extraction) and its name in the cabinet. With --search the files of\n"
    "every cabinet found inside CABINET are listed, one cabinet after another;\n"
    "--verbose heads each with the byte of the file where it starts.",
    {kSearchOption, kCharsetOption},
};

int List(const ParsedArgs& parsed, Console console)
{
    const std::vector<std::string>& args = parsed.operands;
    if (args.size() != 1) {
        console.err << "tcab list: one cabinet is needed\n" << UsageLine(kListSyntax);
        return kExitUsage;
    }
    const auto choices = ReadingChoicesOf(parsed, kListSyntax, console.err);
    if (!choices)
        return kExitUsage;
    const auto sources = CabinetsOf(args[0], choices->search, [&](const std::string& text) { console.err << text << "\n"; });
    if (sources.empty())
        return kExitFailure;
    int status = kExitOk;
    for (const CabinetSource& source : sources) {
        auto reader = tessaly::clsExtractCab::Create();
        reader->CabFileName(source.path);
        reader->CabinetOffset(source.offset);
        reader->UnmarkedNames(LibraryCharset(choices->names));
        reader->SetErrorReporter([](const std::string&) {}); // reported below, with the cabinet's name
        reader->GetFilesInfo();
        if (!reader->LastError().empty()) {
            console.err << "tcab: cannot read " << source.Described() << ": " << reader->LastError();
            if (!reader->LastErrorDetail().empty())
                console.err << " (" << reader->LastErrorDetail() << ")";
            console.err << "\n";
            if (const std::string hint = source.found ? "" : SearchHint(source.path); !hint.empty())
                console.err << hint << "\n";
            status = kExitFailure;
            continue;
        }
        auto files = reader->CompressedFiles();
        if (source.found && console.verbosity == Verbosity::Verbose)
            console.out << source.Heading(files->Count()) << "\n";
        for (std::int32_t i = 1; i <= files->Count(); ++i)
            console.out << ListingLine(*files->Item(i)) << '\n';
    }
    return status;
}

} // namespace tcab
