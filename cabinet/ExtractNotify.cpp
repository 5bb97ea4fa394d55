#include "cabinet/ExtractNotify.h"

#include "cabinet/FileSystem.h"
#include "cabinet/basCabUtil.h"
#include "cabinet/clsExtractCab.h"
#include "platform/cab/CabReader.h"

namespace tessaly {

namespace {

constexpr std::int32_t kRefusedTarget = fcifdi::FDIERROR_TARGET_FILE;
constexpr std::uint32_t kRestoredAttributes = 0x27; // read-only, hidden, system, archive

std::shared_ptr<clsFDIStruct> Snapshot(const fcifdi::FdiNotifyRecord& record)
{
    auto info = std::make_shared<clsFDIStruct>();
    info->cb(record.cb);
    info->psz1(record.psz1 ? record.psz1 : "");
    info->psz2(record.psz2 ? record.psz2 : "");
    info->psz3(record.psz3 ? record.psz3 : "");
    info->fdate(static_cast<std::int16_t>(record.date));
    info->ftime(static_cast<std::int16_t>(record.time));
    info->Attribs(static_cast<std::int16_t>(record.attribs));
    info->SetID(static_cast<std::int16_t>(record.setID));
    info->iCabinet(static_cast<std::int16_t>(record.iCabinet));
    info->fDie(record.fdie);
    return info;
}

bool IsRooted(const std::string& path)
{
    return (!path.empty() && (path[0] == '\\' || path[0] == '/')) || (path.size() >= 2 && path[1] == ':');
}

// Gives the written file its stored date, time and attributes, and opens it
// when it was stored to be run after extraction.
void FinishWrittenFile(ExtractRun& run, const fcifdi::FdiNotifyRecord& record)
{
    const std::string written = record.psz1 ? record.psz1 : "";
    const std::string path = NativePath(IsRooted(written) ? written : AppendBackslash(run.destination) + written);
    try {
        if (auto when = fsys::DosDateTimeToTime(record.date, record.time))
            fsys::SetFileTimes(path, *when);
    } catch (...) {
    }
    try {
        fsys::SetFileAttributes(path, record.attribs & kRestoredAttributes);
    } catch (...) {
    }
    try {
        if (record.cb == 1)
            ExtractCabAccess::Launch(*run.object, path);
    } catch (...) {
    }
}

// The first entry of the list with this name, compared case-sensitively.
std::shared_ptr<clsCompressedFile> FirstListed(ExtractRun& run, const std::string& name)
{
    auto files = run.object->CompressedFiles();
    const std::int32_t count = files->Count();
    if (count != run.indexedCount) {
        run.firstByName.clear();
        for (std::int32_t i = count; i >= 1; --i)
            if (auto file = files->Item(i))
                run.firstByName[file->FileCabName()] = i;
        run.indexedCount = count;
    }
    auto it = run.firstByName.find(name);
    if (it != run.firstByName.end()) {
        auto file = files->Item(it->second);
        if (file && file->FileCabName() == name)
            return file;
    }
    // A listener renamed entries since the index was made: search the slow way.
    for (std::int32_t i = 1; i <= count; ++i) {
        auto file = files->Item(i);
        if (file && file->FileCabName() == name)
            return file;
    }
    return nullptr;
}

std::int32_t OfferEntry(ExtractRun& run, std::int32_t kind, const fcifdi::FdiNotifyRecord& record,
                        std::shared_ptr<clsFDIStruct>& info)
{
    const std::string name = record.psz1 ? record.psz1 : "";
    auto entry = FirstListed(run, name);
    if (!entry)
        return 0;

    bool extract = entry->ExtractFlag();
    bool refused = false;
    if (extract && cab::SafeTargetPath(NativePath(run.destination), name).empty()) {
        extract = false;
        refused = true;
        info->fDie(kRefusedTarget);
    }
    bool cancel = false;
    bool offered = extract;
    run.object->RaiseExtractStatus(kind, info, offered, cancel);
    if (refused)
        ExtractCabAccess::ReportError(*run.object, OutsideDestinationText(name));
    run.currentSize = static_cast<std::uint32_t>(record.cb);
    return extract && !cancel ? 1 : 0;
}

} // namespace

void ExtractCabAccess::ReportError(clsExtractCab& object, const std::string& text) { object.ReportError(text); }
void ExtractCabAccess::Launch(clsExtractCab& object, const std::string& path) { object.Launch(path); }
bool ExtractCabAccess::RaiseExtractProgress(clsExtractCab& object, const std::string& name, std::int64_t written,
                                            std::int64_t size)
{
    return object.RaiseExtractProgress(name, written, size);
}
void ExtractCabAccess::CountExtracted(clsExtractCab& object) { object.CountExtracted(); }

std::string OutsideDestinationText(const std::string& entryName)
{
    return "Not extracted: \"" + entryName + "\" would be written outside the destination folder";
}

std::string RefusedTargetText(const std::string& entryName, const std::string& reason)
{
    return "Not extracted: \"" + entryName + "\": " + reason;
}

std::int32_t ExtractNotify(std::int32_t kind, fcifdi::FdiNotifyRecord* record, void* pvWorking)
{
    auto* run = static_cast<ExtractRun*>(pvWorking);
    if (!run || !run->object || !record)
        return 0;
    std::int32_t answer = 0;
    try {
        // Progress comes often, with nothing for a snapshot to tell.
        if (kind == fcifdi::kNotifyWriteProgress)
            return ExtractCabAccess::RaiseExtractProgress(*run->object, record->psz1 ? record->psz1 : "", record->cb,
                                                          run->currentSize)
                       ? -1
                       : 0;
        auto info = Snapshot(*record);
        switch (kind) {
        case fdintCOPY_FILE:
            if (run->mode == kExtractModeList) {
                run->object->AddFileCabName(info->psz1(), record->date, record->time, record->cb, record->attribs);
            } else if (run->mode == kExtractModeExtract) {
                answer = OfferEntry(*run, kind, *record, info);
            }
            break;
        case fdintCLOSE_FILE_INFO:
            ExtractCabAccess::CountExtracted(*run->object);
            FinishWrittenFile(*run, *record);
            break;

        case fcifdi::kNotifyNotWritten:
            ExtractCabAccess::ReportError(*run->object, RefusedTargetText(record->psz1 ? record->psz1 : "",
                                                       record->psz2 ? record->psz2 : ""));
            break;
        default:
            break;
        }
    } catch (...) {
        // A failing step is skipped; the walk itself goes on.
    }
    return answer;
}

} // namespace tessaly
