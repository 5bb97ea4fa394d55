// Builds a cabinet file from a list of files: name the cabinet, fill
// ToCompressFiles, call Compress. Listeners hear of each file before it is
// added and of the writer's progress, and either can stop the run.
#pragma once

#include "cabinet/TessalyCabinetIds.h"
#include "cabinet/clsToCompressFiles.h"
#include "platform/com/ComObject.h"
#include "platform/com/EventSource.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tessaly {

// Listeners of a clsCreateCab. Setting Cancel in CompressStatus stops the
// write with "User Abort" and leaves no cabinet; setting it in BeforeFileAdd
// finishes the cabinet with the files added before.
class clsCreateCabEvents {
public:
    virtual ~clsCreateCabEvents() = default;
    // StatusType 0: a block was compressed (bytes in, bytes out); 1: the
    // cabinet is being written (bytes done, total); 2: it is complete (its size).
    virtual void CompressStatus(FDINT& StatusType, std::int32_t& StatusInfo1, std::int32_t& StatusInfo2, bool& Cancel);
    // FileCount is the 1-based position of the file, filename its SourcePath.
    // Positions beyond 32767, which a 16-bit count cannot hold, arrive as -1.
    virtual void BeforeFileAdd(std::int16_t& FileCount, std::string& filename, bool& Cancel);
};

class clsCreateCab : public com::Object, public std::enable_shared_from_this<clsCreateCab> {
public:
    using Cookie = com::EventSource<clsCreateCabEvents>::Cookie;

    static std::shared_ptr<clsCreateCab> Create();
    clsCreateCab();

    std::shared_ptr<clsToCompressFiles> ToCompressFiles() const { return toCompressFiles_; }

    const std::string& CabinetFile() const { return cabinetFile_; }
    void CabinetFile(const std::string& value) { cabinetFile_ = value; }

    // Writes every entry of ToCompressFiles into CabinetFile, up to the 65535
    // files a cabinet holds. Does nothing when CabinetFile is blank or the list is empty. Failures are raised as
    // com::ComError with the writer's error number and text; a failed or
    // cancelled write leaves any earlier file at CabinetFile untouched.
    void Compress();
    // The path and the system's reason behind the last failed Compress, when known.
    const std::string& LastErrorDetail() const { return lastErrorDetail_; }

    // Raises CompressStatus and returns whether a listener asked to cancel.
    bool RaiseCompressStatus(std::int32_t StatusType, std::int32_t StatusInfo1, std::int32_t StatusInfo2);

    Cookie Advise(std::shared_ptr<clsCreateCabEvents> sink) { return events_.Advise(std::move(sink)); }
    bool Unadvise(Cookie cookie) { return events_.Unadvise(cookie); }

private:
    std::shared_ptr<clsToCompressFiles> toCompressFiles_;
    std::string cabinetFile_;
    std::string lastErrorDetail_;
    com::EventSource<clsCreateCabEvents> events_;
};

} // namespace tessaly
