// Reading a cabinet through the system's cabinet.dll (FDI), behind the same
// numbered contexts, error codes and notifications as the codec on Linux:
// entry names reach the caller as UTF-8; an entry is written only below the
// destination, never through a link inside it nor over the cabinet itself,
// and only under its final name once it is complete; an entry the system
// refuses to write is reported and the walk goes on with the next. Damaged
// data is the one thing FDI itself stops the whole walk for.
#include "platform/cab/CabReader.h"
#include "platform/cab/CabText.h"
#include "platform/fcifdi/Fdi.h"
#include "platform/fcifdi/HandleTable.h"
#include "platform/fcifdi/windows/SystemFiles.h"
#include "platform/windows/Utf16.h"

#include <windows.h>

#include <fcntl.h>
#include <fdi.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>

namespace fcifdi {

namespace {

static_assert(sizeof(::ERF) == sizeof(fcifdi::ERF) && offsetof(::ERF, fError) == offsetof(fcifdi::ERF, fError),
              "the system fills the caller's record directly");

struct ReadContext {
    fcifdi::ERF* erf = nullptr;
    HFDI hfdi = nullptr;
    std::string detail; // the path and the reason behind the last failure
};

HandleTable<ReadContext>& Contexts()
{
    static HandleTable<ReadContext> table;
    return table;
}

// One ExtractCab: whom to tell, where to write, and the entry being written.
struct Walk {
    PFNEXTRACTNOTIFY notify = nullptr;
    void* notifyContext = nullptr;
    std::string destination;  // absolute, "/" between folders
    std::wstring cabinetPath; // never written over by one of its entries
    std::uint16_t setId = 0;
    std::uint16_t cabinetIndex = 0;
    bool destinationMade = false; // made, with any folder above it, for the first entry written

    INT_PTR partFile = -1; // open while FDI writes an entry into it
    std::wstring partPath;
    std::wstring targetPath;
    std::string entryName;
    std::uint64_t written = 0;
    DWORD entryError = 0; // a write the system refused: the entry is dropped at its end

    // The first entry that could not be written, reported when the walk ends.
    FDIERROR firstFailure = FDIERROR_NONE;
    DWORD firstCause = 0;
    // Ours, when FDI would report something vaguer or nothing.
    FDIERROR failure = FDIERROR_NONE;
    DWORD cause = 0;
    std::string detail;
};

// FDI's file callbacks carry no context; a walk runs on its caller's thread
// from start to end, so the thread knows it.
thread_local Walk* currentWalk = nullptr;

FNALLOC(Alloc) { return std::malloc(cb); }
FNFREE(Free) { std::free(pv); }

FNOPEN(Open)
{
    (void)pmode;
    return windows::OpenFile(win::WidePath(pszFile), oflag, 0, nullptr);
}

FNREAD(Read) { return windows::ReadFile(hf, pv, cb, nullptr); }
UINT WriteEntry(Walk& walk, const void* data, UINT size);

FNWRITE(Write)
{
    if (currentWalk && currentWalk->partFile == hf)
        return WriteEntry(*currentWalk, pv, cb);
    return windows::WriteFile(hf, pv, cb, nullptr);
}

FNCLOSE(Close)
{
    if (currentWalk && currentWalk->partFile == hf)
        currentWalk->partFile = -1;
    return windows::CloseFile(hf, nullptr);
}

FNSEEK(Seek) { return windows::SeekFile(hf, dist, seektype, nullptr); }

INT_PTR Fail(Walk& walk, FDIERROR code, DWORD cause, std::string detail = {})
{
    walk.failure = code;
    walk.cause = cause;
    if (!detail.empty())
        walk.detail = std::move(detail);
    return -1;
}

// Tells the caller an entry it chose was not written, and why. The walk goes
// on unless the caller answers -1.
bool ReportNotWritten(Walk& walk, const std::string& name, DWORD cause, const std::string& reason)
{
    FdiNotifyRecord record;
    record.cb = static_cast<std::int32_t>(cause);
    record.psz1 = name.c_str();
    record.psz2 = reason.c_str();
    record.fdie = FDIERROR_TARGET_FILE;
    record.setID = walk.setId;
    record.iCabinet = walk.cabinetIndex;
    return walk.notify(kNotifyNotWritten, &record, walk.notifyContext) != -1;
}

// An entry the system refused to write: reported, and the walk's result once it ends.
bool EntryFailed(Walk& walk, const std::string& name, DWORD cause, const std::string& reason)
{
    if (walk.firstFailure == FDIERROR_NONE) {
        walk.firstFailure = FDIERROR_TARGET_FILE;
        walk.firstCause = cause;
        walk.detail = reason;
    }
    return ReportNotWritten(walk, name, cause, reason);
}

constexpr const char* kThroughLink = " is a link: nothing is written through a link inside the folder extracted to";

// Where an entry goes, its folders made one at a time below the destination;
// "" and the reason when its place is not safe to write.
std::wstring PlaceEntry(const Walk& walk, const std::string& name, std::string& refusal)
{
    const std::string target = cab::SafeTargetPath(walk.destination, name);
    if (target.empty()) {
        refusal = "'" + name + "' would be written outside '" + walk.destination + "'";
        return {};
    }
    const std::wstring path = win::WidePath(target);
    const std::size_t below = win::WidePath(walk.destination).size();
    for (std::size_t cut = path.find(L'\\', below + 1); cut != std::wstring::npos; cut = path.find(L'\\', cut + 1)) {
        const std::wstring folder = path.substr(0, cut);
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
                refusal = windows::QuotedPath(folder) + ": cannot create the folder: "
                          + windows::SystemReason(GetLastError());
                return {};
            }
        } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            refusal = windows::QuotedPath(folder) + kThroughLink;
            return {};
        } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            refusal = windows::QuotedPath(folder) + " is a file where a folder is needed";
            return {};
        }
    }
    const DWORD existing = GetFileAttributesW(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES) {
        if (existing & FILE_ATTRIBUTE_REPARSE_POINT) {
            refusal = windows::QuotedPath(path) + kThroughLink;
            return {};
        }
        if (existing & FILE_ATTRIBUTE_DIRECTORY) {
            refusal = windows::QuotedPath(path) + " is a folder";
            return {};
        }
        if (windows::IdentityOf(path) == windows::IdentityOf(walk.cabinetPath)) {
            refusal = windows::QuotedPath(path) + " is the cabinet being read: its entry would replace it";
            return {};
        }
    }
    return path;
}

