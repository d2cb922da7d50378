#include "cli/CliOutput.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>

#include "common/ErrorText.h"
#include "common/PathText.h"
#include "exports/EscapedText.h"
#include "exports/ListExportText.h"
#include "scan/PosixDirectoryReader.h"

namespace tarvolin::cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) {
    g_interrupted = 1;
}

// None, with errno set, when the current folder has been deleted or cannot be read.
std::optional<std::string> currentDirectory() {
    std::string buffer(4096, '\0');
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
}

// stat() of a path of any length: beyond PATH_MAX the folder holding the last name is opened
// one component at a time, as the walk opens it.
int statAnyLength(const std::string& path, struct stat& info) {
    if (path.size() < PATH_MAX) return stat(path.c_str(), &info);
    const std::size_t slash = path.rfind('/');
    const int folder = scan::openDirectoryPath(path.substr(0, std::max<std::size_t>(slash, 1)));
    if (folder < 0) return -1;
    const int result = fstatat(folder, path.c_str() + slash + 1, &info, 0);
    const int savedErrno = errno;
    close(folder);
    errno = savedErrno;
    return result;
}

std::size_t terminalWidth(std::FILE* stream) {
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 10) return size.ws_col;
    return 80;
}

}  // namespace

bool isTerminal(std::FILE* stream) {
    return stream != nullptr && isatty(fileno(stream)) != 0;
}

void printScanErrors(const std::vector<scan::ScanError>& list, std::FILE* errors) {
    const bool escape = isTerminal(errors);
    for (const scan::ScanError& error : list) {
        std::fprintf(errors, "%s: %s (code: %u)\n",
                     escape ? exports::escapeControls(error.path).c_str() : error.path.c_str(),
                     systemErrorText(static_cast<int>(error.code)).c_str(),
                     static_cast<unsigned>(error.code));
    }
}

std::optional<std::string> resolveFolderArgument(std::string_view argument, std::FILE* errors) {
    std::string path;
    if (!argument.empty() && argument[0] == '/') {
        path = absoluteCleanPath(argument, "/");
    } else if (!argument.empty()) {
        // Resolving against anything else would scan a folder the user did not name.
        const auto current = currentDirectory();
        if (!current) {
            std::fprintf(errors, "%s: %s\n", kNoCurrentFolderText, systemErrorText(errno).c_str());
            return std::nullopt;
        }
        path = absoluteCleanPath(argument, *current);
    }
    struct stat info {};
    if (path.empty() || statAnyLength(path, info) != 0) {
        std::fprintf(errors, "%s\n", kPathMissingText);
        return std::nullopt;
    }
    if (!S_ISDIR(info.st_mode)) {
        std::fprintf(errors, "%s\n", kPathNotFolderText);
        return std::nullopt;
    }
    return path;
}

std::optional<OutputFormat> parseOutputFormat(std::string_view value, std::FILE* errors) {
    if (value == "table") return OutputFormat::Table;
    if (value == "json") return OutputFormat::Json;
    if (value == "csv") return OutputFormat::Csv;
    if (value == "tsv") return OutputFormat::Tsv;
    std::fprintf(errors, "unknown format: %.*s\n", static_cast<int>(value.size()), value.data());
    return std::nullopt;
}

bool takeDelimitedOption(std::string_view argument, DelimitedOptions& options) {
    if (argument == "--quote") {
        options.quoteFields = true;
        return true;
    }
    if (argument == "--no-headers") {
        options.includeHeaders = false;
        return true;
    }
    return false;
}

bool checkDelimitedOptions(OutputFormat format, const DelimitedOptions& options,
                           std::FILE* errors) {
    const bool delimited = format == OutputFormat::Csv || format == OutputFormat::Tsv;
    if (delimited || (!options.quoteFields && options.includeHeaders)) return true;
    std::fputs("--quote and --no-headers need --format csv or tsv\n", errors);
    return false;
}

void printDelimited(const exports::ListTable& table, OutputFormat format,
                    const DelimitedOptions& options, std::FILE* out) {
    exports::ExportTextOptions text;
    text.separator = format == OutputFormat::Tsv ? "\t" : ",";
    text.lineEnd = "\n";
    text.includeHeaders = options.includeHeaders;
    text.quoteFields = options.quoteFields;
    const std::string lines = exports::ListExportText(table, text);
    std::fwrite(lines.data(), 1, lines.size(), out);
}

void installInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool interruptRequested() {
    return g_interrupted != 0;
}

std::string localTimeText(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr) return "?";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

ProgressLine::ProgressLine(std::FILE* stream)
    : m_stream(stream != nullptr && isatty(fileno(stream)) ? stream : nullptr) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::show(std::string_view text) {
    if (m_stream == nullptr) return;
    const auto now = std::chrono::steady_clock::now();
    if (m_drawn && now - m_lastDraw < std::chrono::milliseconds(100)) return;
    m_lastDraw = now;
    m_drawn = true;
    // Cut to the terminal's width so that the line never wraps and can be overwritten.
    const std::size_t width = terminalWidth(m_stream) - 1;
    std::string shown = exports::escapeControls(text);  // the current folder's name is the disk's
    if (shown.size() > width) shown.resize(width);
    std::fprintf(m_stream, "\r\033[K%s", shown.c_str());
    std::fflush(m_stream);
}

void ProgressLine::clear() {
    if (m_stream == nullptr || !m_drawn) return;
    std::fputs("\r\033[K", m_stream);
    std::fflush(m_stream);
    m_drawn = false;
}

bool takePathArgument(std::string_view argument, bool& havePath, std::string& path,
                      std::FILE* errors) {
    if (!havePath && isPathArgument(argument)) {
        path = std::string(argument);
        havePath = true;
        return true;
    }
    std::fprintf(errors, "unexpected argument: %.*s\n", static_cast<int>(argument.size()),
                 argument.data());
    return false;
}

void writeErrorsJson(exports::JsonWriter& json, const std::vector<scan::ScanError>& errors) {
    json.beginArray("errors");
    for (const scan::ScanError& error : errors) {
        json.beginObject();
        json.field("path", error.path);
        json.field("code", error.code);
        json.field("message", systemErrorText(static_cast<int>(error.code)));
        json.endObject();
    }
    json.endArray();
}

}  // namespace tarvolin::cli
