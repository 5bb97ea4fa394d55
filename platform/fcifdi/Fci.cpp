#include "platform/fcifdi/Fci.h"

#include "platform/cab/CabIo.h"
#include "platform/cab/CabWriter.h"
#include "platform/fcifdi/HandleTable.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>

namespace fcifdi {

namespace {

namespace fs = std::filesystem;

struct WriteContext {
    std::string cabinetPath;
    ERF* erf = nullptr;
    std::optional<cab::CabWriter> writer;
    std::size_t filesAdded = 0;
    PFNCOMPRESSPROGRESS progress = nullptr;
    void* progressContext = nullptr;
    FCIERR broken = FCIERR_NONE; // a cancelled or failed write cannot be continued
    std::string detail;          // the path and the reason behind the last failure
};

HandleTable<WriteContext>& Contexts()
{
    static HandleTable<WriteContext> table;
    return table;
}

void Fail(ERF* erf, FCIERR code, std::uint32_t cause = 0)
{
    SetError(erf, code, cause);
}

std::int32_t Clamp(std::uint64_t value)
{
    return static_cast<std::int32_t>(std::min<std::uint64_t>(value, INT32_MAX));
}

// Tried without reading: a FIFO given as a source must not hold the call.
cab::CabError ProbeSource(const std::string& source)
{
    if (source.empty())
        return cab::CabError{cab::kErrorFileNotFound, "no source file named"};
    return cab::io::OpenRegularFile(source, "").error;
}

bool CanOpenSource(const std::string& source)
{
    return !ProbeSource(source);
}

// Codec errors while a file is read and compressed into the spool.
FCIERR AddError(const cab::CabError& error, const std::string& source)
{
    switch (error.code) {
    case cab::kErrorCancelled: return FCIERR_USER_ABORT;
    // Missing or forbidden: either the source or the spool beside the
    // cabinet; the source is checked again to tell which.
    case cab::kErrorFileNotFound:
    case cab::kErrorPathNotFound:
    case cab::kErrorAccessDenied: return CanOpenSource(source) ? FCIERR_TEMP_FILE : FCIERR_OPEN_SRC;
    case cab::kErrorReadFault: return FCIERR_READ_SRC;
    case cab::kErrorSharingViolation: return FCIERR_OPEN_SRC; // the source is the cabinet being written
    case cab::kErrorNotEnoughMemory: return FCIERR_ALLOC_FAIL;
    case cab::kErrorInvalidParameter: return FCIERR_BAD_COMPR_TYPE;
    case cab::kErrorInvalidData: return FCIERR_MCI_FAIL;
    // A name the format cannot hold, or more than one cabinet can take: the
    // cabinet asked for cannot be made.
    case cab::kErrorInvalidName:
    case cab::kErrorNameTooLong:
    case cab::kErrorFileTooLarge: return FCIERR_CAB_FILE;
    default: return FCIERR_TEMP_FILE; // the spool beside the cabinet could not be written
    }
}

// Codec errors while the cabinet itself is written and put in place.
FCIERR FlushError(const cab::CabError& error)
{
    switch (error.code) {
    case cab::kErrorCancelled: return FCIERR_USER_ABORT;
    case cab::kErrorReadFault: return FCIERR_TEMP_FILE;
    case cab::kErrorNotEnoughMemory: return FCIERR_ALLOC_FAIL;
    case cab::kErrorInvalidData: return FCIERR_MCI_FAIL;
    default: return FCIERR_CAB_FILE;
    }
}

// Entry names use the backslash as folder separator; a slash from a caller on
// this platform means the same.
std::string CabinetName(const char* name)
{
    std::string result = name ? name : "";
    std::replace(result.begin(), result.end(), '/', '\\');
    return result;
}

void ForwardProgress(WriteContext& context)
{
    context.writer->SetProgress([&context](const cab::WriteProgress& p) {
        if (!context.progress)
            return true;
        std::int32_t status = 0;
        switch (p.kind) {
        case cab::WriteProgress::BlockCompressed: status = 0; break;
        case cab::WriteProgress::FolderWritten: status = 1; break;
        case cab::WriteProgress::CabinetWritten: status = 2; break;
        }
        return context.progress(status, Clamp(p.first), Clamp(p.second), context.progressContext) != -1;
    });
}

} // namespace

std::int32_t CreateCabFile(const char* cabinetPath, std::int32_t /*reserved*/, ERF* erf,
                           std::int32_t /*folderThreshold*/)
{
    if (!erf)
        return 0;
    *erf = ERF{};
    try {
        std::string path = cabinetPath ? cabinetPath : "";
        std::error_code ec;
        fs::path target(path);
        fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
        if (path.empty() || !target.has_filename() || fs::is_directory(target, ec)
            || !fs::is_directory(folder, ec)) {
            Fail(erf, FCIERR_CAB_FILE, cab::kErrorPathNotFound);
            return 0;
        }
        auto context = std::make_shared<WriteContext>();
        context->cabinetPath = path;
        context->erf = erf;
        context->writer.emplace(path);
        return Contexts().Add(std::move(context));
    } catch (const std::bad_alloc&) {
        Fail(erf, FCIERR_ALLOC_FAIL);
        return 0;
    }
}

std::int16_t AddFileToCab(std::int32_t hfci, const char* sourcePath, const char* nameInCab,
                          std::int16_t executeFlag, std::int32_t compressionType,
                          PFNCOMPRESSPROGRESS progress, void* progressContext)
{
    auto context = Contexts().Find(hfci);
    if (!context)
        return 0;
    ERF* erf = context->erf;
    try {
        if (context->broken != FCIERR_NONE) {
            Fail(erf, context->broken);
            return 0;
        }
        if (compressionType != 0 && compressionType != 1) {
            Fail(erf, FCIERR_BAD_COMPR_TYPE);
            return 0;
        }
        std::string source = sourcePath ? sourcePath : "";
        if (cab::CabError unusable = ProbeSource(source)) {
            Fail(erf, FCIERR_OPEN_SRC, unusable.code);
            context->detail = unusable.message;
            return 0;
        }
        context->progress = progress;
        context->progressContext = progressContext;
        ForwardProgress(*context);

        cab::WriterSource file;
        file.sourcePath = source;
        file.nameInCab = CabinetName(nameInCab);
        file.compression = compressionType == 0 ? cab::Compression::None : cab::Compression::MsZip;
        file.runAfterExtract = executeFlag != 0;
        cab::CabError error = context->writer->AddFile(file);
        if (error) {
            context->broken = AddError(error, source);
            Fail(erf, context->broken, error.code);
            context->detail = error.message;
            return 0;
        }
        ++context->filesAdded;
        return 1;
    } catch (const std::bad_alloc&) {
        context->broken = FCIERR_ALLOC_FAIL;
        Fail(erf, FCIERR_ALLOC_FAIL);
        return 0;
    }
}

std::int16_t FlushCabinet(std::int32_t hfci)
{
    auto context = Contexts().Find(hfci);
    if (!context)
        return 0;
    ERF* erf = context->erf;
    try {
        if (context->broken != FCIERR_NONE) {
            Fail(erf, context->broken);
            return 0;
        }
        // A cabinet without files is of no use to any reader (several refuse
        // it outright), so none is written and an earlier file stays as it is.
        if (context->filesAdded == 0)
            return 1;
        ForwardProgress(*context);
        cab::CabError error = context->writer->Commit();
        if (error) {
            context->broken = FlushError(error);
            Fail(erf, context->broken, error.code);
            context->detail = error.message;
            return 0;
        }
        // A flushed context starts a fresh cabinet if more files come.
        context->writer.reset();
        context->writer.emplace(context->cabinetPath);
        context->filesAdded = 0;
        return 1;
    } catch (const std::bad_alloc&) {
        context->broken = FCIERR_ALLOC_FAIL;
        Fail(erf, FCIERR_ALLOC_FAIL);
        return 0;
    }
}

std::string WriteErrorDetail(std::int32_t hfci)
{
    auto context = Contexts().Find(hfci);
    return context ? context->detail : std::string();
}

std::int16_t Commit(std::int32_t hfci)
{
    auto context = Contexts().Remove(hfci);
    if (!context)
        return 0;
    if (context->writer)
        context->writer->Abort();
    return 1;
}

} // namespace fcifdi
