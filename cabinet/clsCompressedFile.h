// One file of a listed cabinet, as GetFilesInfo found it; a client sets
// ExtractFlag on the entries ExtractFiles should write.
#pragma once

#include "platform/com/ComObject.h"

#include <cstdint>
#include <string>

namespace tessaly {

class clsCompressedFile : public com::Object {
public:
    clsCompressedFile();

    const std::string& FileCabName() const { return fileCabName_; }
    void FileCabName(const std::string& value) { fileCabName_ = value; }
    // Kept for clients; the library never sets it.
    const std::string& RelativePath() const { return relativePath_; }
    void RelativePath(const std::string& value) { relativePath_ = value; }
    std::int32_t FileDate() const { return fileDate_; }
    void FileDate(std::int32_t value) { fileDate_ = value; }
    std::int32_t FileTime() const { return fileTime_; }
    void FileTime(std::int32_t value) { fileTime_ = value; }
    std::int32_t Attribs() const { return attribs_; }
    void Attribs(std::int32_t value) { attribs_ = value; }
    std::int32_t FileSize() const { return fileSize_; }
    void FileSize(std::int32_t value) { fileSize_ = value; }
    bool ExtractFlag() const { return extractFlag_; }
    void ExtractFlag(bool value) { extractFlag_ = value; }

    // Has no effect: entries are written by clsExtractCab::ExtractFiles.
    bool Extract() { return false; }

private:
    std::string fileCabName_;
    std::string relativePath_;
    std::int32_t fileDate_ = 0;
    std::int32_t fileTime_ = 0;
    std::int32_t attribs_ = 0;
    std::int32_t fileSize_ = 0;
    bool extractFlag_ = false;
};

} // namespace tessaly
