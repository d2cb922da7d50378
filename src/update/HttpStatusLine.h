// HttpStatusLine: the first line of an HTTP response, taken apart.
#pragma once

#include <string>
#include <string_view>

namespace tarvolin::update {

struct HttpStatusLine {
    std::string version;  // "HTTP/1.0"
    int code = 0;
    std::string reason;  // "Not Found"; may contain spaces
};

// The status line is the text before the first CR of `response`: version, code and reason,
// separated by spaces (runs of white space before the code and the reason are skipped). False,
// leaving `out` untouched, when there is no CR or the line lacks one of the three parts. The
// code is read like atoi (digits after an optional sign, 0 when none) but saturates instead of
// overflowing.
bool parseHttpStatusLine(std::string_view response, HttpStatusLine& out);

}  // namespace tarvolin::update
