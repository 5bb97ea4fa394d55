#include "LateBound.h"

#include <stdexcept>
#include <vector>

namespace client {

std::wstring Variant::Text() const
{
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, const_cast<VARIANT*>(&value_), 0, VT_BSTR)))
        return L"<not text>";
    std::wstring result(V_BSTR(&text) ? V_BSTR(&text) : L"");
    VariantClear(&text);
    return result;
}

LONG Variant::Number() const
{
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(&value_), 0, VT_I4)))
        return -999999;
    return V_I4(&number);
}

bool Variant::Flag() const
{
    return V_VT(&value_) == VT_BOOL && V_BOOL(&value_) != VARIANT_FALSE;
}

IDispatch* Variant::Object() const
{
    return V_VT(&value_) == VT_DISPATCH ? V_DISPATCH(&value_) : nullptr;
}

Dispatch& Dispatch::operator=(const Dispatch& other)
{
    if (other.object_)
        other.object_->AddRef();
    if (object_)
        object_->Release();
    object_ = other.object_;
    return *this;
}

Dispatch Dispatch::Create(const wchar_t* progId)
{
    CLSID clsid;
    IDispatch* object = nullptr;
    if (FAILED(CLSIDFromProgID(progId, &clsid))
        || FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&object))))
        return Dispatch();
    Dispatch result(object);
    object->Release();
    return result;
}

Variant Dispatch::Invoke(const wchar_t* name, WORD flags, std::initializer_list<Variant> arguments,
                         CallError* error)
{
    if (!object_)
        throw std::runtime_error("call on Nothing");
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        throw std::runtime_error("no such member");
    // IDispatch wants the last argument first.
    std::vector<VARIANTARG> reversed;
    for (auto it = arguments.end(); it != arguments.begin();)
        reversed.push_back(*(--it)->get());
    DISPID putName = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), flags == DISPATCH_PROPERTYPUT ? &putName : nullptr,
                      static_cast<UINT>(reversed.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    Variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.get(), &exception,
                                       &argumentError);
    CallError raised;
    if (hr == DISP_E_EXCEPTION) {
        raised.number = exception.scode;
        raised.source = exception.bstrSource ? exception.bstrSource : L"";
        raised.description = exception.bstrDescription ? exception.bstrDescription : L"";
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    } else if (FAILED(hr)) {
        raised.number = hr;
    }
    if (error)
        *error = raised;
    else if (FAILED(raised.number))
        throw std::runtime_error("call failed");
    return result;
}

Variant Dispatch::Call(const wchar_t* name, std::initializer_list<Variant> arguments, CallError* error)
{
    return Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, arguments, error);
}

Variant Dispatch::Get(const wchar_t* name, std::initializer_list<Variant> arguments)
{
    return Invoke(name, DISPATCH_PROPERTYGET, arguments, nullptr);
}

void Dispatch::Put(const wchar_t* name, const Variant& value)
{
    Invoke(name, DISPATCH_PROPERTYPUT, {value}, nullptr);
}

Dispatch Dispatch::Object(const wchar_t* name, std::initializer_list<Variant> arguments)
{
    return Dispatch(Call(name, arguments).Object());
}

} // namespace client
