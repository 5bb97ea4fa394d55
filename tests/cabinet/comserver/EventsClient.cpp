// A compiled client of the cabinet library's COM server, as a Visual Basic
// program declaring its objects WithEvents is: it creates the classes by
// ProgID, calls them through IDispatch by name, and advises event sinks on
// the connection points of __clsCreateCab and __clsExtractCab. Script hosts
// under Wine do not connect event handlers, so the events are proven here.
// Prints "ok" or "FAIL" per check and ends non-zero on any failure.
//
// usage: comserver_events_client WORK   (the tree to pack is WORK\tree)
#include "LateBound.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using client::CallError;
using client::Dispatch;
using client::Variant;

namespace {

constexpr GUID kCreateCabEvents = {0x132912cb, 0x291f, 0x427d, {0x9c, 0xc2, 0xa6, 0x4c, 0x33, 0xaf, 0x18, 0x62}};
constexpr GUID kExtractCabEvents = {0xe21a6751, 0xc387, 0x43e1, {0xac, 0xb4, 0x79, 0x11, 0x0c, 0xf9, 0xec, 0x17}};
constexpr GUID kStdOle = {0x00020430, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr LONG kUserAbort = static_cast<LONG>(0x80040065);

int failures = 0;

void Check(bool ok, const std::wstring& what)
{
    std::wprintf(L"%ls %ls\n", ok ? L"ok  " : L"FAIL", what.c_str());
    if (!ok)
        ++failures;
}

// An event sink as a WithEvents variable is: IDispatch answering for one
// source interface, handing each call to `handler`.
class Sink final : public IDispatch {
public:
    using Handler = std::function<void(DISPID, DISPPARAMS&)>;
    Sink(const GUID& events, Handler handler) : events_(events), handler_(std::move(handler)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == events_) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; } // lives on the stack
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        handler_(id, *params);
        return S_OK;
    }

    // Advises this sink on `source`'s connection point for its events.
    bool Advise(const Dispatch& source)
    {
        IConnectionPointContainer* container = nullptr;
        if (FAILED(source.get()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))))
            return false;
        const HRESULT found = container->FindConnectionPoint(events_, &point_);
        container->Release();
        return SUCCEEDED(found) && SUCCEEDED(point_->Advise(this, &cookie_));
    }
    void Unadvise()
    {
        if (point_) {
            point_->Unadvise(cookie_);
            point_->Release();
            point_ = nullptr;
        }
    }
    ~Sink() { Unadvise(); }

private:
    GUID events_;
    Handler handler_;
    ULONG references_ = 1;
    IConnectionPoint* point_ = nullptr;
    DWORD cookie_ = 0;
};

// The argument `index` of an event in declaration order.
VARIANTARG& Argument(DISPPARAMS& params, UINT index)
{
    return params.rgvarg[params.cArgs - 1 - index];
}

