#include "platform/com/windows/ServerRegistration.h"

#include "platform/com/windows/TypeLibrary.h"

#include <olectl.h>

namespace com::windows {

namespace {

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

// Creates `path` under HKEY_CLASSES_ROOT and sets its default value, and
// `name` to `value` beside it when a name is given.
LSTATUS SetValue(const std::wstring& path, const std::wstring& value, const wchar_t* name = nullptr,
                 const std::wstring& named = {})
{
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    auto set = [key](const wchar_t* valueName, const std::wstring& text) {
        return RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    };
    if (!value.empty() || !name)
        status = set(nullptr, value);
    if (status == ERROR_SUCCESS && name)
        status = set(name, named);
    RegCloseKey(key);
    return status;
}

std::wstring ReadDefault(const std::wstring& path)
{
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}

LSTATUS WriteClassKeys(const ServerClass& serverClass, const std::wstring& libid, const std::wstring& version,
                      const std::wstring& modulePath)
{
    const std::wstring key = L"CLSID\\" + GuidText(serverClass.clsid);
    const std::pair<std::wstring, std::wstring> values[] = {
        {key, serverClass.progId},
        {key + L"\\ProgID", serverClass.progId},
        {key + L"\\TypeLib", libid},
        {key + L"\\VERSION", version},
        {key + L"\\Programmable", L""},
        {serverClass.progId, serverClass.progId},
        {serverClass.progId + L"\\Clsid", GuidText(serverClass.clsid)},
    };
    for (const auto& [path, value] : values) {
        const LSTATUS status = SetValue(path, value);
        if (status != ERROR_SUCCESS)
            return status;
    }
    return SetValue(key + L"\\InprocServer32", modulePath, L"ThreadingModel", L"Apartment");
}

} // namespace

HRESULT RegisterServer(const ServerDescription& server)
{
    const std::wstring modulePath = ThisModulePath();
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, &library);
    if (FAILED(hr))
        return hr;
    std::wstring registeredPath = modulePath;
    hr = RegisterTypeLib(library, registeredPath.data(), nullptr);
    library->Release();
    if (FAILED(hr))
        return hr;

    const std::wstring libid = GuidText(server.libid);
    const std::wstring version = std::to_wstring(server.versionMajor) + L"." + std::to_wstring(server.versionMinor);
    for (const auto& serverClass : server.classes) {
        const LSTATUS status = WriteClassKeys(serverClass, libid, version, modulePath);
        if (status != ERROR_SUCCESS) {
            UnregisterServer(server);
            return status == ERROR_ACCESS_DENIED ? E_ACCESSDENIED : SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

HRESULT UnregisterServer(const ServerDescription& server)
{
    HRESULT result = S_OK;
    for (const auto& serverClass : server.classes) {
        const std::wstring clsid = GuidText(serverClass.clsid);
        // A ProgID that another server has taken over since is not ours to remove.
        if (_wcsicmp(ReadDefault(serverClass.progId + L"\\Clsid").c_str(), clsid.c_str()) == 0)
            RegDeleteTreeW(HKEY_CLASSES_ROOT, serverClass.progId.c_str());
        const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsid).c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            result = SELFREG_E_CLASS;
    }
    const HRESULT typelib = UnRegisterTypeLib(server.libid, server.versionMajor, server.versionMinor, server.locale,
                                              SYS_WIN64);
    if (FAILED(typelib) && typelib != TYPE_E_REGISTRYACCESS && SUCCEEDED(result))
        result = SELFREG_E_TYPELIB;
    return result;
}

} // namespace com::windows
