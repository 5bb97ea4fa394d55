// The extraction objects as COM clients see them: clsExtractCab with its
// event, clsCompressedFiles, clsCompressedFile and the notification snapshot
// clsFDIStruct, each a thin face over the cabinet library's class.
#pragma once

#include "cabinet/clsExtractCab.h"
#include "cabinet/comserver/ServerObject.h"
#include "platform/com/windows/EventConnection.h"

namespace tessaly::comserver {

class FDIStructObject final : public Wrapper<_clsFDIStruct, clsFDIStruct> {
public:
    explicit FDIStructObject(std::shared_ptr<clsFDIStruct> native);

    HRESULT STDMETHODCALLTYPE get_cb(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_cb(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_psz1(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_psz1(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_psz2(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_psz2(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_psz3(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_psz3(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_fdate(SHORT* value) override;
    HRESULT STDMETHODCALLTYPE put_fdate(SHORT value) override;
    HRESULT STDMETHODCALLTYPE get_ftime(SHORT* value) override;
    HRESULT STDMETHODCALLTYPE put_ftime(SHORT value) override;
    HRESULT STDMETHODCALLTYPE get_Attribs(SHORT* value) override;
    HRESULT STDMETHODCALLTYPE put_Attribs(SHORT value) override;
    HRESULT STDMETHODCALLTYPE get_SetID(SHORT* value) override;
    HRESULT STDMETHODCALLTYPE put_SetID(SHORT value) override;
    HRESULT STDMETHODCALLTYPE get_iCabinet(SHORT* value) override;
    HRESULT STDMETHODCALLTYPE put_iCabinet(SHORT value) override;
    HRESULT STDMETHODCALLTYPE get_fDie(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_fDie(LONG value) override;
};

class CompressedFileObject final : public Wrapper<_clsCompressedFile, clsCompressedFile> {
public:
    explicit CompressedFileObject(std::shared_ptr<clsCompressedFile> native);

    HRESULT STDMETHODCALLTYPE put_FileCabName(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_FileCabName(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_RelativePath(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_RelativePath(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_FileDate(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FileDate(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_FileTime(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FileTime(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_Attribs(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_Attribs(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_FileSize(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FileSize(LONG* value) override;
    HRESULT STDMETHODCALLTYPE put_ExtractFlag(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_ExtractFlag(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE Extract(VARIANT_BOOL* result) override;
};

class CompressedFilesObject final : public Wrapper<_clsCompressedFiles, clsCompressedFiles> {
public:
    explicit CompressedFilesObject(std::shared_ptr<clsCompressedFiles> native);

    HRESULT STDMETHODCALLTYPE Add(_clsCompressedFile** pCompressedFile) override;
    HRESULT STDMETHODCALLTYPE Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE Item(VARIANT* Index, _clsCompressedFile** item) override;
};

class ExtractCabObject final : public Wrapper<_clsExtractCab, clsExtractCab> {
public:
    explicit ExtractCabObject(std::shared_ptr<clsExtractCab> native);
    ~ExtractCabObject() override;

    HRESULT STDMETHODCALLTYPE get_DestinationDir(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_CompressedFiles(_clsCompressedFiles** value) override;
    HRESULT STDMETHODCALLTYPE get_CabFileName(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_CabFileName(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE GetFileCount(SHORT* count) override;
    HRESULT STDMETHODCALLTYPE GetFilesInfo() override;
    HRESULT STDMETHODCALLTYPE ExtractFiles(BSTR* psDestinationDir) override;
    HRESULT STDMETHODCALLTYPE AddFileCabName(BSTR* psFileName, LONG* plFileDate, LONG* plFileTime,
                                             LONG* plFileSize, LONG* plFileAttr, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE RaiseExtractStatus(LONG* StatusType, _clsFDIStruct** StatusInfo,
                                                 VARIANT_BOOL* Extract, VARIANT_BOOL* Cancel,
                                                 VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE Extract(BSTR* DestinationDir, BSTR* File, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE get_LaunchMarkedFiles(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_LaunchMarkedFiles(VARIANT_BOOL* value) override;

protected:
    void* OtherInterface(REFIID riid) override;

private:
    class Sink;
    com::windows::EventConnection events_;
    std::shared_ptr<Sink> sink_;
    clsExtractCab::Cookie cookie_ = 0;
};

// A new extraction object as a client creates it: recorded as the most
// recent one, its reading errors shown in a message box.
std::shared_ptr<clsExtractCab> NewExtractCab();

} // namespace tessaly::comserver