std::wstring TypeName(ITypeInfo* info)
{
    BSTR name = nullptr;
    std::wstring result;
    if (info && SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr)))
        result = name;
    SysFreeString(name);
    return result;
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFile(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void WriteFile(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
}

// A clsCreateCab holding the four files the checks below pack.
Dispatch NewCabinet(const std::wstring& tree, const std::wstring& cabinet)
{
    Dispatch cab = Dispatch::Create(L"TessalyCabinet.clsCreateCab");
    Dispatch files = cab.Object(L"ToCompressFiles");
    for (const wchar_t* name : {L"a.txt", L"sub\\b.bin", L"sub\\deeper\\c.txt", L"dated.txt"})
        files.Call(L"AddFile", {tree + L"\\" + name, std::wstring(name)});
    cab.Put(L"CabinetFile", cabinet);
    return cab;
}

void TypeInformation()
{
    Dispatch cab = Dispatch::Create(L"TessalyCabinet.clsCreateCab");
    Check(static_cast<bool>(cab), L"clsCreateCab created by ProgID");
    ITypeInfo* info = nullptr;
    cab.get()->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info);
    Check(TypeName(info) == L"_clsCreateCab", L"IDispatch describes the dual interface _clsCreateCab");
    if (info) {
        HREFTYPE base = 0;
        ITypeInfo* baseInfo = nullptr;
        ITypeLib* library = nullptr;
        TYPEATTR* attributes = nullptr;
        UINT index = 0;
        bool fromStdOle = false;
        // A dual interface's dispatch view lists IDispatch as what it implements.
        if (SUCCEEDED(info->GetRefTypeOfImplType(0, &base)) && SUCCEEDED(info->GetRefTypeInfo(base, &baseInfo))
            && SUCCEEDED(baseInfo->GetContainingTypeLib(&library, &index))) {
            TLIBATTR* libraryAttributes = nullptr;
            library->GetLibAttr(&libraryAttributes);
            fromStdOle = TypeName(baseInfo) == L"IDispatch" && libraryAttributes->guid == kStdOle;
            library->ReleaseTLibAttr(libraryAttributes);
            library->Release();
        }
        Check(fromStdOle, L"the interfaces derive from stdole's IDispatch");
        // The dispatch view of a dual interface; its vtable view carries the automation flag.
        HREFTYPE vtable = 0;
        ITypeInfo* vtableInfo = nullptr;
        TYPEATTR* vtableAttributes = nullptr;
        if (SUCCEEDED(info->GetTypeAttr(&attributes)) && SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtable))
            && SUCCEEDED(info->GetRefTypeInfo(vtable, &vtableInfo))
            && SUCCEEDED(vtableInfo->GetTypeAttr(&vtableAttributes))) {
            const WORD dual = TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
            Check((attributes->wTypeFlags & dual) == dual && (vtableAttributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION),
                  L"_clsCreateCab is dual, hidden, non-extensible and OLE-automation");
        } else {
            Check(false, L"_clsCreateCab has a dispatch and a vtable view");
        }
        if (vtableInfo) {
            if (vtableAttributes)
                vtableInfo->ReleaseTypeAttr(vtableAttributes);
            vtableInfo->Release();
        }
        if (attributes)
            info->ReleaseTypeAttr(attributes);
        if (baseInfo)
            baseInfo->Release();
        info->Release();
    }

    IProvideClassInfo2* classInfo = nullptr;
    if (SUCCEEDED(cab.get()->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&classInfo)))) {
        GUID events{};
        classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events);
        Check(events == kCreateCabEvents, L"IProvideClassInfo2 names __clsCreateCab as the default source");
        ITypeInfo* coclass = nullptr;
        classInfo->GetClassInfo(&coclass);
        Check(TypeName(coclass) == L"clsCreateCab", L"IProvideClassInfo gives the class name clsCreateCab");
        if (coclass)
            coclass->Release();
        classInfo->Release();
    } else {
        Check(false, L"clsCreateCab offers IProvideClassInfo2");
    }

    // The optional arguments of AddFile carry their defaults: "" and 1.
    Dispatch files = cab.Object(L"ToCompressFiles");
    ITypeInfo* listInfo = nullptr;
    files.get()->GetTypeInfo(0, LOCALE_USER_DEFAULT, &listInfo);
    bool defaults = false;
    TYPEATTR* attributes = nullptr;
    if (listInfo && SUCCEEDED(listInfo->GetTypeAttr(&attributes))) {
        for (WORD i = 0; i < attributes->cFuncs; ++i) {
            FUNCDESC* function = nullptr;
            listInfo->GetFuncDesc(i, &function);
            if (function->memid == 0x60030002 && function->cParams == 3) {
                const PARAMDESC& name = function->lprgelemdescParam[1].paramdesc;
                const PARAMDESC& type = function->lprgelemdescParam[2].paramdesc;
                const USHORT optional = PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT;
                defaults = (name.wParamFlags & optional) == optional && (type.wParamFlags & optional) == optional
                           && V_VT(&name.pparamdescex->varDefaultValue) == VT_BSTR
                           && SysStringLen(V_BSTR(&name.pparamdescex->varDefaultValue)) == 0
                           && V_VT(&type.pparamdescex->varDefaultValue) == VT_I4
                           && V_I4(&type.pparamdescex->varDefaultValue) == 1
                           && function->lprgelemdescParam[1].tdesc.vt == VT_PTR
                           && function->lprgelemdescParam[1].tdesc.lptdesc->vt == VT_BSTR;
            }
            listInfo->ReleaseFuncDesc(function);
        }
        listInfo->ReleaseTypeAttr(attributes);
    }
    Check(defaults, L"AddFile's NameInCab (by-reference String) defaults to \"\" and CompressionType to 1");
    if (listInfo)
        listInfo->Release();
}

