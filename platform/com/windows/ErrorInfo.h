// Numbered errors as COM clients receive them: the HRESULT a method returns
// and, beside it, the thread's error information (number, source,
// description), which late-bound clients read as Err.Number, Err.Source and
// Err.Description.
#pragma once

#include "platform/com/ComError.h"

#include "platform/com/windows/SystemCom.h"

#include <type_traits>

namespace com::windows {

// Records `error` as the thread's error information, raised through the
// interface `iid`, and returns its number.
HRESULT ReportError(const ComError& error, REFIID iid) noexcept;

// The body of an interface method: `body` runs, and anything it throws comes
// back as the method's failure HRESULT with its error information; `source`
// names the errors that do not carry their own. `body` returns nothing (then
// the method succeeds) or an HRESULT of its own.
template <class Body>
HRESULT Guarded(REFIID iid, const char* source, Body&& body) noexcept
{
    try {
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            return S_OK;
        } else {
            return body();
        }
    } catch (...) {
        return ReportError(ErrorFromCurrentException(source), iid);
    }
}

// A method's failure with a standard number and a text of its own.
[[noreturn]] void Throw(HRESULT number, const char* source, const char* description);

} // namespace com::windows
