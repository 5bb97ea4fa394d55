// The class factories a COM server's DllGetClassObject hands out: each makes
// new objects of one class and holds the server in memory while locked.
#pragma once

#include "platform/com/ComObject.h"

#include "platform/com/windows/SystemCom.h"

namespace com::windows {

// Makes a new object and answers for `iid` on it.
using MakeInstance = HRESULT (*)(REFIID iid, void** object);

// The factory of a class, as DllGetClassObject returns it for `iid`
// (IClassFactory or IUnknown). `module` counts LockServer calls.
HRESULT GetClassFactory(MakeInstance make, Module& module, REFIID iid, void** factory);

} // namespace com::windows
