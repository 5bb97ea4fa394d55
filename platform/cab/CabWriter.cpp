#include "platform/cab/CabWriter.h"

#include "platform/cab/BlockEncoder.h"
#include "platform/cab/BlockPipeline.h"
#include "platform/cab/CabDosTime.h"
#include "platform/cab/CabFormat.h"
#include "platform/cab/CabIo.h"
#include "platform/cab/CabText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace cab {

namespace {

constexpr std::size_t kSpoolBufferSize = 1 << 20;
constexpr std::uint64_t kMaxCabinetBytes = 0xFFFFFFFFull;

CabError Cancelled() { return CabError{kErrorCancelled, "the write was cancelled"}; }

std::uint16_t AttributesOf(const std::string& sourcePath, const struct stat& st)
{
    std::uint16_t attributes = format::kAttribArchive;
    if ((st.st_mode & S_IWUSR) == 0)
        attributes |= format::kAttribReadOnly;
    std::size_t slash = sourcePath.find_last_of('/');
    std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    if (start < sourcePath.size() && sourcePath[start] == '.')
        attributes |= format::kAttribHidden;
    return attributes;
}

CabError CheckName(const std::string& name)
{
    if (name.empty())
        return CabError{kErrorInvalidName, "an entry needs a name"};
    if (name.find('\0') != std::string::npos || !IsValidUtf8(name))
        return CabError{kErrorInvalidName, "the entry name is not valid UTF-8 text"};
    if (name.size() >= format::kMaxNameBytesWithNul)
        return CabError{kErrorNameTooLong,
                        "the entry name '" + name + "' is longer than a cabinet allows (255 bytes)"};
    return CabError::Ok();
}

} // namespace

struct CabWriter::Impl {
    enum class State { Empty, Writing, Failed, Finished };

    struct Folder {
        std::uint64_t spoolOffset = 0;
        std::uint32_t blocks = 0;
        Compression compression = Compression::MsZip;
    };
    struct File {
        std::string name;
        std::uint32_t size = 0;
        std::uint32_t folderOffset = 0;
        std::uint16_t folder = 0;
        std::uint16_t date = 0;
        std::uint16_t time = 0;
        std::uint16_t attributes = 0;
    };

    std::string target;
    unsigned threads = 1;
    std::uint64_t maxFolderBytes = format::kMaxFolderBytes;
    ProgressCallback progress;
    State state = State::Empty;
    CabError failure;

    io::TempFile spool;
    std::vector<std::uint8_t> spoolBuffer;
    std::uint64_t spoolSize = 0; // bytes handed to the spool, buffered ones included
    std::string cabinetTemp;
    std::unique_ptr<detail::BlockPipeline> pipeline;
    std::vector<Folder> folders;
    std::vector<File> files;
    bool folderOpen = false;
    std::uint64_t tableBytes = format::cfhead_SIZEOF; // header, folder and file records
    std::uint64_t totalRead = 0;
    std::uint64_t totalWritten = 0;

    bool Report(WriteProgress::Kind kind, std::uint64_t first, std::uint64_t second)
    {
        if (!progress)
            return true;
        WriteProgress p;
        p.kind = kind;
        p.first = first;
        p.second = second;
        p.totalRead = totalRead;
        p.totalWritten = totalWritten;
        return progress(p);
    }

    void RemoveTemporaries()
    {
        if (pipeline)
            pipeline->Discard();
        pipeline.reset();
        spool.fd.Reset();
        io::RemoveQuietly(spool.path);
        spool.path.clear();
        io::RemoveQuietly(cabinetTemp);
        cabinetTemp.clear();
        spoolBuffer.clear();
        spoolBuffer.shrink_to_fit();
    }

    CabError Fail(CabError error)
    {
        RemoveTemporaries();
        state = State::Failed;
        failure = error;
        return error;
    }

    CabError Usable() const
    {
        if (state == State::Failed)
            return failure;
        if (state == State::Finished)
            return CabError{kErrorInvalidFunction, "this cabinet has already been written or given up"};
        return CabError::Ok();
    }

