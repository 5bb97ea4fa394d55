// The system's automation declarations, which the header widl generates from
// TessalyCabinet.idl includes in place of AutomationBase.idl.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
