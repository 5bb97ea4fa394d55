#include "platform/fcifdi/Fdi.h"

#include "platform/cab/CabFormat.h"
#include "platform/cab/CabReader.h"
#include "platform/fcifdi/CabinetHeader.h"
#include "platform/fcifdi/HandleTable.h"
#include "platform/cab/TargetFolder.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <new>
#include <optional>

namespace fcifdi {

namespace {

namespace fs = std::filesystem;
namespace fmt = cab::format;

struct ReadContext {
    ERF* erf = nullptr;
    std::string openPath;          // the cabinet `reader` holds, when any
    cab::ReadOptions options;      // how it is read
    std::optional<cab::CabReader> reader;
    CabinetHeader header;
    std::string detail; // the path and the reason behind the last failure
};

HandleTable<ReadContext>& Contexts()
{
    static HandleTable<ReadContext> table;
    return table;
}

void Fail(ERF* erf, FDIERROR code, std::uint32_t cause = 0)
{
    SetError(erf, code, cause);
}

void Fail(ReadContext& context, FDIERROR code, const cab::CabError& cause)
{
    SetError(context.erf, code, cause.code);
    context.detail = cause.message;
}

// Opens the cabinet into the context unless it already holds it; false with
// the reason in the ERF when it cannot be read.
bool OpenCabinet(ReadContext& context, const std::string& path)
{
    if (context.reader && context.openPath == path)
        return true;
    context.reader.reset();
    context.openPath.clear();

    if (path.empty()) {
        Fail(context, FDIERROR_CABINET_NOT_FOUND, cab::CabError{cab::kErrorFileNotFound, "no cabinet named"});
        return false;
    }
    // Looked at without being read first: a FIFO or a device must neither
    // hold the walk nor feed it endless bytes.
    {
        cab::io::OpenedFile probe = cab::io::OpenRegularFile(path, "cabinet");
        if (probe.error) {
            const bool special = probe.st.st_mode != 0 && !S_ISDIR(probe.st.st_mode);
            Fail(context, special ? FDIERROR_NOT_A_CABINET : FDIERROR_CABINET_NOT_FOUND, probe.error);
            return false;
        }
    }
    context.header = ReadCabinetHeader(path, context.options.offset);
    switch (context.header.status) {
    case CabinetHeader::Ok: break;
    case CabinetHeader::Missing: Fail(context.erf, FDIERROR_CABINET_NOT_FOUND, cab::kErrorFileNotFound); return false;
    case CabinetHeader::NotACabinet:
        Fail(context, FDIERROR_NOT_A_CABINET,
             cab::CabError{cab::kErrorInvalidData,
                           context.options.offset == 0 ? "'" + path + "' is not a cabinet file"
                                                       : "no cabinet starts at byte "
                                                             + std::to_string(context.options.offset) + " of '" + path + "'"});
        return false;
    case CabinetHeader::UnknownVersion:
        Fail(context, FDIERROR_UNKNOWN_CABINET_VERSION,
             cab::CabError{cab::kErrorInvalidData, "'" + path + "' is a cabinet of a version this reader does not know"});
        return false;
    case CabinetHeader::Damaged:
        Fail(context, FDIERROR_CORRUPT_CABINET, cab::CabError{cab::kErrorInvalidData, "the header of '" + path + "' is damaged"});
        return false;
    }
    context.reader.emplace();
    cab::CabError error = context.reader->Open(path, context.options);
    if (error) {
        context.reader.reset();
        if (error.code == cab::kErrorFileNotFound || error.code == cab::kErrorPathNotFound
            || error.code == cab::kErrorAccessDenied)
            Fail(context, FDIERROR_CABINET_NOT_FOUND, error);
        else
            Fail(context, FDIERROR_CORRUPT_CABINET, error);
        return false;
    }
    context.openPath = path;
    return true;
}

// Codec errors while one entry is decoded and written.
FDIERROR ExtractError(const cab::CabError& error)
{
    switch (error.code) {
    case cab::kErrorInvalidData: return FDIERROR_MDI_FAIL;
    case cab::kErrorReadFault: return FDIERROR_CORRUPT_CABINET;
    case cab::kErrorFileNotFound: return FDIERROR_CABINET_NOT_FOUND;
    default: return FDIERROR_TARGET_FILE;
    }
}

bool ContinuedFromPrevious(std::uint16_t folderIndex)
{
    return folderIndex == fmt::cffileCONTINUED_FROM_PREV || folderIndex == fmt::cffileCONTINUED_PREV_AND_NEXT;
}

std::uint16_t FolderCompression(const ReadContext& context, std::uint16_t folderIndex)
{
    const auto& types = context.header.folderCompression;
    if (folderIndex == fmt::cffileCONTINUED_TO_NEXT)
        return types.empty() ? 0 : types.back();
    return folderIndex < types.size() ? types[folderIndex] : 0;
}

std::string AbsolutePath(const std::string& path)
{
    std::error_code ec;
    fs::path absolute = fs::absolute(path.empty() ? "." : path, ec);
    if (ec)
        return path;
    std::string text = absolute.lexically_normal().string();
    if (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

} // namespace

std::int32_t OpenCabFile(ERF* erf)
{
    if (!erf)
        return 0;
    *erf = ERF{};
    try {
        auto context = std::make_shared<ReadContext>();
        context->erf = erf;
        return Contexts().Add(std::move(context));
    } catch (const std::bad_alloc&) {
        Fail(erf, FDIERROR_ALLOC_FAIL, cab::kErrorNotEnoughMemory);
        return 0;
    }
}

std::int16_t IsCabFile(std::int32_t hfdi, const char* cabinetPath)
{
    auto context = Contexts().Find(hfdi);
    if (!context)
        return 0;
    try {
        return OpenCabinet(*context, cabinetPath ? cabinetPath : "") ? 1 : 0;
    } catch (const std::bad_alloc&) {
        Fail(context->erf, FDIERROR_ALLOC_FAIL, cab::kErrorNotEnoughMemory);
        return 0;
    }
}

std::int16_t ExtractCab(std::int32_t hfdi, const char* cabinetPath, PFNEXTRACTNOTIFY notify,
                        const char* destinationDir, void* notifyContext)
{
    auto context = Contexts().Find(hfdi);
    if (!context || !notify)
        return 0;
    ERF* erf = context->erf;
    try {
        std::string path = cabinetPath ? cabinetPath : "";
        // Made absolute once, so every written file is reported by its full path.
        std::string destination = AbsolutePath(destinationDir ? destinationDir : "");
        if (!OpenCabinet(*context, path))
            return 0;
        cab::CabReader& reader = *context->reader;
        const cab::CabInfo& info = reader.Info();

        FdiNotifyRecord cabinet;
        cabinet.psz3 = path.c_str();
        cabinet.setID = info.setId;
        cabinet.iCabinet = info.cabinetIndex;
        if (notify(kNotifyCabinetInfo, &cabinet, notifyContext) == -1) {
            Fail(erf, FDIERROR_USER_ABORT, cab::kErrorCancelled);
            return 0;
        }

        const auto& entries = reader.Entries();
        cab::TargetFolder folder; // opened, and made, when the first entry is to be written
        std::optional<std::pair<FDIERROR, cab::CabError>> firstFailure;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const cab::CabEntry& entry = entries[i];
            FdiNotifyRecord record;
            record.cb = static_cast<std::int32_t>(entry.size);
            record.psz1 = entry.name.c_str();
            record.date = entry.dosDate;
            record.time = entry.dosTime;
            record.attribs = entry.attributes;
            record.setID = info.setId;
            record.iCabinet = info.cabinetIndex;
            record.iFolder = entry.folderIndex;

            if (ContinuedFromPrevious(entry.folderIndex)) {
                if (notify(kNotifyPartialFile, &record, notifyContext) == -1) {
                    Fail(erf, FDIERROR_USER_ABORT, cab::kErrorCancelled);
                    return 0;
                }
                continue;
            }
            std::int32_t answer = notify(kNotifyCopyFile, &record, notifyContext);
            if (answer == -1) {
                Fail(erf, FDIERROR_USER_ABORT, cab::kErrorCancelled);
                return 0;
            }
            if (answer != 1)
                continue;

            if (!folder.IsOpen()) {
                if (cab::CabError error = folder.Open(destination)) {
                    Fail(*context, FDIERROR_TARGET_FILE, error);
                    return 0;
                }
            }
            // A place that is not safe is refused entry by entry: the caller
            // reports it, and the other entries are still written.
            cab::Target target = folder.Place(entry.name);
            if (!target.error && target.existing && reader.IsCabinetFile(*target.existing))
                target.error = cab::CabError{cab::kErrorSharingViolation,
                                             "'" + target.path + "' is the cabinet being read: its entry would replace it"};
            if (target.error) {
                FdiNotifyRecord refused = record;
                refused.cb = static_cast<std::int32_t>(target.error.code);
                refused.psz2 = target.error.message.c_str();
                refused.fdie = FDIERROR_TARGET_FILE;
                if (notify(kNotifyNotWritten, &refused, notifyContext) == -1) {
                    Fail(erf, FDIERROR_USER_ABORT, cab::kErrorCancelled);
                    return 0;
                }
                continue;
            }
            reader.SetExtractProgress([&](std::uint64_t written) {
                FdiNotifyRecord progress = record;
                progress.cb = static_cast<std::int32_t>(std::min<std::uint64_t>(written, INT32_MAX));
                return notify(kNotifyWriteProgress, &progress, notifyContext) != -1;
            });
            const bool decodable = IsKnownCompression(FolderCompression(*context, entry.folderIndex));
            cab::CabError error =
                decodable ? reader.Extract(i, target)
                          : cab::CabError{cab::kErrorInvalidData,
                                          "'" + entry.name + "' is compressed in a way no decoder here knows"};
            reader.SetExtractProgress({});
            if (error.code == cab::kErrorCancelled) {
                Fail(erf, FDIERROR_USER_ABORT, cab::kErrorCancelled);
                return 0;
            }
            if (error) {
                // Salvage: the entry is reported, and the intact ones after it still written.
                const FDIERROR code = decodable ? ExtractError(error) : FDIERROR_BAD_COMPR_TYPE;
                if (!firstFailure)
                    firstFailure = {code, error};
                FdiNotifyRecord failed = record;
                failed.cb = static_cast<std::int32_t>(error.code);
                failed.psz2 = error.message.c_str();
                failed.fdie = code;
                if (notify(kNotifyNotWritten, &failed, notifyContext) == -1) {
                    Fail(erf, FDIERROR_USER_ABORT, cab::kErrorCancelled);
                    return 0;
                }
                continue;
            }

            FdiNotifyRecord closed = record;
            closed.cb = (entry.attributes & fmt::kAttribExecute) ? 1 : 0;
            closed.psz1 = target.path.c_str();
            if (notify(kNotifyCloseFileInfo, &closed, notifyContext) == -1) {
                Fail(erf, FDIERROR_USER_ABORT, cab::kErrorCancelled);
                return 0;
            }
        }
        if (firstFailure) {
            Fail(*context, firstFailure->first, firstFailure->second);
            return 0;
        }
        return 1;
    } catch (const std::bad_alloc&) {
        Fail(erf, FDIERROR_ALLOC_FAIL, cab::kErrorNotEnoughMemory);
        return 0;
    }
}

std::int16_t SetReadOptions(std::int32_t hfdi, const cab::ReadOptions& options)
{
    auto context = Contexts().Find(hfdi);
    if (!context)
        return 0;
    context->options = options;
    context->reader.reset(); // read again the new way
    context->openPath.clear();
    return 1;
}

std::int16_t Release(std::int32_t hfdi)
{
    return Contexts().Remove(hfdi) ? 1 : 0;
}

std::string ReadErrorDetail(std::int32_t hfdi)
{
    auto context = Contexts().Find(hfdi);
    return context ? context->detail : std::string();
}

} // namespace fcifdi
