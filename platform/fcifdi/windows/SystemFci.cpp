// Writing a cabinet through the system's cabinet.dll (FCI), behind the same
// numbered contexts, error codes and progress kinds as the codec on Linux.
// FCI asks for every file by name through our callbacks, so it is handed
// short names of our own ("cabinet:", "spool:N") and never meets a path it
// could not hold: paths stay UTF-8 here and wide at the system's edge.
#include "platform/cab/CabText.h"
#include "platform/fcifdi/Fci.h"
#include "platform/fcifdi/HandleTable.h"
#include "platform/fcifdi/windows/SystemFiles.h"
#include "platform/windows/Utf16.h"

#include <windows.h>

#include <fci.h>
#include <fcntl.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace fcifdi {

namespace {

static_assert(sizeof(::ERF) == sizeof(fcifdi::ERF) && offsetof(::ERF, fError) == offsetof(fcifdi::ERF, fError),
              "the system fills the caller's record directly");

constexpr char kCabinetName[] = "cabinet:";
constexpr char kSpoolPrefix[] = "spool:";
// Entry names the format can hold: up to 255 bytes and a NUL.
constexpr std::size_t kMaxNameBytes = CB_MAX_FILENAME - 1;

struct WriteContext {
    fcifdi::ERF* erf = nullptr;
    HFCI hfci = nullptr;
    CCAB ccab{};
    std::wstring cabinetPath;
    std::wstring partPath;            // the cabinet while FCI writes it
    std::vector<std::wstring> spools; // FCI's own temporary files
    bool nameIsUtf8 = false;          // the entry being added has a non-ASCII name
    PFNCOMPRESSPROGRESS progress = nullptr;
    void* progressContext = nullptr;
    std::size_t filesAdded = 0;
    FCIERR broken = FCIERR_NONE;      // a cancelled or failed write cannot be continued
    std::string detail;               // the path and the system's reason behind the last failure
};

HandleTable<WriteContext>& Contexts()
{
    static HandleTable<WriteContext> table;
    return table;
}

WriteContext& Of(void* pv) { return *static_cast<WriteContext*>(pv); }

// The real file behind a name FCI hands back, or "" for a name we never gave it.
std::wstring RealPath(const WriteContext& context, const char* name)
{
    if (std::strcmp(name, kCabinetName) == 0)
        return context.partPath;
    if (std::strncmp(name, kSpoolPrefix, sizeof kSpoolPrefix - 1) == 0) {
        const std::size_t index = std::strtoul(name + sizeof kSpoolPrefix - 1, nullptr, 10);
        if (index < context.spools.size())
            return context.spools[index];
    }
    return {};
}

FNFCIALLOC(Alloc) { return std::malloc(cb); }
FNFCIFREE(Free) { std::free(memory); }

FNFCIOPEN(Open)
{
    (void)pmode;
    WriteContext& context = Of(pv);
    const std::wstring path = RealPath(context, pszFile);
    if (path.empty()) {
        *err = ERROR_FILE_NOT_FOUND;
        return -1;
    }
    const INT_PTR file = windows::OpenFile(path, oflag, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, err);
    if (file == -1)
        context.detail = windows::PathReason(path, static_cast<DWORD>(*err));
    return file;
}

FNFCIREAD(Read)
{
    (void)pv;
    return windows::ReadFile(hf, memory, cb, err);
}

FNFCIWRITE(Write)
{
    (void)pv;
    return windows::WriteFile(hf, memory, cb, err);
}

FNFCICLOSE(Close)
{
    (void)pv;
    return windows::CloseFile(hf, err);
}

FNFCISEEK(Seek)
{
    (void)pv;
    return windows::SeekFile(hf, dist, seektype, err);
}

FNFCIDELETE(Delete)
{
    const std::wstring path = RealPath(Of(pv), pszFile);
    if (path.empty() || !DeleteFileW(path.c_str())) {
        *err = static_cast<int>(GetLastError());
        return -1;
    }
    return 0;
}

FNFCIGETTEMPFILE(TempFile)
{
    WriteContext& context = Of(pv);
    const std::string name = kSpoolPrefix + std::to_string(context.spools.size());
    if (name.size() + 1 > static_cast<std::size_t>(cbTempName))
        return FALSE;
    context.spools.push_back(windows::TemporaryName(windows::FolderOf(context.cabinetPath), L"spool"));
    std::memcpy(pszTempName, name.c_str(), name.size() + 1);
    return TRUE;
}

FNFCIFILEPLACED(FilePlaced)
{
    (void)pccab, (void)pszFile, (void)cbFile, (void)fContinuation, (void)pv;
    return 0;
}

// The cabinet is never split, so no next one is ever asked for.
FNFCIGETNEXTCABINET(NextCabinet)
{
    (void)pccab, (void)cbPrevCab, (void)pv;
    return FALSE;
}

// Opens a source file for FCI and tells it the entry's stamp: the file's last
// write as local DOS time, its read-only, hidden, system and archive bits, and
// the flag for a UTF-8 name.
FNFCIGETOPENINFO(OpenInfo)
{
    WriteContext& context = Of(pv);
    const INT_PTR file = windows::OpenFile(win::WidePath(pszName), _O_RDONLY, 0, err);
    if (file == -1) {
        context.detail = windows::PathReason(win::WidePath(pszName), static_cast<DWORD>(*err));
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    FILETIME local{};
    if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(file), &info)
        || !FileTimeToLocalFileTime(&info.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, pdate, ptime)) {
        *err = static_cast<int>(GetLastError());
        windows::CloseFile(file, nullptr);
        return -1;
    }
    *pattribs = static_cast<USHORT>(info.dwFileAttributes
                                    & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM
                                       | FILE_ATTRIBUTE_ARCHIVE));
    if (context.nameIsUtf8)
        *pattribs |= _A_NAME_IS_UTF;
    return file;
}

