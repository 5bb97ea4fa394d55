#include "cabinet/clsExtractCab.h"

#include "cabinet/ExtractNotify.h"
#include "cabinet/basCabUtil.h"
#include "platform/cab/CabIo.h"
#include "platform/cab/CabText.h"

#include <iostream>
#include <limits>
#include <unordered_map>

namespace tessaly {

void clsExtractCabEvents::ExtractStatus(FDINT&, std::shared_ptr<clsFDIStruct>&, bool&, bool&) {}
void clsExtractCabEvents::ExtractProgress(const std::string&, std::int64_t, std::int64_t, bool&) {}

namespace {

void WriteToStandardError(const std::string& text)
{
    std::cerr << text << std::endl;
}

cab::NameCharset CodecCharset(NameCharset charset)
{
    switch (charset) {
    case NameCharset::Utf8: return cab::NameCharset::Utf8;
    case NameCharset::Windows1252: return cab::NameCharset::Windows1252;
    case NameCharset::Auto: break;
    }
    return cab::NameCharset::Auto;
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
        RaiseError(kOverflowError, "Overflow: " + std::to_string(count)
                                       + " files are listed, more than the 32767 a 16-bit count can give");
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
    lastErrorDetail_.clear();
    if (ExtractMode() == kExtractModeExtract)
        extractedCount_ = 0;
    fcifdi::FdiApi& fdi = CabinetFdi();
    fcifdi::ERF erf;
    ExtractRun run;
    run.object = this;
    run.mode = ExtractMode();
    run.destination = DestinationDir;
    std::int32_t handle = 0;
    if (run.mode == kExtractModeExtract) {
        if (const std::string refusal = SizeRefusal(DestinationDir); !refusal.empty()) {
            ReportError(refusal);
            return false;
        }
    }
    try {
        handle = fdi.OpenCabFile(&erf);
        // A context that could not be made is a failure too, not an empty cabinet.
        CheckExtractError(erf);
        if (!fdi.SetReadOptions(handle, cabinetOffset_, CodecCharset(unmarkedNames_)))
            RaiseError(kExtractError, "This cabinet reader cannot read a cabinet inside another file, nor choose how "
                                      "names are read");
        const std::int16_t ok = fdi.IsCabFile(handle, NativePath(cabFileName_).c_str());
        CheckExtractError(erf);
        if (ok != 0) {
            fdi.ExtractCab(handle, NativePath(cabFileName_).c_str(), &ExtractNotify,
                           NativePath(DestinationDir).c_str(), &run);
            CheckExtractError(erf);
        }
    } catch (...) {
        const com::ComError error = com::ErrorFromCurrentException(kLibraryName);
        std::string detail;
        try {
            if (handle != 0)
                detail = fdi.ErrorDetail(handle);
        } catch (...) {
        }
        ReportError(detail.empty() ? error.Description() : error.Description() + " (" + detail + ")");
        lastError_ = error.Description();
        lastErrorDetail_ = detail;
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

std::string clsExtractCab::SizeRefusal(const std::string& destination) const
{
    // Each cabinet entry takes its choice from the first listing of its name.
    std::unordered_map<std::string, bool> chosenByName;
    std::uint64_t total = 0;
    const std::int32_t count = compressedFiles_->Count();
    for (std::int32_t i = 1; i <= count; ++i) {
        auto file = compressedFiles_->Item(i);
        if (!file)
            continue;
        const bool chosen = chosenByName.emplace(file->FileCabName(), file->ExtractFlag()).first->second;
        if (chosen)
            total += static_cast<std::uint32_t>(file->FileSize());
    }
    const std::string folder = NativePath(destination.empty() ? "." : destination);
    if (maxExtractSize_ != 0 && total > maxExtractSize_)
        return "Not extracted: the chosen files would write " + cab::SizeText(total) + " (" + std::to_string(total)
            + " bytes), more than the limit of " + cab::SizeText(maxExtractSize_);
    const auto free = cab::io::FreeBytesAt(folder);
    if (free && total > *free)
        return "Not extracted: the chosen files would write " + cab::SizeText(total) + " (" + std::to_string(total)
            + " bytes), but only " + cab::SizeText(*free) + " are free in '" + folder + "'";
    return {};
}

bool clsExtractCab::RaiseExtractProgress(const std::string& name, std::int64_t written, std::int64_t size)
{
    bool cancel = false;
    events_.Raise([&](clsExtractCabEvents& sink) { sink.ExtractProgress(name, written, size, cancel); });
    return cancel;
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
    if (launchMarkedFiles_)
        launcher_(path);
}

} // namespace tessaly
