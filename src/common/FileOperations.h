// FileOperations: what the item context menus do to the file system, on byte paths so that
// names that are not UTF-8 work too.
#pragma once

#include <string>

namespace tarvolin {

// The folder holding `path`; empty for "/" and for paths without a separator.
std::string parentPath(const std::string& path);

// True where a removal would take far more than the user pointed at: "/", the home folder and
// every folder above it, and mount points (a folder on another device than its parent, or one
// the mount table lists). `home` is the home folder's path; empty means $HOME.
bool isProtectedPath(const std::string& path, const std::string& home = {});

// Removes a file or link (never a link's target), or a folder with everything below it. Folders
// of another file system met below are left alone (EXDEV). 0, or the errno of the first failure;
// whatever could be removed stays removed, and `removedAny` tells whether anything was.
[[nodiscard]] int removePath(const std::string& path, bool* removedAny = nullptr);

// Moves `path` to the user's trash: the home trash under the data folder ($XDG_DATA_HOME, else
// ~/.local/share) when it is on the same file system, else the trash at the top of the item's
// own file system (.Trash/UID or .Trash-UID). 0, or an errno; ENOENT when no data folder is known
// or $XDG_DATA_HOME is not an absolute path.
[[nodiscard]] int moveToTrash(const std::string& path);

}  // namespace tarvolin
