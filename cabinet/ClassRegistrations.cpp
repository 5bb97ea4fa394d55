// The library's creatable classes, entered in the process's class registry
// when the library is loaded, and the two entry points by which a program
// that loads it by hand reaches them.
#include "cabinet/DllExports.h"
#include "cabinet/TessalyCabinetIds.h"
#include "cabinet/basCabUtil.h"
#include "cabinet/clsCreateCab.h"
#include "cabinet/clsExtractCab.h"
#include "platform/com/ClassRegistry.h"

namespace tessaly {

namespace {

com::ClassInfo Class(const com::Guid& clsid, const char* progId, com::Creator create)
{
    return com::ClassInfo{clsid, progId, kLibraryName, &CabinetModule(), std::move(create)};
}

const com::ClassRegistration createCab(Class(kClsidCreateCab, kProgIdCreateCab,
                                             [] { return clsCreateCab::Create(); }));
const com::ClassRegistration toCompressFiles(Class(kClsidToCompressFiles, kProgIdToCompressFiles,
                                                   [] { return std::make_shared<clsToCompressFiles>(); }));
const com::ClassRegistration toCompressFile(Class(kClsidToCompressFile, kProgIdToCompressFile,
                                                  [] { return std::make_shared<clsToCompressFile>(); }));
const com::ClassRegistration extractCab(Class(kClsidExtractCab, kProgIdExtractCab,
                                              [] { return clsExtractCab::Create(); }));
const com::ClassRegistration compressedFiles(Class(kClsidCompressedFiles, kProgIdCompressedFiles,
                                                   [] { return std::make_shared<clsCompressedFiles>(); }));
const com::ClassRegistration compressedFile(Class(kClsidCompressedFile, kProgIdCompressedFile,
                                                  [] { return std::make_shared<clsCompressedFile>(); }));

} // namespace

} // namespace tessaly

extern "C" com::HRESULT DllGetClassObject(const com::Guid* rclsid, const com::Guid* riid, void** ppv)
{
    return com::LibraryGetClassObject(tessaly::kLibraryName, rclsid, riid, ppv);
}

extern "C" com::HRESULT DllCanUnloadNow()
{
    return com::LibraryCanUnloadNow(tessaly::CabinetModule());
}
