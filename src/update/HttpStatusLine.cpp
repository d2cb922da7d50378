#include "update/HttpStatusLine.h"

#include <climits>

namespace tarvolin::update {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view skipSpace(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    return text.substr(i);
}

// A server chooses the digits, so an overlong code must not overflow.
int toCode(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

bool parseHttpStatusLine(std::string_view response, HttpStatusLine& out) {
    const std::size_t lineEnd = response.find('\r');
    if (lineEnd == std::string_view::npos) return false;
    const std::string_view line = response.substr(0, lineEnd);

    const std::size_t versionEnd = line.find(' ');
    if (versionEnd == std::string_view::npos) return false;
    const std::string_view rest = skipSpace(line.substr(versionEnd + 1));
    const std::size_t codeEnd = rest.find(' ');
    if (codeEnd == std::string_view::npos) return false;

    out.version = std::string(line.substr(0, versionEnd));
    out.code = toCode(rest.substr(0, codeEnd));
    out.reason = std::string(skipSpace(rest.substr(codeEnd + 1)));
    return true;
}

}  // namespace tarvolin::update
