// tcab list: one line per file of a cabinet.
#include "cabinet/TessalyCabinet.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/Listing.h"

namespace tcab {

int List(const std::vector<std::string>& args, Console console)
{
    if (args.size() != 1) {
        console.err << "usage: tcab list CABINET\n";
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
