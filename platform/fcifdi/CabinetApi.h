// The creation and extraction entry points as two replaceable objects, so a
// caller can run against another implementation (one that fails on purpose,
// in tests) without changing its calls.
#pragma once

#include "platform/cab/CabText.h"
#include "platform/fcifdi/FciFdiTypes.h"

#include <cstdint>
#include <string>

namespace fcifdi {

class FciApi {
public:
    virtual ~FciApi() = default;
    virtual std::int32_t CreateCabFile(const char* cabinetPath, std::int32_t reserved, ERF* erf,
                                       std::int32_t folderThreshold) = 0;
    virtual std::int16_t AddFileToCab(std::int32_t hfci, const char* sourcePath, const char* nameInCab,
                                      std::int16_t executeFlag, std::int32_t compressionType,
                                      PFNCOMPRESSPROGRESS progress, void* context) = 0;
    virtual std::int16_t FlushCabinet(std::int32_t hfci) = 0;
    virtual std::int16_t Commit(std::int32_t hfci) = 0;
    // The system's account of the context's last failure (the path and the
    // reason), to show beside the numbered error; "" when there is none.
    virtual std::string ErrorDetail(std::int32_t /*hfci*/) { return {}; }
};

class FdiApi {
public:
    virtual ~FdiApi() = default;
    virtual std::int32_t OpenCabFile(ERF* erf) = 0;
    virtual std::int16_t IsCabFile(std::int32_t hfdi, const char* cabinetPath) = 0;
    virtual std::int16_t ExtractCab(std::int32_t hfdi, const char* cabinetPath, PFNEXTRACTNOTIFY notify,
                                    const char* destinationDir, void* context) = 0;
    virtual std::int16_t Release(std::int32_t hfdi) = 0;
    // As FciApi::ErrorDetail.
    virtual std::string ErrorDetail(std::int32_t /*hfdi*/) { return {}; }
    // How the context reads the cabinets it is given from now on: from which
    // byte of the file (a cabinet inside a self-extracting program), and how
    // names without the UTF-8 mark are decoded. False when this
    // implementation cannot read that way; only the defaults are then taken.
    virtual bool SetReadOptions(std::int32_t /*hfdi*/, std::uint64_t cabinetOffset, cab::NameCharset names)
    {
        return cabinetOffset == 0 && names == cab::NameCharset::Auto;
    }
};

// The platform's own implementations: over the cabinet codec on Linux (Fci.h,
// Fdi.h), over the system's cabinet.dll on Windows (windows/).
FciApi& SystemFci();
FdiApi& SystemFdi();

} // namespace fcifdi
