// Finds the cabinets inside a file that holds more than a cabinet: a
// self-extracting program with one appended to it or embedded in it.
#pragma once

#include "platform/cab/CabError.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cab {

struct FoundCabinet {
    std::uint64_t offset = 0; // the byte of the file where it starts: ReadOptions::offset for CabReader::Open
    std::uint32_t size = 0;   // the bytes its header declares
};

struct CabinetSearch {
    CabError error;                     // the file could not be opened or read through
    std::vector<FoundCabinet> cabinets; // in the order of the file; empty when it holds none
};

// Looks at every byte of the file for the signature of a cabinet header. A
// candidate is a cabinet when its header is plausible (the file table starts
// inside the length the header declares, and both end within the file, give
// or take 32 bytes) and libmspack then reads its header and file table
// without fault. These are the rules of libmspack's own search, which
// cabextract uses, so both find the same cabinets. The search goes on after
// the length a cabinet declares, so a cabinet stored whole inside another is
// not found twice; after a candidate that fails it goes on just past the
// signature. A cabinet with no files is not found.
// Memory stays small whatever the file holds: one 64 KiB window of it and the
// tables of one candidate at a time. Errors are those of CabReader::Open for
// a file that cannot be opened or read (a FIFO or device is refused unread).
CabinetSearch FindCabinets(const std::string& path);

} // namespace cab
