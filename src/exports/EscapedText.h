// EscapedText: names made safe to show on a terminal or in a text table.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvolin::exports {

// Control characters shown the way ls shows them ("\\n", "\\033"), so that a name cannot move
// the cursor, retitle or clear a terminal, or split a line: C0 controls, DEL, and the C1
// controls in their UTF-8 form (which some terminals obey). Other bytes are kept as they are.
std::string escapeControls(std::string_view text);
void appendEscapedControls(std::string& out, std::string_view text);
// The number of characters escapeControls(text) shows, counting UTF-8 sequences as one.
std::size_t escapedDisplayWidth(std::string_view text);

}  // namespace tarvolin::exports
