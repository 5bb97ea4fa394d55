#include "platform/fcifdi/CabinetHeader.h"

#include "platform/cab/CabFormat.h"

#include <algorithm>
#include <fstream>

namespace fcifdi {

namespace fmt = cab::format;

namespace {

bool ReadExactly(std::ifstream& in, std::uint8_t* buffer, std::size_t size)
{
    in.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(in.gcount()) == size;
}

bool SkipString(std::ifstream& in)
{
    // Names of neighbouring cabinets and disks, at most 255 bytes each.
    for (int i = 0; i < 256; ++i) {
        char c;
        if (!in.get(c))
            return false;
        if (c == '\0')
            return true;
    }
    return false;
}

} // namespace

CabinetHeader ReadCabinetHeader(const std::string& path, std::uint64_t offset)
{
    CabinetHeader header;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return header;
    if (offset != 0 && !in.seekg(std::streamoff(offset))) {
        header.status = CabinetHeader::NotACabinet;
        return header;
    }
    std::uint8_t fixed[fmt::cfhead_SIZEOF];
    in.read(reinterpret_cast<char*>(fixed), sizeof fixed);
    std::size_t got = static_cast<std::size_t>(in.gcount());
    if (in.bad()) {
        // A folder opens as a stream but cannot be read: there is no cabinet file.
        return header;
    }
    if (got < 4 || std::equal(fixed, fixed + 4, fmt::kSignature) == false) {
        header.status = CabinetHeader::NotACabinet;
        return header;
    }
    header.status = CabinetHeader::Damaged;
    if (got < sizeof fixed)
        return header;
    if (fixed[fmt::cfhead_MajorVersion] != fmt::kVersionMajor) {
        header.status = CabinetHeader::UnknownVersion;
        return header;
    }
    header.flags = fmt::GetU16(fixed + fmt::cfhead_Flags);
    header.setId = fmt::GetU16(fixed + fmt::cfhead_SetID);
    header.cabinetIndex = fmt::GetU16(fixed + fmt::cfhead_CabinetIndex);
    if (header.flags & fmt::cfheadRESERVE_PRESENT) {
        std::uint8_t ext[fmt::cfheadext_SIZEOF];
        if (!ReadExactly(in, ext, sizeof ext))
            return header;
        header.headerReserve = fmt::GetU16(ext + fmt::cfheadext_HeaderReserved);
        header.folderReserve = ext[fmt::cfheadext_FolderReserved];
        header.dataReserve = ext[fmt::cfheadext_DataReserved];
        in.seekg(header.headerReserve, std::ios::cur);
    }
    if ((header.flags & fmt::cfheadPREV_CABINET) && !(SkipString(in) && SkipString(in)))
        return header;
    if ((header.flags & fmt::cfheadNEXT_CABINET) && !(SkipString(in) && SkipString(in)))
        return header;
    std::uint16_t folders = fmt::GetU16(fixed + fmt::cfhead_NumFolders);
    header.folderCompression.reserve(folders);
    for (std::uint16_t i = 0; i < folders; ++i) {
        std::uint8_t folder[fmt::cffold_SIZEOF];
        if (!ReadExactly(in, folder, sizeof folder))
            return header;
        header.folderCompression.push_back(fmt::GetU16(folder + fmt::cffold_CompType));
        in.seekg(header.folderReserve, std::ios::cur);
    }
    header.status = CabinetHeader::Ok;
    return header;
}

bool IsKnownCompression(std::uint16_t typeCompress)
{
    return (typeCompress & fmt::cffoldCOMPTYPE_MASK) <= fmt::cffoldCOMPTYPE_LZX;
}

} // namespace fcifdi
