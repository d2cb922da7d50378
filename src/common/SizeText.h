// Byte counts and counts as the user reads them, independent of the locale.
#pragma once

#include <cstdint>
#include <string>

namespace tarvolin {

// "309 bytes", "9.95 KB", "998 KB", "0.99 MB": three significant digits, truncated, 1024-based;
// 1000 or more of a unit is already shown as a fraction of the next one.
std::string formatSize(std::int64_t bytes);

// "1,234,567": groups of three with ",", whatever the locale.
std::string formatCount(std::int64_t count);

}  // namespace tarvolin
