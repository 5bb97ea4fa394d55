// The base of an object offered to COM clients through one dual interface:
// reference counting, IDispatch by the type library's description of that
// interface (so late-bound clients call members by name or DISPID and the
// vtable does the work), error information and the class's description.
#pragma once

#include "platform/com/windows/SystemCom.h"
#include "platform/com/windows/TypeLibrary.h"

#include <atomic>

namespace com::windows {

// Invokes member `id` of `instance`, an object whose vtable `info` describes,
// as IDispatch::Invoke would; a failure that left error information comes
// back as DISP_E_EXCEPTION with `exception` filled.
HRESULT InvokeThroughTypeInfo(ITypeInfo* info, void* instance, DISPID id, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argumentError);

template <class Interface>
class DispatchObject : public Interface, public ISupportErrorInfo, public IProvideClassInfo2 {
public:
    // `clsid` names the class in the type library; `events` its default
    // outgoing interface, or GUID_NULL when it raises none.
    DispatchObject(const GUID& clsid, const GUID& events) : clsid_(clsid), events_(events) {}
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(Interface))
            *object = static_cast<Interface*>(this);
        else if (riid == IID_ISupportErrorInfo)
            *object = static_cast<ISupportErrorInfo*>(this);
        else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2)
            *object = static_cast<IProvideClassInfo2*>(this);
        else
            *object = OtherInterface(riid);
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return TypeLibrary::Instance().TypeInfoOf(__uuidof(Interface), info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo* info = nullptr;
        HRESULT hr = TypeLibrary::Instance().TypeInfoOf(__uuidof(Interface), &info);
        if (SUCCEEDED(hr)) {
            hr = info->GetIDsOfNames(names, count, ids);
            info->Release();
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo* info = nullptr;
        HRESULT hr = TypeLibrary::Instance().TypeInfoOf(__uuidof(Interface), &info);
        if (SUCCEEDED(hr)) {
            // A script may let go of its last reference in an event handler
            // while this call is still under way; the object outlives the call.
            AddRef();
            hr = InvokeThroughTypeInfo(info, static_cast<Interface*>(this), id, flags, params, result, exception,
                                       argumentError);
            Release();
            info->Release();
        }
        return hr;
    }

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override
    {
        return riid == __uuidof(Interface) ? S_OK : S_FALSE;
    }

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override
    {
        return TypeLibrary::Instance().TypeInfoOf(clsid_, info);
    }
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override
    {
        if (!guid)
            return E_POINTER;
        *guid = GUID_NULL;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID || events_ == GUID_NULL)
            return E_INVALIDARG;
        *guid = events_;
        return S_OK;
    }

protected:
    virtual ~DispatchObject() = default;

    // Any further interface the object answers for (its connection points,
    // say), without a reference added; null for none.
    virtual void* OtherInterface(REFIID) { return nullptr; }

    // A reference for a caller that found this object in a cache: false when
    // its last reference is already gone and it is being destroyed.
    bool TryAddRef()
    {
        ULONG count = references_.load();
        while (count != 0)
            if (references_.compare_exchange_weak(count, count + 1))
                return true;
        return false;
    }

private:
    std::atomic<ULONG> references_{1};
    GUID clsid_;
    GUID events_;
};

} // namespace com::windows
