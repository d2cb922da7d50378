#include "cli/ReportCommand.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <memory>

#include "cli/CliListener.h"
#include "cli/CliOutput.h"
#include "common/SizeText.h"
#include "exports/JsonWriter.h"
#include "exports/TextTable.h"
#include "reports/MimeFileTypeName.h"
#include "reports/ReportCollections.h"
#include "reports/ReportRows.h"
#include "reports/ReportTables.h"
#include "scan/CFolderEnumThread.h"

namespace tarvolin::cli {
namespace {

using namespace tarvolin::reports;
using exports::JsonWriter;

constexpr char kNoValidMaskText[] = "The temp file mask provided appears to have no valid entries.";
constexpr char kNoItemsText[] = "There are no items to display.";

struct ReportResult {
    std::string path;
    bool stopped = false;
    std::vector<scan::ScanError> errors;
    std::vector<LargestFileRow> largest;
    std::vector<OldestFileRow> oldest;
    std::vector<FileTypeRow> types;
    std::vector<TempFileRow> temp;
};

// The columns of each report that --sort can name.
template <class Column>
struct SortColumnName {
    const char* name;
    Column column;
};
constexpr SortColumnName<LargestColumn> kLargestSortColumns[] = {{"name", LargestColumn::FileName},
                                                                 {"number", LargestColumn::Number},
                                                                 {"size", LargestColumn::Size},
                                                                 {"path", LargestColumn::FullPath}};
constexpr SortColumnName<OldestColumn> kOldestSortColumns[] = {{"name", OldestColumn::FileName},
                                                               {"size", OldestColumn::Size},
                                                               {"date", OldestColumn::Date},
                                                               {"path", OldestColumn::FullPath}};
constexpr SortColumnName<FileTypeColumn> kTypeSortColumns[] = {{"type", FileTypeColumn::Type},
                                                               {"ext", FileTypeColumn::Ext},
                                                               {"count", FileTypeColumn::Count},
                                                               {"space", FileTypeColumn::Space}};
constexpr SortColumnName<TempColumn> kTempSortColumns[] = {
    {"name", TempColumn::FileName}, {"size", TempColumn::Size}, {"path", TempColumn::FullPath}};

template <class Column, std::size_t N>
std::optional<Column> sortColumnNamed(const SortColumnName<Column> (&names)[N],
                                      const std::optional<std::string>& name) {
    if (!name) return std::nullopt;
    for (const auto& entry : names) {
        if (*name == entry.name) return entry.column;
    }
    return std::nullopt;
}

// The chosen column and direction where the report has that column, else the report's own.
template <class Row, class Column, std::size_t N>
void sortForTerminal(std::vector<Row>& rows, const ReportOptions& options,
                     const SortColumnName<Column> (&names)[N], Column ownColumn,
                     bool ownAscending) {
    if (const auto chosen = sortColumnNamed(names, options.sortColumn)) {
        sortRows(rows, *chosen, options.ascending.value_or(true));
    } else {
        sortRows(rows, ownColumn, options.ascending.value_or(ownAscending));
    }
}

// One report as a titled table; `numeric` columns align right. `cells(i)` gives the texts of
// row i as views, so that a long temp list is not copied once more for printing.
template <std::size_t N, class Cells>
void printTable(std::FILE* out, const char* title, const std::array<ReportColumn, N>& columns,
                const std::array<bool, N>& numeric, std::size_t rowCount, Cells cells) {
    std::fprintf(out, "%s\n", title);
    std::vector<exports::Align> alignment;
    for (const bool right : numeric)
        alignment.push_back(right ? exports::Align::Right : exports::Align::Left);
    // Row 0 is the header.
    exports::writeTextTable(
        out, alignment, rowCount + 1, [&](std::size_t row, std::vector<std::string_view>& line) {
            if (row == 0) {
                for (const ReportColumn& column : columns)
                    line.emplace_back(column.title);
            } else {
                const std::array<std::string_view, N> cellsOfRow = cells(row - 1);
                line.assign(cellsOfRow.begin(), cellsOfRow.end());
            }
        });
    if (rowCount == 0) std::fprintf(out, "%s\n", kNoItemsText);
}

void printTables(const ReportOptions& options, const ReportResult& result, std::FILE* out) {
    using Cells4 = std::array<std::string_view, 4>;
    bool first = true;
    const auto separate = [&] {
        if (!first) std::fputc('\n', out);
        first = false;
    };
    if (options.largest) {
        separate();
        printTable(out, kLargestFilesTitle, kLargestFilesColumns, {false, true, true, false},
                   result.largest.size(), [&](std::size_t i) {
                       const LargestFileRow& row = result.largest[i];
                       return Cells4{row.fileName, row.numberText, row.sizeText, row.fullPath};
                   });
    }
    if (options.oldest) {
        separate();
        std::vector<std::string> dates;
        for (const OldestFileRow& row : result.oldest)
            dates.push_back(localTimeText(row.time));
        printTable(out, kOldestFilesTitle, kOldestFilesColumns, {false, true, false, false},
                   result.oldest.size(), [&](std::size_t i) {
                       const OldestFileRow& row = result.oldest[i];
                       return Cells4{row.fileName, row.sizeText, dates[i], row.fullPath};
                   });
    }
    if (options.types) {
        separate();
        printTable(out, kFileTypesTitle, kFileTypesColumns, {false, false, true, true},
                   result.types.size(), [&](std::size_t i) {
                       const FileTypeRow& row = result.types[i];
                       return Cells4{row.typeName, row.extension, row.countText, row.spaceText};
                   });
    }
    if (options.temp) {
        separate();
        printTable(
            out, kTempFilesTitle, kTempFilesColumns, {false, true, false}, result.temp.size(),
            [&](std::size_t i) {
                const TempFileRow& row = result.temp[i];
                return std::array<std::string_view, 3>{row.fileName, row.sizeText, row.fullPath};
            });
    }
}

// The one chosen report as delimited lines.
void printDelimitedReport(const ReportOptions& options, const ReportResult& result,
                          std::FILE* out) {
    const exports::CellTable table = options.largest ? largestFilesTable(result.largest)
                                     : options.oldest
                                         ? oldestFilesTable(result.oldest, localTimeText)
                                     : options.types ? fileTypesTable(result.types)
                                                     : tempFilesTable(result.temp);
    printDelimited(table, options.format, options.delimited, out);
}

void printJson(const ReportOptions& options, const ReportResult& result, std::FILE* out) {
    JsonWriter json(out);
    json.beginObject();
    json.field("path", result.path);
    json.field("stopped", result.stopped);
    if (options.largest) {
        json.beginArray("largest");
        for (const LargestFileRow& row : result.largest) {
            json.beginObject();
            json.field("number", row.number);
            json.field("name", row.fileName);
            json.field("size", row.size);
            json.field("path", row.fullPath);
            json.endObject();
        }
        json.endArray();
    }
    if (options.oldest) {
        json.beginArray("oldest");
        for (const OldestFileRow& row : result.oldest) {
            json.beginObject();
            json.field("name", row.fileName);
            json.field("size", row.size);
            json.field("time", row.time);
            json.field("path", row.fullPath);
            json.endObject();
        }
        json.endArray();
    }
    if (options.types) {
        json.beginArray("types");
        for (const FileTypeRow& row : result.types) {
            json.beginObject();
            json.field("type", row.typeName);
            json.field("ext", row.extension);
            json.field("count", row.count);
            json.field("space", row.total);
            json.endObject();
        }
        json.endArray();
    }
    if (options.temp) {
        json.beginArray("temp");
        for (const TempFileRow& row : result.temp) {
            json.beginObject();
            json.field("name", row.fileName);
            json.field("size", row.size);
            json.field("path", row.fullPath);
            json.endObject();
        }
        json.endArray();
    }
    writeErrorsJson(json, result.errors);
    json.endObject();
    std::fputc('\n', out);
}

}  // namespace

std::optional<ReportOptions> parseReportArguments(const std::vector<std::string_view>& arguments,
                                                  std::FILE* errors) {
    ReportOptions options;
    bool havePath = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--format" || argument == "--mask" || argument == "--sort") {
            if (i + 1 >= arguments.size()) {
                std::fprintf(errors, "%.*s needs a value\n", static_cast<int>(argument.size()),
                             argument.data());
                return std::nullopt;
            }
            const std::string_view value = arguments[++i];
            if (argument == "--mask") {
                if (parseTempFileMask(value).empty()) {
                    std::fprintf(errors, "%s\n", kNoValidMaskText);
                    return std::nullopt;
                }
                options.mask = std::string(value);
            } else if (argument == "--sort") {
                options.sortColumn = std::string(value);
            } else {
                const auto format = parseOutputFormat(value, errors);
                if (!format) return std::nullopt;
                options.format = *format;
            }
        } else if (argument == "--ascending" || argument == "--descending") {
            options.ascending = argument == "--ascending";
        } else if (takeDelimitedOption(argument, options.delimited)) {
        } else if (argument == "--largest") {
            options.largest = true;
        } else if (argument == "--oldest") {
            options.oldest = true;
        } else if (argument == "--types") {
            options.types = true;
        } else if (argument == "--temp") {
            options.temp = true;
        } else if (!takePathArgument(argument, havePath, options.path, errors)) {
            return std::nullopt;
        }
    }
    if (!havePath) {
        std::fputs("report needs a PATH\n", errors);
        return std::nullopt;
    }
    if (!checkDelimitedOptions(options.format, options.delimited, errors)) return std::nullopt;
    const int chosen = options.largest + options.oldest + options.types + options.temp;
    if ((options.format == OutputFormat::Csv || options.format == OutputFormat::Tsv) &&
        chosen != 1) {
        std::fputs("--format csv and tsv need one of --largest, --oldest, --types, --temp\n",
                   errors);
        return std::nullopt;
    }
    if (chosen == 0) options.largest = options.oldest = options.types = options.temp = true;
    if (options.sortColumn &&
        !((options.largest && sortColumnNamed(kLargestSortColumns, options.sortColumn)) ||
          (options.oldest && sortColumnNamed(kOldestSortColumns, options.sortColumn)) ||
          (options.types && sortColumnNamed(kTypeSortColumns, options.sortColumn)) ||
          (options.temp && sortColumnNamed(kTempSortColumns, options.sortColumn)))) {
        std::fprintf(errors, "unknown sort column for these reports: %s\n",
                     options.sortColumn->c_str());
        return std::nullopt;
    }
    return options;
}

