// What the cabinet creation and extraction entry points share with their
// callers: the 12-byte error record, its codes, the notification record and
// the two callback shapes.
#pragma once

#include <cstdint>

namespace fcifdi {

// Filled by every entry point on failure and left alone on success.
struct ERF {
    std::int32_t erfOper = 0; // the FCIERR_* or FDIERROR_* code
    std::int32_t erfType = 0; // the codec's Windows error code behind it, when there is one
    std::int32_t fError = 0;  // nonzero once an error happened
};
static_assert(sizeof(ERF) == 12, "callers hand over a 12-byte record");

// Records a failure in the caller's error record, when it gave one.
inline void SetError(ERF* erf, std::int32_t code, std::uint32_t cause = 0)
{
    if (!erf)
        return;
    erf->erfOper = code;
    erf->erfType = static_cast<std::int32_t>(cause);
    erf->fError = 1;
}

// Codes of the writing side.
enum FCIERR : std::int32_t {
    FCIERR_NONE = 0,
    FCIERR_OPEN_SRC = 1,
    FCIERR_READ_SRC = 2,
    FCIERR_ALLOC_FAIL = 3,
    FCIERR_TEMP_FILE = 4,
    FCIERR_BAD_COMPR_TYPE = 5,
    FCIERR_CAB_FILE = 6,
    FCIERR_USER_ABORT = 7,
    FCIERR_MCI_FAIL = 8,
};

// Codes of the reading side.
enum FDIERROR : std::int32_t {
    FDIERROR_NONE = 0,
    FDIERROR_CABINET_NOT_FOUND = 1,
    FDIERROR_NOT_A_CABINET = 2,
    FDIERROR_UNKNOWN_CABINET_VERSION = 3,
    FDIERROR_CORRUPT_CABINET = 4,
    FDIERROR_ALLOC_FAIL = 5,
    FDIERROR_BAD_COMPR_TYPE = 6,
    FDIERROR_MDI_FAIL = 7,
    FDIERROR_TARGET_FILE = 8,
    FDIERROR_RESERVE_MISMATCH = 9,
    FDIERROR_WRONG_CABINET = 10,
    FDIERROR_USER_ABORT = 11,
};

// Kinds of notification ExtractCab sends.
enum FdiNotification : std::int32_t {
    kNotifyCabinetInfo = 0, // psz1 next cabinet's name, psz2 next disk, psz3 this cabinet's path
    kNotifyPartialFile = 1, // an entry that starts in an earlier cabinet of a set
    kNotifyCopyFile = 2,    // an entry is offered: answer 1 to write it, 0 to skip, -1 to stop
    kNotifyCloseFileInfo = 3, // an entry was written and closed: psz1 its full path, cb 1 when run-marked
    kNotifyNextCabinet = 4, // the entry continues in the next cabinet of a set
    kNotifyEnumerate = 5,
    // An entry answered 1 was not written: psz1 its name, psz2 why; fdie
    // FDIERROR_TARGET_FILE for a place that is unsafe, FDIERROR_MDI_FAIL for
    // damaged data, ...; cb the Windows error code. No partial file is left.
    // The walk goes on with the next entry.
    kNotifyNotWritten = 6,
    // An entry is being written: psz1 its name, cb the bytes written so far
    // (about once per data block). Answer -1 to stop: the partial file is
    // removed and the walk ends with FDIERROR_USER_ABORT.
    kNotifyWriteProgress = 7,
};

// The record handed with each notification. Strings are UTF-8, NUL-terminated,
// valid only during the call.
struct FdiNotifyRecord {
    std::int32_t cb = 0;
    const char* psz1 = "";
    const char* psz2 = "";
    const char* psz3 = "";
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint16_t attribs = 0;
    std::uint16_t setID = 0;
    std::uint16_t iCabinet = 0;
    std::uint16_t iFolder = 0;
    std::int32_t fdie = 0;
};

// Progress of AddFileToCab and FlushCabinet. statusType 0: a block was
// compressed (info1 bytes in, info2 bytes out); 1: the folder is being copied
// into the cabinet (info1 bytes done, info2 total); 2: the cabinet is complete
// (info1 its size). Answer -1 to stop the write, 0 to go on; status 2 comes
// once the cabinet is in place, when there is nothing left to stop.
using PFNCOMPRESSPROGRESS = std::int16_t (*)(std::int32_t statusType, std::int32_t info1,
                                             std::int32_t info2, void* context);

// Receives ExtractCab's notifications; the answer matters for kNotifyCopyFile
// (see above), and -1 to any notification stops the walk.
using PFNEXTRACTNOTIFY = std::int32_t (*)(std::int32_t kind, FdiNotifyRecord* record, void* context);

} // namespace fcifdi
