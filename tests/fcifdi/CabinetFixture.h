// Writing small cabinets through the creation entry points, for the tests of
// both sides.
#pragma once

#include "platform/fcifdi/Fci.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fcifditest {

struct Entry {
    std::string source;
    std::string name;
    bool execute = false;
    std::int32_t compression = 1;
};

// True when the cabinet was written; `erf` says why not.
inline bool WriteCabinet(const std::filesystem::path& cabinet, const std::vector<Entry>& entries,
                         fcifdi::ERF& erf)
{
    std::int32_t handle = fcifdi::CreateCabFile(cabinet.c_str(), 0, &erf, 500000);
    if (handle == 0)
        return false;
    bool ok = true;
    for (const auto& e : entries)
        ok = ok && fcifdi::AddFileToCab(handle, e.source.c_str(), e.name.c_str(), e.execute ? -1 : 0, e.compression,
                                        nullptr) != 0;
    ok = ok && fcifdi::FlushCabinet(handle) != 0;
    fcifdi::Commit(handle);
    return ok;
}

// Bytes that deflate well but not to nothing.
inline std::string TextLike(std::size_t size, unsigned seed = 1)
{
    std::string text;
    text.reserve(size);
    unsigned state = seed;
    while (text.size() < size) {
        state = state * 1103515245u + 12345u;
        text += "line " + std::to_string(state % 1000) + " of a sample file\n";
    }
    text.resize(size);
    return text;
}

} // namespace fcifditest
