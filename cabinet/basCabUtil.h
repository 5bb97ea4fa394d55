// What the writing and reading halves of the library share: the module state
// through which callbacks find their object, two text routines, the progress
// forwarder, and the checks that turn an error record into a raised error.
#pragma once

#include "platform/com/ComError.h"
#include "platform/com/ComObject.h"
#include "platform/fcifdi/CabinetApi.h"
#include "platform/fcifdi/FciFdiTypes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tessaly {

class clsCreateCab;
class clsExtractCab;

// Error numbers raised by the library.
inline constexpr com::HRESULT kCompressErrorBase = -2147221404; // 0x80040064, plus the record's fError
inline constexpr com::HRESULT kExtractError = -2147211503;      // 0x80042711
inline constexpr com::HRESULT kOverflowError = static_cast<com::HRESULT>(0x800A0006u);

// ExtractMode values.
inline constexpr std::int32_t kExtractModeList = 0;
inline constexpr std::int32_t kExtractModeExtract = 1;

// "\" for a blank path; the path itself when it already ends in a separator
// ("\" or "/"); otherwise the path followed by "\".
std::string AppendBackslash(const std::string& path);

// The text up to its first NUL; empty when the text is blank.
std::string TrimAtNull(const std::string& text);

// Hands a writer's progress report to the object that is compressing (the
// one `pvWorking` points at, else `CurrentCreateCab`): -1 when a listener asked
// to cancel, 0 to go on. Errors inside never reach the writer.
std::int16_t CompressProgress(std::int32_t StatusType, std::int32_t StatusInfo1, std::int32_t StatusInfo2,
                              void* pvWorking = nullptr);

// Raise a com::ComError from the library when the record says an error happened.
void CheckCompressError(const fcifdi::ERF& erf);
void CheckExtractError(const fcifdi::ERF& erf);

// The descriptions the two checks use for an error code.
std::string CompressErrorText(std::int32_t erfOper);
std::string ExtractErrorText(std::int32_t erfOper);

// Raises an error with the library as its source.
[[noreturn]] void RaiseError(com::HRESULT number, const std::string& description);

// Module state: the last object that compressed, the most recently created
// extraction object (neither kept alive by being recorded), and whether
// extraction notifications list (0) or extract (1).
std::shared_ptr<clsCreateCab> CurrentCreateCab();
std::shared_ptr<clsExtractCab> CurrentExtractCab();
void CurrentCreateCab(const std::shared_ptr<clsCreateCab>& object);
void CurrentExtractCab(const std::shared_ptr<clsExtractCab>& object);
std::int32_t ExtractMode();
void ExtractMode(std::int32_t mode);

// The creation and extraction entry points the library calls; null puts back
// the platform's own (SystemFci, SystemFdi). The objects must outlive their use.
void UseCabinetApis(fcifdi::FciApi* fci, fcifdi::FdiApi* fdi);
fcifdi::FciApi& CabinetFci();
fcifdi::FdiApi& CabinetFdi();

// Back to the state of a freshly loaded library.
void ResetModuleState();

// Counts the library's live objects for DllCanUnloadNow.
com::Module& CabinetModule();

// A path as the file system here wants it: "\" as well as "/" separate folders.
std::string NativePath(const std::string& path);

} // namespace tessaly
