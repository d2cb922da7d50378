#include "reports/ReportTables.h"

namespace tarvolin::reports {
namespace {

template <std::size_t N>
exports::TextTable tableWithColumns(const std::array<ReportColumn, N>& columns) {
    std::vector<std::string> titles;
    for (const ReportColumn& column : columns)
        titles.emplace_back(column.title);
    return exports::TextTable(std::move(titles));
}

}  // namespace

exports::TextTable largestFilesTable(const std::vector<LargestFileRow>& rows) {
    exports::TextTable table = tableWithColumns(kLargestFilesColumns);
    for (const LargestFileRow& row : rows)
        table.addRow({row.fileName, row.numberText, row.sizeText, row.fullPath});
    return table;
}

exports::TextTable oldestFilesTable(const std::vector<OldestFileRow>& rows,
                                    std::string (*dateText)(std::int64_t)) {
    exports::TextTable table = tableWithColumns(kOldestFilesColumns);
    for (const OldestFileRow& row : rows)
        table.addRow({row.fileName, row.sizeText, dateText(row.time), row.fullPath});
    return table;
}

exports::TextTable fileTypesTable(const std::vector<FileTypeRow>& rows) {
    exports::TextTable table = tableWithColumns(kFileTypesColumns);
    for (const FileTypeRow& row : rows)
        table.addRow({row.typeName, row.extension, row.countText, row.spaceText});
    return table;
}

exports::TextTable tempFilesTable(const std::vector<TempFileRow>& rows) {
    exports::TextTable table = tableWithColumns(kTempFilesColumns);
    for (const TempFileRow& row : rows)
        table.addRow({row.fileName, row.sizeText, row.fullPath});
    return table;
}

}  // namespace tarvolin::reports
