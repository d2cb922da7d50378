#include "cli/TreeCommand.h"

#include <cassert>
#include <cerrno>
#include <memory>

#include "cli/CliListener.h"
#include "cli/CliOutput.h"
#include "common/ErrorText.h"
#include "common/SizeText.h"
#include "exports/EscapedText.h"
#include "exports/FolderTreeText.h"
#include "scan/CFolderEnumThread.h"

namespace tarvolin::cli {
namespace {

// Writes lines from the scan thread while the walk goes on; remembers the first write error.
// A file gets the names' raw bytes (it is a record); a terminal gets control characters escaped.
class TreeWriter {
public:
    TreeWriter(std::FILE* stream, const char* lineEnd)
        : m_stream(stream), m_lineEnd(lineEnd), m_escape(isTerminal(stream)) {}

    void write(std::string_view name, int depth) {
        const std::string line =
            exports::folderTreeLine(m_escape ? exports::escapeControls(name) : std::string(name),
                                    depth) +
            m_lineEnd;
        if (std::fwrite(line.data(), 1, line.size(), m_stream) != line.size() && m_error == 0) {
            m_error = errno != 0 ? errno : EIO;
        }
    }
    // Only after the walk has ended.
    int finish() {
        if (std::fflush(m_stream) != 0 && m_error == 0) m_error = errno != 0 ? errno : EIO;
        return m_error;
    }

private:
    std::FILE* m_stream;
    const char* m_lineEnd;
    bool m_escape;
    int m_error = 0;
};

}  // namespace

int runTreeCommand(const std::vector<std::string_view>& arguments, std::FILE* out,
                   std::FILE* errors) {
    std::string pathArgument;
    std::string outputFile;
    bool havePath = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "-o" && i + 1 < arguments.size()) {
            outputFile = std::string(arguments[++i]);
        } else if (!takePathArgument(arguments[i], havePath, pathArgument, errors)) {
            return kExitUsage;
        }
    }
    if (!havePath) {
        std::fputs("tree needs a PATH\n", errors);
        return kExitUsage;
    }
    const auto path = resolveFolderArgument(pathArgument, errors);
    if (!path) return kExitUsage;

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, &std::fclose);
    if (!outputFile.empty()) {
        file.reset(std::fopen(outputFile.c_str(), "wb"));
        if (!file) {
            std::fprintf(errors, "%s: %s\n", outputFile.c_str(), systemErrorText(errno).c_str());
            return kExitUsage;
        }
    }
    TreeWriter writer(file ? file.get() : out, file ? "\r\n" : "\n");
    writer.write(*path, 0);

    scan::CFolderEnumThread thread;
    thread.start();
    ProgressLine progress(errors);
    auto listener = std::make_shared<CliListener>(
        [&writer](std::string_view name, int depth) { writer.write(name, depth); },
        progress.enabled());
    installInterruptHandler();

    scan::ScanRequest request;
    request.path = *path;
    request.listener = listener;
    request.mode = scan::ScanMode::Report;
    [[maybe_unused]] const std::uint32_t refused = thread.SubmitScanRequest(std::move(request));
    assert(refused == 0);  // it has a listener
    listener->waitShowingProgress(thread, progress);

    const std::vector<scan::ScanError> walkErrors = listener->reportErrors();
    printScanErrors(walkErrors, errors);
    int writeError = writer.finish();
    if (file && std::fclose(file.release()) != 0 && writeError == 0) writeError = errno;
    if (writeError != 0) {
        std::fprintf(errors, "%s: %s\n", outputFile.empty() ? "stdout" : outputFile.c_str(),
                     systemErrorText(writeError).c_str());
        return kExitScanErrors;
    }
    if (listener->stopped()) return kExitInterrupted;
    return walkErrors.empty() ? kExitOk : kExitScanErrors;
}

}  // namespace tarvolin::cli
