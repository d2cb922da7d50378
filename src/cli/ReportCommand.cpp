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
#include "scan/PosixDirectoryReader.h"

namespace tarvolin::cli {
namespace {

using namespace tarvolin::reports;
using exports::JsonWriter;

constexpr char kNoValidMaskText[] = "The temp file mask provided appears to have no valid entries.";
constexpr char kNoItemsText[] = "There are no items to display.";

struct ReportResult {
    std::string path;
    bool stopped = false;
    std::vector<LargestFileRow> largest;
    std::vector<OldestFileRow> oldest;
    std::vector<FileTypeRow> types;
    std::vector<TempFileRow> temp;
};

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
        if (argument == "--format" || argument == "--mask") {
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
            } else {
                const auto format = parseOutputFormat(value, errors);
                if (!format) return std::nullopt;
                options.format = *format;
            }
        } else if (takeDelimitedOption(argument, options.delimited)) {
        } else if (argument == "--largest") {
            options.largest = true;
        } else if (argument == "--oldest") {
            options.oldest = true;
        } else if (argument == "--types") {
            options.types = true;
        } else if (argument == "--temp") {
            options.temp = true;
        } else if (!havePath && isPathArgument(argument)) {
            options.path = std::string(argument);
            havePath = true;
        } else {
            std::fprintf(errors, "unexpected argument: %.*s\n", static_cast<int>(argument.size()),
                         argument.data());
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

    scan::raiseOpenFileLimit();
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
    // One report at a time, so that only one copy of a long temp list is held at once.
    if (options.largest) result.largest = largestFileRows(collections->largestFiles());
    if (options.oldest) result.oldest = oldestFileRows(collections->oldestFiles());
    if (options.types) result.types = fileTypeRows(collections->fileTypes());
    if (options.temp) result.temp = tempFileRows(collections->tempFiles());
    collections.reset();  // the scan thread let go of it when the walk ended

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
    return result.stopped ? kExitInterrupted : kExitOk;
}

}  // namespace tarvolin::cli
