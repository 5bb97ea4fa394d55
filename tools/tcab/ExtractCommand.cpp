// tcab extract: all files of a cabinet, or the named ones, below a folder.
#include "cabinet/TessalyCabinet.h"
#include "platform/cab/CabText.h"
#include "tools/tcab/CancelRequest.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/ProgressLine.h"

namespace tcab {

namespace {

class ExtractListener : public tessaly::clsExtractCabEvents {
public:
    ExtractListener(ProgressLine& progress, std::uint64_t total) : progress_(progress), total_(total) {}

    void ExtractStatus(tessaly::FDINT&, std::shared_ptr<tessaly::clsFDIStruct>& StatusInfo, bool& Extract,
                       bool& Cancel) override
    {
        if (!Extract)
            return; // not chosen, or refused (the library reports why)
        if (CancelRequested()) {
            Cancel = true;
            cancelled_ = true;
            return;
        }
        ++extracted_;
        progress_.File("extracting", DisplayPath(StatusInfo->psz1()));
        progress_.Update("extracting", done_, total_);
        done_ += static_cast<std::uint32_t>(StatusInfo->cb());
    }

    bool Cancelled() const { return cancelled_; }
    int Extracted() const { return extracted_; }

private:
    ProgressLine& progress_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    int extracted_ = 0;
    bool cancelled_ = false;
};

bool SameName(const std::string& entry, const std::string& asked)
{
    return entry == asked || DisplayPath(entry) == DisplayPath(asked);
}

} // namespace

int Extract(const std::vector<std::string>& allArgs, Console console)
{
    constexpr const char* kUsage = "usage: tcab extract [--max-size SIZE] CABINET [FOLDER] [NAME...]\n";
    std::vector<std::string> args;
    std::uint64_t maxSize = 0;
    bool options = true;
    for (std::size_t i = 0; i < allArgs.size(); ++i) {
        const std::string& arg = allArgs[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--max-size" || arg.rfind("--max-size=", 0) == 0)) {
            const bool inline_ = arg.size() > 10;
            if (!inline_ && i + 1 == allArgs.size()) {
                console.err << "tcab extract: --max-size needs a size\n" << kUsage;
                return kExitUsage;
            }
            const std::string text = inline_ ? arg.substr(11) : allArgs[++i];
            const auto size = cab::ParseSizeText(text);
            if (!size) {
                console.err << "tcab extract: '" << text << "' is not a size (bytes, or a number with K, M, G or T)\n";
                return kExitUsage;
            }
            maxSize = *size;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            console.err << "tcab extract: unknown option '" << arg << "'\n" << kUsage;
            return kExitUsage;
        } else {
            args.push_back(arg);
        }
    }
    if (args.empty()) {
        console.err << kUsage;
        return kExitUsage;
    }
    const std::string cabinet = args[0];
    const std::string folder = args.size() > 1 ? args[1] : ".";
    const std::vector<std::string> names(args.begin() + std::min<std::size_t>(2, args.size()), args.end());

    ProgressLine progress(console.err, console.terminal);
    int failures = 0;
    auto reader = tessaly::clsExtractCab::Create();
    reader->CabFileName(cabinet);
    reader->SetErrorReporter([&](const std::string& text) {
        ++failures;
        progress.Message("tcab: " + text);
    });
    reader->SetLauncher([&](const std::string& path) {
        progress.Message("tcab: '" + path + "' is marked to be opened after extraction; tcab leaves that to you");
    });

    reader->MaxExtractSize(maxSize);
    reader->GetFilesInfo();
    if (!reader->LastError().empty()) {
        progress.Clear();
        console.err << "tcab: cannot read '" << cabinet << "'\n";
        return kExitFailure;
    }

    auto files = reader->CompressedFiles();
    int chosen = 0;
    std::uint64_t total = 0;
    for (std::int32_t i = 1; i <= files->Count(); ++i) {
        auto file = files->Item(i);
        bool wanted = names.empty();
        for (const auto& name : names)
            wanted = wanted || SameName(file->FileCabName(), name);
        file->ExtractFlag(wanted);
        if (wanted) {
            ++chosen;
            total += static_cast<std::uint32_t>(file->FileSize());
        }
    }
    for (const auto& name : names) {
        bool found = false;
        for (std::int32_t i = 1; i <= files->Count() && !found; ++i)
            found = SameName(files->Item(i)->FileCabName(), name);
        if (!found) {
            console.err << "tcab: '" << name << "' is not in " << cabinet << "\n";
            return kExitFailure;
        }
    }

    auto listener = std::make_shared<ExtractListener>(progress, total);
    reader->Advise(listener);
    reader->ExtractFiles(folder);
    progress.Clear();
    if (listener->Cancelled()) {
        console.err << "tcab: cancelled; " << listener->Extracted() << " of " << chosen << " files were extracted\n";
        return kExitCancelled;
    }
    if (failures > 0 || !reader->LastError().empty()) {
        console.err << "tcab: extraction from '" << cabinet << "' failed; " << listener->Extracted() << " of "
                    << chosen << " files were extracted\n";
        return kExitFailure;
    }
    console.out << "extracted " << listener->Extracted() << (listener->Extracted() == 1 ? " file" : " files")
                << " to " << folder << "\n";
    return kExitOk;
}

} // namespace tcab
