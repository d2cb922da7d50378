// tarvolin-cli tree: the folder tree text of a report scan.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::cli {

// Arguments after "tree": PATH [-o FILE]. stdout lines end in "\n", the file's in "\r\n".
int runTreeCommand(const std::vector<std::string_view>& arguments, std::FILE* out,
                   std::FILE* errors);

}  // namespace tarvolin::cli
