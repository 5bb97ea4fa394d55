// The library's C entry points for programs that load it by hand (dlopen and
// dlsym): the class factory of a class, and whether nothing of it is in use.
#pragma once

#include "platform/com/ComError.h"
#include "platform/com/Guid.h"

extern "C" {
// *ppv receives a com::IClassFactory* that stays valid while the library is
// loaded; riid must be com::kIidIClassFactory or com::kIidIUnknown.
com::HRESULT DllGetClassObject(const com::Guid* rclsid, const com::Guid* riid, void** ppv);
// com::kSOk when no object of the library is alive and no factory is locked, else com::kSFalse.
com::HRESULT DllCanUnloadNow();
}