void BeforeFileAddNumbersAndCancels(const std::wstring& tree, const std::wstring& work)
{
    const std::wstring path = work + L"\\events-before.cab";
    Dispatch cab = NewCabinet(tree, path);
    std::vector<SHORT> counts;
    std::vector<std::wstring> names;
    bool byReference = true;
    Sink sink(kCreateCabEvents, [&](DISPID id, DISPPARAMS& params) {
        if (id != 2)
            return;
        byReference = byReference && params.cArgs == 3 && V_VT(&Argument(params, 0)) == (VT_BYREF | VT_I2)
                      && V_VT(&Argument(params, 1)) == (VT_BYREF | VT_BSTR)
                      && V_VT(&Argument(params, 2)) == (VT_BYREF | VT_BOOL);
        counts.push_back(*V_I2REF(&Argument(params, 0)));
        names.push_back(*V_BSTRREF(&Argument(params, 1)));
        if (counts.back() == 3)
            *V_BOOLREF(&Argument(params, 2)) = VARIANT_TRUE;
    });
    Check(sink.Advise(cab), L"a sink advises on __clsCreateCab");
    CallError error;
    cab.Call(L"Compress", {}, &error);
    Check(error.number == S_OK, L"a BeforeFileAdd cancel is no error");
    Check(counts == std::vector<SHORT>{1, 2, 3}, L"BeforeFileAdd numbers files 1, 2, 3 and stops at the cancel");
    Check(byReference, L"BeforeFileAdd's arguments arrive by reference (Integer, String, Boolean)");
    Check(names.size() == 3 && names[1] == tree + L"\\sub\\b.bin", L"BeforeFileAdd's filename is the source path");

    Dispatch reader = Dispatch::Create(L"TessalyCabinet.clsExtractCab");
    reader.Put(L"CabFileName", path);
    reader.Call(L"GetFilesInfo");
    Dispatch listed = reader.Object(L"CompressedFiles");
    Check(reader.Call(L"GetFileCount").Number() == 2
              && listed.Object(L"Item", {1L}).Get(L"FileCabName").Text() == L"a.txt"
              && listed.Object(L"Item", {2L}).Get(L"FileCabName").Text() == L"sub\\b.bin",
          L"the cabinet holds the two files added before the cancel");
}

void CompressStatusReportsAndCancels(const std::wstring& tree, const std::wstring& work)
{
    const std::wstring path = work + L"\\events-status.cab";
    Dispatch cab = NewCabinet(tree, path);
    bool seen[3] = {};
    LONG cabinetSize = -1;
    bool byReference = true;
    bool cancelBlocks = false;
    Sink sink(kCreateCabEvents, [&](DISPID id, DISPPARAMS& params) {
        if (id != 1)
            return;
        byReference = byReference && params.cArgs == 4 && V_VT(&Argument(params, 0)) == (VT_BYREF | VT_I4)
                      && V_VT(&Argument(params, 3)) == (VT_BYREF | VT_BOOL);
        const LONG kind = *V_I4REF(&Argument(params, 0));
        if (kind >= 0 && kind <= 2)
            seen[kind] = true;
        if (kind == 2)
            cabinetSize = *V_I4REF(&Argument(params, 1));
        if (cancelBlocks && kind == 0)
            *V_BOOLREF(&Argument(params, 3)) = VARIANT_TRUE;
    });
    sink.Advise(cab);
    cab.Call(L"Compress");
    Check(seen[0] && seen[1] && seen[2], L"CompressStatus reports blocks (0), the folder (1) and the cabinet (2)");
    Check(byReference, L"CompressStatus's arguments arrive by reference");
    Check(cabinetSize == static_cast<LONG>(ReadFile(path).size()), L"status 2 gives the size of the cabinet written");

    Variant type(0L), first(10L), second(20L);
    cancelBlocks = true;
    Check(cab.Call(L"RaiseCompressStatus", {type, first, second}).Flag(),
          L"RaiseCompressStatus returns the Cancel a sink set");

    // A cancel while blocks are written aborts the write, and the cabinet
    // that was at the path before stays as it was.
    WriteFile(path, "the cabinet of an earlier run");
    CallError error;
    cab.Call(L"Compress", {}, &error);
    wchar_t number[16];
    std::swprintf(number, 16, L"0x%08lX", static_cast<unsigned long>(error.number));
    Check(error.number == kUserAbort && error.source == L"TessalyCabinet" && error.description == L"User Abort",
          L"a CompressStatus cancel raises 0x80040065 \"User Abort\" from TessalyCabinet (got " + std::wstring(number)
              + L" " + error.description + L")");
    Check(ReadFile(path) == "the cabinet of an earlier run", L"the cancelled write leaves the earlier cabinet");

    sink.Unadvise();
    seen[0] = seen[1] = seen[2] = false;
    cab.Call(L"Compress", {}, &error);
    Check(error.number == S_OK && !seen[0] && !seen[1] && !seen[2], L"after Unadvise no event arrives");
}

