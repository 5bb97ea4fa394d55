// Failures of the cabinet codec, carried as the Windows error code that best
// names the cause, so every caller can show the user the system's own reason.
#pragma once

#include <cstdint>
#include <string>

namespace cab {

// The Windows error codes the codec reports.
enum : std::uint32_t {
    kErrorSuccess = 0,
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorAccessDenied = 5,
    kErrorInvalidData = 13,    // not a cabinet, or damaged data
    kErrorWriteFault = 29,
    kErrorReadFault = 30,
    kErrorHandleDiskFull = 39,
    kErrorDiskFull = 112,
    kErrorCancelled = 1223,    // the caller's progress callback asked to stop
};

struct CabError {
    std::uint32_t code = kErrorSuccess;
    std::string message; // a short English account for logs and tools; may be empty on success

    explicit operator bool() const { return code != kErrorSuccess; }
    static CabError Ok() { return {}; }
};

} // namespace cab
