#include "platform/com/windows/ClassFactory.h"

#include <new>

namespace com::windows {

namespace {

class ClassFactory final : public IClassFactory {
public:
    ClassFactory(MakeInstance make, Module& module) : make_(make), module_(module) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory)
            return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        module_.Lock(true);
        return ++references_;
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        module_.Lock(false);
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return make_(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        module_.Lock(lock != FALSE);
        return S_OK;
    }

private:
    ~ClassFactory() = default;
    MakeInstance make_;
    Module& module_;
    ULONG references_ = 0;
};

} // namespace

HRESULT GetClassFactory(MakeInstance make, Module& module, REFIID iid, void** factory)
{
    if (!factory)
        return E_POINTER;
    *factory = nullptr;
    auto* made = new (std::nothrow) ClassFactory(make, module);
    if (!made)
        return E_OUTOFMEMORY;
    made->AddRef();
    const HRESULT hr = made->QueryInterface(iid, factory);
    made->Release();
    return hr;
}

} // namespace com::windows
