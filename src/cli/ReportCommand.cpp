#include "cli/ReportCommand.h"

#include <algorithm>
#include <array>
#include <memory>

#include "cli/CliListener.h"
#include "cli/CliOutput.h"
#include "cli/JsonWriter.h"
#include "common/SizeText.h"
#include "reports/MimeFileTypeName.h"
#include "reports/ReportCollections.h"
#include "reports/ReportRows.h"
#include "scan/CFolderEnumThread.h"
#include "scan/PosixDirectoryReader.h"

namespace tarvolin::cli {
namespace {

using namespace tarvolin::reports;

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

// Columns are padded by characters, not bytes, so that UTF-8 names line up.
std::size_t displayWidth(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// One report as a titled table; `numeric` columns align right.
template <std::size_t N>
void printTable(std::FILE* out, const char* title, const std::array<ReportColumn, N>& columns,
                const std::array<bool, N>& numeric,
                const std::vector<std::array<std::string, N>>& rows) {
    std::fprintf(out, "%s\n", title);
    std::array<std::size_t, N> widths{};
    for (std::size_t column = 0; column < N; ++column)
        widths[column] = displayWidth(columns[column].title);
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < N; ++column)
            widths[column] = std::max(widths[column], displayWidth(row[column]));
    }
    const auto printLine = [&](const auto& cell) {
        std::string line;
        for (std::size_t column = 0; column < N; ++column) {
            const std::string_view text = cell(column);
            const std::string padding(widths[column] - displayWidth(text), ' ');
            if (numeric[column]) line += padding;
            line += text;
            if (!numeric[column]) line += padding;
            if (column + 1 < N) line += "  ";
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        std::fprintf(out, "%s\n", line.c_str());
    };
    printLine([&](std::size_t column) { return std::string_view(columns[column].title); });
    for (const auto& row : rows)
        printLine([&](std::size_t column) { return std::string_view(row[column]); });
    if (rows.empty()) std::fprintf(out, "%s\n", kNoItemsText);
}

void printTables(const ReportOptions& options, const ReportResult& result, std::FILE* out) {
    bool first = true;
    const auto separate = [&] {
        if (!first) std::fputc('\n', out);
        first = false;
    };
    if (options.largest) {
        separate();
        std::vector<std::array<std::string, 4>> rows;
        for (const LargestFileRow& row : result.largest)
            rows.push_back({row.fileName, row.numberText, row.sizeText, row.fullPath});
        printTable(out, kLargestFilesTitle, kLargestFilesColumns, {false, true, true, false}, rows);
    }
    if (options.oldest) {
        separate();
        std::vector<std::array<std::string, 4>> rows;
        for (const OldestFileRow& row : result.oldest)
            rows.push_back({row.fileName, row.sizeText, localTimeText(row.time), row.fullPath});
        printTable(out, kOldestFilesTitle, kOldestFilesColumns, {false, true, false, false}, rows);
    }
    if (options.types) {
        separate();
        std::vector<std::array<std::string, 4>> rows;
        for (const FileTypeRow& row : result.types)
            rows.push_back({row.typeName, row.extension, row.countText, row.spaceText});
        printTable(out, kFileTypesTitle, kFileTypesColumns, {false, false, true, true}, rows);
    }
    if (options.temp) {
        separate();
        std::vector<std::array<std::string, 3>> rows;
        for (const TempFileRow& row : result.temp)
            rows.push_back({row.fileName, row.sizeText, row.fullPath});
        printTable(out, kTempFilesTitle, kTempFilesColumns, {false, true, false}, rows);
    }
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
            } else if (value == "json" || value == "table") {
                options.json = value == "json";
            } else {
                std::fprintf(errors, "unknown format: %.*s\n", static_cast<int>(value.size()),
                             value.data());
                return std::nullopt;
            }
        } else if (argument == "--largest") {
            options.largest = true;
        } else if (argument == "--oldest") {
            options.oldest = true;
        } else if (argument == "--types") {
            options.types = true;
        } else if (argument == "--temp") {
            options.temp = true;
        } else if (!havePath && (argument.empty() || argument[0] != '-' || argument == "-")) {
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
    if (!options.largest && !options.oldest && !options.types && !options.temp) {
        options.largest = options.oldest = options.types = options.temp = true;
    }
    return options;
}

int runReportCommand(const ReportOptions& options, std::FILE* out, std::FILE* errors) {
    const auto path = resolveFolderArgument(options.path, errors);
    if (!path) return kExitUsage;

    // Type names cost a MIME lookup per new extension; only the file types report shows them.
    auto collections = std::make_shared<ReportCollections>(
        options.types ? FileTypeNameFunction(mimeFileTypeName) : FileTypeNameFunction());
    if (options.mask) collections->setTempFileMask(*options.mask);

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
    thread.SubmitScanRequest(std::move(request));
    listener->wait(thread, interruptRequested, [&] {
        if (!progress.enabled()) return;
        const auto& counts = thread.progress();
        progress.show(formatCount(static_cast<std::int64_t>(counts.folders.load())) + " folders, " +
                      formatCount(static_cast<std::int64_t>(counts.files.load())) + " files  " +
                      listener->currentFolder());
    });
    progress.clear();

    ReportResult result;
    result.path = *path;
    result.stopped = listener->stopped();
    ReportSnapshot snapshot = collections->snapshot();
    if (options.largest) result.largest = largestFileRows(snapshot.largest);
    if (options.oldest) result.oldest = oldestFileRows(snapshot.oldest);
    if (options.types) result.types = fileTypeRows(snapshot.types);
    if (options.temp) result.temp = tempFileRows(snapshot.temp);

    if (options.json) {
        printJson(options, result, out);
    } else {
        printTables(options, result, out);
    }
    if (std::fflush(out) != 0) {
        std::fputs("cannot write the output\n", errors);
        return kExitScanErrors;
    }
    return result.stopped ? kExitInterrupted : kExitOk;
}

}  // namespace tarvolin::cli
