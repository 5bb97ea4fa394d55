// The platform's own writer and reader behind the replaceable interfaces:
// whichever entry points Fci.h and Fdi.h name on this system (the codec on
// Linux, the system's cabinet.dll on Windows).
#include "platform/fcifdi/CabinetApi.h"
#include "platform/fcifdi/Fci.h"
#include "platform/fcifdi/Fdi.h"

namespace fcifdi {

namespace {

class SystemFciApi final : public FciApi {
public:
    std::int32_t CreateCabFile(const char* cabinetPath, std::int32_t reserved, ERF* erf,
                               std::int32_t folderThreshold) override
    {
        return fcifdi::CreateCabFile(cabinetPath, reserved, erf, folderThreshold);
    }
    std::int16_t AddFileToCab(std::int32_t hfci, const char* sourcePath, const char* nameInCab,
                              std::int16_t executeFlag, std::int32_t compressionType,
                              PFNCOMPRESSPROGRESS progress, void* context) override
    {
        return fcifdi::AddFileToCab(hfci, sourcePath, nameInCab, executeFlag, compressionType, progress, context);
    }
    std::int16_t FlushCabinet(std::int32_t hfci) override { return fcifdi::FlushCabinet(hfci); }
    std::int16_t Commit(std::int32_t hfci) override { return fcifdi::Commit(hfci); }
    std::string ErrorDetail(std::int32_t hfci) override { return fcifdi::WriteErrorDetail(hfci); }
};

class SystemFdiApi final : public FdiApi {
public:
    std::int32_t OpenCabFile(ERF* erf) override { return fcifdi::OpenCabFile(erf); }
    std::int16_t IsCabFile(std::int32_t hfdi, const char* cabinetPath) override
    {
        return fcifdi::IsCabFile(hfdi, cabinetPath);
    }
    std::int16_t ExtractCab(std::int32_t hfdi, const char* cabinetPath, PFNEXTRACTNOTIFY notify,
                            const char* destinationDir, void* context) override
    {
        return fcifdi::ExtractCab(hfdi, cabinetPath, notify, destinationDir, context);
    }
    std::int16_t Release(std::int32_t hfdi) override { return fcifdi::Release(hfdi); }
    std::string ErrorDetail(std::int32_t hfdi) override { return fcifdi::ReadErrorDetail(hfdi); }
#ifndef _WIN32
    // The system's cabinet.dll reads whole cabinet files with its own names;
    // only the codec can start inside a file or be told how to read names.
    bool SetReadOptions(std::int32_t hfdi, std::uint64_t cabinetOffset, cab::NameCharset names) override
    {
        return fcifdi::SetReadOptions(hfdi, cab::ReadOptions{cabinetOffset, names}) != 0;
    }
#endif
};

} // namespace

FciApi& SystemFci()
{
    static SystemFciApi api;
    return api;
}

FdiApi& SystemFdi()
{
    static SystemFdiApi api;
    return api;
}

} // namespace fcifdi