// The entry is wanted: its place, and a part file beside it to write into.
INT_PTR StartEntry(Walk& walk, const std::string& name)
{
    if (!walk.destinationMade) {
        const std::wstring destination = win::WidePath(walk.destination);
        DWORD error = 0;
        if (!windows::MakeFolders(destination, &error))
            return Fail(walk, FDIERROR_TARGET_FILE, error, windows::PathReason(destination, error));
        walk.destinationMade = true;
    }
    std::string refusal;
    walk.targetPath = PlaceEntry(walk, name, refusal);
    // An unsafe place is refused entry by entry; the other entries are still written.
    if (walk.targetPath.empty())
        return ReportNotWritten(walk, name, ERROR_ACCESS_DENIED, refusal) ? 0 : -1;
    walk.partPath = windows::TemporaryName(windows::FolderOf(walk.targetPath), L"part");
    int error = 0;
    walk.partFile = windows::OpenFile(walk.partPath, _O_WRONLY | _O_CREAT | _O_EXCL, 0, &error);
    if (walk.partFile == -1) {
        walk.partPath.clear();
        const std::string reason = windows::PathReason(walk.targetPath, static_cast<DWORD>(error));
        return EntryFailed(walk, name, static_cast<DWORD>(error), reason) ? 0 : -1;
    }
    walk.entryName = name;
    walk.written = 0;
    walk.entryError = 0;
    return walk.partFile;
}

UINT WriteEntry(Walk& walk, const void* data, UINT size)
{
    // A refused write drops this entry only: FDI reads on, so the next
    // entries are still written.
    if (walk.entryError == 0) {
        int error = 0;
        if (windows::WriteFile(walk.partFile, data, size, &error) != size)
            walk.entryError = error ? static_cast<DWORD>(error) : ERROR_WRITE_FAULT;
    }
    walk.written += size;
    FdiNotifyRecord progress;
    progress.psz1 = walk.entryName.c_str();
    progress.cb = static_cast<std::int32_t>(std::min<std::uint64_t>(walk.written, INT32_MAX));
    if (walk.notify(kNotifyWriteProgress, &progress, walk.notifyContext) == -1) {
        Fail(walk, FDIERROR_USER_ABORT, ERROR_CANCELLED);
        return static_cast<UINT>(-1);
    }
    return size;
}

