// DateText: a stored last-change time as the user reads it.
#pragma once

#include <cstdint>

#include <QString>

namespace tarvolin::views {

// Local date and time in the locale's short format, or "yyyy-MM-dd HH:mm" in the C/POSIX locale;
// the time is left out at midnight, where it says nothing. Empty when the time cannot be
// represented.
QString localDateText(std::int64_t secondsSince1970);

}  // namespace tarvolin::views
