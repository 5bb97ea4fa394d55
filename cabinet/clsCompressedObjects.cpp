// Constructors of the small extraction-side objects: each counts as a live
// object of the library.
#include "cabinet/basCabUtil.h"
#include "cabinet/clsCompressedFile.h"
#include "cabinet/clsCompressedFiles.h"
#include "cabinet/clsFDIStruct.h"

namespace tessaly {

clsFDIStruct::clsFDIStruct() : com::Object(CabinetModule()) {}
clsCompressedFile::clsCompressedFile() : com::Object(CabinetModule()) {}
clsCompressedFiles::clsCompressedFiles() : com::Object(CabinetModule()) {}

} // namespace tessaly
