// MountTable: the kernel's table of mounted file systems (/proc/self/mounts).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvolin {

struct MountEntry {
    std::string device;
    std::string mountPoint;
    std::string type;
};

// Parses /proc/self/mounts text; "\040" and the other octal escapes become their bytes. Lines
// with fewer than three fields are skipped.
std::vector<MountEntry> parseMountTable(std::string_view text);

// The running system's table; empty when it cannot be read.
std::vector<MountEntry> readMountTable();

// The whole of a small file such as /proc/self/mounts or a /sys flag; empty on failure.
std::string readSmallFile(const char* path);

}  // namespace tarvolin
