// FolderTreeText: the lines of the folder tree text that a report scan leaves.
#pragma once

#include <string>
#include <string_view>

namespace tarvolin::exports {

// One line without its line end: the root (depth 0) "+----PATH", a folder at depth d
// "|      " d times, then "+----" and its own name.
std::string folderTreeLine(std::string_view name, int depth);

}  // namespace tarvolin::exports
