// tarvolin-cli check-update: asks the update server for the latest version.
#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

namespace tarvolin::cli {

// No arguments. Prints the status line, "Installed version: …" and "Latest version: …" as the
// update check shows them. 0 when the check completed with a valid version document, 1 when it
// failed, 2 on unexpected arguments.
int runCheckUpdateCommand(const std::vector<std::string_view>& arguments, std::FILE* out,
                          std::FILE* errors);

}  // namespace tarvolin::cli
