// Reading a cabinet through the system's cabinet.dll (FDI), behind the same
// numbered contexts, error codes and notifications as the codec on Linux:
// entry names reach the caller as UTF-8, an entry is written only below the
// destination and only under its final name once it is complete.
#include "platform/cab/CabReader.h"
#include "platform/cab/CabText.h"
#include "platform/fcifdi/CabinetApi.h"
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
    std::string destination; // absolute, "/" between folders
    std::uint16_t setId = 0;
    std::uint16_t cabinetIndex = 0;
    INT_PTR partFile = -1;   // open while FDI writes an entry into it
    std::wstring partPath;
    std::wstring targetPath;
    FDIERROR failure = FDIERROR_NONE; // ours, when FDI would report something vaguer
    DWORD cause = 0;
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
FNWRITE(Write) { return windows::WriteFile(hf, pv, cb, nullptr); }

FNCLOSE(Close)
{
    if (currentWalk && currentWalk->partFile == hf)
        currentWalk->partFile = -1;
    return windows::CloseFile(hf, nullptr);
}

FNSEEK(Seek) { return windows::SeekFile(hf, dist, seektype, nullptr); }

// Entry names as UTF-8: as stored when the cabinet flags them so, else read
// as Windows-1252, the way the codec reads them on Linux.
std::string EntryName(const char* stored, USHORT attributes)
{
    const std::string bytes = stored ? stored : "";
    return (attributes & _A_NAME_IS_UTF) ? bytes : cab::Windows1252ToUtf8(bytes);
}

INT_PTR Fail(Walk& walk, FDIERROR code, DWORD cause)
{
    walk.failure = code;
    walk.cause = cause;
    return -1;
}

// The entry is wanted: make its folders and a part file beside its target.
INT_PTR StartEntry(Walk& walk, const std::string& name)
{
    const std::string target = cab::SafeTargetPath(walk.destination, name);
    // A name that would leave the destination is never written; the caller
    // saw the entry offered and decides how to report it.
    if (target.empty())
        return 0;
    walk.targetPath = win::WidePath(target);
    if (!windows::MakeParentFolders(walk.targetPath))
        return Fail(walk, FDIERROR_TARGET_FILE, ERROR_PATH_NOT_FOUND);
    walk.partPath = windows::TemporaryName(windows::FolderOf(walk.targetPath), L"part");
    int error = 0;
    walk.partFile = windows::OpenFile(walk.partPath, _O_WRONLY | _O_CREAT | _O_EXCL, 0, &error);
    if (walk.partFile == -1)
        return Fail(walk, FDIERROR_TARGET_FILE, static_cast<DWORD>(error));
    return walk.partFile;
}

// The entry is complete: close it, give it its final name, and tell the caller where it is.
INT_PTR FinishEntry(Walk& walk, PFDINOTIFICATION pfdin)
{
    if (walk.partFile != -1) {
        windows::CloseFile(walk.partFile, nullptr);
        walk.partFile = -1;
    }
    if (!MoveFileExW(walk.partPath.c_str(), walk.targetPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD cause = GetLastError();
        DeleteFileW(walk.partPath.c_str());
        Fail(walk, FDIERROR_TARGET_FILE, cause);
        return FALSE;
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
            const std::string name = EntryName(pfdin->psz1, pfdin->attribs);
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
        SetError(context->erf, FDIERROR_CABINET_NOT_FOUND, error ? static_cast<DWORD>(error) : ERROR_FILE_NOT_FOUND);
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
            return 0;
        }
        const std::size_t cut = path.find_last_of('\\');
        std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
        std::string name = cut == std::string::npos ? path : path.substr(cut + 1);

        Walk walk;
        walk.notify = notify;
        walk.notifyContext = notifyContext;
        walk.destination = AbsoluteFolder(destinationDir);
        currentWalk = &walk;
        const BOOL ok = FDICopy(context->hfdi, name.data(), folder.data(), 0, Notify, nullptr, &walk);
        currentWalk = nullptr;
        // Whatever FDI left half-written is closed and removed.
        if (walk.partFile != -1)
            windows::CloseFile(walk.partFile, nullptr);
        if (!walk.partPath.empty())
            DeleteFileW(walk.partPath.c_str());
        if (ok)
            return 1;
        if (walk.failure != FDIERROR_NONE)
            SetError(erf, walk.failure, walk.cause);
        else if (!erf->fError)
            SetError(erf, FDIERROR_CORRUPT_CABINET, ERROR_INVALID_DATA);
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

namespace {

class SystemFdiApi final : public FdiApi {
public:
    std::int32_t OpenCabFile(ERF* erf) override { return fcifdi::OpenCabFile(erf); }
    std::int16_t IsCabFile(std::int32_t hfdi, const char* cabinetPath) override
    {
        return fcifdi::IsCabFile(hfdi, cabinetPath);
    }
    std::int16_t ExtractCab(std::int32_t hfdi, const char* cabinetPath, PFNEXTRACTNOTIFY notify,
                            const char* destinationDir, void* context) override
    {
        return fcifdi::ExtractCab(hfdi, cabinetPath, notify, destinationDir, context);
    }
    std::int16_t Release(std::int32_t hfdi) override { return fcifdi::Release(hfdi); }
};

} // namespace

FdiApi& SystemFdi()
{
    static SystemFdiApi api;
    return api;
}

} // namespace fcifdi
