#include "platform/cab/CabReader.h"

#include "platform/cab/CabDosTime.h"
#include "platform/cab/CabFormat.h"
#include "platform/cab/CabIo.h"
#include "platform/cab/CabText.h"
#include "platform/cab/MsPackSystem.h"
#include "platform/cab/TargetFolder.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace cab {

namespace {

// A set longer than this is taken to be a loop of renamed parts.
constexpr int kMaxSetParts = 255;

std::uint16_t DosDateOf(const mscabd_file& f)
{
    return std::uint16_t(((f.date_y - 1980) << 9) | ((f.date_m & 0x0F) << 5) | (f.date_d & 0x1F));
}

std::uint16_t DosTimeOf(const mscabd_file& f)
{
    return std::uint16_t(((f.time_h & 0x1F) << 11) | ((f.time_m & 0x3F) << 5) | ((f.time_s & 0x3F) >> 1));
}

bool SameNameIgnoringAsciiCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z')
            x = x - 'A' + 'a';
        if (y >= 'A' && y <= 'Z')
            y = y - 'A' + 'a';
        if (x != y)
            return false;
    }
    return *a == *b;
}

// The file beside `cabinetPath` that a set header names; cabinets are written
// on Windows, so the name is matched without regard to case.
std::string FindSibling(const std::string& cabinetPath, const char* name)
{
    if (!name || !*name || std::strpbrk(name, "/\\") || std::strcmp(name, "..") == 0
        || std::strcmp(name, ".") == 0)
        return {};
    std::string folder = io::ParentFolder(cabinetPath);
    std::string exact = folder + "/" + name;
    struct stat st {};
    if (::stat(exact.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return exact;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return {};
    std::string found;
    while (dirent* e = ::readdir(dir)) {
        if (SameNameIgnoringAsciiCase(e->d_name, name)) {
            found = folder + "/" + e->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

struct CabReader::Impl {
    detail::MsPackSystem system;
    mscab_decompressor* decompressor = nullptr;
    mscabd_cabinet* cabinet = nullptr;   // the opened cabinet; closing it closes its whole set
    std::deque<std::string> paths;       // libmspack keeps pointers to these names
    std::vector<mscabd_file*> files;     // the libmspack file behind each entry
    std::vector<CabEntry> entries;
    CabInfo info;
    std::string cabinetPath;
    ReadOptions options;
    std::set<io::FileId> partIds; // every file of the set that is open, so no entry replaces one
    bool joinedSet = false;
    bool open = false;
    bool stale = false; // the cabinet could not be read again after a failure

    ~Impl() { CloseAll(); }

    void CloseAll()
    {
        if (decompressor) {
            if (cabinet)
                decompressor->close(decompressor, cabinet);
            mspack_destroy_cab_decompressor(decompressor);
        }
        decompressor = nullptr;
        cabinet = nullptr;
        paths.clear();
        files.clear();
    }

    CabError ErrorFor(int mspackError, const std::string& what) const
    {
        const std::string detail = system.lastMessage.empty() ? "" : " (" + system.lastMessage + ")";
        switch (mspackError) {
        case MSPACK_ERR_OPEN:
        case MSPACK_ERR_READ:
        case MSPACK_ERR_WRITE:
        case MSPACK_ERR_SEEK:
            if (system.lastErrno != 0)
                return CabError{io::CodeFromErrno(system.lastErrno, system.lastAction, system.lastPath),
                                what + ": " + std::strerror(system.lastErrno)};
            // A read that came up short: the cabinet ends before its tables say.
            return CabError{kErrorInvalidData, what + ": the cabinet is truncated" + detail};
        case MSPACK_ERR_NOMEMORY:
            return CabError{kErrorNotEnoughMemory, what + ": out of memory"};
        case MSPACK_ERR_SIGNATURE:
            return CabError{kErrorInvalidData, what + ": not a cabinet file"};
        case MSPACK_ERR_CHECKSUM:
            return CabError{kErrorInvalidData, what + ": a data block fails its checksum" + detail};
        case MSPACK_ERR_DECRUNCH:
            return CabError{kErrorInvalidData, what + ": the compressed data is damaged" + detail};
        default:
            return CabError{kErrorInvalidData, what + ": the cabinet is damaged" + detail};
        }
    }

    // Reads the fixed header ourselves: it answers "missing" and "not a cabinet"
    // with the file system's own reason, and it admits a cabinet with no files
    // and no folders, which libmspack refuses.
    CabError ReadHeader(const std::string& path, bool& empty)
    {
        empty = false;
        const std::uint64_t offset = options.offset;
        io::OpenedFile opened = io::OpenRegularFile(path, "cabinet");
        if (opened.error) {
            // A folder is "access denied" as on Windows; a device or pipe is no cabinet.
            if (opened.fd.Get() < 0 && opened.st.st_mode != 0 && !S_ISDIR(opened.st.st_mode))
                opened.error.code = kErrorInvalidData;
            return opened.error;
        }
        io::Fd& fd = opened.fd;
        const struct stat& st = opened.st;
        partIds.insert(io::IdOf(st));
        std::uint8_t header[format::cfhead_SIZEOF];
        long long n = 0;
        if (offset < std::uint64_t(st.st_size)) {
            n = io::ReadFullAt(fd.Get(), header, sizeof header, off_t(offset));
            if (n < 0)
                return io::ErrorFromErrno(errno, io::Action::Read, path, "cannot read cabinet");
        }
        if (n < static_cast<long long>(sizeof header)
            || std::memcmp(header + format::cfhead_Signature, format::kSignature, 4) != 0)
            return CabError{kErrorInvalidData, offset == 0 ? "'" + path + "' is not a cabinet file"
                                                           : "no cabinet starts at byte " + std::to_string(offset)
                                                                 + " of '" + path + "'"};
        info.cabinetSize = std::uint64_t(st.st_size) - offset;
        std::uint16_t flags = format::GetU16(header + format::cfhead_Flags);
        if (format::GetU16(header + format::cfhead_NumFolders) == 0
            && format::GetU16(header + format::cfhead_NumFiles) == 0
            && (flags & (format::cfheadPREV_CABINET | format::cfheadNEXT_CABINET)) == 0) {
            empty = true;
            info.setId = format::GetU16(header + format::cfhead_SetID);
            info.cabinetIndex = format::GetU16(header + format::cfhead_CabinetIndex);
        }
        return CabError::Ok();
    }

    void TakeTable()
    {
        // A map, not a search: a hostile table may pair 65535 files with 65535 folders.
        std::unordered_map<const mscabd_folder*, std::uint16_t> folders;
        for (const mscabd_folder* f = cabinet->folders; f; f = f->next)
            folders.emplace(f, std::uint16_t(folders.size()));
        for (mscabd_file* f = cabinet->files; f; f = f->next) {
            CabEntry e;
            e.storedName = f->filename ? f->filename : "";
            e.attributes = std::uint16_t(f->attribs);
            e.name = DecodeEntryName(e.storedName, (e.attributes & format::kAttribNameIsUtf) != 0, options.names);
            e.size = f->length;
            e.dosDate = DosDateOf(*f);
            e.dosTime = DosTimeOf(*f);
            if (auto at = folders.find(f->folder); at != folders.end())
                e.folderIndex = at->second;
            e.folderOffset = f->offset;
            entries.push_back(std::move(e));
            files.push_back(f);
        }
        info.setId = cabinet->set_id;
        info.cabinetIndex = cabinet->set_index;
        info.folderCount = std::uint16_t(folders.size());
        info.hasPrevious = (cabinet->flags & MSCAB_HDR_PREVCAB) != 0;
        info.hasNext = (cabinet->flags & MSCAB_HDR_NEXTCAB) != 0;
    }

    mscabd_cabinet* OpenPart(const std::string& path)
    {
        paths.push_back(path);
        return decompressor->open(decompressor, paths.back().c_str());
    }

    // Joins the other parts of a spanned set, found beside the cabinet, so
    // that files running across parts can be extracted. A part that is
    // missing or does not match just ends the search in that direction.
    bool JoinSet(const std::string& path)
    {
        std::set<io::FileId> seen;
        auto firstVisit = [&](const std::string& p) {
            struct stat st {};
            if (::stat(p.c_str(), &st) != 0 || !seen.insert(io::IdOf(st)).second)
                return false;
            partIds.insert(io::IdOf(st));
            return true;
        };
        firstVisit(path);
        bool joined = false;
        mscabd_cabinet* last = cabinet;
        for (int n = 0; n < kMaxSetParts && (last->flags & MSCAB_HDR_NEXTCAB); ++n) {
            std::string next = FindSibling(last->filename, last->nextname);
            if (next.empty() || !firstVisit(next))
                break;
            mscabd_cabinet* part = OpenPart(next);
            if (!part)
                break;
            if (decompressor->append(decompressor, last, part) != MSPACK_ERR_OK) {
                decompressor->close(decompressor, part);
                break;
            }
            last = part;
            joined = true;
        }
        mscabd_cabinet* first = cabinet;
        for (int n = 0; n < kMaxSetParts && (first->flags & MSCAB_HDR_PREVCAB); ++n) {
            std::string previous = FindSibling(first->filename, first->prevname);
            if (previous.empty() || !firstVisit(previous))
                break;
            mscabd_cabinet* part = OpenPart(previous);
            if (!part)
                break;
            if (decompressor->prepend(decompressor, first, part) != MSPACK_ERR_OK) {
                decompressor->close(decompressor, part);
                break;
            }
            first = part;
            joined = true;
        }
        return joined;
    }

    // Joining a set rebuilds libmspack's file list; find each entry again by
    // its name, place and length. False when one has gone missing.
    bool RefindFiles()
    {
        mscabd_file* at = cabinet->files;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const CabEntry& e = entries[i];
            mscabd_file* f = at;
            while (f && !(f->offset == e.folderOffset && f->length == e.size && f->filename
                          && e.storedName == f->filename))
                f = f->next;
            if (!f)
                return false;
            files[i] = f;
            at = f->next;
        }
        return true;
    }

    CabError OpenWithLibrary(const std::string& path)
    {
        cabinetPath = path;
        system.viewPath = path;
        system.viewOffset = off_t(options.offset);
        decompressor = mspack_create_cab_decompressor(system.Get());
        if (!decompressor)
            return CabError{kErrorNotEnoughMemory, "cannot start the cabinet decoder"};
        system.ClearError();
        cabinet = OpenPart(path);
        if (!cabinet)
            return ErrorFor(decompressor->last_error(decompressor),
                            options.offset == 0 ? "cannot read cabinet '" + path + "'"
                                                : "cannot read the cabinet at byte " + std::to_string(options.offset)
                                                      + " of '" + path + "'");
        TakeTable();
        // A set's parts share one file list once joined: the set is listed,
        // checked and extracted whole, whichever part was named.
        joinedSet = (info.hasNext || info.hasPrevious) && JoinSet(path);
        if (joinedSet) {
            entries.clear();
            files.clear();
            TakeTable();
        }
        return CabError::Ok();
    }

    // After a failed extraction libmspack may keep a folder half torn down
    // (a closed input among live decoder state); reading the cabinet afresh
    // is the only sure way back to a clean start.
    void Reset()
    {
        CloseAll();
        files.assign(entries.size(), nullptr);
        decompressor = mspack_create_cab_decompressor(system.Get());
        if (decompressor)
            cabinet = OpenPart(cabinetPath);
        if (cabinet && joinedSet)
            JoinSet(cabinetPath);
        stale = !cabinet || !RefindFiles();
    }
};

CabReader::CabReader() : impl_(std::make_unique<Impl>()) {}
CabReader::~CabReader() = default;

CabError CabReader::Open(const std::string& path, const ReadOptions& options)
{
    Close();
    if (options.offset > std::uint64_t(std::numeric_limits<off_t>::max()))
        return CabError{kErrorInvalidData, "no cabinet starts at byte " + std::to_string(options.offset) + " of '"
                                               + path + "'"};
    impl_->options = options;
    bool empty = false;
    CabError error = impl_->ReadHeader(path, empty);
    if (!error && !empty)
        error = impl_->OpenWithLibrary(path);
    if (error) {
        Close();
        return error;
    }
    impl_->open = true;
    return CabError::Ok();
}

void CabReader::Close()
{
    impl_->CloseAll();
    impl_->entries.clear();
    impl_->info = CabInfo{};
    impl_->cabinetPath.clear();
    impl_->options = ReadOptions{};
    impl_->system.viewPath.clear();
    impl_->system.viewOffset = 0;
    impl_->partIds.clear();
    impl_->joinedSet = false;
    impl_->open = false;
    impl_->stale = false;
}

bool CabReader::IsOpen() const { return impl_->open; }
const CabInfo& CabReader::Info() const { return impl_->info; }
const std::vector<CabEntry>& CabReader::Entries() const { return impl_->entries; }

void CabReader::SetExtractProgress(ExtractProgress progress)
{
    impl_->system.outputProgress = std::move(progress);
}

CabError CabReader::Decode(std::size_t index, int fd, const std::string& shownPath)
{
    if (!impl_->open)
        return CabError{kErrorInvalidParameter, "no cabinet is open"};
    if (index >= impl_->entries.size())
        return CabError{kErrorInvalidParameter, "the cabinet has no entry " + std::to_string(index)};
    const CabEntry& entry = impl_->entries[index];
    if (impl_->stale)
        return CabError{kErrorInvalidData, "cannot extract '" + entry.name + "': the cabinet changed while it was open"};
    detail::MsPackSystem& system = impl_->system;
    system.ClearError();
    system.outputFd = fd;
    system.outputPath = shownPath;
    const int rc = impl_->decompressor->extract(impl_->decompressor, impl_->files[index], detail::kOutputName);
    system.outputFd = -1;
    CabError error;
    if (system.cancelled)
        error = CabError{kErrorCancelled, "the extraction of '" + entry.name + "' was cancelled"};
    else if (rc != MSPACK_ERR_OK)
        error = impl_->ErrorFor(rc, "cannot extract '" + entry.name + "'");
    if (error)
        impl_->Reset();
    return error;
}

CabError CabReader::Verify(std::size_t index)
{
    return Decode(index, detail::kDiscardOutput, "");
}

CabError CabReader::ExtractTo(std::size_t index, int fd, const std::string& shownPath)
{
    if (fd < 0)
        return CabError{kErrorInvalidParameter, "no file to write to"};
    return Decode(index, fd, shownPath);
}

bool CabReader::IsCabinetFile(const io::FileId& file) const
{
    return impl_->partIds.count(file) != 0;
}

CabError CabReader::Extract(std::size_t index, const std::string& targetPath)
{
    if (targetPath.empty())
        return CabError{kErrorPathNotFound, "no target path given"};
    return Extract(index, TargetAtPath(targetPath));
}

CabError CabReader::Extract(std::size_t index, const Target& target)
{
    if (!impl_->open)
        return CabError{kErrorInvalidParameter, "no cabinet is open"};
    if (index >= impl_->entries.size())
        return CabError{kErrorInvalidParameter, "the cabinet has no entry " + std::to_string(index)};
    if (target.error)
        return target.error;
    const CabEntry& entry = impl_->entries[index];
    if (target.existing && IsCabinetFile(*target.existing))
        return CabError{kErrorSharingViolation,
                        "'" + target.path + "' is the cabinet being read: its entry '" + entry.name + "' would replace it"};

    const int folder = target.folder.Get();
    io::TempFile temp = io::CreateTempIn(folder, io::ParentFolder(target.path), ".part");
    if (temp.error)
        return temp.error;
    CabError error = Decode(index, temp.fd.Get(), target.path);
    if (!error) {
        if (auto stamp = TimeFromDosDateTime(entry.dosDate, entry.dosTime)) {
            struct timespec times[2] = {{*stamp, 0}, {*stamp, 0}};
            ::futimens(temp.fd.Get(), times);
        }
        struct stat now {};
        if (int err = temp.fd.Close())
            error = io::ErrorFromErrno(err, io::Action::Write, target.path, "cannot write");
        else if (::fstatat(folder, target.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && IsCabinetFile(io::IdOf(now)))
            error = CabError{kErrorSharingViolation, "'" + target.path + "' is the cabinet being read: its entry '"
                                                         + entry.name + "' would replace it"};
        else if (::renameat(folder, temp.path.c_str(), folder, target.name.c_str()) != 0)
            error = io::ErrorFromErrno(errno, io::Action::CreateFile, target.path, "cannot create");
    }
    if (error)
        ::unlinkat(folder, temp.path.c_str(), 0);
    return error;
}

} // namespace cab
