// The receiver of an extraction walk's notifications: lists entries into the
// working object, asks its listeners about each offered entry, and finishes
// each written file (dates, times, attributes, run-after-extraction).
#pragma once

#include "platform/fcifdi/FciFdiTypes.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace tessaly {

class clsExtractCab;

// What the walk's receiver may do to the object it works for, and clients may not.
struct ExtractCabAccess {
    static void ReportError(clsExtractCab& object, const std::string& text);
    static void Launch(clsExtractCab& object, const std::string& path);
    static bool RaiseExtractProgress(clsExtractCab& object, const std::string& name, std::int64_t written,
                                     std::int64_t size);
    static void CountExtracted(clsExtractCab& object);
};

// One walk: the object it works for, whether it lists or extracts (taken
// when the walk starts), and the folder it writes to.
struct ExtractRun {
    clsExtractCab* object = nullptr;
    std::int32_t mode = 0;
    std::string destination;
    // Position of the first listed entry of each name, so that a cabinet of
    // many files is not searched from the top for every one of them.
    std::unordered_map<std::string, std::int32_t> firstByName;
    std::int32_t indexedCount = -1;
    std::int64_t currentSize = 0; // of the entry last offered, for progress reports
};

// `pvWorking` is the walk's ExtractRun. The answer is 1 only for an offered
// entry that is listed, chosen, safe to write and not cancelled; 0 otherwise.
std::int32_t ExtractNotify(std::int32_t kind, fcifdi::FdiNotifyRecord* record, void* pvWorking);

// The text reported for an entry whose name would land outside the destination.
std::string OutsideDestinationText(const std::string& entryName);
// The text reported for an entry whose place is unsafe for another reason
// (a link on the way, the cabinet itself, a file where a folder should be).
std::string RefusedTargetText(const std::string& entryName, const std::string& reason);

} // namespace tessaly
