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
};

class clsExtractCab : public com::Object, public std::enable_shared_from_this<clsExtractCab> {
public:
    using Cookie = com::EventSource<clsExtractCabEvents>::Cookie;
    // Shows an error text to the user; the default writes it to standard error.
    using ErrorReporter = std::function<void(const std::string& text)>;
    // Opens a file marked to run after extraction; the default asks the
    // desktop to open it with its associated program and never runs it itself.
    using Launcher = std::function<void(const std::string& path)>;

    // A new object, recorded as the most recently created one.
    static std::shared_ptr<clsExtractCab> Create();
    clsExtractCab();

    const std::string& DestinationDir() const { return destinationDir_; }
    std::shared_ptr<clsCompressedFiles> CompressedFiles() const { return compressedFiles_; }
    const std::string& CabFileName() const { return cabFileName_; }
    void CabFileName(const std::string& value) { cabFileName_ = value; }

    // Number of listed entries; raises "Overflow" beyond 32767.
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

    Cookie Advise(std::shared_ptr<clsExtractCabEvents> sink) { return events_.Advise(std::move(sink)); }
    bool Unadvise(Cookie cookie) { return events_.Unadvise(cookie); }

    // Used while a walk is under way (see ExtractNotify).
    void ReportError(const std::string& text);
    // The text of a refusal to write the chosen files for their size, or "".
    std::string SizeRefusal(const std::string& destination) const;
    void Launch(const std::string& path);

private:
    std::shared_ptr<clsCompressedFiles> compressedFiles_;
    std::string cabFileName_;
    std::string destinationDir_;
    std::string lastError_;
    std::string lastErrorDetail_;
    std::uint64_t maxExtractSize_ = 0;
    ErrorReporter reporter_;
    Launcher launcher_;
    com::EventSource<clsExtractCabEvents> events_;
};

// The default launcher: hands the file to `xdg-open` in the background.
void OpenWithDesktop(const std::string& path);

} // namespace tessaly
