// Reading a cabinet through a numbered context: check it, walk its entries
// with notifications that choose what is written, and let it go.
#pragma once

#include "platform/cab/CabReader.h"
#include "platform/fcifdi/FciFdiTypes.h"

#include <string>

namespace fcifdi {

// A reading context whose failures go to `erf`; 0 when it cannot be made.
std::int32_t OpenCabFile(ERF* erf);

// Nonzero when the file is a cabinet that can be read; otherwise 0 with
// FDIERROR_CABINET_NOT_FOUND, _NOT_A_CABINET, _UNKNOWN_CABINET_VERSION or
// _CORRUPT_CABINET in the context's ERF.
std::int16_t IsCabFile(std::int32_t hfdi, const char* cabinetPath);

// Offers every entry through kNotifyCopyFile; an entry answered 1 is written
// below `destinationDir` and then reported with kNotifyCloseFileInfo. Nothing
// is written outside the folder: an entry whose name would leave it, whose
// way passes a symbolic link inside it, or whose place is the cabinet itself
// is reported with kNotifyNotWritten instead. An entry that fails (damaged
// data, a write the system refuses) is reported the same way and the walk
// goes on, so every intact file is still written; the walk then ends with
// the first such failure in the ERF. Nonzero on success.
std::int16_t ExtractCab(std::int32_t hfdi, const char* cabinetPath, PFNEXTRACTNOTIFY notify,
                        const char* destinationDir, void* context = nullptr);

// How the context reads cabinets from now on (cab::ReadOptions): from which
// byte of the file, and how names without the UTF-8 mark are decoded. Nonzero
// for a known context.
std::int16_t SetReadOptions(std::int32_t hfdi, const cab::ReadOptions& options);

// Ends the context. Always nonzero for a known context.
std::int16_t Release(std::int32_t hfdi);

// The path and the system's reason behind the context's last failure.
std::string ReadErrorDetail(std::int32_t hfdi);

} // namespace fcifdi