void DropPart(Walk& walk)
{
    if (walk.partFile != -1) {
        windows::CloseFile(walk.partFile, nullptr);
        walk.partFile = -1;
    }
    if (!walk.partPath.empty()) {
        DeleteFileW(walk.partPath.c_str());
        walk.partPath.clear();
    }
}

// The entry is complete: give it its final name and tell the caller where it
// is, or, when the system refused part of it, drop it and say why.
INT_PTR FinishEntry(Walk& walk, PFDINOTIFICATION pfdin)
{
    DWORD cause = walk.entryError;
    if (walk.partFile != -1) {
        int error = 0;
        if (windows::CloseFile(walk.partFile, &error) != 0 && cause == 0)
            cause = static_cast<DWORD>(error);
        walk.partFile = -1;
    }
    if (cause == 0 && !MoveFileExW(walk.partPath.c_str(), walk.targetPath.c_str(), MOVEFILE_REPLACE_EXISTING))
        cause = GetLastError();
    if (cause != 0) {
        DropPart(walk);
        const std::string reason = windows::PathReason(walk.targetPath, cause);
        if (!EntryFailed(walk, walk.entryName, cause, reason)) {
            Fail(walk, FDIERROR_USER_ABORT, ERROR_CANCELLED);
            return FALSE;
        }
        return TRUE;
    }
    walk.partPath.clear();
    const std::string written = win::Utf16ToUtf8(walk.targetPath);
    FdiNotifyRecord closed;
    closed.cb = pfdin->cb ? 1 : 0;
    closed.psz1 = written.c_str();
    closed.date = pfdin->date;
    closed.time = pfdin->time;
    closed.attribs = pfdin->attribs;
    closed.setID = walk.setId;
    closed.iCabinet = walk.cabinetIndex;
    if (walk.notify(kNotifyCloseFileInfo, &closed, walk.notifyContext) == -1) {
        Fail(walk, FDIERROR_USER_ABORT, ERROR_CANCELLED);
        return FALSE;
    }
    return TRUE;
}

FNFDINOTIFY(Notify)
{
    Walk& walk = *static_cast<Walk*>(pfdin->pv);
    try {
        FdiNotifyRecord record;
        record.setID = walk.setId;
        record.iCabinet = walk.cabinetIndex;
        switch (fdint) {
        case fdintCABINET_INFO: {
            walk.setId = pfdin->setID;
            walk.cabinetIndex = pfdin->iCabinet;
            record.psz1 = pfdin->psz1 ? pfdin->psz1 : "";
            record.psz2 = pfdin->psz2 ? pfdin->psz2 : "";
            record.psz3 = pfdin->psz3 ? pfdin->psz3 : "";
            record.setID = pfdin->setID;
            record.iCabinet = pfdin->iCabinet;
            return walk.notify(kNotifyCabinetInfo, &record, walk.notifyContext) == -1 ? -1 : 0;
        }
        case fdintPARTIAL_FILE:
        case fdintCOPY_FILE: {
            // Names as the codec reads them on Linux.
            const std::string name = cab::DecodeEntryName(pfdin->psz1 ? pfdin->psz1 : "",
                                                          (pfdin->attribs & _A_NAME_IS_UTF) != 0,
                                                          cab::NameCharset::Auto);
            record.cb = pfdin->cb;
            record.psz1 = name.c_str();
            record.date = pfdin->date;
            record.time = pfdin->time;
            record.attribs = pfdin->attribs;
            record.iFolder = pfdin->iFolder;
            const auto kind = fdint == fdintCOPY_FILE ? kNotifyCopyFile : kNotifyPartialFile;
            const std::int32_t answer = walk.notify(kind, &record, walk.notifyContext);
            if (answer == -1)
                return -1;
            return kind == kNotifyCopyFile && answer == 1 ? StartEntry(walk, name) : 0;
        }
        case fdintCLOSE_FILE_INFO:
            return FinishEntry(walk, pfdin);
        case fdintNEXT_CABINET:
            // Only the one cabinet is read: an entry that runs on into the
            // next is not continued.
            return -1;
        default:
            return 0;
        }
    } catch (const std::bad_alloc&) {
        return Fail(walk, FDIERROR_ALLOC_FAIL, ERROR_NOT_ENOUGH_MEMORY);
    }
}

