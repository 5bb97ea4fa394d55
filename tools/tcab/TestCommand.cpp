// tcab test: every file of the cabinets decoded and checked, nothing written.
#include "platform/cab/CabReader.h"
#include "tools/tcab/CabinetSources.h"
#include "tools/tcab/CancelRequest.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/ProgressLine.h"

namespace tcab {

const CommandSyntax kTestSyntax = {
    "test",
    "CABINET...",
    "decompress and check every file, writing nothing",
    "Decompresses every file of each CABINET and checks it (the checksum of every\n"
    "data block, the decoder's own checks and the file's length) without writing\n"
    "anything. Each damaged file is named with the reason; the run then exits 1.\n"
    "With --search every cabinet found inside each CABINET is tested.",
    {kSearchOption, kCharsetOption},
};

int Test(const ParsedArgs& args, Console console)
{
    if (args.operands.empty()) {
        console.err << "tcab test: at least one cabinet is needed\n" << UsageLine(kTestSyntax);
        return kExitUsage;
    }
    const auto choices = ReadingChoicesOf(args, kTestSyntax, console.err);
    if (!choices)
        return kExitUsage;
    ProgressLine progress(console.err, console.terminal, console.verbosity);
    int damaged = 0;
    int unreadable = 0;
    std::size_t intact = 0;
    std::vector<CabinetSource> sources;
    for (const std::string& operand : args.operands) {
        const auto found = CabinetsOf(operand, choices->search, [&](const std::string& text) { progress.Message(text); });
        unreadable += found.empty() ? 1 : 0;
        sources.insert(sources.end(), found.begin(), found.end());
    }
    for (const CabinetSource& source : sources) {
        cab::CabReader reader;
        if (const cab::CabError error = reader.Open(source.path, cab::ReadOptions{source.offset, choices->names})) {
            progress.Message("tcab: cannot read " + source.Described() + ": " + error.message);
            if (const std::string hint = source.found ? "" : SearchHint(source.path); !hint.empty())
                progress.Message(hint);
            ++unreadable;
            continue;
        }
        const auto& entries = reader.Entries();
        if (source.found && console.verbosity == Verbosity::Verbose)
            progress.Message(source.Heading(std::int64_t(entries.size())));
        std::uint64_t total = 0;
        for (const cab::CabEntry& entry : entries)
            total += entry.size;
        std::uint64_t done = 0;
        reader.SetExtractProgress([&](std::uint64_t written) {
            progress.Update("testing", done + written, total);
            return !CancelRequested();
        });
        for (std::size_t i = 0; i < entries.size(); ++i) {
            progress.File("testing", DisplayPath(entries[i].name));
            progress.Update("testing", done, total);
            const cab::CabError error = reader.Verify(i);
            if (error.code == cab::kErrorCancelled || CancelRequested()) {
                progress.Clear();
                console.err << "tcab: cancelled while testing " << source.Described() << "\n";
                return kExitCancelled;
            }
            if (error) {
                ++damaged;
                progress.Message("tcab: damaged: '" + DisplayPath(entries[i].name) + "' in " + source.Described()
                                 + ": " + error.message);
            } else {
                ++intact;
            }
            done += entries[i].size;
        }
    }
    progress.Clear();
    if (damaged > 0 || unreadable > 0) {
        console.err << "tcab: " << damaged << (damaged == 1 ? " file is" : " files are") << " damaged";
        if (unreadable > 0)
            console.err << ", " << unreadable << (unreadable == 1 ? " cabinet" : " cabinets") << " could not be read";
        console.err << "; " << intact << " intact\n";
        return kExitFailure;
    }
    if (console.verbosity != Verbosity::Quiet)
        console.out << "all " << intact << (intact == 1 ? " file is" : " files are") << " intact\n";
    return kExitOk;
}

} // namespace tcab
