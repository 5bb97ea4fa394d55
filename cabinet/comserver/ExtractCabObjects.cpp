#include "cabinet/comserver/ExtractCabObjects.h"

#include "cabinet/basCabUtil.h"
#include "cabinet/comserver/Automation.h"
#include "platform/windows/Utf16.h"

namespace tessaly::comserver {

namespace {

// Reading errors are the user's business, not the client's: they are shown
// in a message box titled with the library's name, stop icon, OK button.
void ShowErrorMessage(const std::string& text)
{
    MessageBoxW(nullptr, win::Utf8ToUtf16(text).c_str(), win::Utf8ToUtf16(kLibraryName).c_str(),
                MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

} // namespace

std::shared_ptr<clsExtractCab> NewExtractCab()
{
    auto object = clsExtractCab::Create();
    object->SetErrorReporter(ShowErrorMessage);
    return object;
}

// Hands ExtractStatus to the clients advised on __clsExtractCab, every
// argument by reference; a client may even put another clsFDIStruct (or
// Nothing) in StatusInfo's place.
class ExtractCabObject::Sink final : public clsExtractCabEvents {
public:
    explicit Sink(com::windows::EventConnection& events) : events_(events) {}

    void ExtractStatus(FDINT& StatusType, std::shared_ptr<clsFDIStruct>& StatusInfo, bool& Extract,
                       bool& Cancel) override
    {
        if (!events_.HasSinks())
            return;
        LONG type = StatusType;
        IDispatch* given = WrapAs<FDIStructObject>(StatusInfo);
        IDispatch* info = given;
        VARIANT_BOOL extract = AsVariantBool(Extract);
        VARIANT_BOOL cancel = AsVariantBool(Cancel);
        VARIANTARG arguments[] = {ByReference(VT_BOOL, &cancel), ByReference(VT_BOOL, &extract),
                                  ByReference(VT_DISPATCH, &info), ByReference(VT_I4, &type)};
        events_.Fire(dispid::kExtractCabEventExtractStatus, arguments, 4);
        StatusType = static_cast<FDINT>(type);
        Extract = AsBool(extract);
        Cancel = AsBool(cancel);
        if (info != given) {
            try {
                StatusInfo = Unwrap<clsFDIStruct>(info);
            } catch (const com::ComError&) {
                // Something that is no clsFDIStruct cannot take its place.
            }
        }
        if (info)
            info->Release();
    }

private:
    com::windows::EventConnection& events_;
};

ExtractCabObject::ExtractCabObject(std::shared_ptr<clsExtractCab> native)
    : Wrapper(std::move(native), CLSID_clsExtractCab, DIID___clsExtractCab)
    , events_(*static_cast<_clsExtractCab*>(this), DIID___clsExtractCab)
    , sink_(std::make_shared<Sink>(events_))
    , cookie_(native_->Advise(sink_))
{
}

ExtractCabObject::~ExtractCabObject()
{
    native_->Unadvise(cookie_);
}

void* ExtractCabObject::OtherInterface(REFIID riid)
{
    if (riid == IID_IConnectionPointContainer)
        return events_.Container();
    return Wrapper::OtherInterface(riid);
}

HRESULT ExtractCabObject::get_DestinationDir(BSTR* value)
{
    return GetText(IID__clsExtractCab, value, [&] { return native_->DestinationDir(); });
}

HRESULT ExtractCabObject::get_CompressedFiles(_clsCompressedFiles** value)
{
    return Call(IID__clsExtractCab, [&] {
        Require(value);
        *value = WrapAs<CompressedFilesObject>(native_->CompressedFiles());
    });
}

HRESULT ExtractCabObject::get_CabFileName(BSTR* value)
{
    return GetText(IID__clsExtractCab, value, [&] { return native_->CabFileName(); });
}

HRESULT ExtractCabObject::put_CabFileName(BSTR* value)
{
    return value ? SetText(IID__clsExtractCab, *value, [&](const std::string& v) { native_->CabFileName(v); })
                 : E_POINTER;
}

HRESULT ExtractCabObject::GetFileCount(SHORT* count)
{
    return GetNumber(IID__clsExtractCab, count, [&] { return native_->GetFileCount(); });
}

HRESULT ExtractCabObject::GetFilesInfo()
{
    return Call(IID__clsExtractCab, [&] { native_->GetFilesInfo(); });
}

HRESULT ExtractCabObject::ExtractFiles(BSTR* psDestinationDir)
{
    return Call(IID__clsExtractCab, [&] {
        Require(psDestinationDir);
        native_->ExtractFiles(Text(*psDestinationDir));
    });
}

HRESULT ExtractCabObject::AddFileCabName(BSTR* psFileName, LONG* plFileDate, LONG* plFileTime, LONG* plFileSize,
                                         LONG* plFileAttr, VARIANT* result)
{
    return Call(IID__clsExtractCab, [&] {
        Require(psFileName), Require(plFileDate), Require(plFileTime), Require(plFileSize), Require(plFileAttr);
        native_->AddFileCabName(Text(*psFileName), *plFileDate, *plFileTime, *plFileSize, *plFileAttr);
        if (result)
            VariantInit(result);
    });
}

HRESULT ExtractCabObject::RaiseExtractStatus(LONG* StatusType, _clsFDIStruct** StatusInfo, VARIANT_BOOL* Extract,
                                             VARIANT_BOOL* Cancel, VARIANT* result)
{
    return Call(IID__clsExtractCab, [&] {
        Require(StatusType), Require(StatusInfo), Require(Extract), Require(Cancel);
        std::shared_ptr<clsFDIStruct> info = Unwrap<clsFDIStruct>(*StatusInfo);
        bool extract = AsBool(*Extract);
        bool cancel = AsBool(*Cancel);
        native_->RaiseExtractStatus(*StatusType, info, extract, cancel);
        *Extract = AsVariantBool(extract);
        *Cancel = AsVariantBool(cancel);
        _clsFDIStruct* now = WrapAs<FDIStructObject>(info);
        if (*StatusInfo)
            (*StatusInfo)->Release();
        *StatusInfo = now;
        if (result)
            VariantInit(result);
    });
}

HRESULT ExtractCabObject::Extract(BSTR* DestinationDir, BSTR* File, VARIANT_BOOL* result)
{
    return Call(IID__clsExtractCab, [&] {
        Require(result);
        *result = AsVariantBool(native_->Extract(DestinationDir ? Text(*DestinationDir) : std::string(),
                                                 File ? Text(*File) : std::string()));
    });
}

HRESULT ExtractCabObject::get_LaunchMarkedFiles(VARIANT_BOOL* value)
{
    return GetFlag(IID__clsExtractCab, value, [&] { return native_->LaunchMarkedFiles(); });
}

HRESULT ExtractCabObject::put_LaunchMarkedFiles(VARIANT_BOOL* value)
{
    return value ? SetFlag(IID__clsExtractCab, *value, [&](bool v) { native_->LaunchMarkedFiles(v); }) : E_POINTER;
}

CompressedFilesObject::CompressedFilesObject(std::shared_ptr<clsCompressedFiles> native)
    : Wrapper(std::move(native), CLSID_clsCompressedFiles)
{
}

HRESULT CompressedFilesObject::Add(_clsCompressedFile** pCompressedFile)
{
    return Call(IID__clsCompressedFiles, [&] {
        Require(pCompressedFile);
        native_->Add(Unwrap<clsCompressedFile>(*pCompressedFile));
    });
}

HRESULT CompressedFilesObject::Count(LONG* count)
{
    return GetNumber(IID__clsCompressedFiles, count, [&] { return native_->Count(); });
}

HRESULT CompressedFilesObject::Item(VARIANT* Index, _clsCompressedFile** item)
{
    return Call(IID__clsCompressedFiles, [&] {
        Require(item);
        *item = WrapAs<CompressedFileObject>(native_->Item(Position(Index)));
    });
}

CompressedFileObject::CompressedFileObject(std::shared_ptr<clsCompressedFile> native)
    : Wrapper(std::move(native), CLSID_clsCompressedFile)
{
}

HRESULT CompressedFileObject::put_FileCabName(BSTR* value)
{
    return value ? SetText(IID__clsCompressedFile, *value, [&](const std::string& v) { native_->FileCabName(v); })
                 : E_POINTER;
}

HRESULT CompressedFileObject::get_FileCabName(BSTR* value)
{
    return GetText(IID__clsCompressedFile, value, [&] { return native_->FileCabName(); });
}

HRESULT CompressedFileObject::put_RelativePath(BSTR* value)
{
    return value ? SetText(IID__clsCompressedFile, *value, [&](const std::string& v) { native_->RelativePath(v); })
                 : E_POINTER;
}

HRESULT CompressedFileObject::get_RelativePath(BSTR* value)
{
    return GetText(IID__clsCompressedFile, value, [&] { return native_->RelativePath(); });
}

HRESULT CompressedFileObject::put_FileDate(LONG* value)
{
    return value ? SetNumber(IID__clsCompressedFile, *value, [&](LONG v) { native_->FileDate(v); }) : E_POINTER;
}

HRESULT CompressedFileObject::get_FileDate(LONG* value)
{
    return GetNumber(IID__clsCompressedFile, value, [&] { return native_->FileDate(); });
}

HRESULT CompressedFileObject::put_FileTime(LONG* value)
{
    return value ? SetNumber(IID__clsCompressedFile, *value, [&](LONG v) { native_->FileTime(v); }) : E_POINTER;
}

HRESULT CompressedFileObject::get_FileTime(LONG* value)
{
    return GetNumber(IID__clsCompressedFile, value, [&] { return native_->FileTime(); });
}

HRESULT CompressedFileObject::put_Attribs(LONG* value)
{
    return value ? SetNumber(IID__clsCompressedFile, *value, [&](LONG v) { native_->Attribs(v); }) : E_POINTER;
}

HRESULT CompressedFileObject::get_Attribs(LONG* value)
{
    return GetNumber(IID__clsCompressedFile, value, [&] { return native_->Attribs(); });
}

HRESULT CompressedFileObject::put_FileSize(LONG* value)
{
    return value ? SetNumber(IID__clsCompressedFile, *value, [&](LONG v) { native_->FileSize(v); }) : E_POINTER;
}

HRESULT CompressedFileObject::get_FileSize(LONG* value)
{
    return GetNumber(IID__clsCompressedFile, value, [&] { return native_->FileSize(); });
}

HRESULT CompressedFileObject::put_ExtractFlag(VARIANT_BOOL* value)
{
    return value ? SetFlag(IID__clsCompressedFile, *value, [&](bool v) { native_->ExtractFlag(v); }) : E_POINTER;
}

HRESULT CompressedFileObject::get_ExtractFlag(VARIANT_BOOL* value)
{
    return GetFlag(IID__clsCompressedFile, value, [&] { return native_->ExtractFlag(); });
}

HRESULT CompressedFileObject::Extract(VARIANT_BOOL* result)
{
    return GetFlag(IID__clsCompressedFile, result, [&] { return native_->Extract(); });
}

FDIStructObject::FDIStructObject(std::shared_ptr<clsFDIStruct> native)
    : Wrapper(std::move(native), CLSID_clsFDIStruct)
{
}

HRESULT FDIStructObject::get_cb(LONG* value)
{
    return GetNumber(IID__clsFDIStruct, value, [&] { return native_->cb(); });
}

HRESULT FDIStructObject::put_cb(LONG value)
{
    return SetNumber(IID__clsFDIStruct, value, [&](LONG v) { native_->cb(v); });
}

HRESULT FDIStructObject::get_psz1(BSTR* value)
{
    return GetText(IID__clsFDIStruct, value, [&] { return native_->psz1(); });
}

HRESULT FDIStructObject::put_psz1(BSTR value)
{
    return SetText(IID__clsFDIStruct, value, [&](const std::string& v) { native_->psz1(v); });
}

HRESULT FDIStructObject::get_psz2(BSTR* value)
{
    return GetText(IID__clsFDIStruct, value, [&] { return native_->psz2(); });
}

HRESULT FDIStructObject::put_psz2(BSTR value)
{
    return SetText(IID__clsFDIStruct, value, [&](const std::string& v) { native_->psz2(v); });
}

HRESULT FDIStructObject::get_psz3(BSTR* value)
{
    return GetText(IID__clsFDIStruct, value, [&] { return native_->psz3(); });
}

HRESULT FDIStructObject::put_psz3(BSTR value)
{
    return SetText(IID__clsFDIStruct, value, [&](const std::string& v) { native_->psz3(v); });
}

HRESULT FDIStructObject::get_fdate(SHORT* value)
{
    return GetNumber(IID__clsFDIStruct, value, [&] { return native_->fdate(); });
}

HRESULT FDIStructObject::put_fdate(SHORT value)
{
    return SetNumber(IID__clsFDIStruct, value, [&](SHORT v) { native_->fdate(v); });
}

HRESULT FDIStructObject::get_ftime(SHORT* value)
{
    return GetNumber(IID__clsFDIStruct, value, [&] { return native_->ftime(); });
}

HRESULT FDIStructObject::put_ftime(SHORT value)
{
    return SetNumber(IID__clsFDIStruct, value, [&](SHORT v) { native_->ftime(v); });
}

HRESULT FDIStructObject::get_Attribs(SHORT* value)
{
    return GetNumber(IID__clsFDIStruct, value, [&] { return native_->Attribs(); });
}

HRESULT FDIStructObject::put_Attribs(SHORT value)
{
    return SetNumber(IID__clsFDIStruct, value, [&](SHORT v) { native_->Attribs(v); });
}

HRESULT FDIStructObject::get_SetID(SHORT* value)
{
    return GetNumber(IID__clsFDIStruct, value, [&] { return native_->SetID(); });
}

HRESULT FDIStructObject::put_SetID(SHORT value)
{
    return SetNumber(IID__clsFDIStruct, value, [&](SHORT v) { native_->SetID(v); });
}

HRESULT FDIStructObject::get_iCabinet(SHORT* value)
{
    return GetNumber(IID__clsFDIStruct, value, [&] { return native_->iCabinet(); });
}

HRESULT FDIStructObject::put_iCabinet(SHORT value)
{
    return SetNumber(IID__clsFDIStruct, value, [&](SHORT v) { native_->iCabinet(v); });
}

HRESULT FDIStructObject::get_fDie(LONG* value)
{
    return GetNumber(IID__clsFDIStruct, value, [&] { return native_->fDie(); });
}

HRESULT FDIStructObject::put_fDie(LONG value)
{
    return SetNumber(IID__clsFDIStruct, value, [&](LONG v) { native_->fDie(v); });
}

} // namespace tessaly::comserver
