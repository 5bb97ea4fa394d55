// Reading a cabinet through a numbered context: check it, walk its entries
// with notifications that choose what is written, and let it go.
#pragma once

#include "platform/fcifdi/FciFdiTypes.h"

namespace fcifdi {

// A reading context whose failures go to `erf`; 0 when it cannot be made.
std::int32_t OpenCabFile(ERF* erf);

// Nonzero when the file is a cabinet that can be read; otherwise 0 with
// FDIERROR_CABINET_NOT_FOUND, _NOT_A_CABINET, _UNKNOWN_CABINET_VERSION or
// _CORRUPT_CABINET in the context's ERF.
std::int16_t IsCabFile(std::int32_t hfdi, const char* cabinetPath);

// Offers every entry through kNotifyCopyFile; an entry answered 1 is written
// below `destinationDir` (never outside it: names that would leave it are not
// written) and then reported with kNotifyCloseFileInfo. Nonzero on success.
std::int16_t ExtractCab(std::int32_t hfdi, const char* cabinetPath, PFNEXTRACTNOTIFY notify,
                        const char* destinationDir, void* context = nullptr);

// Ends the context. Always nonzero for a known context.
std::int16_t Release(std::int32_t hfdi);

} // namespace fcifdi
