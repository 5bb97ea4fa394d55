// tcab extract: all files of a cabinet, or the named ones, below a folder.
#include "cabinet/TessalyCabinet.h"
#include "platform/cab/CabReader.h"
#include "platform/cab/CabText.h"
#include "tools/tcab/CancelRequest.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/ProgressLine.h"

#include <unistd.h>

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
        fileStart_ = done_;
        done_ += static_cast<std::uint32_t>(StatusInfo->cb());
        progress_.File("extracting", DisplayPath(StatusInfo->psz1()));
        progress_.Update("extracting", fileStart_, total_);
    }

    // Inside a large file the bar keeps moving, and Ctrl-C stops it at once.
    void ExtractProgress(const std::string&, std::int64_t BytesWritten, std::int64_t, bool& Cancel) override
    {
        if (CancelRequested()) {
            Cancel = true;
            cancelled_ = true;
            return;
        }
        progress_.Update("extracting", fileStart_ + std::uint64_t(BytesWritten), total_);
    }

    bool Cancelled() const { return cancelled_; }

private:
    ProgressLine& progress_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    std::uint64_t fileStart_ = 0;
    bool cancelled_ = false;
};

bool SameName(const std::string& entry, const std::string& asked)
{
    return entry == asked || DisplayPath(entry) == DisplayPath(asked);
}

} // namespace

const CommandSpec kExtractSpec = {
    "extract",
    "CABINET [FOLDER] [NAME]...",
    "write all files, or the named ones, below FOLDER",
    "Writes every file of CABINET, or only the files NAME..., below FOLDER (the\n"
    "working folder by default), creating the folders their names hold. Nothing is\n"
    "written outside FOLDER: names that would leave it, folders on the way that are\n"
    "symbolic links and the cabinet itself are refused and reported. Before\n"
    "writing, the sizes the cabinet declares are added up and compared with the free\n"
    "space of FOLDER and with --max-size.",
    {
        {"max-size", 0, "SIZE", "write nothing when the files would take more than SIZE bytes (K, M, G, T allowed)"},
        {"pipe", 'p', nullptr, "write the files (all, or the NAMEs after CABINET) to standard output, one after "
                               "another; no FOLDER is given then"},
    },
};

namespace {

// Entry names as the user may type them: "/" for "\".
bool Chosen(const std::string& entry, const std::vector<std::string>& names)
{
    if (names.empty())
        return true;
    for (const auto& name : names)
        if (SameName(entry, name))
            return true;
    return false;
}

int ExtractToPipe(const std::string& cabinet, const std::vector<std::string>& names, Console console)
{
    cab::CabReader reader;
    if (const cab::CabError error = reader.Open(cabinet)) {
        console.err << "tcab: cannot read '" << cabinet << "': " << error.message << "\n";
        return kExitFailure;
    }
    for (const auto& name : names) {
        bool found = false;
        for (const cab::CabEntry& entry : reader.Entries())
            found = found || SameName(entry.name, name);
        if (!found) {
            console.err << "tcab: '" << name << "' is not in " << cabinet << "\n";
            return kExitFailure;
        }
    }
    reader.SetExtractProgress([](std::uint64_t) { return !CancelRequested(); });
    int failures = 0;
    for (std::size_t i = 0; i < reader.Entries().size(); ++i) {
        const cab::CabEntry& entry = reader.Entries()[i];
        if (!Chosen(entry.name, names))
            continue;
        if (console.verbosity == Verbosity::Verbose)
            console.err << "extracting " << DisplayPath(entry.name) << "\n";
        const cab::CabError error = reader.ExtractTo(i, STDOUT_FILENO, "standard output");
        if (error.code == cab::kErrorCancelled || CancelRequested()) {
            console.err << "tcab: cancelled\n";
            return kExitCancelled;
        }
        if (error) {
            ++failures;
            console.err << "tcab: '" << DisplayPath(entry.name) << "': " << error.message << "\n";
        }
    }
    return failures == 0 ? kExitOk : kExitFailure;
}

} // namespace

int Extract(const ParsedArgs& parsed, Console console)
{
    const std::vector<std::string>& args = parsed.operands;
    std::uint64_t maxSize = 0;
    if (parsed.Has("max-size")) {
        const auto size = cab::ParseSizeText(parsed.Value("max-size"));
        if (!size) {
            console.err << "tcab extract: '" << parsed.Value("max-size")
                        << "' is not a size (bytes, or a number with K, M, G or T)\n";
            return kExitUsage;
        }
        maxSize = *size;
    }
    if (args.empty()) {
        console.err << "tcab extract: a cabinet is needed\n" << UsageLine(kExtractSpec);
        return kExitUsage;
    }
    if (parsed.Has("pipe"))
        return ExtractToPipe(args[0], std::vector<std::string>(args.begin() + 1, args.end()), console);
    const std::string cabinet = args[0];
    const std::string folder = args.size() > 1 ? args[1] : ".";
    const std::vector<std::string> names(args.begin() + std::min<std::size_t>(2, args.size()), args.end());

    ProgressLine progress(console.err, console.terminal, console.verbosity);
    int failures = 0;
    auto reader = tessaly::clsExtractCab::Create();
    reader->CabFileName(cabinet);
    reader->SetErrorReporter([&](const std::string& text) {
        ++failures;
        progress.Message("tcab: " + text);
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
    const int written = reader->ExtractedCount();
    if (listener->Cancelled()) {
        console.err << "tcab: cancelled; " << written << " of " << chosen
                    << " files were extracted, and no partly written file was kept\n";
        return kExitCancelled;
    }
    if (failures > 0 || !reader->LastError().empty()) {
        console.err << "tcab: extraction from '" << cabinet << "' failed; " << written << " of " << chosen
                    << " files were extracted\n";
        return kExitFailure;
    }
    if (console.verbosity != Verbosity::Quiet)
        console.out << "extracted " << written << (written == 1 ? " file" : " files") << " to " << folder << "\n";
    return kExitOk;
}

} // namespace tcab