    CabError FlushSpool()
    {
        if (spoolBuffer.empty())
            return CabError::Ok();
        if (int err = io::WriteAll(spool.fd.Get(), spoolBuffer.data(), spoolBuffer.size()))
            return io::ErrorFromErrno(err, io::Action::Write, target, "cannot write beside");
        spoolBuffer.clear();
        return CabError::Ok();
    }

    // Every encoded block comes through here, in order.
    CabError TakeBlock(const std::vector<std::uint8_t>& record, std::uint32_t rawSize)
    {
        if (tableBytes + spoolSize + record.size() > kMaxCabinetBytes)
            return CabError{kErrorFileTooLarge, "the cabinet would grow beyond 4 GiB"};
        spoolBuffer.insert(spoolBuffer.end(), record.begin(), record.end());
        spoolSize += record.size();
        folders.back().blocks += 1;
        totalWritten += record.size() - format::cfdata_SIZEOF;
        if (spoolBuffer.size() >= kSpoolBufferSize) {
            if (CabError error = FlushSpool())
                return error;
        }
        if (!Report(WriteProgress::BlockCompressed, rawSize, record.size() - format::cfdata_SIZEOF))
            return Cancelled();
        return CabError::Ok();
    }

    CabError StartWriting()
    {
        spool = io::CreateTempBeside(target, ".spool");
        if (spool.error) {
            CabError error = spool.error;
            spool = io::TempFile{};
            return error;
        }
        spoolBuffer.reserve(kSpoolBufferSize + format::cfdata_SIZEOF + format::kBlockSize + 16);
        pipeline = std::make_unique<detail::BlockPipeline>(
            threads, detail::kDefaultDeflateLevel,
            [this](const std::vector<std::uint8_t>& record, std::uint32_t rawSize) {
                return TakeBlock(record, rawSize);
            });
        state = State::Writing;
        return CabError::Ok();
    }

    CabError OpenFolderFor(Compression compression, std::uint64_t size)
    {
        if (folderOpen && folders.back().compression == compression
            && pipeline->FolderBytes() + size <= maxFolderBytes)
            return CabError::Ok();
        if (folderOpen) {
            if (CabError error = pipeline->EndFolder())
                return error;
            folderOpen = false;
        }
        if (folders.size() >= format::kMaxFolders)
            return CabError{kErrorFileTooLarge, "the cabinet has as many folders as it can hold"};
        Folder folder;
        folder.spoolOffset = spoolSize;
        folder.compression = compression;
        folders.push_back(folder);
        tableBytes += format::cffold_SIZEOF;
        pipeline->StartFolder(compression);
        folderOpen = true;
        return CabError::Ok();
    }

    CabError AddFile(const WriterSource& source);
    CabError Commit();
    CabError WriteCabinet(int fd);
};

