// mimeFileTypeName: file type names from the system's MIME database (tarvolin_reports_qtcore).
#pragma once

#include <string>
#include <string_view>

namespace tarvolin::reports {

// The comment of the first MIME type whose file name patterns match the extension (".txt" →
// "plain text document"), UTF-8, in the language of the default locale; empty when none does.
// Thread-safe, so it can serve as the FileTypeNameFunction that the scan thread calls.
std::string mimeFileTypeName(std::string_view extension);

}  // namespace tarvolin::reports