int runReportCommand(const ReportOptions& options, std::FILE* out, std::FILE* errors) {
    const auto path = resolveFolderArgument(options.path, errors);
    if (!path) return kExitUsage;

    // Type names cost a MIME lookup per new extension; only the file types report shows them.
    auto collections = std::make_shared<ReportCollections>(
        options.types ? FileTypeNameFunction(mimeFileTypeName) : FileTypeNameFunction());
    // A mask without patterns matches nothing, so an unwanted temp list costs no memory.
    if (options.mask || !options.temp)
        collections->setTempFileMask(options.temp ? *options.mask : "");

    scan::CFolderEnumThread thread;
    thread.start();
    ProgressLine progress(errors);
    auto listener =
        std::make_shared<CliListener>(CliListener::ReportFolderCallback{}, progress.enabled());
    installInterruptHandler();

    scan::ScanRequest request;
    request.path = *path;
    request.listener = listener;
    request.mode = scan::ScanMode::Report;
    request.reportSink = collections;
    [[maybe_unused]] const std::uint32_t refused = thread.SubmitScanRequest(std::move(request));
    assert(refused == 0);  // it has a listener
    listener->waitShowingProgress(thread, progress);

    ReportResult result;
    result.path = *path;
    result.stopped = listener->stopped();
    result.errors = listener->reportErrors();
    // One report at a time, so that only one copy of a long temp list is held at once.
    if (options.largest) result.largest = largestFileRows(collections->largestFiles());
    if (options.oldest) result.oldest = oldestFileRows(collections->oldestFiles());
    if (options.types) result.types = fileTypeRows(collections->fileTypes());
    if (options.temp) result.temp = tempFileRows(collections->tempFiles());
    collections.reset();  // the scan thread let go of it when the walk ended
    sortForTerminal(result.largest, options, kLargestSortColumns, LargestColumn::Size, false);
    sortForTerminal(result.oldest, options, kOldestSortColumns, OldestColumn::Date, true);
    sortForTerminal(result.types, options, kTypeSortColumns, FileTypeColumn::Space, false);
    sortForTerminal(result.temp, options, kTempSortColumns, TempColumn::FullPath, true);

    printScanErrors(result.errors, errors);

    switch (options.format) {
        case OutputFormat::Json:
            printJson(options, result, out);
            break;
        case OutputFormat::Csv:
        case OutputFormat::Tsv:
            printDelimitedReport(options, result, out);
            break;
        case OutputFormat::Table:
            printTables(options, result, out);
            break;
    }
    if (std::fflush(out) != 0) {
        std::fputs("cannot write the output\n", errors);
        return kExitScanErrors;
    }
    if (result.stopped) return kExitInterrupted;
    return result.errors.empty() ? kExitOk : kExitScanErrors;
}

}  // namespace tarvolin::cli
