#include "cli/ScanCommand.h"

#include <algorithm>
#include <memory>

#include "cli/CliListener.h"
#include "cli/CliOutput.h"
#include "cli/HistoryCommand.h"
#include "common/SizeText.h"
#include "exports/JsonWriter.h"
#include "exports/ListTable.h"
#include "exports/TextTable.h"
#include "scan/CFolderEnumThread.h"
#include "scan/DetailsRows.h"
#include "scan/PosixDirectoryReader.h"

namespace tarvolin::cli {
namespace {

using exports::Align;
using exports::JsonWriter;
using exports::writeTextTable;
using scan::ScanNode;
using scan::SortKey;

std::optional<SortKey> sortKeyNamed(std::string_view name) {
    if (name == "name") return SortKey::Name;
    if (name == "size") return SortKey::Size;
    if (name == "change") return SortKey::LastChange;
    if (name == "files") return SortKey::Files;
    if (name == "folders") return SortKey::Folders;
    return std::nullopt;
}

struct ScanResult {
    std::string path;
    bool stopped = false;
    scan::ScanTotals totals;
    std::vector<ScanNode> folders;
    std::vector<ScanNode> files;
    std::vector<scan::ScanError> errors;
};

void printTable(const ScanResult& result, std::FILE* out) {
    struct Row {
        std::string cells[6];
        bool blank = false;
    };
    std::vector<Row> rows;
    Row titles;
    std::copy(scan::kDetailsColumnTitles.begin(), scan::kDetailsColumnTitles.end(), titles.cells);
    rows.push_back(std::move(titles));
    for (const auto* list : {&result.folders, &result.files}) {
        for (const ScanNode& node : *list) {
            auto texts = scan::detailsRowTexts(node, result.totals.size, localTimeText);
            rows.push_back({});
            std::move(texts.begin(), texts.end(), rows.back().cells);
        }
    }
    rows.push_back(
        {{"Total", formatSize(result.totals.size), "", formatCount(result.totals.fileCount),
          formatCount(result.totals.folderCount), ""}});

    // A blank line sets the total apart from the children.
    rows.insert(rows.end() - 1, Row{{}, true});
    writeTextTable(
        out, {Align::Left, Align::Right, Align::Left, Align::Right, Align::Right, Align::Right},
        rows.size(), [&rows](std::size_t r, std::vector<std::string_view>& cells) {
            if (rows[r].blank) return;
            cells.assign(std::begin(rows[r].cells), std::end(rows[r].cells));
        });
}

// The rows as the details view lists them, without the total line.
void printDelimitedRows(const ScanResult& result, const ScanOptions& options, std::FILE* out) {
    exports::CellTable table(std::vector<std::string>(scan::kDetailsColumnTitles.begin(),
                                                      scan::kDetailsColumnTitles.end()));
    for (const auto* list : {&result.folders, &result.files}) {
        for (const ScanNode& node : *list)
            table.addRow(scan::detailsRowTexts(node, result.totals.size, localTimeText));
    }
    printDelimited(table, options.format, options.delimited, out);
}

void printJson(const ScanResult& result, std::FILE* out) {
    JsonWriter json(out);
    json.beginObject();
    json.field("path", result.path);
    json.field("size", result.totals.size);
    json.field("files", result.totals.fileCount);
    json.field("folders", result.totals.folderCount);
    json.field("stopped", result.stopped);
    json.beginArray("children");
    for (const auto* list : {&result.folders, &result.files}) {
        for (const ScanNode& node : *list) {
            json.beginObject();
            json.field("name", node.displayName());
            json.field("path", node.path());
            json.field("type", node.isFolder() ? "folder" : "file");
            json.field("size", node.size);
            json.field("files", node.fileCount);
            json.field("folders", node.folderCount);
            json.field("lastChange", node.lastWriteTime);
            json.field("attributes", node.attributes);
            json.endObject();
        }
    }
    json.endArray();
    writeErrorsJson(json, result.errors);
    json.endObject();
    std::fputc('\n', out);
}

}  // namespace

std::optional<ScanOptions> parseScanArguments(const std::vector<std::string_view>& arguments,
                                              std::FILE* errors) {
    ScanOptions options;
    bool havePath = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--sort" || argument == "--format" || argument == "--db") {
            if (i + 1 >= arguments.size()) {
                std::fprintf(errors, "%.*s needs a value\n", static_cast<int>(argument.size()),
                             argument.data());
                return std::nullopt;
            }
            const std::string_view value = arguments[++i];
            if (argument == "--db") {
                options.database = std::string(value);
            } else if (argument == "--sort") {
                options.sortKey = sortKeyNamed(value);
                if (!options.sortKey) {
                    std::fprintf(errors, "unknown sort key: %.*s\n", static_cast<int>(value.size()),
                                 value.data());
                    return std::nullopt;
                }
            } else {
                const auto format = parseOutputFormat(value, errors);
                if (!format) return std::nullopt;
                options.format = *format;
            }
        } else if (takeDelimitedOption(argument, options.delimited)) {
        } else if (argument == "--ascending" || argument == "--descending") {
            options.ascending = argument == "--ascending";
        } else if (argument == "--save") {
            options.save = true;
        } else if (argument == "--no-files") {
            options.includeFiles = false;
        } else if (!takePathArgument(argument, havePath, options.path, errors)) {
            return std::nullopt;
        }
    }
    if (!havePath) {
        std::fputs("scan needs a PATH\n", errors);
        return std::nullopt;
    }
    if (!checkDelimitedOptions(options.format, options.delimited, errors)) return std::nullopt;
    return options;
}

int runScanCommand(const ScanOptions& options, std::FILE* out, std::FILE* errors) {
    const auto path = resolveFolderArgument(options.path, errors);
    if (!path) return kExitUsage;

    scan::CFolderEnumThread thread;
    auto document = std::make_shared<scan::CTarvolinDoc>();
    SnapshotCapture capture;
    const auto listener = scanFolderWaiting(
        thread, *path, document, errors,
        [&](std::shared_ptr<scan::ScanListener> inner) {
            return options.save ? capture.wrap(std::move(inner)) : inner;
        },
        !options.save);  // the history keeps every folder

    ScanResult result;
    result.path = *path;
    result.stopped = listener->stopped();
    result.totals = listener->rootTotals().value_or(scan::ScanTotals{});
    result.errors = thread.errors();
    if (options.sortKey) document->SortChildren(*options.sortKey, options.ascending);
    result.folders = document->foldersSnapshot();
    if (options.includeFiles) result.files = document->filesSnapshot();

    printScanErrors(result.errors, errors);
    switch (options.format) {
        case OutputFormat::Json:
            printJson(result, out);
            break;
        case OutputFormat::Csv:
        case OutputFormat::Tsv:
            printDelimitedRows(result, options, out);
            break;
        case OutputFormat::Table:
            printTable(result, out);
            break;
    }
    if (std::fflush(out) != 0) {
        std::fputs("cannot write the output\n", errors);
        return kExitScanErrors;
    }
    if (result.stopped) return kExitInterrupted;
    if (options.save) {
        const auto snapshot = capture.take(thread);
        if (!snapshot) return kExitScanErrors;
        if (saveSnapshot(*snapshot, historyDatabasePath(options.database), errors) != kExitOk) {
            return kExitNotSaved;
        }
    }
    return result.errors.empty() ? kExitOk : kExitScanErrors;
}

}  // namespace tarvolin::cli
