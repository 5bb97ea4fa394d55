// The system's COM and automation declarations for the Windows layer. Inside
// com::windows, HRESULT is the system's own (a long), not the portable
// com::HRESULT the rest of the library uses.
#pragma once

#include <windows.h>
#include <cguid.h>
#include <oaidl.h>
#include <ocidl.h>
#include <unknwn.h>

namespace com::windows {
using HRESULT = ::HRESULT;
} // namespace com::windows
