// The automation types at the server's surface and the library's own on the
// other side: BSTR and UTF-8 text, VARIANT_BOOL and bool, Variant positions,
// and the guard every interface method runs its body in.
#pragma once

#include "cabinet/TessalyCabinetIds.h"
#include "platform/com/windows/ErrorInfo.h"

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>

namespace tessaly::comserver {

std::string Text(BSTR value);
// A new BSTR for the caller to free; throws std::bad_alloc when there is no room.
BSTR NewText(const std::string& value);
// Replaces the string a by-reference argument holds.
void Assign(BSTR* target, const std::string& value);

inline VARIANT_BOOL AsVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }
inline bool AsBool(VARIANT_BOOL value) { return value != VARIANT_FALSE; }

// A collection position given as any Variant a client may pass (a number, a
// numeric string, a reference to either). Raises "Type mismatch" for anything
// else.
std::int32_t Position(const VARIANT* index);

// Raises E_POINTER unless the client gave somewhere to put a result or an argument.
void Require(const void* pointer);

// A by-reference argument of an event of automation type `type` (VT_I4,
// VT_BSTR, ...), pointing at the raiser's own variable.
inline VARIANTARG ByReference(VARTYPE type, void* variable)
{
    VARIANTARG argument;
    V_VT(&argument) = VT_BYREF | type;
    V_BYREF(&argument) = variable;
    return argument;
}

// Runs an interface method's body; failures reach the client with the
// library as their source.
template <class Body>
HRESULT Call(REFIID iid, Body&& body) noexcept
{
    return com::windows::Guarded(iid, kLibraryName, std::forward<Body>(body));
}

// The bodies of plain property accessors. Flags and 16-bit numbers share a C
// type (VARIANT_BOOL is a short), so each kind has its own pair.
template <class Get>
HRESULT GetText(REFIID iid, BSTR* value, Get&& get) noexcept
{
    return Call(iid, [&] {
        Require(value);
        *value = NewText(get());
    });
}

template <class Set>
HRESULT SetText(REFIID iid, BSTR value, Set&& set) noexcept
{
    return Call(iid, [&] { set(Text(value)); });
}

template <class Get>
HRESULT GetFlag(REFIID iid, VARIANT_BOOL* value, Get&& get) noexcept
{
    return Call(iid, [&] {
        Require(value);
        *value = AsVariantBool(get());
    });
}

template <class Set>
HRESULT SetFlag(REFIID iid, VARIANT_BOOL value, Set&& set) noexcept
{
    return Call(iid, [&] { set(AsBool(value)); });
}

template <class Number, class Get>
HRESULT GetNumber(REFIID iid, Number* value, Get&& get) noexcept
{
    return Call(iid, [&] {
        Require(value);
        *value = get();
    });
}

template <class Number, class Set>
HRESULT SetNumber(REFIID iid, Number value, Set&& set) noexcept
{
    return Call(iid, [&] { set(value); });
}

} // namespace tessaly::comserver
