// Helpers shared by the terminal commands: arguments, Ctrl+C, progress and exit codes.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/ScanNode.h"

#include "exports/JsonWriter.h"
#include "exports/ListTable.h"

namespace tarvolin::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitScanErrors = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

inline constexpr char kPathMissingText[] =
    "The path entered does not exist or is currently inaccessible.";
inline constexpr char kPathNotFolderText[] = "The path entered is not a folder.";
inline constexpr char kNoCurrentFolderText[] = "The current folder cannot be determined";

// PATH made absolute and clean (one trailing "/" removed, "/" kept). A symlink to a folder is
// accepted and followed by the scan. On failure writes the reason to `errors` and returns none.
std::optional<std::string> resolveFolderArgument(std::string_view argument, std::FILE* errors);

enum class OutputFormat { Table, Json, Csv, Tsv };

// The value of --format: "table", "json", "csv" or "tsv"; otherwise the reason goes to `errors`
// and the result is none.
std::optional<OutputFormat> parseOutputFormat(std::string_view value, std::FILE* errors);

// The options of comma- and tab-separated output: --quote wraps every field in quotes,
// --no-headers leaves out the title line.
struct DelimitedOptions {
    bool quoteFields = false;
    bool includeHeaders = true;
};

// Takes --quote or --no-headers; false for any other argument.
bool takeDelimitedOption(std::string_view argument, DelimitedOptions& options);
// --quote and --no-headers only mean something for csv and tsv; writes why otherwise.
bool checkDelimitedOptions(OutputFormat format, const DelimitedOptions& options, std::FILE* errors);

// A list as comma- (Csv) or tab-separated (Tsv) lines ending in "\n".
void printDelimited(const exports::ListTable& table, OutputFormat format,
                    const DelimitedOptions& options, std::FILE* out);

// A PATH argument rather than an option ("-" alone is a path).
inline bool isPathArgument(std::string_view argument) {
    return argument.empty() || argument[0] != '-' || argument == "-";
}

bool isTerminal(std::FILE* stream);

// Each error as "PATH: TEXT (code: N)", in order; paths escaped when `errors` is a terminal.
void printScanErrors(const std::vector<scan::ScanError>& list, std::FILE* errors);

// The last branch of every command's argument loop: the first PATH argument goes to `path`;
// anything else is refused on `errors` with "unexpected argument: ...". False when refused.
bool takePathArgument(std::string_view argument, bool& havePath, std::string& path,
                      std::FILE* errors);

// The "errors" array every command's JSON ends with: path, code and the system's text of each.
void writeErrorsJson(exports::JsonWriter& json, const std::vector<scan::ScanError>& errors);

// Ctrl+C sets a flag that the waiting loop turns into a stop of the walk.
void installInterruptHandler();
bool interruptRequested();

// "2024-03-01 14:05" in local time.
std::string localTimeText(std::int64_t seconds);

// One self-overwriting status line on a terminal, redrawn at most 10 times a second; does
// nothing when the stream is not a terminal.
class ProgressLine {
public:
    explicit ProgressLine(std::FILE* stream);
    ~ProgressLine();
    bool enabled() const { return m_stream != nullptr; }
    void show(std::string_view text);
    void clear();

private:
    std::FILE* m_stream;  // null when not a terminal
    std::chrono::steady_clock::time_point m_lastDraw{};
    bool m_drawn = false;
};

}  // namespace tarvolin::cli
