// The identities clients use to find the library's classes and members: type
// library, class, interface and event interface GUIDs, ProgIDs and DISPIDs.
#pragma once

#include "platform/com/Guid.h"

#include <cstdint>

namespace tessaly {

// The library's name is also the source of every error it raises.
inline constexpr const char* kLibraryName = "TessalyCabinet";
inline constexpr const char* kLibraryDescription = "Tessaly Cabinet";
inline constexpr std::uint16_t kLibraryVersionMajor = 1;
inline constexpr std::uint16_t kLibraryVersionMinor = 0;
inline constexpr std::uint32_t kLibraryLocale = 0x0409;

inline constexpr com::Guid kLibidTessalyCabinet = com::Guid::Parse("{AF501CC8-8FCB-41E6-B90F-6524F0602122}");

inline constexpr com::Guid kClsidCreateCab = com::Guid::Parse("{9437C1E1-D23B-465C-B105-89035CAADABA}");
inline constexpr com::Guid kIidCreateCab = com::Guid::Parse("{94234F96-707F-4035-BBFD-E4BF9344316B}");
inline constexpr com::Guid kEventsIidCreateCab = com::Guid::Parse("{132912CB-291F-427D-9CC2-A64C33AF1862}");

inline constexpr com::Guid kClsidToCompressFiles = com::Guid::Parse("{9CC594C5-37E7-4EBD-96A9-1C4BE39F8F34}");
inline constexpr com::Guid kIidToCompressFiles = com::Guid::Parse("{272ABFD4-9424-48C7-82FD-370B288579F3}");

inline constexpr com::Guid kClsidToCompressFile = com::Guid::Parse("{65BDF3EF-A14A-4AB0-B94E-8BBFD1A71125}");
inline constexpr com::Guid kIidToCompressFile = com::Guid::Parse("{7B11CE88-EE76-4B62-BDCC-5DCA42C4684E}");

inline constexpr com::Guid kClsidExtractCab = com::Guid::Parse("{3ED2E618-BEBD-4C86-8875-10D21BCF3A7C}");
inline constexpr com::Guid kIidExtractCab = com::Guid::Parse("{7B128E4D-D5F8-4755-83EA-A9E7412F3139}");
inline constexpr com::Guid kEventsIidExtractCab = com::Guid::Parse("{E21A6751-C387-43E1-ACB4-79110CF9EC17}");

inline constexpr com::Guid kClsidCompressedFiles = com::Guid::Parse("{FED2B2A4-1D91-4C9F-8199-2892614C94F4}");
inline constexpr com::Guid kIidCompressedFiles = com::Guid::Parse("{6F9556C2-4F70-4141-A2BB-E6EC961A1059}");

inline constexpr com::Guid kClsidCompressedFile = com::Guid::Parse("{A8B9E7BD-2773-424E-93EB-5388DCE28934}");
inline constexpr com::Guid kIidCompressedFile = com::Guid::Parse("{65806220-0916-4D92-ADF1-F0671CE812A3}");

// Clients receive clsFDIStruct objects but cannot create them.
inline constexpr com::Guid kClsidFDIStruct = com::Guid::Parse("{CE92D7E5-4FEC-4928-AFA8-6D09525CA086}");
inline constexpr com::Guid kIidFDIStruct = com::Guid::Parse("{B1D9F80D-C6B9-4DA5-A5CA-38BD31E82274}");

inline constexpr com::Guid kGuidFDINT = com::Guid::Parse("{F4B3B2B8-D15D-4BBB-AB83-D1841CB67B1D}");

inline constexpr const char* kProgIdCreateCab = "TessalyCabinet.clsCreateCab";
inline constexpr const char* kProgIdToCompressFiles = "TessalyCabinet.clsToCompressFiles";
inline constexpr const char* kProgIdToCompressFile = "TessalyCabinet.clsToCompressFile";
inline constexpr const char* kProgIdExtractCab = "TessalyCabinet.clsExtractCab";
inline constexpr const char* kProgIdCompressedFiles = "TessalyCabinet.clsCompressedFiles";
inline constexpr const char* kProgIdCompressedFile = "TessalyCabinet.clsCompressedFile";

// Member identities, for clients that dispatch by number.
namespace dispid {
using DISPID = std::int32_t;

inline constexpr DISPID kCreateCabToCompressFiles = 0x68030001;
inline constexpr DISPID kCreateCabCabinetFile = 0x68030000;
inline constexpr DISPID kCreateCabCompress = 0x60030002;
inline constexpr DISPID kCreateCabRaiseCompressStatus = 0x60030003;
inline constexpr DISPID kCreateCabEventCompressStatus = 1;
inline constexpr DISPID kCreateCabEventBeforeFileAdd = 2;

inline constexpr DISPID kToCompressFilesAddDirectory = 0x60030000;
inline constexpr DISPID kToCompressFilesAddDirectory2 = 0x60030001;
inline constexpr DISPID kToCompressFilesAddFile = 0x60030002;
inline constexpr DISPID kToCompressFilesCount = 0x60030003;
inline constexpr DISPID kToCompressFilesItem = 0;
inline constexpr DISPID kToCompressFilesRemove = 0x60030004;

inline constexpr DISPID kToCompressFileSourcePath = 0x68030003;
inline constexpr DISPID kToCompressFileNameInCab = 0x68030002;
inline constexpr DISPID kToCompressFileExecuteFlag = 0x68030001;
inline constexpr DISPID kToCompressFileCompressionType = 0x68030000;

inline constexpr DISPID kExtractCabDestinationDir = 0x68030002;
inline constexpr DISPID kExtractCabCompressedFiles = 0x68030001;
inline constexpr DISPID kExtractCabCabFileName = 0x68030000;
inline constexpr DISPID kExtractCabGetFileCount = 0x60030003;
inline constexpr DISPID kExtractCabGetFilesInfo = 0x60030004;
inline constexpr DISPID kExtractCabExtractFiles = 0x60030005;
inline constexpr DISPID kExtractCabAddFileCabName = 0x60030006;
inline constexpr DISPID kExtractCabRaiseExtractStatus = 0x60030007;
inline constexpr DISPID kExtractCabExtract = 0x60030008;
inline constexpr DISPID kExtractCabEventExtractStatus = 1;

inline constexpr DISPID kCompressedFilesAdd = 0x60030000;
inline constexpr DISPID kCompressedFilesCount = 0x60030001;
inline constexpr DISPID kCompressedFilesItem = 0x60030002;

inline constexpr DISPID kCompressedFileFileCabName = 0x68030006;
inline constexpr DISPID kCompressedFileRelativePath = 0x68030005;
inline constexpr DISPID kCompressedFileFileDate = 0x68030004;
inline constexpr DISPID kCompressedFileFileTime = 0x68030003;
inline constexpr DISPID kCompressedFileAttribs = 0x68030002;
inline constexpr DISPID kCompressedFileFileSize = 0x68030001;
inline constexpr DISPID kCompressedFileExtractFlag = 0x68030000;
inline constexpr DISPID kCompressedFileExtract = 0x60030007;

inline constexpr DISPID kFDIStructCb = 0x40030000;
inline constexpr DISPID kFDIStructPsz1 = 0x40030001;
inline constexpr DISPID kFDIStructPsz2 = 0x40030002;
inline constexpr DISPID kFDIStructPsz3 = 0x40030003;
inline constexpr DISPID kFDIStructFdate = 0x40030004;
inline constexpr DISPID kFDIStructFtime = 0x40030005;
inline constexpr DISPID kFDIStructAttribs = 0x40030006;
inline constexpr DISPID kFDIStructSetID = 0x40030007;
inline constexpr DISPID kFDIStructICabinet = 0x40030008;
inline constexpr DISPID kFDIStructFDie = 0x40030009;
} // namespace dispid

// The kinds of notification an extraction reports.
enum FDINT : std::int32_t {
    fdintCABINET_INFO = 0,
    fdintPARTIAL_FILE = 1,
    fdintCOPY_FILE = 2,
    fdintCLOSE_FILE_INFO = 3,
    fdintNEXT_CABINET = 4,
    fdintENUMERATE = 5,
};

} // namespace tessaly
