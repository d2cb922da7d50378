// Writing export files whole or not at all.
#pragma once

#include <string>
#include <string_view>

namespace tarvolin::exports {

// Writes `bytes` to a new file beside `path` and renames it over `path`, so that a reader never
// sees half a file and a failed write leaves what was there before. The file gets the usual
// permissions (0666 less the umask). Throws CAppException naming the file, with the errno.
void writeFileAtomically(const std::string& path, std::string_view bytes);

// The whole content of a file; throws CAppException naming the file, with the errno.
std::string readWholeFile(const std::string& path);

// The folder part of a file path: "" for a bare name, "/" for a file in the root.
std::string folderOf(const std::string& path);

}  // namespace tarvolin::exports
