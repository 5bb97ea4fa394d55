#include "cabinet/comserver/CreateCabObjects.h"

#include "cabinet/comserver/Automation.h"

namespace tessaly::comserver {

// Hands the library's events to the clients advised on __clsCreateCab, every
// argument by reference, and brings back what they set.
class CreateCabObject::Sink final : public clsCreateCabEvents {
public:
    explicit Sink(com::windows::EventConnection& events) : events_(events) {}

    void CompressStatus(FDINT& StatusType, std::int32_t& StatusInfo1, std::int32_t& StatusInfo2,
                        bool& Cancel) override
    {
        if (!events_.HasSinks())
            return;
        LONG type = StatusType, first = StatusInfo1, second = StatusInfo2;
        VARIANT_BOOL cancel = AsVariantBool(Cancel);
        VARIANTARG arguments[] = {ByReference(VT_BOOL, &cancel), ByReference(VT_I4, &second),
                                  ByReference(VT_I4, &first), ByReference(VT_I4, &type)};
        events_.Fire(dispid::kCreateCabEventCompressStatus, arguments, 4);
        StatusType = static_cast<FDINT>(type);
        StatusInfo1 = first;
        StatusInfo2 = second;
        Cancel = AsBool(cancel);
    }

    void BeforeFileAdd(std::int16_t& FileCount, std::string& filename, bool& Cancel) override
    {
        if (!events_.HasSinks())
            return;
        SHORT count = FileCount;
        BSTR name = NewText(filename);
        VARIANT_BOOL cancel = AsVariantBool(Cancel);
        VARIANTARG arguments[] = {ByReference(VT_BOOL, &cancel), ByReference(VT_BSTR, &name),
                                  ByReference(VT_I2, &count)};
        events_.Fire(dispid::kCreateCabEventBeforeFileAdd, arguments, 3);
        FileCount = count;
        filename = Text(name);
        SysFreeString(name);
        Cancel = AsBool(cancel);
    }

private:
    com::windows::EventConnection& events_;
};

CreateCabObject::CreateCabObject(std::shared_ptr<clsCreateCab> native)
    : Wrapper(std::move(native), CLSID_clsCreateCab, DIID___clsCreateCab)
    , events_(*static_cast<_clsCreateCab*>(this), DIID___clsCreateCab)
    , sink_(std::make_shared<Sink>(events_))
    , cookie_(native_->Advise(sink_))
{
}

CreateCabObject::~CreateCabObject()
{
    native_->Unadvise(cookie_);
}

void* CreateCabObject::OtherInterface(REFIID riid)
{
    if (riid == IID_IConnectionPointContainer)
        return events_.Container();
    return Wrapper::OtherInterface(riid);
}

HRESULT CreateCabObject::get_ToCompressFiles(_clsToCompressFiles** value)
{
    return Call(IID__clsCreateCab, [&] {
        Require(value);
        *value = WrapAs<ToCompressFilesObject>(native_->ToCompressFiles());
    });
}

HRESULT CreateCabObject::put_CabinetFile(BSTR* value)
{
    return Call(IID__clsCreateCab, [&] {
        Require(value);
        native_->CabinetFile(Text(*value));
    });
}

HRESULT CreateCabObject::get_CabinetFile(BSTR* value)
{
    return Call(IID__clsCreateCab, [&] {
        Require(value);
        *value = NewText(native_->CabinetFile());
    });
}

HRESULT CreateCabObject::Compress()
{
    return Call(IID__clsCreateCab, [&] { native_->Compress(); });
}

HRESULT CreateCabObject::RaiseCompressStatus(LONG* StatusType, LONG* StatusInfo1, LONG* StatusInfo2,
                                             VARIANT_BOOL* cancel)
{
    return Call(IID__clsCreateCab, [&] {
        Require(StatusType), Require(StatusInfo1), Require(StatusInfo2), Require(cancel);
        *cancel = AsVariantBool(native_->RaiseCompressStatus(*StatusType, *StatusInfo1, *StatusInfo2));
    });
}

ToCompressFilesObject::ToCompressFilesObject(std::shared_ptr<clsToCompressFiles> native)
    : Wrapper(std::move(native), CLSID_clsToCompressFiles)
{
}

HRESULT ToCompressFilesObject::AddDirectory(BSTR* psPath)
{
    return Call(IID__clsToCompressFiles, [&] {
        Require(psPath);
        native_->AddDirectory(Text(*psPath));
    });
}

HRESULT ToCompressFilesObject::AddDirectory2(BSTR* psOriginalPath, BSTR* psPath)
{
    return Call(IID__clsToCompressFiles, [&] {
        Require(psOriginalPath), Require(psPath);
        native_->AddDirectory2(Text(*psOriginalPath), Text(*psPath));
    });
}

HRESULT ToCompressFilesObject::AddFile(BSTR* SourcePath, BSTR* NameInCab, VARIANT* CompressionType)
{
    return Call(IID__clsToCompressFiles, [&] {
        Require(SourcePath), Require(NameInCab);
        // A compression type that is no number adds nothing, as any other
        // failure inside AddFile does.
        std::int32_t type = 1;
        if (CompressionType && V_VT(CompressionType) != VT_ERROR) {
            try {
                type = Position(CompressionType);
            } catch (const com::ComError&) {
                return;
            }
        }
        std::string name = Text(*NameInCab);
        const std::string given = name;
        native_->AddFile(Text(*SourcePath), name, type);
        // The caller's variable learns the name the file was given.
        if (name != given)
            Assign(NameInCab, name);
    });
}

HRESULT ToCompressFilesObject::Count(LONG* count)
{
    return Call(IID__clsToCompressFiles, [&] {
        Require(count);
        *count = native_->Count();
    });
}

HRESULT ToCompressFilesObject::Item(VARIANT* Index, _clsToCompressFile** item)
{
    return Call(IID__clsToCompressFiles, [&] {
        Require(item);
        *item = WrapAs<ToCompressFileObject>(native_->Item(Position(Index)));
    });
}

HRESULT ToCompressFilesObject::Remove(VARIANT* Index, VARIANT* result)
{
    return Call(IID__clsToCompressFiles, [&] {
        native_->Remove(Position(Index));
        if (result)
            VariantInit(result);
    });
}

ToCompressFileObject::ToCompressFileObject(std::shared_ptr<clsToCompressFile> native)
    : Wrapper(std::move(native), CLSID_clsToCompressFile)
{
}

// By-reference puts take their value through the pointer; a null one is the
// client's mistake and is reported as such.
HRESULT ToCompressFileObject::put_SourcePath(BSTR* value)
{
    return value ? SetText(IID__clsToCompressFile, *value, [&](const std::string& v) { native_->SourcePath(v); })
                 : E_POINTER;
}

HRESULT ToCompressFileObject::get_SourcePath(BSTR* value)
{
    return GetText(IID__clsToCompressFile, value, [&] { return native_->SourcePath(); });
}

HRESULT ToCompressFileObject::put_NameInCab(BSTR* value)
{
    return value ? SetText(IID__clsToCompressFile, *value, [&](const std::string& v) { native_->NameInCab(v); })
                 : E_POINTER;
}

HRESULT ToCompressFileObject::get_NameInCab(BSTR* value)
{
    return GetText(IID__clsToCompressFile, value, [&] { return native_->NameInCab(); });
}

HRESULT ToCompressFileObject::put_ExecuteFlag(VARIANT_BOOL* value)
{
    return value ? SetFlag(IID__clsToCompressFile, *value, [&](bool v) { native_->ExecuteFlag(v); }) : E_POINTER;
}

HRESULT ToCompressFileObject::get_ExecuteFlag(VARIANT_BOOL* value)
{
    return GetFlag(IID__clsToCompressFile, value, [&] { return native_->ExecuteFlag(); });
}

HRESULT ToCompressFileObject::put_CompressionType(SHORT* value)
{
    return value ? SetNumber(IID__clsToCompressFile, *value, [&](SHORT v) { native_->CompressionType(v); })
                 : E_POINTER;
}

HRESULT ToCompressFileObject::get_CompressionType(SHORT* value)
{
    return GetNumber(IID__clsToCompressFile, value, [&] { return native_->CompressionType(); });
}

} // namespace tessaly::comserver
