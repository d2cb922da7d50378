#include "exports/TextTable.h"

#include <algorithm>
#include <string>

namespace tarvolin::exports {

std::size_t displayWidth(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void writeTextTable(std::FILE* out, const std::vector<Align>& columns, std::size_t rowCount,
                    const TableCells& cellsOf) {
    std::vector<std::size_t> widths(columns.size(), 0);
    std::vector<std::string_view> cells;
    for (std::size_t row = 0; row < rowCount; ++row) {
        cells.clear();
        cellsOf(row, cells);
        for (std::size_t column = 0; column < cells.size() && column < widths.size(); ++column)
            widths[column] = std::max(widths[column], displayWidth(cells[column]));
    }
    std::string line;
    for (std::size_t row = 0; row < rowCount; ++row) {
        cells.clear();
        cellsOf(row, cells);
        line.clear();
        std::size_t textEnd = 0;  // the line is cut here: padding after the last text goes
        for (std::size_t column = 0; column < cells.size() && column < widths.size(); ++column) {
            const std::size_t padding = widths[column] - displayWidth(cells[column]);
            if (columns[column] == Align::Right) line.append(padding, ' ');
            line += cells[column];
            if (!cells[column].empty()) textEnd = line.size();
            if (columns[column] == Align::Left) line.append(padding, ' ');
            if (column + 1 < cells.size()) line += "  ";
        }
        line.resize(textEnd);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), out);
    }
}

}  // namespace tarvolin::exports
