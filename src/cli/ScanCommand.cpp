#include "cli/ScanCommand.h"

#include <algorithm>
#include <cassert>
#include <cinttypes>
#include <memory>

#include "cli/CliListener.h"
#include "cli/CliOutput.h"
#include "common/ErrorText.h"
#include "common/SizeText.h"
#include "exports/JsonWriter.h"
#include "exports/TextTable.h"
#include "scan/CFolderEnumThread.h"
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

std::string percentOfParent(std::int64_t size, std::int64_t parentSize) {
    const double share =
        parentSize > 0 ? 100.0 * static_cast<double>(size) / static_cast<double>(parentSize) : 0.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f %%", share);
    return text;
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
    rows.push_back({{"Folder", "Size", "Last Change", "Files", "Folders", "% of Parent"}});
    for (const auto* list : {&result.folders, &result.files}) {
        for (const ScanNode& node : *list) {
            rows.push_back(
                {{std::string(node.displayName()), formatSize(node.size),
                  localTimeText(node.lastWriteTime), formatCount(node.fileCount),
                  formatCount(node.folderCount), percentOfParent(node.size, result.totals.size)}});
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
            json.field("path", node.path);
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
    json.beginArray("errors");
    for (const scan::ScanError& error : result.errors) {
        json.beginObject();
        json.field("path", error.path);
        json.field("code", error.code);
        json.field("message", systemErrorText(static_cast<int>(error.code)));
        json.endObject();
    }
    json.endArray();
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
        if (argument == "--sort" || argument == "--format") {
            if (i + 1 >= arguments.size()) {
                std::fprintf(errors, "%.*s needs a value\n", static_cast<int>(argument.size()),
                             argument.data());
                return std::nullopt;
            }
            const std::string_view value = arguments[++i];
            if (argument == "--sort") {
                options.sortKey = sortKeyNamed(value);
                if (!options.sortKey) {
                    std::fprintf(errors, "unknown sort key: %.*s\n", static_cast<int>(value.size()),
                                 value.data());
                    return std::nullopt;
                }
            } else {
                const auto json = parseJsonFormat(value, errors);
                if (!json) return std::nullopt;
                options.json = *json;
            }
        } else if (argument == "--ascending" || argument == "--descending") {
            options.ascending = argument == "--ascending";
        } else if (argument == "--no-files") {
            options.includeFiles = false;
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
        std::fputs("scan needs a PATH\n", errors);
        return std::nullopt;
    }
    return options;
}

int runScanCommand(const ScanOptions& options, std::FILE* out, std::FILE* errors) {
    const auto path = resolveFolderArgument(options.path, errors);
    if (!path) return kExitUsage;

    scan::raiseOpenFileLimit();
    scan::CFolderEnumThread thread;
    thread.start();
    auto document = std::make_shared<scan::CTarvolinDoc>();
    ProgressLine progress(errors);
    auto listener =
        std::make_shared<CliListener>(CliListener::ReportFolderCallback{}, progress.enabled());
    installInterruptHandler();
    [[maybe_unused]] const std::uint32_t refused =
        thread.startFolderScan(*path, false, listener, document);
    assert(refused == 0);  // it has a listener
    listener->waitShowingProgress(thread, progress);

    ScanResult result;
    result.path = *path;
    result.stopped = listener->stopped();
    result.totals = listener->rootTotals().value_or(scan::ScanTotals{});
    result.errors = thread.errors();
    if (options.sortKey) document->SortChildren(*options.sortKey, options.ascending);
    result.folders = document->foldersSnapshot();
    if (options.includeFiles) result.files = document->filesSnapshot();

    for (const scan::ScanError& error : result.errors) {
        std::fprintf(errors, "%s: %s (code: %" PRIu32 ")\n", error.path.c_str(),
                     systemErrorText(static_cast<int>(error.code)).c_str(), error.code);
    }
    if (options.json) {
        printJson(result, out);
    } else {
        printTable(result, out);
    }
    if (std::fflush(out) != 0) {
        std::fputs("cannot write the output\n", errors);
        return kExitScanErrors;
    }
    if (result.stopped) return kExitInterrupted;
    return result.errors.empty() ? kExitOk : kExitScanErrors;
}

}  // namespace tarvolin::cli
