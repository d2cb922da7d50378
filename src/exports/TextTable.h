// TextTable: rows of cells printed as an aligned plain-text table.
#pragma once

#include <cstdio>
#include <functional>
#include <string_view>
#include <vector>

namespace tarvolin::exports {

enum class Align { Left, Right };

// Characters, not bytes: UTF-8 continuation bytes take no column.
std::size_t displayWidth(std::string_view text);

// Gives the cells of row `row` into `cells` (cleared by the caller's table); no cells at all
// stand for an empty line. Views must stay valid until the next call.
using TableCells = std::function<void(std::size_t row, std::vector<std::string_view>& cells)>;

// Writes `rowCount` rows, each cell padded to its column's widest cell, two blanks between
// columns and no padding after a line's last text. Time and memory are linear in the text.
// Write errors stay on the stream for the caller to check.
void writeTextTable(std::FILE* out, const std::vector<Align>& columns, std::size_t rowCount,
                    const TableCells& cellsOf);

}  // namespace tarvolin::exports
