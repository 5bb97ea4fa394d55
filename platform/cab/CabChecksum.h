// The checksum that guards every CFDATA block of a cabinet.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cab {

// The cabinet checksum of `size` bytes, continuing from `seed`: the bytes are
// XORed as little-endian 32-bit words, and a tail of 1 to 3 bytes is folded in
// with its first byte highest.
std::uint32_t CabChecksum(const void* data, std::size_t size, std::uint32_t seed = 0);

// The csum field of a CFDATA block: the payload's checksum, continued over the
// block's cbData and cbUncomp fields.
std::uint32_t DataBlockChecksum(const void* payload, std::uint16_t compressedSize,
                                std::uint16_t uncompressedSize);

} // namespace cab
