#include "cabinet/basCabUtil.h"

#include "cabinet/clsCreateCab.h"
#include "cabinet/clsExtractCab.h"

#include <algorithm>
#include <mutex>

namespace tessaly {

namespace {

struct ModuleState {
    std::mutex mutex;
    std::weak_ptr<clsCreateCab> currentCreateCab;
    std::weak_ptr<clsExtractCab> currentExtractCab;
    std::int32_t extractMode = kExtractModeList;
    fcifdi::FciApi* fci = nullptr;
    fcifdi::FdiApi* fdi = nullptr;
};

ModuleState& State()
{
    static ModuleState state;
    return state;
}

bool IsBlank(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

} // namespace

std::string AppendBackslash(const std::string& path)
{
    if (IsBlank(path))
        return "\\";
    if (path.back() == '\\' || path.back() == '/')
        return path;
    return path + "\\";
}

std::string TrimAtNull(const std::string& text)
{
    if (IsBlank(text))
        return {};
    return text.substr(0, text.find('\0'));
}

std::int16_t CompressProgress(std::int32_t StatusType, std::int32_t StatusInfo1, std::int32_t StatusInfo2,
                              void* pvWorking)
{
    try {
        std::shared_ptr<clsCreateCab> current;
        clsCreateCab* target = static_cast<clsCreateCab*>(pvWorking);
        if (!target) {
            current = CurrentCreateCab();
            target = current.get();
        }
        if (target && target->RaiseCompressStatus(StatusType, StatusInfo1, StatusInfo2))
            return -1;
    } catch (...) {
        // A listener's failure must not break the write in progress.
    }
    return 0;
}

std::string CompressErrorText(std::int32_t erfOper)
{
    switch (erfOper) {
    case 1: return "Failed Opening File";
    case 2: return "Failed Reading File";
    case 3: return "Out Of Memory";
    case 4: return "Could Not Create Temporary File";
    case 5: return "Unknown Compression Type";
    case 6: return "Could Not Create Cab File";
    case 7: return "User Abort";
    case 8: return "Failed Compressing Data";
    default: return "Unknown Error " + std::to_string(erfOper) + " occured.";
    }
}

std::string ExtractErrorText(std::int32_t erfOper)
{
    switch (erfOper) {
    case 1: return "Cabinet Not Found";
    case 2: return "Not A Cab";
    case 3: return "Unknow Cab Version";
    case 4: return "Corrupt Cab File";
    case 5: return "Out Of Memory";
    case 6: return "Bad Compression Type";
    case 7: return "Failed Decompressing File";
    case 8: return "Failed Writing Target File";
    case 9: return "Cab In Set Have Different Reserve Size";
    case 10: return "Incorrect Next Cab File";
    case 11: return "User Abort";
    default: return "Unknown Error " + std::to_string(erfOper) + " occured";
    }
}

void RaiseError(com::HRESULT number, const std::string& description)
{
    throw com::ComError(number, kLibraryName, description);
}

void CheckCompressError(const fcifdi::ERF& erf)
{
    // The flag is a 16-bit value in the record's first half-word at offset 8.
    const auto fError = static_cast<std::int16_t>(erf.fError);
    if (fError == 0)
        return;
    RaiseError(kCompressErrorBase + fError, CompressErrorText(erf.erfOper));
}

void CheckExtractError(const fcifdi::ERF& erf)
{
    if (static_cast<std::int16_t>(erf.fError) == 0)
        return;
    RaiseError(kExtractError, ExtractErrorText(erf.erfOper));
}

std::shared_ptr<clsCreateCab> CurrentCreateCab()
{
    std::lock_guard lock(State().mutex);
    return State().currentCreateCab.lock();
}

std::shared_ptr<clsExtractCab> CurrentExtractCab()
{
    std::lock_guard lock(State().mutex);
    return State().currentExtractCab.lock();
}

void CurrentCreateCab(const std::shared_ptr<clsCreateCab>& object)
{
    std::lock_guard lock(State().mutex);
    State().currentCreateCab = object;
}

void CurrentExtractCab(const std::shared_ptr<clsExtractCab>& object)
{
    std::lock_guard lock(State().mutex);
    State().currentExtractCab = object;
}

std::int32_t ExtractMode()
{
    std::lock_guard lock(State().mutex);
    return State().extractMode;
}

void ExtractMode(std::int32_t mode)
{
    std::lock_guard lock(State().mutex);
    State().extractMode = mode;
}

void UseCabinetApis(fcifdi::FciApi* fci, fcifdi::FdiApi* fdi)
{
    std::lock_guard lock(State().mutex);
    State().fci = fci;
    State().fdi = fdi;
}

fcifdi::FciApi& CabinetFci()
{
    std::lock_guard lock(State().mutex);
    return State().fci ? *State().fci : fcifdi::SystemFci();
}

fcifdi::FdiApi& CabinetFdi()
{
    std::lock_guard lock(State().mutex);
    return State().fdi ? *State().fdi : fcifdi::SystemFdi();
}

void ResetModuleState()
{
    std::lock_guard lock(State().mutex);
    State().currentCreateCab.reset();
    State().currentExtractCab.reset();
    State().extractMode = kExtractModeList;
    State().fci = nullptr;
    State().fdi = nullptr;
}

com::Module& CabinetModule()
{
    static com::Module module;
    return module;
}

std::string NativePath(const std::string& path)
{
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

} // namespace tessaly
