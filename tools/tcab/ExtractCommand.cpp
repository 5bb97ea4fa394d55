// tcab extract: all files of a cabinet, or the named ones, below a folder.
#include "cabinet/TessalyCabinet.h"
#include "platform/cab/CabReader.h"
#include "platform/cab/CabIo.h"
#include "platform/cab/CabText.h"
#include "tools/tcab/CabinetSources.h"
#include "tools/tcab/CancelRequest.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/ProgressLine.h"

#include <set>
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

const CommandSyntax kExtractSyntax = {
    "extract",
    "CABINET [FOLDER] [NAME]...",
    "write all files, or the named ones, below FOLDER",
    "Writes every file of CABINET, or only the files NAME..., below FOLDER (the\n"
    "working folder by default), creating the folders their names hold. Nothing is\n"
    "written outside FOLDER: names that would leave it, folders on the way that are\n"
    "symbolic links and the cabinet itself are refused and reported. Before\n"
    "writing, the sizes the cabinet declares are added up and compared with the free\n"
    "space of FOLDER and with --max-size. With --search the files of every cabinet\n"
    "found inside CABINET are written, one cabinet after another.",
    {
        {"max-size", 0, "SIZE", "write nothing when the files would take more than SIZE bytes (K, M, G, T allowed)"},
        {"pipe", 'p', nullptr, "write the files (all, or the NAMEs after CABINET) to standard output, one after "
                               "another; no FOLDER is given then"},
        kSearchOption,
        kCharsetOption,
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

// The NAMEs no cabinet holds, each reported; true when there is none.
bool AllNamesFound(const std::vector<std::string>& names, const std::set<std::string>& found,
                   const std::string& cabinet, std::ostream& err)
{
    bool all = true;
    for (const auto& name : names) {
        if (found.count(name) == 0) {
            err << "tcab: '" << name << "' is not in " << cabinet << "\n";
            all = false;
        }
    }
    return all;
}

void ReportUnreadable(const CabinetSource& source, const std::string& reason, std::ostream& err)
{
    err << "tcab: cannot read " << source.Described() << (reason.empty() ? "" : ": " + reason) << "\n";
    if (const std::string hint = source.found ? "" : SearchHint(source.path); !hint.empty())
        err << hint << "\n";
}

int ExtractToPipe(const std::vector<CabinetSource>& sources, const std::vector<std::string>& names,
                  cab::NameCharset charset, Console console)
{
    // Every NAME is looked for before anything is written.
    std::set<std::string> found;
    for (const CabinetSource& source : sources) {
        cab::CabReader reader;
        if (const cab::CabError error = reader.Open(source.path, cab::ReadOptions{source.offset, charset})) {
            ReportUnreadable(source, error.message, console.err);
            return kExitFailure;
        }
        for (const auto& name : names)
            for (const cab::CabEntry& entry : reader.Entries())
                if (SameName(entry.name, name))
                    found.insert(name);
    }
    if (!AllNamesFound(names, found, sources.front().path, console.err))
        return kExitFailure;
    int failures = 0;
    for (const CabinetSource& source : sources) {
        cab::CabReader reader;
        if (const cab::CabError error = reader.Open(source.path, cab::ReadOptions{source.offset, charset})) {
            ReportUnreadable(source, error.message, console.err);
            return kExitFailure;
        }
        if (source.found && console.verbosity == Verbosity::Verbose)
            console.err << source.Heading(std::int64_t(reader.Entries().size())) << "\n";
        reader.SetExtractProgress([](std::uint64_t) { return !CancelRequested(); });
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
    }
    return failures == 0 ? kExitOk : kExitFailure;
}

// The files chosen from all found cabinets, weighed as a whole before any of
// them is written; the library weighs each cabinet only by itself.
std::string SizeRefusal(std::uint64_t total, std::uint64_t maxSize, const std::string& folder)
{
    const std::string amount = "the chosen files would write " + cab::SizeText(total) + " (" + std::to_string(total)
        + " bytes)";
    if (maxSize != 0 && total > maxSize)
        return "Not extracted: " + amount + ", more than the limit of " + cab::SizeText(maxSize);
    const auto free = cab::io::FreeBytesAt(folder);
    if (free && total > *free)
        return "Not extracted: " + amount + ", but only " + cab::SizeText(*free) + " are free in '" + folder + "'";
    return {};
}

// One cabinet to extract from, listed and with its files chosen.
struct Part {
    CabinetSource source;
    std::shared_ptr<tessaly::clsExtractCab> reader;
};

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
    const auto choices = ReadingChoicesOf(parsed, kExtractSyntax, console.err);
    if (!choices)
        return kExitUsage;
    if (args.empty()) {
        console.err << "tcab extract: a cabinet is needed\n" << UsageLine(kExtractSyntax);
        return kExitUsage;
    }
    const std::string cabinet = args[0];
    const auto sources = CabinetsOf(cabinet, choices->search, [&](const std::string& text) { console.err << text << "\n"; });
    if (sources.empty())
        return kExitFailure;
    if (parsed.Has("pipe"))
        return ExtractToPipe(sources, std::vector<std::string>(args.begin() + 1, args.end()), choices->names, console);
    const std::string folder = args.size() > 1 ? args[1] : ".";
    const std::vector<std::string> names(args.begin() + std::min<std::size_t>(2, args.size()), args.end());

    ProgressLine progress(console.err, console.terminal, console.verbosity);
    int failures = 0;
    std::vector<Part> parts;
    std::set<std::string> found;
    int chosen = 0;
    std::uint64_t total = 0;
    for (const CabinetSource& source : sources) {
        auto reader = tessaly::clsExtractCab::Create();
        reader->CabFileName(source.path);
        reader->CabinetOffset(source.offset);
        reader->UnmarkedNames(LibraryCharset(choices->names));
        reader->SetErrorReporter([&](const std::string& text) {
            ++failures;
            progress.Message("tcab: " + text);
        });
        reader->MaxExtractSize(maxSize);
        reader->GetFilesInfo();
        if (!reader->LastError().empty()) {
            progress.Clear();
            ReportUnreadable(source, "", console.err);
            return kExitFailure;
        }
        auto files = reader->CompressedFiles();
        for (std::int32_t i = 1; i <= files->Count(); ++i) {
            auto file = files->Item(i);
            bool wanted = names.empty();
            for (const auto& name : names) {
                if (SameName(file->FileCabName(), name)) {
                    wanted = true;
                    found.insert(name);
                }
            }
            file->ExtractFlag(wanted);
            if (wanted) {
                ++chosen;
                total += static_cast<std::uint32_t>(file->FileSize());
            }
        }
        parts.push_back(Part{source, reader});
    }
    if (!AllNamesFound(names, found, cabinet, console.err))
        return kExitFailure;
    if (parts.size() > 1) {
        if (const std::string refusal = SizeRefusal(total, maxSize, folder); !refusal.empty()) {
            console.err << "tcab: " << refusal << "\n";
            return kExitFailure;
        }
    }

    auto listener = std::make_shared<ExtractListener>(progress, total);
    int written = 0;
    bool failed = false;
    for (const Part& part : parts) {
        if (part.source.found && console.verbosity == Verbosity::Verbose)
            progress.Message(part.source.Heading(part.reader->CompressedFiles()->Count()));
        part.reader->Advise(listener);
        part.reader->ExtractFiles(folder);
        written += part.reader->ExtractedCount();
        failed = failed || !part.reader->LastError().empty();
        if (listener->Cancelled())
            break;
    }
    progress.Clear();
    if (listener->Cancelled()) {
        console.err << "tcab: cancelled; " << written << " of " << chosen
                    << " files were extracted, and no partly written file was kept\n";
        return kExitCancelled;
    }
    if (failures > 0 || failed) {
        console.err << "tcab: extraction from '" << cabinet << "' failed; " << written << " of " << chosen
                    << " files were extracted\n";
        return kExitFailure;
    }
    if (console.verbosity != Verbosity::Quiet)
        console.out << "extracted " << written << (written == 1 ? " file" : " files") << " to " << folder << "\n";
    return kExitOk;
}

} // namespace tcab