void ExtractStatusOffersAndCancels(const std::wstring& tree, const std::wstring& work)
{
    const std::wstring path = work + L"\\events-all.cab";
    NewCabinet(tree, path).Call(L"Compress");

    Dispatch reader = Dispatch::Create(L"TessalyCabinet.clsExtractCab");
    reader.Put(L"CabFileName", path);
    reader.Call(L"GetFilesInfo");
    Dispatch listed = reader.Object(L"CompressedFiles");
    const LONG count = listed.Call(L"Count").Number();
    for (LONG i = 1; i <= count; ++i)
        listed.Object(L"Item", {i}).Put(L"ExtractFlag", Variant(true));

    std::vector<std::wstring> offered;
    bool shaped = true;
    Sink sink(kExtractCabEvents, [&](DISPID id, DISPPARAMS& params) {
        if (id != 1 || params.cArgs != 4)
            return;
        shaped = shaped && V_VT(&Argument(params, 0)) == (VT_BYREF | VT_I4) && *V_I4REF(&Argument(params, 0)) == 2
                 && V_VT(&Argument(params, 1)) == (VT_BYREF | VT_DISPATCH)
                 && V_VT(&Argument(params, 2)) == (VT_BYREF | VT_BOOL)
                 && *V_BOOLREF(&Argument(params, 2)) == VARIANT_TRUE;
        Dispatch info(*V_DISPATCHREF(&Argument(params, 1)));
        offered.push_back(info.Get(L"psz1").Text());
        shaped = shaped && info.Get(L"cb").Number() == static_cast<LONG>(ReadFile(tree + L"\\" + offered.back()).size());
        if (offered.size() == 2)
            *V_BOOLREF(&Argument(params, 3)) = VARIANT_TRUE;
    });
    Check(sink.Advise(reader), L"a sink advises on __clsExtractCab");
    const std::wstring out = work + L"\\events-out";
    reader.Call(L"ExtractFiles", {out});
    Check(offered.size() == 4, L"ExtractStatus offers each of the 4 listed entries");
    Check(shaped, L"ExtractStatus gives fdintCOPY_FILE, a clsFDIStruct with name and size, Extract True, by reference");
    bool rest = offered.size() == 4;
    for (std::size_t i = 0; rest && i < offered.size(); ++i)
        rest = FileExists(out + L"\\" + offered[i]) == (i != 1)
               && (i == 1 || ReadFile(out + L"\\" + offered[i]) == ReadFile(tree + L"\\" + offered[i]));
    Check(rest, L"the entry cancelled in ExtractStatus is skipped and the others are written byte for byte");
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: comserver_events_client WORK\n");
        return 2;
    }
    const std::wstring work = argv[1];
    const std::wstring tree = work + L"\\tree";
    if (FAILED(CoInitialize(nullptr)))
        return 2;
    try {
        TypeInformation();
        BeforeFileAddNumbersAndCancels(tree, work);
        CompressStatusReportsAndCancels(tree, work);
        ExtractStatusOffersAndCancels(tree, work);
    } catch (const std::exception&) {
        Check(false, L"a late-bound call failed outright");
    }
    CoUninitialize();
    std::wprintf(L"%d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
