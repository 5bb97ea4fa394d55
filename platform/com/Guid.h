// A 128-bit class or interface identifier, written in source as the usual
// braced text "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" and compared by value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace com {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    // Parses the braced form (braces optional, hex digits in either case).
    // A malformed literal in a constant expression fails to compile.
    static constexpr std::optional<Guid> TryParse(std::string_view text);
    static constexpr Guid Parse(std::string_view text)
    {
        auto guid = TryParse(text);
        if (!guid)
            throw "malformed GUID text"; // only reachable at compile time for constants
        return *guid;
    }

    // Upper-case braced form, as registries and type libraries show it.
    std::string ToString() const;

    friend constexpr bool operator==(const Guid&, const Guid&) = default;
};

namespace detail {
constexpr int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace detail

constexpr std::optional<Guid> Guid::TryParse(std::string_view text)
{
    if (text.size() == 38 && text.front() == '{' && text.back() == '}')
        text = text.substr(1, 36);
    if (text.size() != 36)
        return std::nullopt;
    // Group lengths in hex digits: 8-4-4-4-12.
    std::uint8_t bytes[16]{};
    std::size_t byte = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-')
                return std::nullopt;
            ++i;
            continue;
        }
        int hi = detail::HexValue(text[i]);
        int lo = detail::HexValue(text[i + 1]);
        if (hi < 0 || lo < 0 || i + 1 == 8 || i + 1 == 13 || i + 1 == 18 || i + 1 == 23)
            return std::nullopt;
        bytes[byte++] = static_cast<std::uint8_t>(hi * 16 + lo);
        i += 2;
    }
    Guid guid;
    guid.data1 = (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16)
        | (std::uint32_t(bytes[2]) << 8) | bytes[3];
    guid.data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    guid.data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (std::size_t i = 0; i < 8; ++i)
        guid.data4[i] = bytes[8 + i];
    return guid;
}

struct GuidHash {
    std::size_t operator()(const Guid& g) const noexcept
    {
        std::uint64_t h = (std::uint64_t(g.data1) << 32) ^ (std::uint64_t(g.data2) << 16) ^ g.data3;
        for (auto b : g.data4)
            h = h * 1099511628211ull ^ b;
        return static_cast<std::size_t>(h);
    }
};

// The two interfaces every in-process server answers for.
inline constexpr Guid kIidIUnknown = Guid::Parse("{00000000-0000-0000-C000-000000000046}");
inline constexpr Guid kIidIClassFactory = Guid::Parse("{00000001-0000-0000-C000-000000000046}");

} // namespace com
