// tcab test: every file of the cabinets decoded and checked, nothing written.
#include "platform/cab/CabReader.h"
#include "tools/tcab/CancelRequest.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/ProgressLine.h"

namespace tcab {

const CommandSpec kTestSpec = {
    "test",
    "CABINET...",
    "decompress and check every file, writing nothing",
    "Decompresses every file of each CABINET and checks it (the checksum of every\n"
    "data block, the decoder's own checks and the file's length) without writing\n"
    "anything. Each damaged file is named with the reason; the run then exits 1.",
    {},
};

int Test(const ParsedArgs& args, Console console)
{
    if (args.operands.empty()) {
        console.err << "tcab test: at least one cabinet is needed\n" << UsageLine(kTestSpec);
        return kExitUsage;
    }
    ProgressLine progress(console.err, console.terminal, console.verbosity);
    int damaged = 0;
    int unreadable = 0;
    std::size_t intact = 0;
    for (const std::string& path : args.operands) {
        cab::CabReader reader;
        if (const cab::CabError error = reader.Open(path)) {
            progress.Message("tcab: cannot read '" + path + "': " + error.message);
            ++unreadable;
            continue;
        }
        const auto& entries = reader.Entries();
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
                console.err << "tcab: cancelled while testing '" << path << "'\n";
                return kExitCancelled;
            }
            if (error) {
                ++damaged;
                progress.Message("tcab: damaged: '" + DisplayPath(entries[i].name) + "' in '" + path
                                 + "': " + error.message);
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
