#include "platform/cab/TargetFolder.h"

#include "platform/cab/CabReader.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace cab {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

std::optional<io::FileId> ExistingAt(int folder, const std::string& name)
{
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return io::IdOf(st);
}

Target Refused(CabError error)
{
    Target target;
    target.error = std::move(error);
    return target;
}

// Opens the folder `name` inside `parent` without following a link, making it
// when it is missing.
io::Fd OpenChildFolder(int parent, const std::string& name, const std::string& shownPath, CabError& error)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::openat(parent, name.c_str(), kFolderFlags | O_NOFOLLOW);
        if (fd >= 0)
            return io::Fd(fd);
        const int err = errno;
        if (err == ENOENT) {
            if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) {
                error = io::ErrorFromErrno(errno, io::Action::CreateFile, shownPath, "cannot create the folder");
                return {};
            }
            continue; // made (or made by someone else meanwhile): open it now
        }
        struct stat st {};
        if ((err == ELOOP || err == ENOTDIR) && ::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISLNK(st.st_mode)) {
                error = CabError{kErrorAccessDenied, "'" + shownPath
                                                         + "' is a symbolic link: nothing is written through a link "
                                                           "inside the folder extracted to"};
            } else {
                error = CabError{kErrorPathNotFound,
                                 "'" + shownPath + "' is " + io::FileKindText(st.st_mode) + " where a folder is needed"};
            }
            return {};
        }
        error = io::ErrorFromErrno(err, io::Action::OpenExisting, shownPath, "cannot open the folder");
        return {};
    }
    error = CabError{kErrorPathNotFound, "the folder '" + shownPath + "' keeps disappearing"};
    return {};
}

std::string Joined(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder == ".")
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace

CabError TargetFolder::Open(const std::string& folder)
{
    fd_.Reset();
    path_ = folder.empty() ? "." : folder;
    std::error_code ec;
    std::filesystem::create_directories(path_, ec);
    fd_ = io::Fd(::open(path_.c_str(), kFolderFlags));
    if (!fd_)
        return io::ErrorFromErrno(errno, io::Action::CreateFile, path_, "cannot open the folder");
    return CabError::Ok();
}

Target TargetFolder::Place(const std::string& entryName) const
{
    if (!fd_)
        return Refused(CabError{kErrorInvalidParameter, "no folder to extract to is open"});
    const std::string relative = SafeTargetPath("", entryName);
    if (relative.empty())
        return Refused(CabError{kErrorInvalidName, "'" + entryName + "' would be written outside '" + path_ + "'"});

    io::Fd current;
    int at = fd_.Get();
    std::string shown = path_ == "." ? "" : path_;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = relative.find('/', start);
        const std::string component = relative.substr(start, slash == std::string::npos ? slash : slash - start);
        if (slash == std::string::npos) {
            Target target;
            target.name = component;
            target.path = Joined(shown, component);
            target.existing = ExistingAt(at, component);
            if (current)
                target.folder = std::move(current);
            else
                target.folder = io::Fd(::fcntl(fd_.Get(), F_DUPFD_CLOEXEC, 0));
            if (!target.folder)
                return Refused(io::ErrorFromErrno(errno, io::Action::OpenExisting, path_, "cannot open the folder"));
            return target;
        }
        shown = Joined(shown, component);
        CabError error;
        io::Fd next = OpenChildFolder(at, component, shown, error);
        if (!next)
            return Refused(std::move(error));
        current = std::move(next);
        at = current.Get();
        start = slash + 1;
    }
}

Target TargetAtPath(const std::string& path)
{
    if (path.empty() || path.back() == '/')
        return Refused(CabError{kErrorPathNotFound, "no file name in the target path '" + path + "'"});
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    Target target;
    target.folder = io::Fd(::open(folder.c_str(), kFolderFlags));
    if (!target.folder)
        return Refused(io::ErrorFromErrno(errno, io::Action::CreateFile, path, "cannot create"));
    target.name = slash == std::string::npos ? path : path.substr(slash + 1);
    target.path = path;
    target.existing = ExistingAt(target.folder.Get(), target.name);
    return target;
}

} // namespace cab
