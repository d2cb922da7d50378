#include "exports/ListExportText.h"

namespace tarvolin::exports {
namespace {

bool needsQuotes(std::string_view field, std::string_view separator) {
    if (field.find_first_of("\"\r\n") != std::string_view::npos) return true;
    return !separator.empty() && field.find(separator) != std::string_view::npos;
}

void appendField(std::string& text, std::string_view field, const ExportTextOptions& options) {
    if (!options.quoteFields && !needsQuotes(field, options.separator)) {
        text += field;
        return;
    }
    text += '"';
    for (const char c : field) {
        if (c == '"') text += '"';
        text += c;
    }
    text += '"';
}

}  // namespace

std::string ListExportText(const ListTable& table, const ExportTextOptions& options) {
    std::string text;
    const int columns = table.columnCount();
    const auto appendLine = [&](auto&& field) {
        for (int column = 0; column < columns; ++column) {
            if (column > 0) text += options.separator;
            appendField(text, field(column), options);
        }
        text += options.lineEnd;
    };
    if (options.includeHeaders) appendLine([&](int column) { return table.columnTitle(column); });
    const int rows = table.rowCount();
    for (int row = 0; row < rows; ++row)
        appendLine([&](int column) { return table.cellText(row, column); });
    return text;
}

}  // namespace tarvolin::exports
