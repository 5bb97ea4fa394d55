// Turns the raw bytes of one data block into a complete CFDATA record:
// stored as is, or MSZIP ("CK" and one whole deflate stream that may refer
// back into the previous block of its folder).
#pragma once

#include "platform/cab/CabWriter.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cab::detail {

// zlib's default level: the size a user expects from any MSZIP writer.
inline constexpr int kDefaultDeflateLevel = 6;

// `history` is the raw data of the folder's previous block (empty for the
// first), which the decoder still holds in its window. The result depends on
// nothing else, so blocks may be encoded in any order on any thread.
std::vector<std::uint8_t> EncodeDataBlock(Compression compression, const std::uint8_t* raw,
                                          std::size_t size, const std::uint8_t* history,
                                          std::size_t historySize, int level = kDefaultDeflateLevel);

} // namespace cab::detail
