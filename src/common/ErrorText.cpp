#include "common/ErrorText.h"

#include <cstring>

namespace tarvolin {
namespace {

// strerror_r comes in two shapes (GNU returns a pointer, XSI an int); each overload takes one.
[[maybe_unused]] const char* pickText(const char* result, const char*) {
    return result;
}
[[maybe_unused]] const char* pickText(int result, const char* buffer) {
    return result == 0 ? buffer : nullptr;
}

}  // namespace

std::string systemErrorText(int code) {
    char buffer[256] = {};
    const char* text = pickText(strerror_r(code, buffer, sizeof buffer), buffer);
    // glibc answers unknown numbers with "Unknown error N", which is no text of its own.
    if (text == nullptr || *text == '\0' || std::strncmp(text, "Unknown error", 13) == 0) {
        return "Unknown error";
    }
    return text;
}

}  // namespace tarvolin
