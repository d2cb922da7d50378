#include "reports/ReportTables.h"

namespace tarvolin::reports {
namespace {

template <std::size_t N>
exports::CellTable tableWithColumns(const std::array<ReportColumn, N>& columns) {
    std::vector<std::string> titles;
    for (const ReportColumn& column : columns)
        titles.emplace_back(column.title);
    return exports::CellTable(std::move(titles));
}

}  // namespace

exports::CellTable largestFilesTable(const std::vector<LargestFileRow>& rows) {
    exports::CellTable table = tableWithColumns(kLargestFilesColumns);
    for (const LargestFileRow& row : rows)
        table.addRow({row.fileName, row.numberText, row.sizeText, row.fullPath});
    return table;
}

exports::CellTable oldestFilesTable(const std::vector<OldestFileRow>& rows,
                                    std::string (*dateText)(std::int64_t)) {
    exports::CellTable table = tableWithColumns(kOldestFilesColumns);
    for (const OldestFileRow& row : rows)
        table.addRow({row.fileName, row.sizeText, dateText(row.time), row.fullPath});
    return table;
}

exports::CellTable fileTypesTable(const std::vector<FileTypeRow>& rows) {
    exports::CellTable table = tableWithColumns(kFileTypesColumns);
    for (const FileTypeRow& row : rows)
        table.addRow({row.typeName, row.extension, row.countText, row.spaceText});
    return table;
}

exports::CellTable tempFilesTable(const std::vector<TempFileRow>& rows) {
    exports::CellTable table = tableWithColumns(kTempFilesColumns);
    for (const TempFileRow& row : rows)
        table.addRow({row.fileName, row.sizeText, row.fullPath});
    return table;
}

}  // namespace tarvolin::reports
