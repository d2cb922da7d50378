// ItemOperations: what the item context menu does to the file system, on byte paths so that
// names that are not UTF-8 work too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <QUrl>

namespace tarvolin::views {

// The mount points of a mount table in /proc/self/mounts form: the second field of each line,
// with its octal escapes ("\040" for a blank) decoded.
std::vector<std::string> mountPointsOf(std::string_view table);

// True where a removal would take far more than the user pointed at: "/", the home folder and
// every folder above it, and mount points (a folder on another device than its parent, or one
// the mount table lists). `home` is the home folder's path; empty means the process's own.
bool isProtectedPath(const std::string& path, const std::string& home = {});

// The folder holding `path`; empty for "/" and for paths without a separator.
std::string parentPath(const std::string& path);

// A file URL that carries the path's bytes percent-encoded, for the desktop to open.
QUrl fileUrl(const std::string& path);

// Removes a file or link (never a link's target), or a folder with everything below it. Folders
// of another file system met below are left alone (EXDEV). 0, or the errno of the first failure;
// whatever could be removed stays removed, and `removedAny` tells whether anything was.
int removePath(const std::string& path, bool* removedAny = nullptr);

// Moves `path` to the user's trash. The trash lives in the data folder, which is created first;
// a data folder that is not an absolute path is a failure. 0, or an errno (-1 when the trash
// gave no reason).
int moveToTrash(const std::string& path);

}  // namespace tarvolin::views
