// Failures of the cabinet codec, carried as the Windows error code that best
// names the cause, so every caller can show the user the system's own reason.
#pragma once

#include <cstdint>
#include <string>

namespace cab {

// The Windows error codes the codec reports.
enum : std::uint32_t {
    kErrorSuccess = 0,
    kErrorInvalidFunction = 1,   // a writer used after Commit or Abort
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorTooManyOpenFiles = 4,  // "The system cannot open the file."
    kErrorAccessDenied = 5,
    kErrorNotEnoughMemory = 8,
    kErrorInvalidData = 13,      // not a cabinet, or damaged data
    kErrorWriteProtect = 19,     // read-only file system
    kErrorWriteFault = 29,
    kErrorReadFault = 30,
    kErrorSharingViolation = 32, // file busy
    kErrorHandleDiskFull = 39,   // disk quota exhausted
    kErrorInvalidParameter = 87, // no such entry, no cabinet open, unknown compression type
    kErrorNameTooLong = 111,     // ERROR_BUFFER_OVERFLOW: "The file name is too long."
    kErrorDiskFull = 112,
    kErrorInvalidName = 123,     // empty name, NUL or ill-formed UTF-8 in an entry name
    kErrorFileTooLarge = 223,    // beyond what a cabinet can hold (file, folder, cabinet or count)
    kErrorCancelled = 1223,      // the caller's progress callback asked to stop
};

struct CabError {
    std::uint32_t code = kErrorSuccess;
    std::string message; // a short English account for logs and tools; may be empty on success

    explicit operator bool() const { return code != kErrorSuccess; }
    static CabError Ok() { return {}; }
};

} // namespace cab
