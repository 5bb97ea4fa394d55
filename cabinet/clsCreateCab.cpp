#include "cabinet/clsCreateCab.h"

#include "cabinet/basCabUtil.h"

#include <limits>

namespace tessaly {

void clsCreateCabEvents::CompressStatus(FDINT&, std::int32_t&, std::int32_t&, bool&) {}
void clsCreateCabEvents::BeforeFileAdd(std::int16_t&, std::string&, bool&) {}

namespace {

// The writer's folder threshold; the value callers of the writer always pass.
constexpr std::int32_t kFolderThreshold = 500000;

bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(' ') == std::string::npos;
}

} // namespace

std::shared_ptr<clsCreateCab> clsCreateCab::Create()
{
    return std::make_shared<clsCreateCab>();
}

clsCreateCab::clsCreateCab()
    : com::Object(CabinetModule())
    , toCompressFiles_(std::make_shared<clsToCompressFiles>())
{
}

void clsCreateCab::Compress()
{
    if (IsBlank(cabinetFile_) || toCompressFiles_->Count() == 0)
        return;

    fcifdi::FciApi& fci = CabinetFci();
    fcifdi::ERF erf;
    std::int32_t handle = 0;
    lastErrorDetail_.clear();
    try {
        CurrentCreateCab(weak_from_this().lock());
        handle = fci.CreateCabFile(NativePath(cabinetFile_).c_str(), 0, &erf, kFolderThreshold);
        CheckCompressError(erf);

        // Up to the format's 65535 files, which the writer enforces with its own
        // error; the event's 16-bit position runs out first (see BeforeFileAdd).
        const std::int32_t count = toCompressFiles_->Count();
        for (std::int32_t i = 1; i <= count; ++i) {
            auto file = toCompressFiles_->Item(i);
            if (!file)
                break; // a listener shortened the list: nothing is left to add
            std::int16_t fileCount =
                i <= std::numeric_limits<std::int16_t>::max() ? static_cast<std::int16_t>(i) : std::int16_t(-1);
            std::string filename = file->SourcePath();
            bool cancel = false;
            events_.Raise([&](clsCreateCabEvents& sink) { sink.BeforeFileAdd(fileCount, filename, cancel); });
            if (cancel)
                break;
            fci.AddFileToCab(handle, NativePath(file->SourcePath()).c_str(), file->NameInCab().c_str(),
                             file->ExecuteFlag() ? -1 : 0, file->CompressionType(), &CompressProgress, this);
            CheckCompressError(erf);
        }
        fci.FlushCabinet(handle);
        CheckCompressError(erf);
        // The context is let go after a good write as well, or every run would
        // keep one open for the life of the process.
        fci.Commit(handle);
    } catch (...) {
        const com::ComError error = com::ErrorFromCurrentException(kLibraryName);
        try {
            if (handle != 0)
                lastErrorDetail_ = fci.ErrorDetail(handle);
            fci.Commit(handle);
        } catch (...) {
        }
        RaiseError(error.Number(), error.Description());
    }
}

bool clsCreateCab::RaiseCompressStatus(std::int32_t StatusType, std::int32_t StatusInfo1, std::int32_t StatusInfo2)
{
    FDINT statusType = static_cast<FDINT>(StatusType);
    bool cancel = false;
    events_.Raise([&](clsCreateCabEvents& sink) { sink.CompressStatus(statusType, StatusInfo1, StatusInfo2, cancel); });
    return cancel;
}

} // namespace tessaly
