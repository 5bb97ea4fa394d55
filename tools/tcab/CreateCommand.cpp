// tcab create: a cabinet from files and folder trees.
#include "cabinet/TessalyCabinet.h"
#include "tools/tcab/CancelRequest.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/ProgressLine.h"
#include "tools/tcab/StoredNames.h"

#include <filesystem>
#include <stdexcept>

namespace tcab {

namespace {

namespace fs = std::filesystem;

// Thrown from BeforeFileAdd so that Compress gives the cabinet up: cancelling
// there would finish a cabinet holding only the files added so far.
struct StoppedByUser : std::runtime_error {
    StoppedByUser() : std::runtime_error("User Abort") {}
};

class CreateListener : public tessaly::clsCreateCabEvents {
public:
    CreateListener(ProgressLine& progress, std::shared_ptr<tessaly::clsToCompressFiles> files, std::uint64_t total)
        : progress_(progress), files_(std::move(files)), total_(total)
    {
    }

    void BeforeFileAdd(std::int16_t&, std::string& filename, bool&) override
    {
        if (CancelRequested())
            throw StoppedByUser();
        // Counted here: the event's 16-bit position stops at 32767.
        auto file = files_->Item(++position_);
        current_ = DisplayPath(filename);
        progress_.File("adding", file ? DisplayPath(file->NameInCab()) : current_);
        progress_.Update("compressing", bytesIn_, total_);
    }

    void CompressStatus(tessaly::FDINT& StatusType, std::int32_t& StatusInfo1, std::int32_t& StatusInfo2,
                        bool& Cancel) override
    {
        if (CancelRequested()) {
            Cancel = true;
            return;
        }
        switch (StatusType) {
        case 0:
            bytesIn_ += static_cast<std::uint32_t>(StatusInfo1);
            progress_.Update("compressing", bytesIn_, total_);
            break;
        case 1:
            current_.clear();
            progress_.Update("writing", static_cast<std::uint32_t>(StatusInfo1), static_cast<std::uint32_t>(StatusInfo2));
            break;
        case 2:
            cabinetSize_ = static_cast<std::uint32_t>(StatusInfo1);
            break;
        default:
            break;
        }
    }

    const std::string& Current() const { return current_; }
    std::uint64_t CabinetSize() const { return cabinetSize_; }

private:
    ProgressLine& progress_;
    std::shared_ptr<tessaly::clsToCompressFiles> files_;
    std::uint64_t total_;
    std::uint64_t bytesIn_ = 0;
    std::uint64_t cabinetSize_ = 0;
    std::int32_t position_ = 0;
    std::string current_;
};

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

} // namespace

const CommandSyntax kCreateSyntax = {
    "create",
    "CABINET PATH...",
    "store files and folder trees in a new cabinet",
    "Stores each PATH in a new cabinet CABINET under the path as given (\"d1/a.txt\"\n"
    "becomes \"d1\\a.txt\"), a folder with everything below it; an absolute PATH, or\n"
    "one that climbs with \"..\", is named from its last component on. Before anything\n"
    "is written, tcab checks that every file can be stored (no pipes or devices,\n"
    "no backslash in a name, names of at most 255 bytes) and that no two files\n"
    "would get the same name, letter case aside, as Windows compares names; any\n"
    "such file fails the run, naming it. The cabinet appears under its name only\n"
    "when complete; a cabinet already there is replaced only then. A cabinet holds\n"
    "at most 65535 files.",
    {
        {"no-compress", 0, nullptr, "store the files as they are (MSZIP compression is the default)"},
        {"skip-unstorable", 0, nullptr, "leave out files that cannot be stored, naming each, instead of failing"},
    },
};

int Create(const ParsedArgs& args, Console console)
{
    const bool compress = !args.Has("no-compress");
    const std::vector<std::string>& operands = args.operands;
    if (operands.size() < 2) {
        console.err << "tcab create: a cabinet and at least one file or folder are needed\n" << UsageLine(kCreateSyntax);
        return kExitUsage;
    }
    const std::string cabinet = operands[0];

    const std::vector<std::string> sources(operands.begin() + 1, operands.end());
    Collection collection = CollectFiles(sources);
    // The cabinet named among the files (or found inside a stored folder) would
    // be replaced by a cabinet holding itself.
    for (const StoredFile& file : collection.files)
        if (SameFile(file.source, cabinet))
            collection.problems.push_back("'" + file.source + "' is the cabinet being written ('" + cabinet
                                          + "'); it cannot be stored in itself");
    std::vector<std::string> clashes = NameClashes(collection.files);
    // Nothing is written until every file is known to be storable.
    const bool skip = args.Has("skip-unstorable");
    if (!clashes.empty() || (!collection.problems.empty() && !skip)) {
        for (const std::string& problem : collection.problems)
            console.err << "tcab: " << problem << "\n";
        for (const std::string& clash : clashes)
            console.err << "tcab: " << clash << "\n";
        console.err << "tcab: nothing was written to '" << cabinet << "'\n";
        return kExitFailure;
    }
    for (const std::string& problem : collection.problems)
        console.err << "tcab: skipped: " << problem << "\n";
    if (collection.files.empty()) {
        console.err << "tcab: nothing to store\n";
        return kExitFailure;
    }

    auto creator = tessaly::clsCreateCab::Create();
    creator->CabinetFile(cabinet);
    auto files = creator->ToCompressFiles();
    for (const StoredFile& stored : collection.files) {
        auto file = std::make_shared<tessaly::clsToCompressFile>();
        file->SourcePath(stored.source);
        file->NameInCab(stored.name);
        file->CompressionType(compress ? 1 : 0);
        files->Add(std::move(file));
    }

    std::uint64_t total = 0;
    for (std::int32_t i = 1; i <= files->Count(); ++i) {
        auto file = files->Item(i);
        std::error_code ec;
        const auto size = fs::file_size(file->SourcePath(), ec);
        total += ec ? 0 : size;
    }

    ProgressLine progress(console.err, console.terminal, console.verbosity);
    auto listener = std::make_shared<CreateListener>(progress, files, total);
    creator->Advise(listener);
    try {
        creator->Compress();
    } catch (const com::ComError& e) {
        progress.Clear();
        if (CancelRequested()) {
            console.err << "tcab: cancelled; no cabinet was written\n";
            return kExitCancelled;
        }
        console.err << "tcab: cannot create '" << cabinet << "': " << e.Description() << " (" << HexNumber(e.Number())
                    << ")";
        if (!creator->LastErrorDetail().empty())
            console.err << ": " << creator->LastErrorDetail();
        if (!listener->Current().empty())
            console.err << " while adding '" << listener->Current() << "'";
        console.err << "\n";
        return kExitFailure;
    }
    progress.Clear();
    if (console.verbosity != Verbosity::Quiet)
        console.out << "stored " << files->Count() << (files->Count() == 1 ? " file" : " files") << ", " << total
                << " bytes, in " << cabinet << " (" << listener->CabinetSize() << " bytes)\n";
    return kExitOk;
}

} // namespace tcab