std::int32_t Clamp(ULONG value)
{
    return static_cast<std::int32_t>(std::min<ULONG>(value, INT_MAX));
}

// FCI's progress in the kinds the library knows: 0 a block compressed (bytes
// in, bytes out), 1 the folder copied into the cabinet (done, total), 2 the
// cabinet complete (its size), which can no longer be cancelled.
FNFCISTATUS(Status)
{
    WriteContext& context = Of(pv);
    if (typeStatus == statusCabinet) {
        if (context.progress)
            context.progress(2, Clamp(cb2), 0, context.progressContext);
        return static_cast<long>(cb2);
    }
    if (!context.progress)
        return 0;
    const std::int16_t answer = typeStatus == statusFile
                                    ? context.progress(0, Clamp(cb2), Clamp(cb1), context.progressContext)
                                    : context.progress(1, Clamp(cb1), Clamp(cb2), context.progressContext);
    return answer == -1 ? -1 : 0;
}

void Fail(fcifdi::ERF* erf, FCIERR code, DWORD cause = 0)
{
    SetError(erf, code, cause);
}

// What a failed FCI call left in the record, or a code of our own when it
// left none (the cabinet could not be put in place, say).
FCIERR Failure(const WriteContext& context, FCIERR fallback)
{
    const auto code = static_cast<FCIERR>(context.erf->erfOper);
    return context.erf->fError && code != FCIERR_NONE ? code : fallback;
}

bool IsReadableFile(const std::wstring& path, DWORD* error)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_ACCESS_DENIED;
        return false;
    }
    return true;
}

void DiscardFiles(WriteContext& context)
{
    if (!context.partPath.empty())
        DeleteFileW(context.partPath.c_str());
    for (const auto& spool : context.spools)
        DeleteFileW(spool.c_str());
}

} // namespace

