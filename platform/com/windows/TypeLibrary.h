// The type library embedded in the module that holds this code: loaded once,
// it gives every object its IDispatch and class information, and it is what
// registration writes into the system.
#pragma once

#include "platform/com/windows/SystemCom.h"

#include <mutex>
#include <string>

namespace com::windows {

// The full path of the DLL (or program) this code is linked into.
std::wstring ThisModulePath();

class TypeLibrary {
public:
    static TypeLibrary& Instance();

    // The description of one interface, dispatch interface or class, added a
    // reference for the caller; TYPE_E_ELEMENTNOTFOUND for an unknown GUID.
    HRESULT TypeInfoOf(REFGUID guid, ITypeInfo** info);

    // Lets the library go, for when the module is about to unload.
    void Unload();

private:
    TypeLibrary() = default;
    HRESULT Load();

    std::mutex mutex_;
    ITypeLib* library_ = nullptr;
};

} // namespace com::windows
