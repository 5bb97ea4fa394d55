// The procedure the cabinet walk calls back, the object whose walk it serves,
// and the two path routines of cabinet extraction.
#pragma once

#include "platform/setupapi/FileNotify.h"

#include <QString>

namespace cabreader {

class CABFile;

namespace CabFilesCallback {

// The object whose walk runs now, or whose walk ran last. Only one walk runs at
// a time in a process; a CABFile that is destroyed stops being current.
CABFile* CurrentCabFile();
void SetCurrentCabFile(CABFile* cabFile);

// The callback handed to the walk: forwards to CurrentCabFile()->CabCallBack,
// and answers 0 to everything while there is no current object.
setupapi::UINT IterateCallback(void* Context, setupapi::UINT Notification, setupapi::UINT_PTR Param1,
                               setupapi::UINT_PTR Param2);

// Splits a name at its last "\" or "/": FolderPart gets everything up to and
// including it, NamePart the rest. Without a separator FolderPart is "".
void SplitCabPath(const QString& FullName, QString& FolderPart, QString& NamePart);

// Creates Folder and every missing folder above it ("\" and "/" both separate
// folders). True when the folder exists afterwards as a folder.
bool MakePath(const QString& Folder);

} // namespace CabFilesCallback
} // namespace cabreader
