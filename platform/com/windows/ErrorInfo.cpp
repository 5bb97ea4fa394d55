#include "platform/com/windows/ErrorInfo.h"

#include "platform/windows/Utf16.h"

namespace com::windows {

HRESULT ReportError(const ComError& error, REFIID iid) noexcept
{
    const HRESULT number = FAILED(error.Number()) ? error.Number() : E_FAIL;
    ICreateErrorInfo* creator = nullptr;
    if (FAILED(CreateErrorInfo(&creator)))
        return number;
    try {
        creator->SetGUID(iid);
        creator->SetSource(const_cast<LPOLESTR>(win::Utf8ToUtf16(error.Source()).c_str()));
        creator->SetDescription(const_cast<LPOLESTR>(win::Utf8ToUtf16(error.Description()).c_str()));
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(creator->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
    } catch (...) {
        // Without memory for the texts the number alone still reaches the client.
    }
    creator->Release();
    return number;
}

void Throw(HRESULT number, const char* source, const char* description)
{
    throw ComError(number, source, description);
}

} // namespace com::windows
