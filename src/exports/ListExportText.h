// ListExportText: a list as comma- or tab-separated text.
#pragma once

#include <string>
#include <string_view>

#include "exports/ListTable.h"

namespace tarvolin::exports {

struct ExportTextOptions {
    std::string_view separator = ",";
    std::string_view lineEnd = "\n";
    bool includeHeaders = true;  // a first line with the column titles
    bool quoteFields = false;    // every field in double quotes, titles included
};

// One line per row (after the titles, when included), each ended by the line end. A field
// holding the separator, a double quote, CR or LF is quoted with its quotes doubled, so that
// any reader of delimited text gets the cell back whole; other fields are written as they are.
// An empty list gives the title line alone, or the empty text without titles.
std::string ListExportText(const ListTable& table, const ExportTextOptions& options);

}  // namespace tarvolin::exports
