// RecordingListener: remembers every call of the scan thread, for tests to wait on and inspect.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "scan/ScanListener.h"

namespace tarvolin::test {

class RecordingListener : public scan::ScanListener {
public:
    struct Completion {
        bool stopped = false;
        std::optional<scan::ScanTotals> root;  // none when the root node was null
    };

    void scanStarting(const std::string& path) override;
    void enteringFolder(const std::string& path) override;
    void scanComplete(bool stopped, const scan::ScanNode* root) override;
    void reportFolderEntered(std::string_view name, int depth) override;
    void reportError(std::uint32_t code, const std::string& path) override;
    void reportComplete(bool stopped) override;

    // Waits for the n-th completion (1-based) of either kind; false after `timeoutMs`.
    bool waitForCompletions(std::size_t count, int timeoutMs = 10000);

    std::vector<std::string> started() const;
    std::vector<std::string> entered() const;
    std::vector<Completion> completions() const;
    // "name@depth" per report folder, in order.
    std::vector<std::string> reportFolders() const;
    // "path:code" per report error, in order.
    std::vector<std::string> reportErrors() const;

    // Runs on the scan thread inside enteringFolder, e.g. to stop the scan at a chosen point.
    std::function<void(const std::string&)> onEntering;
    // Runs on the scan thread inside scanStarting, after it was recorded.
    std::function<void()> onStarting;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_started;
    std::vector<std::string> m_entered;
    std::vector<Completion> m_completions;
    std::vector<std::string> m_reportFolders;
    std::vector<std::string> m_reportErrors;
};

}  // namespace tarvolin::test
