// tarvolin-cli tree: the folder tree text of a report scan.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::cli {

// One line of the folder tree text without its line end: the root "+----PATH", a folder at
// depth d "|      " d times, then "+----" and its own name.
std::string folderTreeLine(std::string_view name, int depth);

// Arguments after "tree": PATH [-o FILE]. stdout lines end in "\n", the file's in "\r\n".
int runTreeCommand(const std::vector<std::string_view>& arguments, std::FILE* out,
                   std::FILE* errors);

}  // namespace tarvolin::cli
