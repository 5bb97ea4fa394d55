// The ordered list of a cabinet's files that GetFilesInfo fills; positions count from 1.
#pragma once

#include "cabinet/clsCompressedFile.h"
#include "platform/com/ComObject.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tessaly {

class clsCompressedFiles : public com::Object {
public:
    clsCompressedFiles();

    void Add(std::shared_ptr<clsCompressedFile> pCompressedFile) { files_.push_back(std::move(pCompressedFile)); }
    std::int32_t Count() const { return static_cast<std::int32_t>(files_.size()); }
    // The entry at a 1-based position, or null for a position that has none.
    std::shared_ptr<clsCompressedFile> Item(std::int32_t Index) const
    {
        if (Index < 1 || static_cast<std::size_t>(Index) > files_.size())
            return nullptr;
        return files_[static_cast<std::size_t>(Index) - 1];
    }

private:
    std::vector<std::shared_ptr<clsCompressedFile>> files_;
};

} // namespace tessaly
