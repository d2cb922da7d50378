// PrintLayout: how a printed list is cut into column passes, and the parts of its header and
// footer lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::exports {

// The passes of a list whose columns are `screenWidths` wide on screen, for a page `budget`
// screen pixels wide. Every pass starts with column 0; the others are taken in order until
// their widths, added to column 0's, exceed the budget (the column that crossed it stays in
// the pass) or the columns run out. A list of one column or none prints no pass.
std::vector<std::vector<int>> columnPasses(const std::vector<int>& screenWidths, double budget);

// A header or footer line: the text before 0x1F is left-aligned, after 0x1F centred, after
// 0x1E right-aligned; a doubled 0x1F or 0x1E stands for the character itself.
struct BandText {
    std::string left;
    std::string centre;
    std::string right;
};
BandText splitBandText(std::string_view text);

}  // namespace tarvolin::exports
