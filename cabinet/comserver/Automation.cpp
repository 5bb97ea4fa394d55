#include "cabinet/comserver/Automation.h"

#include "platform/com/ComError.h"
#include "platform/windows/Utf16.h"

#include <new>

namespace tessaly::comserver {

std::string Text(BSTR value)
{
    return value ? win::Utf16ToUtf8(std::wstring_view(value, SysStringLen(value))) : std::string();
}

BSTR NewText(const std::string& value)
{
    const std::wstring wide = win::Utf8ToUtf16(value);
    BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!text)
        throw std::bad_alloc();
    return text;
}

void Assign(BSTR* target, const std::string& value)
{
    BSTR text = NewText(value);
    SysFreeString(*target);
    *target = text;
}

std::int32_t Position(const VARIANT* index)
{
    Require(index);
    VARIANT number;
    VariantInit(&number);
    const HRESULT hr = VariantChangeType(&number, const_cast<VARIANT*>(index), 0, VT_I4);
    if (FAILED(hr))
        throw com::ComError(hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH, kLibraryName,
                            hr == DISP_E_OVERFLOW ? "Overflow" : "Type mismatch");
    return V_I4(&number);
}

void Require(const void* pointer)
{
    if (!pointer)
        throw com::ComError(E_POINTER, kLibraryName, "Invalid pointer");
}

} // namespace tessaly::comserver
