// Reads a Microsoft Cabinet file: its file table in stored order and the bytes
// of any entry, decoded by libmspack (stored, MSZIP, LZX and Quantum folders).
#pragma once

#include "platform/cab/CabError.h"
#include "platform/cab/CabIo.h"
#include "platform/cab/CabText.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cab {

struct Target;

// One file of a cabinet as its file table gives it.
struct CabEntry {
    std::string name;        // UTF-8, decoded as ReadOptions::names says (see NameCharset)
    std::string storedName;  // the name's bytes exactly as stored
    std::uint32_t size = 0;  // uncompressed size in bytes
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0; // read-only 0x01, hidden 0x02, system 0x04, archive 0x20, run 0x40, UTF-8 name 0x80
    std::uint16_t folderIndex = 0;
    std::uint32_t folderOffset = 0; // uncompressed offset of the file inside its folder
};

// Header facts of an opened cabinet. A cabinet that is one part of a spanned
// set is joined with the other parts that lie beside it (names matched
// without regard to case), and the reader then lists and extracts the files
// of the whole set, whichever part was opened. A missing part leaves the
// parts found so far.
struct CabInfo {
    std::uint64_t cabinetSize = 0; // bytes from the cabinet's start to the end of its file
    std::uint16_t setId = 0;
    std::uint16_t cabinetIndex = 0;
    std::uint16_t folderCount = 0;
    bool hasPrevious = false; // part of a spanned set
    bool hasNext = false;
};

// How Open reads a cabinet.
struct ReadOptions {
    // The byte of the file where the cabinet starts: 0 for a cabinet file,
    // an offset FindCabinets gave for one inside another file. The cabinet is
    // then read as if its file began there; other parts of its set are looked
    // for beside the file and read whole.
    std::uint64_t offset = 0;
    NameCharset names = NameCharset::Auto; // how names without the UTF-8 mark are read
};

class CabReader {
public:
    CabReader();
    ~CabReader();
    CabReader(const CabReader&) = delete;
    CabReader& operator=(const CabReader&) = delete;

    // Reads the header and file table. kErrorFileNotFound when the path does not
    // exist (kErrorPathNotFound when its folder does not), kErrorAccessDenied
    // for a folder, kErrorInvalidData when it is not a cabinet or its tables are
    // damaged, or when it is no regular file at all (a FIFO or device is
    // refused without being read or waited on). A cabinet with no folders and
    // no files opens with no entries. With an offset, kErrorInvalidData also
    // when no cabinet starts there (the offset lies past the end included).
    CabError Open(const std::string& path, const ReadOptions& options = {});
    void Close();
    bool IsOpen() const;

    const CabInfo& Info() const;
    const std::vector<CabEntry>& Entries() const;

    // Writes entry `index` to exactly `targetPath` (the caller decides where that
    // is; see SafeTargetPath), stamped with the entry's date and time as local
    // time. The bytes go to a temporary file beside the target that is renamed
    // over it when complete: a damaged entry leaves no partial file behind and
    // an existing file at the target survives a failure.
    // Extracting entries in file-table order is fastest: a folder is decoded
    // once from its start, and asking out of order restarts it.
    // kErrorInvalidParameter for an index beyond Entries() or no open cabinet;
    // kErrorSharingViolation when the target is the cabinet itself or another
    // part of its set, whatever name leads there.
    CabError Extract(std::size_t index, const std::string& targetPath);
    // The same into a place found by TargetFolder (no link followed on the way).
    CabError Extract(std::size_t index, const Target& target);

    // Decodes entry `index` and checks it (block checksums, the decoder's own
    // checks, its length) without writing anything: kErrorInvalidData names
    // what is damaged.
    CabError Verify(std::size_t index);
    // Decodes entry `index` onto an open descriptor (standard output, a pipe),
    // which may then hold part of the entry if it fails; `shownPath` names it in errors.
    CabError ExtractTo(std::size_t index, int fd, const std::string& shownPath);

    // Called during Extract with the bytes of the entry written so far, about
    // once per data block; returning false stops the extraction, which then
    // fails with kErrorCancelled and leaves no partial file. Empty: no calls.
    using ExtractProgress = std::function<bool(std::uint64_t written)>;
    void SetExtractProgress(ExtractProgress progress);

    // True when `file` is the open cabinet or one of the parts joined to it.
    bool IsCabinetFile(const io::FileId& file) const;

private:
    CabError Decode(std::size_t index, int fd, const std::string& shownPath);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The native path inside `folder` where an entry named `entryName` (backslashes
// or slashes as separators, both turned into "/") belongs, or "" when the name
// would land outside the folder or names no file: absolute names, drive
// letters, "." or ".." components, empty components or names, NUL bytes and
// ill-formed UTF-8 (an overlong "/" is no separator here, but could be one to
// a lenient decoder). An empty `folder` gives a path relative to the working folder.
std::string SafeTargetPath(const std::string& folder, const std::string& entryName);

} // namespace cab