CabError CabWriter::Impl::AddFile(const WriterSource& source)
{
    if (CabError error = Usable())
        return error;
    if (CabError error = CheckName(source.nameInCab))
        return error;
    if (source.compression != Compression::None && source.compression != Compression::MsZip)
        return CabError{kErrorInvalidParameter, "unknown compression type"};
    if (files.size() >= format::kMaxFiles)
        return CabError{kErrorFileTooLarge, "a cabinet holds at most 65535 files; '" + source.sourcePath
                                                + "' would be one more"};

    io::OpenedFile opened = io::OpenRegularFile(source.sourcePath, "");
    if (opened.error)
        return opened.error;
    io::Fd& fd = opened.fd;
    const struct stat& st = opened.st;
    // Storing the cabinet's own earlier file in the new one would replace a
    // file being packed with the package: the input would be lost.
    struct stat targetStat {};
    if (::stat(target.c_str(), &targetStat) == 0 && io::IdOf(targetStat) == io::IdOf(st))
        return CabError{kErrorSharingViolation, "'" + source.sourcePath + "' is the cabinet being written ('" + target
                                                + "'): it cannot be stored in itself"};
    const std::uint64_t size = std::uint64_t(st.st_size);
    if (size > maxFolderBytes)
        return CabError{kErrorFileTooLarge,
                        "'" + source.sourcePath + "' is larger than a cabinet can hold ("
                            + (maxFolderBytes == format::kMaxFolderBytes ? std::string("2 GiB less 32 KiB")
                                                                         : std::to_string(maxFolderBytes) + " bytes")
                            + ")"};

    File file;
    file.name = source.nameInCab;
    file.attributes = source.attributes ? *source.attributes : AttributesOf(source.sourcePath, st);
    if (source.runAfterExtract)
        file.attributes |= format::kAttribExecute;
    if (!IsAscii(file.name))
        file.attributes |= format::kAttribNameIsUtf;
    file.attributes &= format::kAttribKnown;
    DosDateTime stamp = DosDateTimeFromTime(st.st_mtime);
    file.date = source.dosDate ? *source.dosDate : stamp.date;
    file.time = source.dosTime ? *source.dosTime : stamp.time;

    if (state == State::Empty) {
        if (CabError error = StartWriting())
            return error;
    }
    // From here on the cabinet in the making has changed: a failure ends it.
    if (CabError error = OpenFolderFor(source.compression, size))
        return Fail(error);
    file.folder = std::uint16_t(folders.size() - 1);
    file.folderOffset = std::uint32_t(pipeline->FolderBytes());

    std::uint64_t remaining = size;
    while (remaining > 0) {
        std::size_t want = std::size_t(std::min<std::uint64_t>(pipeline->FillRoom(), remaining));
        ssize_t n = ::read(fd.Get(), pipeline->FillPointer(), want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail(io::ErrorFromErrno(errno, io::Action::Read, source.sourcePath, "cannot read"));
        }
        if (n == 0)
            break; // the file shrank while we read it: store what is there
        remaining -= std::uint64_t(n);
        totalRead += std::uint64_t(n);
        if (CabError error = pipeline->Filled(std::size_t(n)))
            return Fail(error);
    }
    file.size = std::uint32_t(size - remaining);
    tableBytes += format::cffile_SIZEOF + file.name.size() + 1;
    files.push_back(std::move(file));
    return CabError::Ok();
}

CabError CabWriter::Impl::WriteCabinet(int fd)
{
    using namespace format;
    const std::uint64_t dataStart = tableBytes;
    const std::uint64_t cabinetSize = dataStart + spoolSize;
    if (cabinetSize > kMaxCabinetBytes)
        return CabError{kErrorFileTooLarge, "the cabinet would grow beyond 4 GiB"};

    std::vector<std::uint8_t> table(std::size_t(dataStart), 0);
    std::uint8_t* h = table.data();
    std::memcpy(h + cfhead_Signature, kSignature, 4);
    PutU32(h + cfhead_CabinetSize, std::uint32_t(cabinetSize));
    PutU32(h + cfhead_FileOffset, std::uint32_t(cfhead_SIZEOF + folders.size() * cffold_SIZEOF));
    h[cfhead_MinorVersion] = kVersionMinor;
    h[cfhead_MajorVersion] = kVersionMajor;
    PutU16(h + cfhead_NumFolders, std::uint16_t(folders.size()));
    PutU16(h + cfhead_NumFiles, std::uint16_t(files.size()));
    std::uint8_t* p = h + cfhead_SIZEOF;
    for (const Folder& folder : folders) {
        PutU32(p + cffold_DataOffset, std::uint32_t(dataStart + folder.spoolOffset));
        PutU16(p + cffold_NumBlocks, std::uint16_t(folder.blocks));
        PutU16(p + cffold_CompType, folder.compression == Compression::MsZip ? cffoldCOMPTYPE_MSZIP
                                                                             : cffoldCOMPTYPE_NONE);
        p += cffold_SIZEOF;
    }
    for (const File& file : files) {
        PutU32(p + cffile_UncompressedSize, file.size);
        PutU32(p + cffile_FolderOffset, file.folderOffset);
        PutU16(p + cffile_FolderIndex, file.folder);
        PutU16(p + cffile_Date, file.date);
        PutU16(p + cffile_Time, file.time);
        PutU16(p + cffile_Attribs, file.attributes);
        p += cffile_SIZEOF;
        std::memcpy(p, file.name.data(), file.name.size());
        p += file.name.size() + 1;
    }
    if (int err = io::WriteAll(fd, table.data(), table.size()))
        return io::ErrorFromErrno(err, io::Action::Write, target, "cannot write");

    // The spooled blocks follow the tables unchanged, folder by folder.
    std::vector<char> buffer;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const std::uint64_t begin = folders[i].spoolOffset;
        const std::uint64_t end = i + 1 < folders.size() ? folders[i + 1].spoolOffset : spoolSize;
        std::uint64_t copied = 0;
        while (begin + copied < end) {
            std::size_t chunk = std::size_t(std::min<std::uint64_t>(end - begin - copied, 8u << 20));
            loff_t from = loff_t(begin + copied);
            ssize_t n = ::copy_file_range(spool.fd.Get(), &from, fd, nullptr, chunk, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) {
                buffer.resize(chunk);
                n = ::pread(spool.fd.Get(), buffer.data(), chunk, off_t(begin + copied));
                if (n > 0) {
                    if (int err = io::WriteAll(fd, buffer.data(), std::size_t(n)))
                        return io::ErrorFromErrno(err, io::Action::Write, target, "cannot write");
                } else if (n < 0) {
                    return io::ErrorFromErrno(errno, io::Action::Read, spool.path, "cannot read back");
                }
            }
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return io::ErrorFromErrno(errno, io::Action::Write, target, "cannot write");
            }
            if (n == 0)
                return CabError{kErrorReadFault, "the spooled data of '" + target + "' came up short"};
            copied += std::uint64_t(n);
            if (!Report(WriteProgress::FolderWritten, copied, end - begin))
                return Cancelled();
        }
    }
    return CabError::Ok();
}

