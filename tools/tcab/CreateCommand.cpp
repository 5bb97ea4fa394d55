// tcab create: a cabinet from files and folder trees.
#include "cabinet/TessalyCabinet.h"
#include "tools/tcab/CancelRequest.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/ProgressLine.h"

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

    void BeforeFileAdd(std::int16_t& FileCount, std::string& filename, bool&) override
    {
        if (CancelRequested())
            throw StoppedByUser();
        auto file = files_->Item(FileCount);
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
    std::string current_;
};

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

} // namespace

int Create(const std::vector<std::string>& args, Console console)
{
    bool compress = true;
    std::vector<std::string> operands;
    bool options = true;
    for (const auto& arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--no-compress") {
            compress = false;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            console.err << "tcab create: unknown option '" << arg << "'\n"
                        << "usage: tcab create [--no-compress] CABINET PATH...\n";
            return kExitUsage;
        } else {
            operands.push_back(arg);
        }
    }
    if (operands.size() < 2) {
        console.err << "usage: tcab create [--no-compress] CABINET PATH...\n";
        return kExitUsage;
    }
    const std::string cabinet = operands[0];

    auto creator = tessaly::clsCreateCab::Create();
    creator->CabinetFile(cabinet);
    auto files = creator->ToCompressFiles();
    for (std::size_t i = 1; i < operands.size(); ++i) {
        const std::string& path = operands[i];
        std::error_code ec;
        const auto status = fs::status(path, ec);
        if (!fs::exists(status)) {
            console.err << "tcab: '" << path << "' does not exist\n";
            return kExitFailure;
        }
        if (fs::is_directory(status)) {
            files->AddDirectory(path);
            continue;
        }
        const auto before = files->Count();
        files->AddFile(path);
        if (files->Count() == before) {
            console.err << "tcab: '" << path << "' cannot be stored: hidden files and special files are left out\n";
            return kExitFailure;
        }
    }
    // The cabinet named among the files (or found inside a stored folder) would
    // be replaced by a cabinet holding itself: refused before anything is written.
    for (std::int32_t i = 1; i <= files->Count(); ++i) {
        if (SameFile(tessaly::NativePath(files->Item(i)->SourcePath()), cabinet)) {
            console.err << "tcab: '" << DisplayPath(files->Item(i)->SourcePath()) << "' is the cabinet being written ('"
                        << cabinet << "'); it cannot be stored in itself\n";
            return kExitFailure;
        }
    }
    if (files->Count() == 0) {
        console.err << "tcab: nothing to store: no plain, visible files were found\n";
        return kExitFailure;
    }

    std::uint64_t total = 0;
    for (std::int32_t i = 1; i <= files->Count(); ++i) {
        auto file = files->Item(i);
        if (!compress)
            file->CompressionType(0);
        std::error_code ec;
        const auto size = fs::file_size(tessaly::NativePath(file->SourcePath()), ec);
        total += ec ? 0 : size;
    }

    ProgressLine progress(console.err, console.terminal);
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
    console.out << "stored " << files->Count() << (files->Count() == 1 ? " file" : " files") << ", " << total
                << " bytes, in " << cabinet << " (" << listener->CabinetSize() << " bytes)\n";
    return kExitOk;
}

} // namespace tcab
