// A COM in-process server's entries in the system registry: its type library
// and each creatable class with its ProgID, written by DllRegisterServer and
// taken out again, exactly those, by DllUnregisterServer.
#pragma once

#include "platform/com/windows/SystemCom.h"

#include <string>
#include <vector>

namespace com::windows {

struct ServerClass {
    GUID clsid;
    std::wstring progId; // "Library.Class"
};

struct ServerDescription {
    GUID libid;
    WORD versionMajor = 1;
    WORD versionMinor = 0;
    LCID locale = 0;
    std::vector<ServerClass> classes;
};

// Registers the type library embedded in this module and every class as
// served by this module (InprocServer32, apartment threading). On failure
// nothing of it is left behind.
HRESULT RegisterServer(const ServerDescription& server);

// Removes every class key and ProgID of the server (a ProgID only while it
// still names this server's class) and the type library with its interfaces.
HRESULT UnregisterServer(const ServerDescription& server);

} // namespace com::windows
