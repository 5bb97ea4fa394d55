// The on-disk layout of a Microsoft Cabinet file: field offsets and sizes of
// CFHEADER, CFFOLDER, CFFILE and CFDATA, named as the published format names them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cab::format {

// CFHEADER: the fixed part at the start of every cabinet.
inline constexpr std::size_t cfhead_Signature = 0x00;     // u8[4] "MSCF"
inline constexpr std::size_t cfhead_Reserved1 = 0x04;     // u32
inline constexpr std::size_t cfhead_CabinetSize = 0x08;   // u32 cbCabinet: bytes of the whole cabinet
inline constexpr std::size_t cfhead_Reserved2 = 0x0C;     // u32
inline constexpr std::size_t cfhead_FileOffset = 0x10;    // u32 coffFiles: offset of the first CFFILE
inline constexpr std::size_t cfhead_Reserved3 = 0x14;     // u32
inline constexpr std::size_t cfhead_MinorVersion = 0x18;  // u8 versionMinor
inline constexpr std::size_t cfhead_MajorVersion = 0x19;  // u8 versionMajor
inline constexpr std::size_t cfhead_NumFolders = 0x1A;    // u16 cFolders
inline constexpr std::size_t cfhead_NumFiles = 0x1C;      // u16 cFiles
inline constexpr std::size_t cfhead_Flags = 0x1E;         // u16 flags
inline constexpr std::size_t cfhead_SetID = 0x20;         // u16 setID
inline constexpr std::size_t cfhead_CabinetIndex = 0x22;  // u16 iCabinet
inline constexpr std::size_t cfhead_SIZEOF = 0x24;
// Present only with cfheadRESERVE_PRESENT, directly after the fixed part.
inline constexpr std::size_t cfheadext_HeaderReserved = 0x00; // u16 cbCFHeader
inline constexpr std::size_t cfheadext_FolderReserved = 0x02; // u8 cbCFFolder
inline constexpr std::size_t cfheadext_DataReserved = 0x03;   // u8 cbCFData
inline constexpr std::size_t cfheadext_SIZEOF = 0x04;

inline constexpr std::uint8_t kSignature[4] = {'M', 'S', 'C', 'F'};
inline constexpr std::uint8_t kVersionMinor = 3;
inline constexpr std::uint8_t kVersionMajor = 1;

// CFHEADER flags.
inline constexpr std::uint16_t cfheadPREV_CABINET = 0x0001;
inline constexpr std::uint16_t cfheadNEXT_CABINET = 0x0002;
inline constexpr std::uint16_t cfheadRESERVE_PRESENT = 0x0004;

// CFFOLDER: one per folder, following the header.
inline constexpr std::size_t cffold_DataOffset = 0x00;     // u32 coffCabStart: offset of the first CFDATA
inline constexpr std::size_t cffold_NumBlocks = 0x04;      // u16 cCFData
inline constexpr std::size_t cffold_CompType = 0x06;       // u16 typeCompress
inline constexpr std::size_t cffold_SIZEOF = 0x08;

// typeCompress values (low nibble; LZX and Quantum carry a window size above it).
inline constexpr std::uint16_t cffoldCOMPTYPE_MASK = 0x000F;
inline constexpr std::uint16_t cffoldCOMPTYPE_NONE = 0x0000;
inline constexpr std::uint16_t cffoldCOMPTYPE_MSZIP = 0x0001;
inline constexpr std::uint16_t cffoldCOMPTYPE_QUANTUM = 0x0002;
inline constexpr std::uint16_t cffoldCOMPTYPE_LZX = 0x0003;

// CFFILE: one per file, at coffFiles, each followed by its NUL-terminated name.
inline constexpr std::size_t cffile_UncompressedSize = 0x00;   // u32 cbFile
inline constexpr std::size_t cffile_FolderOffset = 0x04;       // u32 uoffFolderStart
inline constexpr std::size_t cffile_FolderIndex = 0x08;        // u16 iFolder
inline constexpr std::size_t cffile_Date = 0x0A;               // u16 date, DOS format
inline constexpr std::size_t cffile_Time = 0x0C;               // u16 time, DOS format
inline constexpr std::size_t cffile_Attribs = 0x0E;            // u16 attribs
inline constexpr std::size_t cffile_SIZEOF = 0x10;
// A name with its terminating NUL fits in this many bytes.
inline constexpr std::size_t kMaxNameBytesWithNul = 256;

// iFolder values of files that span cabinets.
inline constexpr std::uint16_t cffileCONTINUED_FROM_PREV = 0xFFFD;
inline constexpr std::uint16_t cffileCONTINUED_TO_NEXT = 0xFFFE;
inline constexpr std::uint16_t cffileCONTINUED_PREV_AND_NEXT = 0xFFFF;

// CFFILE attribs.
inline constexpr std::uint16_t kAttribReadOnly = 0x01;
inline constexpr std::uint16_t kAttribHidden = 0x02;
inline constexpr std::uint16_t kAttribSystem = 0x04;
inline constexpr std::uint16_t kAttribArchive = 0x20;
inline constexpr std::uint16_t kAttribExecute = 0x40;
inline constexpr std::uint16_t kAttribNameIsUtf = 0x80;
inline constexpr std::uint16_t kAttribKnown = kAttribReadOnly | kAttribHidden | kAttribSystem
    | kAttribArchive | kAttribExecute | kAttribNameIsUtf;

// CFDATA: the data blocks of a folder, one after another from coffCabStart.
inline constexpr std::size_t cfdata_CheckSum = 0x00;           // u32 csum
inline constexpr std::size_t cfdata_CompressedSize = 0x04;     // u16 cbData
inline constexpr std::size_t cfdata_UncompressedSize = 0x06;   // u16 cbUncomp
inline constexpr std::size_t cfdata_SIZEOF = 0x08;

// Every block of a folder but its last holds exactly this much uncompressed data.
inline constexpr std::uint32_t kBlockSize = 32768;
// cCFData is 16 bits wide.
inline constexpr std::uint32_t kMaxBlocksPerFolder = 65535;
// The most uncompressed data a folder (and so a file) may hold.
inline constexpr std::uint64_t kMaxFolderBytes = std::uint64_t(kBlockSize) * kMaxBlocksPerFolder;
// cFiles and cFolders are 16 bits wide.
inline constexpr std::uint32_t kMaxFiles = 65535;
inline constexpr std::uint32_t kMaxFolders = 65535;

// An MSZIP block: this signature, then one complete deflate stream.
inline constexpr std::uint8_t kMsZipSignature[2] = {'C', 'K'};

inline std::uint16_t GetU16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t GetU32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16)
        | (std::uint32_t(p[3]) << 24);
}
inline void PutU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

} // namespace cab::format
