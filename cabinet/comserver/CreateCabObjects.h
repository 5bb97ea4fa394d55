// The creation objects as COM clients see them: clsCreateCab with its
// events, clsToCompressFiles and clsToCompressFile, each a thin face over the
// cabinet library's class of the same name.
#pragma once

#include "cabinet/clsCreateCab.h"
#include "cabinet/comserver/ServerObject.h"
#include "platform/com/windows/EventConnection.h"

namespace tessaly::comserver {

class ToCompressFileObject final : public Wrapper<_clsToCompressFile, clsToCompressFile> {
public:
    explicit ToCompressFileObject(std::shared_ptr<clsToCompressFile> native);

    HRESULT STDMETHODCALLTYPE put_SourcePath(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_SourcePath(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_NameInCab(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_NameInCab(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_ExecuteFlag(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_ExecuteFlag(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_CompressionType(SHORT* value) override;
    HRESULT STDMETHODCALLTYPE get_CompressionType(SHORT* value) override;
};

class ToCompressFilesObject final : public Wrapper<_clsToCompressFiles, clsToCompressFiles> {
public:
    explicit ToCompressFilesObject(std::shared_ptr<clsToCompressFiles> native);

    HRESULT STDMETHODCALLTYPE AddDirectory(BSTR* psPath) override;
    HRESULT STDMETHODCALLTYPE AddDirectory2(BSTR* psOriginalPath, BSTR* psPath) override;
    HRESULT STDMETHODCALLTYPE AddFile(BSTR* SourcePath, BSTR* NameInCab, VARIANT* CompressionType) override;
    HRESULT STDMETHODCALLTYPE Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE Item(VARIANT* Index, _clsToCompressFile** item) override;
    HRESULT STDMETHODCALLTYPE Remove(VARIANT* Index, VARIANT* result) override;
};

class CreateCabObject final : public Wrapper<_clsCreateCab, clsCreateCab> {
public:
    explicit CreateCabObject(std::shared_ptr<clsCreateCab> native);
    ~CreateCabObject() override;

    HRESULT STDMETHODCALLTYPE get_ToCompressFiles(_clsToCompressFiles** value) override;
    HRESULT STDMETHODCALLTYPE put_CabinetFile(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_CabinetFile(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE Compress() override;
    HRESULT STDMETHODCALLTYPE RaiseCompressStatus(LONG* StatusType, LONG* StatusInfo1, LONG* StatusInfo2,
                                                  VARIANT_BOOL* cancel) override;

protected:
    void* OtherInterface(REFIID riid) override;

private:
    class Sink;
    com::windows::EventConnection events_;
    std::shared_ptr<Sink> sink_;
    clsCreateCab::Cookie cookie_ = 0;
};

} // namespace tessaly::comserver
