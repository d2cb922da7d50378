// CliListener: waits for one request of the scan thread on behalf of a terminal command.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOutput.h"
#include "scan/CFolderEnumThread.h"
#include "scan/ScanListener.h"

namespace tarvolin::cli {

// Receives the scan thread's calls (on the scan thread) and lets the main thread wait for the
// end. Report folder lines are handed to `onReportFolder` in walk order, on the scan thread.
class CliListener final : public scan::ScanListener {
public:
    using ReportFolderCallback = std::function<void(std::string_view name, int depth)>;

    explicit CliListener(ReportFolderCallback onReportFolder = {}, bool trackCurrentFolder = false)
        : m_onReportFolder(std::move(onReportFolder)), m_trackCurrentFolder(trackCurrentFolder) {}

    void enteringFolder(const std::string& path) override;
    void scanComplete(bool stopped, const scan::ScanNode* root) override;
    void reportFolderEntered(std::string_view name, int depth) override;
    void reportError(std::uint32_t code, const std::string& path) override;
    void reportComplete(bool stopped) override;

    // Waits until the request has completed, or until `thread` has no work left (a request
    // dropped by a stop before it was taken up). Polls every 100 ms: calls `tick` each time,
    // and stops the scan once when `interrupted` says so. True when the request completed.
    bool wait(scan::CFolderEnumThread& thread, const std::function<bool()>& interrupted,
              const std::function<void()>& tick);
    // wait() for a terminal command, which installed the Ctrl+C handler before it submitted:
    // Ctrl+C stops the walk, and `progress` shows the counts and the current folder until the
    // end, when it is cleared.
    bool waitShowingProgress(scan::CFolderEnumThread& thread, ProgressLine& progress);

    bool stopped() const;
    std::optional<scan::ScanTotals> rootTotals() const;
    std::string currentFolder() const;
    // A report walk's errors, in walk order.
    std::vector<scan::ScanError> reportErrors() const;

private:
    void complete(bool stopped);

    ReportFolderCallback m_onReportFolder;
    bool m_trackCurrentFolder;
    mutable std::mutex m_mutex;
    std::condition_variable m_completed;
    bool m_done = false;
    bool m_stopped = false;
    std::optional<scan::ScanTotals> m_rootTotals;
    std::string m_currentFolder;
    std::vector<scan::ScanError> m_reportErrors;
};

// The folder scan of a terminal command: starts `thread`, scans `path` into `document` and waits,
// with the progress line on `errors` and Ctrl+C stopping the walk. `wrap`, when given, puts a
// listener of its own around the terminal's (the scan history's capture does). With
// `cacheListedOnly`, only the folders of `document` outlive the walk. Returns the terminal's
// listener, which holds what the scan found.
std::shared_ptr<CliListener> scanFolderWaiting(
    scan::CFolderEnumThread& thread, const std::string& path,
    const std::shared_ptr<scan::CTarvolinDoc>& document, std::FILE* errors,
    const std::function<std::shared_ptr<scan::ScanListener>(std::shared_ptr<scan::ScanListener>)>&
        wrap = {},
    bool cacheListedOnly = false);

}  // namespace tarvolin::cli
