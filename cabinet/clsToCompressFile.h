// One file waiting to be stored in a cabinet: where it is on disk, the name it
// gets inside, whether it is marked to run after extraction, and how it is
// compressed (0 stored, 1 MSZIP).
#pragma once

#include "platform/com/ComObject.h"

#include <cstdint>
#include <string>

namespace tessaly {

class clsToCompressFile : public com::Object {
public:
    clsToCompressFile();

    const std::string& SourcePath() const { return sourcePath_; }
    void SourcePath(const std::string& value) { sourcePath_ = value; }

    const std::string& NameInCab() const { return nameInCab_; }
    void NameInCab(const std::string& value) { nameInCab_ = value; }

    bool ExecuteFlag() const { return executeFlag_; }
    void ExecuteFlag(bool value) { executeFlag_ = value; }

    std::int16_t CompressionType() const { return compressionType_; }
    void CompressionType(std::int16_t value) { compressionType_ = value; }

private:
    std::string sourcePath_;
    std::string nameInCab_;
    bool executeFlag_ = false;
    std::int16_t compressionType_ = 0;
};

} // namespace tessaly
