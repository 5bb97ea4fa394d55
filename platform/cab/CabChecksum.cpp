#include "platform/cab/CabChecksum.h"

#include <cstring>

namespace cab {

std::uint32_t CabChecksum(const void* data, std::size_t size, std::uint32_t seed)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    // Eight bytes at a time: the XOR of two little-endian words is the XOR of
    // the two halves of one 64-bit little-endian load.
    std::uint64_t wide = 0;
    std::size_t words = size / 8;
    for (std::size_t i = 0; i < words; ++i, p += 8) {
        std::uint8_t b[8];
        std::memcpy(b, p, 8);
        std::uint64_t v = 0;
        for (int k = 7; k >= 0; --k)
            v = (v << 8) | b[k];
        wide ^= v;
    }
    std::uint32_t sum = seed ^ std::uint32_t(wide) ^ std::uint32_t(wide >> 32);
    std::size_t rest = size % 8;
    if (rest >= 4) {
        sum ^= std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16)
            | (std::uint32_t(p[3]) << 24);
        p += 4;
        rest -= 4;
    }
    std::uint32_t tail = 0;
    switch (rest) {
    case 3:
        tail |= std::uint32_t(*p++) << 16;
        [[fallthrough]];
    case 2:
        tail |= std::uint32_t(*p++) << 8;
        [[fallthrough]];
    case 1:
        tail |= *p++;
        break;
    default:
        break;
    }
    return sum ^ tail;
}

std::uint32_t DataBlockChecksum(const void* payload, std::uint16_t compressedSize,
                                std::uint16_t uncompressedSize)
{
    std::uint8_t sizes[4] = {std::uint8_t(compressedSize), std::uint8_t(compressedSize >> 8),
                             std::uint8_t(uncompressedSize), std::uint8_t(uncompressedSize >> 8)};
    return CabChecksum(sizes, 4, CabChecksum(payload, compressedSize, 0));
}

} // namespace cab
