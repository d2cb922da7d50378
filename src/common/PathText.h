// Byte-string path helpers: separator "/", "\" is an ordinary name character.
#pragma once

#include <string>
#include <string_view>

namespace tarvolin {

// parent + "/" + name, never producing "//" (so the children of "/" read "/name").
std::string joinPath(std::string_view parent, std::string_view name);

// Bytes at the end of `path` that form its display name: after the last "/", the whole path
// when it has none, 0 when it ends in "/". The root "/" is its own name (1).
int nameLengthOf(std::string_view path);

// The last nameLengthOf(path) bytes.
std::string_view displayNameOf(std::string_view path);

// True when `path` is `folder` or lies below it ("/data/x" is below "/data", "/data2" is not).
bool isAtOrBelow(std::string_view path, std::string_view folder);

// Removes one trailing "/", except from "/" itself.
std::string trimTrailingSeparator(std::string_view path);

// Makes `path` absolute against `currentDir` and cleans it lexically: "." dropped, ".." takes
// away the previous component (never above "/"), repeated separators collapse, no trailing "/".
std::string absoluteCleanPath(std::string_view path, std::string_view currentDir);

}  // namespace tarvolin
