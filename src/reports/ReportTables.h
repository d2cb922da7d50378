// The report rows as tables of their cell texts, for the exports of the terminal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exports/ListTable.h"
#include "reports/ReportRows.h"

namespace tarvolin::reports {

// Columns and texts as the report pages show them; the oldest files' dates through `dateText`.
exports::CellTable largestFilesTable(const std::vector<LargestFileRow>& rows);
exports::CellTable oldestFilesTable(const std::vector<OldestFileRow>& rows,
                                    std::string (*dateText)(std::int64_t));
exports::CellTable fileTypesTable(const std::vector<FileTypeRow>& rows);
exports::CellTable tempFilesTable(const std::vector<TempFileRow>& rows);

}  // namespace tarvolin::reports