std::int32_t CreateCabFile(const char* cabinetPath, std::int32_t /*reserved*/, ERF* erf,
                           std::int32_t /*folderThreshold*/)
{
    if (!erf)
        return 0;
    *erf = ERF{};
    try {
        const std::wstring path = win::WidePath(cabinetPath ? cabinetPath : "");
        const std::wstring folder = windows::FolderOf(path);
        const DWORD pathAttributes = GetFileAttributesW(path.c_str());
        const DWORD folderAttributes = GetFileAttributesW(folder.empty() ? L"." : folder.c_str());
        if (path.empty() || path.back() == L'\\'
            || (pathAttributes != INVALID_FILE_ATTRIBUTES && (pathAttributes & FILE_ATTRIBUTE_DIRECTORY))
            || folderAttributes == INVALID_FILE_ATTRIBUTES || !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Fail(erf, FCIERR_CAB_FILE, ERROR_PATH_NOT_FOUND);
            return 0;
        }
        auto context = std::make_shared<WriteContext>();
        context->erf = erf;
        context->cabinetPath = path;
        context->partPath = windows::TemporaryName(folder, L"part");
        // One cabinet, and folders as large as FCI makes them, as the codec
        // does on Linux: a small folder threshold would only cost compression.
        context->ccab.cb = CB_MAX_DISK;
        context->ccab.cbFolderThresh = CB_MAX_DISK;
        context->ccab.iCab = 1;
        std::strcpy(context->ccab.szCab, kCabinetName);
        context->hfci = FCICreate(reinterpret_cast<::ERF*>(erf), FilePlaced, Alloc, Free, Open, Read, Write, Close,
                                  Seek, Delete, TempFile, &context->ccab, context.get());
        if (!context->hfci) {
            if (!erf->fError)
                Fail(erf, FCIERR_TEMP_FILE, GetLastError());
            DiscardFiles(*context);
            return 0;
        }
        return Contexts().Add(std::move(context));
    } catch (const std::bad_alloc&) {
        Fail(erf, FCIERR_ALLOC_FAIL, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

std::int16_t AddFileToCab(std::int32_t hfci, const char* sourcePath, const char* nameInCab, std::int16_t executeFlag,
                          std::int32_t compressionType, PFNCOMPRESSPROGRESS progress, void* progressContext)
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
        if (compressionType != tcompTYPE_NONE && compressionType != tcompTYPE_MSZIP) {
            Fail(erf, FCIERR_BAD_COMPR_TYPE);
            return 0;
        }
        std::string source = sourcePath ? sourcePath : "";
        DWORD cause = 0;
        if (source.empty() || !IsReadableFile(win::WidePath(source), &cause)) {
            Fail(erf, FCIERR_OPEN_SRC, cause);
            context->detail = windows::PathReason(win::WidePath(source), cause);
            return 0;
        }
        // Entry names use the backslash between folders; a slash means the same.
        std::string name = nameInCab ? nameInCab : "";
        std::replace(name.begin(), name.end(), '/', '\\');
        if (name.empty() || name.size() > kMaxNameBytes) {
            Fail(erf, FCIERR_CAB_FILE, ERROR_INVALID_NAME);
            context->detail = name.empty() ? "an entry needs a name"
                                           : "the entry name '" + name + "' is longer than a cabinet allows (255 bytes)";
            return 0;
        }
        context->nameIsUtf8 = !cab::IsAscii(name);
        context->progress = progress;
        context->progressContext = progressContext;
        if (!FCIAddFile(context->hfci, source.data(), name.data(), executeFlag != 0, NextCabinet, Status, OpenInfo,
                        static_cast<TCOMP>(compressionType))) {
            context->broken = Failure(*context, FCIERR_TEMP_FILE);
            Fail(erf, context->broken, static_cast<DWORD>(erf->erfType));
            return 0;
        }
        ++context->filesAdded;
        return 1;
    } catch (const std::bad_alloc&) {
        context->broken = FCIERR_ALLOC_FAIL;
        Fail(erf, FCIERR_ALLOC_FAIL, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

std::int16_t FlushCabinet(std::int32_t hfci)
{
    auto context = Contexts().Find(hfci);
    if (!context)
        return 0;
    ERF* erf = context->erf;
    if (context->broken != FCIERR_NONE) {
        Fail(erf, context->broken);
        return 0;
    }
    // A cabinet without files is of no use to any reader, so none is written
    // and an earlier file stays as it is.
    if (context->filesAdded == 0)
        return 1;
    if (!FCIFlushCabinet(context->hfci, FALSE, NextCabinet, Status)) {
        context->broken = Failure(*context, FCIERR_CAB_FILE);
        Fail(erf, context->broken, static_cast<DWORD>(erf->erfType));
        DeleteFileW(context->partPath.c_str());
        return 0;
    }
    // The finished cabinet replaces any earlier one only now, so a failed or
    // cancelled write leaves the old file as it was.
    if (!MoveFileExW(context->partPath.c_str(), context->cabinetPath.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD cause = GetLastError();
        context->broken = FCIERR_CAB_FILE;
        context->detail = windows::PathReason(context->cabinetPath, cause);
        Fail(erf, FCIERR_CAB_FILE, cause);
        DeleteFileW(context->partPath.c_str());
        return 0;
    }
    context->filesAdded = 0;
    return 1;
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
    FCIDestroy(context->hfci);
    DiscardFiles(*context);
    return 1;
}

} // namespace fcifdi
