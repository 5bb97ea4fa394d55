// Where extraction writes: a folder held open, and each entry placed below it
// by walking the folder one component at a time without following symbolic
// links, so a link someone left inside the folder cannot carry a write outside.
#pragma once

#include "platform/cab/CabError.h"
#include "platform/cab/CabIo.h"

#include <optional>
#include <string>

namespace cab {

// The place of one file to write: the open folder that will hold it and its
// name there. When `error` is set the entry has no place and the rest is empty.
struct Target {
    io::Fd folder;
    std::string name;                   // the last component, no separator
    std::string path;                   // folder and name, for messages and path-based callers
    std::optional<io::FileId> existing; // what is at that place now (a link itself, not what it leads to)
    CabError error;
};

class TargetFolder {
public:
    // Opens `folder` ("" is the working folder), creating it and any missing
    // folder above it. The folder's own path is the caller's choice and may
    // pass through links; only what lies below it is guarded.
    CabError Open(const std::string& folder);
    bool IsOpen() const { return bool(fd_); }
    const std::string& Path() const { return path_; }

    // Places `entryName` ("\" or "/" separate folders) below the folder and
    // creates the folders it needs. Refusals, each with a text naming the path:
    //   kErrorInvalidName   the name would land outside the folder (SafeTargetPath)
    //   kErrorAccessDenied  a folder on the way is a symbolic link
    //   kErrorPathNotFound  a file stands where a folder on the way should be
    //   any other code      the system's reason a folder could not be made
    Target Place(const std::string& entryName) const;

private:
    io::Fd fd_;
    std::string path_;
};

// The place of a file named by a whole path: its parent folder opened as the
// path says (links followed: the caller chose the path) and its last component.
Target TargetAtPath(const std::string& path);

} // namespace cab
