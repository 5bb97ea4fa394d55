#include "platform/com/windows/TypeLibrary.h"

#include <vector>

namespace com::windows {

std::wstring ThisModulePath()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModulePath), &module);
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size())
            return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

TypeLibrary& TypeLibrary::Instance()
{
    static TypeLibrary library;
    return library;
}

HRESULT TypeLibrary::Load()
{
    if (library_)
        return S_OK;
    return LoadTypeLibEx(ThisModulePath().c_str(), REGKIND_NONE, &library_);
}

HRESULT TypeLibrary::TypeInfoOf(REFGUID guid, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    std::lock_guard lock(mutex_);
    const HRESULT loaded = Load();
    if (FAILED(loaded))
        return loaded;
    return library_->GetTypeInfoOfGuid(guid, info);
}

void TypeLibrary::Unload()
{
    std::lock_guard lock(mutex_);
    if (library_) {
        library_->Release();
        library_ = nullptr;
    }
}

} // namespace com::windows
