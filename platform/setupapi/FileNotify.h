// The notifications, answers and records the cabinet walk exchanges with its
// callback, laid out like their Windows counterparts (ANSI variants).
#pragma once

#include <climits>
#include <cstdint>

namespace setupapi {

using UINT = std::uint32_t;
using UINT_PTR = std::uintptr_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using USHORT = std::uint16_t;
using PCSTR = const char*;

// The longest path the platform takes, terminating NUL included.
constexpr DWORD kMaxPath = PATH_MAX;

// Notifications (the callback's second argument).
constexpr UINT SPFILENOTIFY_CABINETINFO = 0x10;     // Param1: const CABINET_INFO_A*
constexpr UINT SPFILENOTIFY_FILEINCABINET = 0x11;   // Param1: FILE_IN_CABINET_INFO_A*, Param2: cabinet path
constexpr UINT SPFILENOTIFY_NEEDNEWCABINET = 0x12;  // never sent: spanned sets are read one cabinet at a time
constexpr UINT SPFILENOTIFY_FILEEXTRACTED = 0x13;   // Param1: const FILEPATHS_A*

// Answers to SPFILENOTIFY_FILEINCABINET.
constexpr UINT FILEOP_ABORT = 0; // stop the walk; FILE_IN_CABINET_INFO_A::Win32Error says whether it failed
constexpr UINT FILEOP_DOIT = 1;  // extract the file to FullTargetName
constexpr UINT FILEOP_SKIP = 2;  // go on with the next file

constexpr DWORD NO_ERROR = 0;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 111; // "The file name is too long."
constexpr DWORD ERROR_INVALID_NAME = 123;

// The cabinet being walked, sent once before its files.
struct CABINET_INFO_A {
    PCSTR CabinetPath; // folder of the cabinet, with its trailing separator ("" for a bare name)
    PCSTR CabinetFile; // the cabinet's file name
    PCSTR DiskName;    // always "": cabinets here carry no disk names
    USHORT SetId;
    USHORT CabinetNumber;
};

// One file of the cabinet. The callback fills FullTargetName, a NUL-terminated
// native path, when it answers FILEOP_DOIT, and Win32Error when it answers
// FILEOP_ABORT because of a failure.
struct FILE_IN_CABINET_INFO_A {
    PCSTR NameInCabinet; // UTF-8, the platform's multi-byte code page
    DWORD FileSize;
    DWORD Win32Error;
    WORD DosDate;
    WORD DosTime;
    WORD DosAttribs;
    char FullTargetName[kMaxPath];
};

// The outcome of one extraction.
struct FILEPATHS_A {
    PCSTR Target;     // the path written (or attempted)
    PCSTR Source;     // the cabinet
    UINT Win32Error;  // NO_ERROR when the file was written completely
    DWORD Flags;      // always 0
};

// The walk's callback. Its answer to SPFILENOTIFY_FILEINCABINET is a FILEOP_*
// value; to every other notification NO_ERROR goes on and any other value ends
// the walk with that error code.
using PSP_FILE_CALLBACK_A = UINT (*)(void* Context, UINT Notification, UINT_PTR Param1, UINT_PTR Param2);

} // namespace setupapi
