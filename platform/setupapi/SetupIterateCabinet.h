// The cabinet iteration service: walks the files of a cabinet in stored order
// and lets a callback decide, file by file, to skip, extract or stop.
#pragma once

#include "platform/cab/CabReader.h"
#include "platform/setupapi/FileNotify.h"

#include <string>

namespace setupapi {

// Sends SPFILENOTIFY_CABINETINFO, then SPFILENOTIFY_FILEINCABINET for each file
// in file-table order and, for each file the callback asks for,
// SPFILENOTIFY_FILEEXTRACTED once it has been written. Returns nonzero when the
// walk ran to its end or the callback stopped it with FILEOP_ABORT and no
// error; zero otherwise, with the reason in GetLastError(): the codec's error
// for a missing, unreadable or damaged cabinet, or the error code the callback
// answered. Reserved must be 0. Exceptions thrown by the callback pass through.
int SetupIterateCabinetA(PCSTR CabinetFile, DWORD Reserved, PSP_FILE_CALLBACK_A MsgHandler, void* Context);

// The same walk with the cabinet read as `options` say: names without the
// UTF-8 mark decoded one chosen way, or a cabinet that starts inside the file.
int IterateCabinetWith(PCSTR CabinetFile, const cab::ReadOptions& options, PSP_FILE_CALLBACK_A MsgHandler,
                       void* Context);

// The calling thread's last error code, set by every SetupIterateCabinetA call
// (NO_ERROR after a successful walk).
DWORD GetLastError();
void SetLastError(DWORD errorCode);

// The path and the system's reason behind the calling thread's last failed
// walk, when the reader gave one ("" otherwise); it says more than the code.
std::string GetLastErrorDetail();

} // namespace setupapi
