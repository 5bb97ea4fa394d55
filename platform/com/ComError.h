// Numbered errors as clients of the component libraries receive them: an
// HRESULT (signed 32-bit), the source that raised it and a description.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace com {

using HRESULT = std::int32_t;

inline constexpr HRESULT kSOk = 0;
inline constexpr HRESULT kSFalse = 1;
inline constexpr HRESULT kENoInterface = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT kEPointer = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT kEFail = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT kEOutOfMemory = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT kEInvalidArg = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT kClassENotAvailable = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT kRegdbEClassNotReg = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT kCoEClassString = static_cast<HRESULT>(0x800401F3u); // unknown ProgID

constexpr bool Failed(HRESULT hr) { return hr < 0; }

// The exception a component raises to its client. what() is the description.
class ComError : public std::runtime_error {
public:
    ComError(HRESULT number, std::string source, std::string description);

    HRESULT Number() const noexcept { return number_; }
    const std::string& Source() const noexcept { return source_; }
    const std::string& Description() const noexcept { return description_; }

private:
    HRESULT number_;
    std::string source_;
    std::string description_;
};

// The error a failed call left, for code that catches anything and must hand
// a number and a text on: ComError as it is, out-of-memory and other
// exceptions as the matching standard HRESULTs.
ComError ErrorFromCurrentException(const std::string& defaultSource);

} // namespace com
