#include "platform/setupapi/SetupIterateCabinet.h"

#include "platform/cab/CabReader.h"

#include <cstring>
#include <string>

namespace setupapi {

namespace {

thread_local DWORD lastError = NO_ERROR;
thread_local std::string lastErrorDetail;

int Fail(DWORD errorCode, const std::string& detail = {})
{
    lastError = errorCode;
    lastErrorDetail = detail;
    return 0;
}

// Folder part (with its separator) and file part of the cabinet's own path.
void SplitCabinetPath(const std::string& path, std::string& folder, std::string& file)
{
    const auto cut = path.find_last_of("/\\");
    if (cut == std::string::npos) {
        folder.clear();
        file = path;
    } else {
        folder = path.substr(0, cut + 1);
        file = path.substr(cut + 1);
    }
}

} // namespace

DWORD GetLastError()
{
    return lastError;
}

void SetLastError(DWORD errorCode)
{
    lastError = errorCode;
    lastErrorDetail.clear();
}

std::string GetLastErrorDetail()
{
    return lastErrorDetail;
}

int SetupIterateCabinetA(PCSTR CabinetFile, DWORD Reserved, PSP_FILE_CALLBACK_A MsgHandler, void* Context)
{
    if (Reserved != 0)
        return Fail(ERROR_INVALID_PARAMETER);
    return IterateCabinetWith(CabinetFile, cab::ReadOptions{}, MsgHandler, Context);
}

int IterateCabinetWith(PCSTR CabinetFile, const cab::ReadOptions& options, PSP_FILE_CALLBACK_A MsgHandler,
                       void* Context)
{
    if (!CabinetFile || !*CabinetFile || !MsgHandler)
        return Fail(ERROR_INVALID_PARAMETER);

    const std::string cabinetPath = CabinetFile;
    cab::CabReader reader;
    if (const cab::CabError opened = reader.Open(cabinetPath, options))
        return Fail(opened.code, opened.message);

    std::string folder, file;
    SplitCabinetPath(cabinetPath, folder, file);
    const CABINET_INFO_A cabinetInfo{folder.c_str(), file.c_str(), "", reader.Info().setId,
                                     reader.Info().cabinetIndex};
    if (const UINT answer = MsgHandler(Context, SPFILENOTIFY_CABINETINFO,
                                       reinterpret_cast<UINT_PTR>(&cabinetInfo), 0))
        return Fail(answer);

    // One record for the whole walk: it is large (a full path buffer), and the
    // callback may keep nothing from it past its own return anyway.
    FILE_IN_CABINET_INFO_A info;
    const auto& entries = reader.Entries();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const cab::CabEntry& entry = entries[index];
        info.NameInCabinet = entry.name.c_str();
        info.FileSize = entry.size;
        info.Win32Error = NO_ERROR;
        info.DosDate = entry.dosDate;
        info.DosTime = entry.dosTime;
        info.DosAttribs = entry.attributes;
        info.FullTargetName[0] = '\0';

        const UINT answer = MsgHandler(Context, SPFILENOTIFY_FILEINCABINET,
                                       reinterpret_cast<UINT_PTR>(&info),
                                       reinterpret_cast<UINT_PTR>(CabinetFile));
        if (answer == FILEOP_SKIP)
            continue;
        if (answer == FILEOP_ABORT) {
            if (info.Win32Error != NO_ERROR)
                return Fail(info.Win32Error);
            break;
        }
        if (answer != FILEOP_DOIT)
            return Fail(ERROR_INVALID_PARAMETER);

        // A target that fills the whole buffer has lost its end: never guess it.
        if (!std::memchr(info.FullTargetName, '\0', sizeof info.FullTargetName))
            return Fail(ERROR_FILENAME_EXCED_RANGE);
        const std::string target = info.FullTargetName;
        DWORD written = ERROR_INVALID_NAME;
        if (!target.empty())
            written = reader.Extract(index, target).code;

        const FILEPATHS_A paths{target.c_str(), CabinetFile, written, 0};
        if (const UINT result = MsgHandler(Context, SPFILENOTIFY_FILEEXTRACTED,
                                           reinterpret_cast<UINT_PTR>(&paths), 0))
            return Fail(result);
    }
    lastError = NO_ERROR;
    lastErrorDetail.clear();
    return 1;
}

} // namespace setupapi
