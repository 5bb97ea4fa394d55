// Builds small cabinets byte by byte (one uncompressed folder) so tests can
// name entries anything, hostile names included, and fix their time stamps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testcab {

struct StoredFile {
    std::string name;               // bytes as stored
    std::string data;
    std::uint16_t dosDate = 0x5A21; // 2025-01-01
    std::uint16_t dosTime = 0x6000; // 12:00:00
    std::uint16_t attributes = 0x20;
};

inline void PutU16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

inline void PutU32(std::string& out, std::uint32_t v)
{
    PutU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    PutU16(out, static_cast<std::uint16_t>(v >> 16));
}

// The whole cabinet file. Data blocks carry no checksum (0 means unchecked).
inline std::string StoredCabinet(const std::vector<StoredFile>& files)
{
    constexpr std::uint32_t kHeaderSize = 36, kFolderSize = 8, kBlock = 32768;
    std::string all;
    for (const StoredFile& f : files)
        all += f.data;
    std::uint32_t fileTableSize = 0;
    for (const StoredFile& f : files)
        fileTableSize += 16 + static_cast<std::uint32_t>(f.name.size()) + 1;
    const std::uint32_t dataStart = kHeaderSize + kFolderSize + fileTableSize;
    const std::uint32_t blocks = static_cast<std::uint32_t>((all.size() + kBlock - 1) / kBlock);
    const std::uint32_t total = dataStart + blocks * 8 + static_cast<std::uint32_t>(all.size());

    std::string out = "MSCF";
    PutU32(out, 0);
    PutU32(out, total);
    PutU32(out, 0);
    PutU32(out, kHeaderSize + kFolderSize);
    PutU32(out, 0);
    out += '\x03';
    out += '\x01';
    PutU16(out, 1);
    PutU16(out, static_cast<std::uint16_t>(files.size()));
    PutU16(out, 0);      // flags
    PutU16(out, 0x1234); // set id
    PutU16(out, 0);      // cabinet index

    PutU32(out, dataStart);
    PutU16(out, static_cast<std::uint16_t>(blocks));
    PutU16(out, 0); // no compression

    std::uint32_t offset = 0;
    for (const StoredFile& f : files) {
        PutU32(out, static_cast<std::uint32_t>(f.data.size()));
        PutU32(out, offset);
        PutU16(out, 0);
        PutU16(out, f.dosDate);
        PutU16(out, f.dosTime);
        PutU16(out, f.attributes);
        out += f.name;
        out += '\0';
        offset += static_cast<std::uint32_t>(f.data.size());
    }

    for (std::size_t at = 0; at < all.size(); at += kBlock) {
        const std::string block = all.substr(at, kBlock);
        PutU32(out, 0);
        PutU16(out, static_cast<std::uint16_t>(block.size()));
        PutU16(out, static_cast<std::uint16_t>(block.size()));
        out += block;
    }
    return out;
}

} // namespace testcab
