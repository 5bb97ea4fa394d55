#include "cabinet/clsExtractCab.h"

#include "cabinet/ExtractNotify.h"
#include "cabinet/basCabUtil.h"

#include <iostream>
#include <limits>

namespace tessaly {

void clsExtractCabEvents::ExtractStatus(FDINT&, std::shared_ptr<clsFDIStruct>&, bool&, bool&) {}

namespace {

void WriteToStandardError(const std::string& text)
{
    std::cerr << text << std::endl;
}

} // namespace

std::shared_ptr<clsExtractCab> clsExtractCab::Create()
{
    auto object = std::make_shared<clsExtractCab>();
    CurrentExtractCab(object);
    return object;
}

clsExtractCab::clsExtractCab()
    : com::Object(CabinetModule())
    , compressedFiles_(std::make_shared<clsCompressedFiles>())
    , reporter_(WriteToStandardError)
    , launcher_(OpenWithDesktop)
{
}

std::int16_t clsExtractCab::GetFileCount() const
{
    const std::int32_t count = compressedFiles_->Count();
    if (count > std::numeric_limits<std::int16_t>::max())
        RaiseError(kOverflowError, "Overflow");
    return static_cast<std::int16_t>(count);
}

void clsExtractCab::GetFilesInfo()
{
    ExtractMode(kExtractModeList);
    Extract("", "");
}

void clsExtractCab::ExtractFiles(const std::string& psDestinationDir)
{
    ExtractMode(kExtractModeExtract);
    destinationDir_ = psDestinationDir;
    Extract(psDestinationDir, "");
}

void clsExtractCab::AddFileCabName(const std::string& psFileName, std::int32_t plFileDate, std::int32_t plFileTime,
                                   std::int32_t plFileSize, std::int32_t plFileAttr)
{
    try {
        auto file = std::make_shared<clsCompressedFile>();
        file->FileCabName(psFileName);
        file->FileDate(plFileDate);
        file->FileTime(plFileTime);
        file->FileSize(plFileSize);
        file->Attribs(plFileAttr);
        compressedFiles_->Add(std::move(file));
    } catch (...) {
        // A listing that runs out of memory simply lists less.
    }
}

void clsExtractCab::RaiseExtractStatus(std::int32_t StatusType, std::shared_ptr<clsFDIStruct>& StatusInfo,
                                       bool& Extract, bool& Cancel)
{
    FDINT statusType = static_cast<FDINT>(StatusType);
    events_.Raise([&](clsExtractCabEvents& sink) { sink.ExtractStatus(statusType, StatusInfo, Extract, Cancel); });
}

bool clsExtractCab::Extract(const std::string& DestinationDir, const std::string& /*File*/)
{
    lastError_.clear();
    fcifdi::FdiApi& fdi = CabinetFdi();
    fcifdi::ERF erf;
    ExtractRun run;
    run.object = this;
    run.mode = ExtractMode();
    run.destination = DestinationDir;
    std::int32_t handle = 0;
    try {
        handle = fdi.OpenCabFile(&erf);
        // A context that could not be made is a failure too, not an empty cabinet.
        CheckExtractError(erf);
        const std::int16_t ok = fdi.IsCabFile(handle, NativePath(cabFileName_).c_str());
        CheckExtractError(erf);
        if (ok != 0) {
            fdi.ExtractCab(handle, NativePath(cabFileName_).c_str(), &ExtractNotify,
                           NativePath(DestinationDir).c_str(), &run);
            CheckExtractError(erf);
        }
    } catch (...) {
        const com::ComError error = com::ErrorFromCurrentException(kLibraryName);
        ReportError(error.Description());
    }
    // Released on every way out, so a failed walk leaves no open context behind.
    if (handle != 0) {
        try {
            fdi.Release(handle);
        } catch (...) {
        }
    }
    return false;
}

void clsExtractCab::SetErrorReporter(ErrorReporter reporter)
{
    reporter_ = reporter ? std::move(reporter) : ErrorReporter(WriteToStandardError);
}

void clsExtractCab::SetLauncher(Launcher launcher)
{
    launcher_ = launcher ? std::move(launcher) : Launcher(OpenWithDesktop);
}

void clsExtractCab::ReportError(const std::string& text)
{
    lastError_ = text;
    try {
        reporter_(text);
    } catch (...) {
        // The reporter stands for a message box: its own failure changes nothing.
    }
}

void clsExtractCab::Launch(const std::string& path)
{
    launcher_(path);
}

} // namespace tessaly
