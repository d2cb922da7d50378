// The system's text for an error number.
#pragma once

#include <string>

namespace tarvolin {

// strerror text of `code`; "Unknown error" when the system has no text of its own for it.
std::string systemErrorText(int code);

}  // namespace tarvolin
