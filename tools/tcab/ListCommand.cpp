// tcab list: one line per file of a cabinet.
#include "cabinet/TessalyCabinet.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/Listing.h"

namespace tcab {

const CommandSpec kListSpec = {
    "list",
    "CABINET",
    "show each file: date, time, size, attributes and name",
    "Prints one line for each file of CABINET: its date and time, its size in\n"
    "bytes, its attributes (R read-only, H hidden, S system, A archive, X to be run\n"
    "after extraction) and its name in the cabinet.",
    {},
};

int List(const ParsedArgs& parsed, Console console)
{
    const std::vector<std::string>& args = parsed.operands;
    if (args.size() != 1) {
        console.err << "tcab list: one cabinet is needed\n" << UsageLine(kListSpec);
        return kExitUsage;
    }
    auto reader = tessaly::clsExtractCab::Create();
    reader->CabFileName(args[0]);
    reader->SetErrorReporter([](const std::string&) {}); // reported below, with the cabinet's name
    reader->GetFilesInfo();
    if (!reader->LastError().empty()) {
        console.err << "tcab: cannot read '" << args[0] << "': " << reader->LastError();
        if (!reader->LastErrorDetail().empty())
            console.err << " (" << reader->LastErrorDetail() << ")";
        console.err << "\n";
        return kExitFailure;
    }
    auto files = reader->CompressedFiles();
    for (std::int32_t i = 1; i <= files->Count(); ++i)
        console.out << ListingLine(*files->Item(i)) << '\n';
    return kExitOk;
}

} // namespace tcab
