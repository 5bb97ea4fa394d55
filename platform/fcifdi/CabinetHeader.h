// A first look at a cabinet's header, for the failures the reading entry
// points tell apart: not a cabinet, a version they do not know, a damaged
// header, and folders whose compression no decoder handles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fcifdi {

struct CabinetHeader {
    enum Status { Ok, Missing, NotACabinet, UnknownVersion, Damaged };
    Status status = Missing;
    std::uint16_t setId = 0;
    std::uint16_t cabinetIndex = 0;
    std::uint16_t flags = 0;
    std::uint8_t folderReserve = 0;
    std::uint8_t dataReserve = 0;
    std::uint16_t headerReserve = 0;
    std::vector<std::uint16_t> folderCompression; // typeCompress of each folder
};

// The header of the cabinet that starts `offset` bytes into the file.
CabinetHeader ReadCabinetHeader(const std::string& path, std::uint64_t offset = 0);

// MSZIP, LZX, Quantum and stored folders can be decoded.
bool IsKnownCompression(std::uint16_t typeCompress);

} // namespace fcifdi
