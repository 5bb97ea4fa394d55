// Everything a client of the cabinet library includes: the classes, their
// identifiers and the library's entry points; nothing of its inner workings.
#pragma once

#include "cabinet/DllExports.h"
#include "cabinet/TessalyCabinetIds.h"
#include "cabinet/clsCompressedFile.h"
#include "cabinet/clsCompressedFiles.h"
#include "cabinet/clsCreateCab.h"
#include "cabinet/clsExtractCab.h"
#include "cabinet/clsFDIStruct.h"
#include "cabinet/clsToCompressFile.h"
#include "cabinet/clsToCompressFiles.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/ComError.h"
