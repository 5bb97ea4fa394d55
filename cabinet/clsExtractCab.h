// Lists and extracts a cabinet in two passes: GetFilesInfo fills
// CompressedFiles, the client sets ExtractFlag on the entries it wants, and
// ExtractFiles writes them with their stored dates, times and attributes.
// Listeners hear of each listed entry as it is offered and can skip it.
#pragma once

#include "cabinet/TessalyCabinetIds.h"
#include "cabinet/clsCompressedFiles.h"
#include "cabinet/clsFDIStruct.h"
#include "platform/com/ComObject.h"
#include "platform/com/EventSource.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tessaly {

class clsExtractCabEvents {
public:
    virtual ~clsExtractCabEvents() = default;
    // Raised for each listed entry the cabinet offers during ExtractFiles.
    // Extract tells whether it will be written (its ExtractFlag; false with
    // StatusInfo->fDie() 8 for a name that would land outside the destination);
    // changing it has no effect. Setting Cancel skips the entry.
    virtual void ExtractStatus(FDINT& StatusType, std::shared_ptr<clsFDIStruct>& StatusInfo, bool& Extract, bool& Cancel);
    // Raised while a chosen entry is written, about once per 32 KiB: its name,
    // the bytes written so far and its size. Setting Cancel stops the whole
    // run at once; the partial file is removed and the run reports "User Abort".
    virtual void ExtractProgress(const std::string& Filename, std::int64_t BytesWritten, std::int64_t FileSize,
                                 bool& Cancel);
};

// How names stored without the UTF-8 mark are read (clsExtractCab::UnmarkedNames).
enum class NameCharset {
    Auto,        // well-formed multi-byte UTF-8 as UTF-8 (tools that write it unmarked), other names as Windows-1252
    Utf8,        // every unmarked name as UTF-8; ill-formed bytes become U+FFFD
    Windows1252, // every unmarked name as Windows-1252
};

class clsExtractCab : public com::Object, public std::enable_shared_from_this<clsExtractCab> {
public:
    using Cookie = com::EventSource<clsExtractCabEvents>::Cookie;
    // Shows an error text to the user; the default writes it to standard error.
    using ErrorReporter = std::function<void(const std::string& text)>;
    // Opens a file marked to run after extraction, once the client has turned
    // LaunchMarkedFiles on; the default asks the desktop to open it with its
    // associated program and never runs it itself.
    using Launcher = std::function<void(const std::string& path)>;

    // A new object, recorded as the most recently created one.
    static std::shared_ptr<clsExtractCab> Create();
    clsExtractCab();

    const std::string& DestinationDir() const { return destinationDir_; }
    std::shared_ptr<clsCompressedFiles> CompressedFiles() const { return compressedFiles_; }
    const std::string& CabFileName() const { return cabFileName_; }
    void CabFileName(const std::string& value) { cabFileName_ = value; }
    // The byte of CabFileName where the cabinet starts: 0 (the default) for a
    // cabinet file, else the place of one inside another file, such as a
    // self-extracting program. Other parts of its set are looked for beside
    // that file. No cabinet there fails as "Not A Cab".
    std::uint64_t CabinetOffset() const { return cabinetOffset_; }
    void CabinetOffset(std::uint64_t offset) { cabinetOffset_ = offset; }
    // How listing and extraction read names stored without the UTF-8 mark;
    // Auto by default.
    NameCharset UnmarkedNames() const { return unmarkedNames_; }
    void UnmarkedNames(NameCharset charset) { unmarkedNames_ = charset; }

    // Number of listed entries; raises "Overflow: ..." (saying the limit) beyond
    // 32767, the most its 16-bit result holds. CompressedFiles()->Count() has no such limit.
    std::int16_t GetFileCount() const;
    // Appends every file of the cabinet to CompressedFiles (a second call lists them twice).
    void GetFilesInfo();
    // Writes the entries whose ExtractFlag is set below psDestinationDir.
    void ExtractFiles(const std::string& psDestinationDir);
    void AddFileCabName(const std::string& psFileName, std::int32_t plFileDate, std::int32_t plFileTime,
                        std::int32_t plFileSize, std::int32_t plFileAttr);
    void RaiseExtractStatus(std::int32_t StatusType, std::shared_ptr<clsFDIStruct>& StatusInfo, bool& Extract,
                            bool& Cancel);
    // Lists or extracts as ExtractMode says. Failures never raise: they go to
    // the error reporter and stay readable in LastError. Always false.
    bool Extract(const std::string& DestinationDir = "", const std::string& File = "");

    // Files the last ExtractFiles wrote completely.
    std::int32_t ExtractedCount() const { return extractedCount_; }

    // The last failure of the last GetFilesInfo, ExtractFiles or Extract; empty after a clean run.
    const std::string& LastError() const { return lastError_; }
    // The path and the system's reason behind a reading failure in LastError, when known.
    const std::string& LastErrorDetail() const { return lastErrorDetail_; }

    // The most ExtractFiles may write, in bytes; 0 (the default) sets no limit.
    // Before anything is written the declared sizes of the chosen files are
    // added up and compared with this limit and with the free space of the
    // destination: a run that would not fit writes nothing and reports how
    // much it would have written.
    std::uint64_t MaxExtractSize() const { return maxExtractSize_; }
    void MaxExtractSize(std::uint64_t bytes) { maxExtractSize_ = bytes; }

    void SetErrorReporter(ErrorReporter reporter);
    void SetLauncher(Launcher launcher);

    // Whether files stored with the run-after-extraction mark are opened once
    // written. Off by default: a cabinet from anywhere must not make the
    // library open its files unless the calling program asked for it.
    bool LaunchMarkedFiles() const { return launchMarkedFiles_; }
    void LaunchMarkedFiles(bool launch) { launchMarkedFiles_ = launch; }

    Cookie Advise(std::shared_ptr<clsExtractCabEvents> sink) { return events_.Advise(std::move(sink)); }
    bool Unadvise(Cookie cookie) { return events_.Unadvise(cookie); }

private:
    // The walk's receiver (ExtractNotify) works on the object through these.
    friend struct ExtractCabAccess;
    void ReportError(const std::string& text);
    void Launch(const std::string& path);
    bool RaiseExtractProgress(const std::string& name, std::int64_t written, std::int64_t size);
    void CountExtracted() { ++extractedCount_; }
    // The text of a refusal to write the chosen files for their size, or "".
    std::string SizeRefusal(const std::string& destination) const;

    std::shared_ptr<clsCompressedFiles> compressedFiles_;
    std::string cabFileName_;
    std::uint64_t cabinetOffset_ = 0;
    NameCharset unmarkedNames_ = NameCharset::Auto;
    std::string destinationDir_;
    std::string lastError_;
    std::string lastErrorDetail_;
    std::uint64_t maxExtractSize_ = 0;
    ErrorReporter reporter_;
    Launcher launcher_;
    bool launchMarkedFiles_ = false;
    std::int32_t extractedCount_ = 0;
    com::EventSource<clsExtractCabEvents> events_;
};

// The default launcher: hands the file to `xdg-open` in the background.
void OpenWithDesktop(const std::string& path);

} // namespace tessaly
