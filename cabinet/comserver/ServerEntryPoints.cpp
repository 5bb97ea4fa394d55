// The library as a self-registering COM in-process server: the four entry
// points a system's COM and regsvr32 call, and the table of creatable
// classes they serve (every class but clsFDIStruct, which clients receive
// but cannot create).
#include <initguid.h>

#include "cabinet/comserver/CreateCabObjects.h"
#include "cabinet/comserver/ExtractCabObjects.h"

#include "cabinet/basCabUtil.h"
#include "cabinet/comserver/Automation.h"
#include "platform/com/windows/ClassFactory.h"
#include "platform/com/windows/ServerRegistration.h"
#include "platform/windows/Utf16.h"

namespace tessaly::comserver {

namespace {

// Makes a new object of a class for a client and answers for `iid` on it.
template <class W, class NewNative>
HRESULT MakeObject(REFIID iid, void** object, NewNative newNative)
{
    return Call(iid, [&] {
        Require(object);
        auto* made = WrapAs<W>(newNative());
        const HRESULT hr = made->QueryInterface(iid, object);
        made->Release();
        return hr;
    });
}

template <class W>
HRESULT MakePlain(REFIID iid, void** object)
{
    return MakeObject<W>(iid, object, [] { return std::make_shared<typename W::NativeType>(); });
}

HRESULT MakeCreateCab(REFIID iid, void** object)
{
    return MakeObject<CreateCabObject>(iid, object, [] { return clsCreateCab::Create(); });
}

HRESULT MakeExtractCab(REFIID iid, void** object)
{
    return MakeObject<ExtractCabObject>(iid, object, [] { return NewExtractCab(); });
}

struct CreatableClass {
    const GUID& clsid;
    const char* progId;
    com::windows::MakeInstance make;
};

const CreatableClass kClasses[] = {
    {CLSID_clsCreateCab, kProgIdCreateCab, MakeCreateCab},
    {CLSID_clsToCompressFiles, kProgIdToCompressFiles, MakePlain<ToCompressFilesObject>},
    {CLSID_clsToCompressFile, kProgIdToCompressFile, MakePlain<ToCompressFileObject>},
    {CLSID_clsExtractCab, kProgIdExtractCab, MakeExtractCab},
    {CLSID_clsCompressedFiles, kProgIdCompressedFiles, MakePlain<CompressedFilesObject>},
    {CLSID_clsCompressedFile, kProgIdCompressedFile, MakePlain<CompressedFileObject>},
};

com::windows::ServerDescription Server()
{
    com::windows::ServerDescription server;
    server.libid = LIBID_TessalyCabinet;
    server.versionMajor = kLibraryVersionMajor;
    server.versionMinor = kLibraryVersionMinor;
    server.locale = kLibraryLocale;
    for (const auto& creatable : kClasses)
        server.classes.push_back({creatable.clsid, win::Utf8ToUtf16(creatable.progId)});
    return server;
}

} // namespace

} // namespace tessaly::comserver

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (const auto& creatable : tessaly::comserver::kClasses)
        if (rclsid == creatable.clsid)
            return com::windows::GetClassFactory(creatable.make, tessaly::CabinetModule(), riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    if (!tessaly::CabinetModule().CanUnload())
        return S_FALSE;
    com::windows::TypeLibrary::Instance().Unload();
    return S_OK;
}

STDAPI DllRegisterServer()
{
    return com::windows::RegisterServer(tessaly::comserver::Server());
}

STDAPI DllUnregisterServer()
{
    return com::windows::UnregisterServer(tessaly::comserver::Server());
}