CabError CabWriter::Impl::Commit()
{
    if (CabError error = Usable())
        return error;
    if (folderOpen) {
        if (CabError error = pipeline->EndFolder())
            return Fail(error);
        folderOpen = false;
    }
    if (spool.fd) {
        if (CabError error = FlushSpool())
            return Fail(error);
    }

    io::TempFile cabinet = io::CreateTempBeside(target, ".tmp");
    if (cabinet.error)
        return Fail(cabinet.error);
    cabinetTemp = cabinet.path;
    if (CabError error = WriteCabinet(cabinet.fd.Get()))
        return Fail(error);

    // Replacing a cabinet: make sure the new bytes are on disk before the old
    // name moves to them, and keep the old file's permissions.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(cabinet.fd.Get(), old.st_mode & 07777);
        if (::fsync(cabinet.fd.Get()) != 0)
            return Fail(io::ErrorFromErrno(errno, io::Action::Write, target, "cannot write"));
    }
    if (int err = cabinet.fd.Close())
        return Fail(io::ErrorFromErrno(err, io::Action::Write, target, "cannot write"));
    if (::rename(cabinetTemp.c_str(), target.c_str()) != 0)
        return Fail(io::ErrorFromErrno(errno, io::Action::CreateFile, target, "cannot create"));
    cabinetTemp.clear();
    const std::uint64_t size = tableBytes + spoolSize;
    RemoveTemporaries();
    state = State::Finished;
    Report(WriteProgress::CabinetWritten, size, 0);
    return CabError::Ok();
}

CabWriter::CabWriter(std::string cabinetPath, unsigned threads) : impl_(std::make_unique<Impl>())
{
    impl_->target = std::move(cabinetPath);
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    impl_->threads = threads;
}

CabWriter::~CabWriter() { Abort(); }

void CabWriter::SetProgress(ProgressCallback progress) { impl_->progress = std::move(progress); }

void CabWriter::SetFolderBlockLimit(std::uint32_t blocks)
{
    blocks = std::clamp<std::uint32_t>(blocks, 1, format::kMaxBlocksPerFolder);
    impl_->maxFolderBytes = std::uint64_t(blocks) * format::kBlockSize;
}

CabError CabWriter::AddFile(const WriterSource& source) { return impl_->AddFile(source); }

CabError CabWriter::Commit() { return impl_->Commit(); }

void CabWriter::Abort()
{
    impl_->RemoveTemporaries();
    if (impl_->state != Impl::State::Failed)
        impl_->state = Impl::State::Finished;
}

} // namespace cab
