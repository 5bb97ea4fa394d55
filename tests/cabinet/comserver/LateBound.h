// Late binding from C++, the way a script host or a Visual Basic client
// calls: members found by name through IDispatch, arguments in Variants, and
// the error a call raised read from its EXCEPINFO.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <string>

namespace client {

// The error a late-bound call raised; number 0 when it succeeded.
struct CallError {
    HRESULT number = S_OK;
    std::wstring source;
    std::wstring description;
};

class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(const wchar_t* text) : Variant() { V_VT(&value_) = VT_BSTR, V_BSTR(&value_) = SysAllocString(text); }
    Variant(const std::wstring& text) : Variant(text.c_str()) {}
    Variant(LONG number) : Variant() { V_VT(&value_) = VT_I4, V_I4(&value_) = number; }
    Variant(bool flag) : Variant() { V_VT(&value_) = VT_BOOL, V_BOOL(&value_) = flag ? VARIANT_TRUE : VARIANT_FALSE; }
    Variant(const Variant& other) : Variant() { VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)); }
    Variant& operator=(const Variant& other)
    {
        if (this != &other)
            VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
        return *this;
    }
    ~Variant() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    std::wstring Text() const;
    LONG Number() const;
    bool Flag() const;
    IDispatch* Object() const; // no reference added; null for Nothing

private:
    VARIANT value_;
};

class Dispatch {
public:
    Dispatch() = default;
    explicit Dispatch(IDispatch* object) : object_(object)
    {
        if (object_)
            object_->AddRef();
    }
    Dispatch(const Dispatch& other) : Dispatch(other.object_) {}
    Dispatch& operator=(const Dispatch& other);
    ~Dispatch()
    {
        if (object_)
            object_->Release();
    }

    static Dispatch Create(const wchar_t* progId);

    IDispatch* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    Variant Call(const wchar_t* name, std::initializer_list<Variant> arguments = {}, CallError* error = nullptr);
    Variant Get(const wchar_t* name, std::initializer_list<Variant> arguments = {});
    void Put(const wchar_t* name, const Variant& value);
    Dispatch Object(const wchar_t* name, std::initializer_list<Variant> arguments = {});

private:
    Variant Invoke(const wchar_t* name, WORD flags, std::initializer_list<Variant> arguments, CallError* error);

    IDispatch* object_ = nullptr;
};

} // namespace client