// The destination as an absolute path with "/" between folders, the form the
// entry-name rules join names to.
std::string AbsoluteFolder(const char* folder)
{
    const std::wstring wide = win::WidePath(folder && *folder ? folder : ".");
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    full.resize(size);
    if (full.empty())
        full = wide;
    if (full.size() > 3 && full.back() == L'\\')
        full.pop_back();
    std::string text = win::Utf16ToUtf8(full);
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

bool IsExistingFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(win::WidePath(path).c_str());
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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
        context->hfdi = FDICreate(Alloc, Free, Open, Read, Write, Close, Seek, cpuUNKNOWN,
                                  reinterpret_cast<::ERF*>(erf));
        if (!context->hfdi) {
            if (!erf->fError)
                SetError(erf, FDIERROR_ALLOC_FAIL, ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        return Contexts().Add(std::move(context));
    } catch (const std::bad_alloc&) {
        SetError(erf, FDIERROR_ALLOC_FAIL, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

std::int16_t IsCabFile(std::int32_t hfdi, const char* cabinetPath)
{
    auto context = Contexts().Find(hfdi);
    if (!context)
        return 0;
    const std::string path = cabinetPath ? cabinetPath : "";
    int error = 0;
    const INT_PTR file = IsExistingFile(path) ? windows::OpenFile(win::WidePath(path), _O_RDONLY, 0, &error) : -1;
    if (file == -1) {
        const DWORD cause = error ? static_cast<DWORD>(error) : ERROR_FILE_NOT_FOUND;
        SetError(context->erf, FDIERROR_CABINET_NOT_FOUND, cause);
        context->detail = windows::PathReason(win::WidePath(path), cause);
        return 0;
    }
    FDICABINETINFO info{};
    const BOOL isCabinet = FDIIsCabinet(context->hfdi, file, &info);
    windows::CloseFile(file, nullptr);
    if (!isCabinet) {
        // The system answers "no" without a reason for a file that is simply
        // not a cabinet; callers are owed one.
        if (!context->erf->fError)
            SetError(context->erf, FDIERROR_NOT_A_CABINET, ERROR_INVALID_DATA);
        context->detail = "'" + path + "' is not a cabinet file";
        return 0;
    }
    return 1;
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
        std::replace(path.begin(), path.end(), '/', '\\');
        if (!IsExistingFile(path)) {
            SetError(erf, FDIERROR_CABINET_NOT_FOUND, ERROR_FILE_NOT_FOUND);
            context->detail = windows::PathReason(win::WidePath(path), ERROR_FILE_NOT_FOUND);
            return 0;
        }
        const std::size_t cut = path.find_last_of('\\');
        std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
        std::string name = cut == std::string::npos ? path : path.substr(cut + 1);

        Walk walk;
        walk.notify = notify;
        walk.notifyContext = notifyContext;
        walk.destination = AbsoluteFolder(destinationDir);
        walk.cabinetPath = win::WidePath(path);
        currentWalk = &walk;
        const BOOL ok = FDICopy(context->hfdi, name.data(), folder.data(), 0, Notify, nullptr, &walk);
        currentWalk = nullptr;
        // Whatever FDI left half-written is closed and removed.
        DropPart(walk);
        if (ok && walk.firstFailure == FDIERROR_NONE)
            return 1;
        if (ok) {
            SetError(erf, walk.firstFailure, walk.firstCause);
        } else if (walk.failure != FDIERROR_NONE) {
            SetError(erf, walk.failure, walk.cause);
        } else {
            if (!erf->fError)
                SetError(erf, FDIERROR_CORRUPT_CABINET, ERROR_INVALID_DATA);
            if (walk.detail.empty())
                walk.detail = "'" + path + "'" + (walk.entryName.empty() ? "" : ", at '" + walk.entryName + "'");
        }
        context->detail = walk.detail;
        return 0;
    } catch (const std::bad_alloc&) {
        currentWalk = nullptr;
        SetError(erf, FDIERROR_ALLOC_FAIL, ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

std::int16_t Release(std::int32_t hfdi)
{
    auto context = Contexts().Remove(hfdi);
    if (!context)
        return 0;
    FDIDestroy(context->hfdi);
    return 1;
}

std::string ReadErrorDetail(std::int32_t hfdi)
{
    auto context = Contexts().Find(hfdi);
    return context ? context->detail : std::string();
}

} // namespace fcifdi
