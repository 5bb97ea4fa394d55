// Writing a cabinet through a numbered context: create it, add files, flush
// it to disk, and let it go. Failures are reported in the caller's ERF.
#pragma once

#include "platform/fcifdi/FciFdiTypes.h"

#include <string>

namespace fcifdi {

// Opens a writing context for `cabinetPath`; 0 and FCIERR_CAB_FILE when the
// cabinet cannot be created there. `reserved` and `folderThreshold` are kept
// for callers that pass them; the writer decides the folder layout itself.
std::int32_t CreateCabFile(const char* cabinetPath, std::int32_t reserved, ERF* erf,
                           std::int32_t folderThreshold);

// Reads and compresses one file now (compressionType 0 stored, 1 MSZIP) and
// remembers `progress` for this call and the flush. Nonzero on success.
std::int16_t AddFileToCab(std::int32_t hfci, const char* sourcePath, const char* nameInCab,
                          std::int16_t executeFlag, std::int32_t compressionType,
                          PFNCOMPRESSPROGRESS progress, void* context = nullptr);

// Writes the cabinet and puts it in place. Nonzero on success; on failure any
// file that was at the cabinet's path before is left as it was. With no file
// added since the last flush nothing is written.
std::int16_t FlushCabinet(std::int32_t hfci);

// Ends the context: whatever was not flushed is thrown away with its
// temporary files. Always nonzero for a known context.
std::int16_t Commit(std::int32_t hfci);

// The path and the system's reason behind the context's last failure.
std::string WriteErrorDetail(std::int32_t hfci);

} // namespace fcifdi
