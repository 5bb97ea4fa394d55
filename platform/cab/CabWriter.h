// Writes a Microsoft Cabinet file with our own encoder over zlib: stored or
// MSZIP folders, 32 KiB data blocks that run across file boundaries, a checksum
// on every block. The cabinet appears under its name only when complete.
#pragma once

#include "platform/cab/CabError.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace cab {

enum class Compression : std::uint16_t { None = 0, MsZip = 1 };

// One file to store.
struct WriterSource {
    std::string sourcePath;               // file on disk to read
    std::string nameInCab;                // entry name, UTF-8, "\" as folder separator
    Compression compression = Compression::MsZip;
    bool runAfterExtract = false;         // attribute 0x40
    // Taken from the source file when absent: archive always, read-only when
    // its owner may not write it, hidden for a name starting with a dot (never
    // system), and its modification time as local DOS date and time. The
    // UTF-8 name bit 0x80 is set for every name that is not plain ASCII.
    std::optional<std::uint16_t> attributes;
    std::optional<std::uint16_t> dosDate;
    std::optional<std::uint16_t> dosTime;
};

// Progress of a write, reported on the thread that called AddFile or Commit.
// Returned false from the callback cancels the write: the current call ends
// with kErrorCancelled, no cabinet is left and later calls give the same error.
struct WriteProgress {
    enum Kind {
        BlockCompressed, // first: uncompressed bytes of the block, second: compressed bytes
        FolderWritten,   // first: bytes of the folder copied so far, second: folder total
        CabinetWritten,  // first: size of the finished cabinet, second: 0
    };
    Kind kind = BlockCompressed;
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    std::uint64_t totalRead = 0;    // source bytes read so far in this write
    std::uint64_t totalWritten = 0; // compressed bytes produced so far in this write
};
using ProgressCallback = std::function<bool(const WriteProgress&)>;

class CabWriter {
public:
    // Nothing is created until the first AddFile; the target is only replaced
    // by Commit. `threads` 0 means one compressor per core; the bytes written are
    // the same for any number of threads.
    explicit CabWriter(std::string cabinetPath, unsigned threads = 0);
    ~CabWriter(); // an uncommitted writer removes its temporary files
    CabWriter(const CabWriter&) = delete;
    CabWriter& operator=(const CabWriter&) = delete;

    void SetProgress(ProgressCallback progress);

    // The most data blocks a folder takes before the writer starts another
    // (the format's 65535 unless set lower, which tests use to reach the
    // boundary without gigabytes of data). A file larger than a folder can
    // hold is refused. Set before the first AddFile.
    void SetFolderBlockLimit(std::uint32_t blocks);

    // Reads and compresses the file now, spooling its blocks to a temporary
    // file beside the target. A file of another compression type than the one
    // before starts a new folder, as does one that would take a folder past
    // 65535 blocks. Refusals that change nothing (kErrorFileNotFound,
    // kErrorPathNotFound or kErrorAccessDenied for the source, which must be a
    // regular file, kErrorSharingViolation for the cabinet's own file, kErrorInvalidName
    // or kErrorNameTooLong for the name, kErrorFileTooLarge beyond 2 GiB less
    // 32 KiB or 65535 files) leave the writer usable; any failure after reading
    // has begun ends the write as Abort does and is returned again by later calls.
    CabError AddFile(const WriterSource& source);

    // Writes the cabinet to a temporary file beside the target and renames it
    // over the target. On failure an existing file at the target is untouched.
    // A writer given no files writes a cabinet with no folders and no files.
    // After Commit or Abort the writer answers kErrorInvalidFunction.
    CabError Commit();

    // Gives up: removes temporary files, leaves the target as it was.
    void Abort();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace cab
