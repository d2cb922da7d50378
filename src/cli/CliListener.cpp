#include "cli/CliListener.h"

#include <cassert>

#include <chrono>

#include "common/SizeText.h"

namespace tarvolin::cli {

void CliListener::enteringFolder(const std::string& path) {
    if (!m_trackCurrentFolder) return;
    std::lock_guard lock(m_mutex);
    m_currentFolder = path;
}

void CliListener::scanComplete(bool stopped, const scan::ScanNode* root) {
    {
        std::lock_guard lock(m_mutex);
        if (root != nullptr) {
            m_rootTotals = scan::ScanTotals{root->size, root->fileCount, root->folderCount};
        }
    }
    complete(stopped);
}

void CliListener::reportFolderEntered(std::string_view name, int depth) {
    if (m_onReportFolder) m_onReportFolder(name, depth);
    if (!m_trackCurrentFolder) return;
    std::lock_guard lock(m_mutex);
    m_currentFolder = name;
}

void CliListener::reportError(std::uint32_t code, const std::string& path) {
    std::lock_guard lock(m_mutex);
    m_reportErrors.push_back(scan::ScanError{code, path, {}});
}

std::vector<scan::ScanError> CliListener::reportErrors() const {
    std::lock_guard lock(m_mutex);
    return m_reportErrors;
}

void CliListener::reportComplete(bool stopped) {
    complete(stopped);
}

void CliListener::complete(bool stopped) {
    std::lock_guard lock(m_mutex);
    m_done = true;
    m_stopped = stopped;
    m_completed.notify_all();
}

bool CliListener::wait(scan::CFolderEnumThread& thread, const std::function<bool()>& interrupted,
                       const std::function<void()>& tick) {
    bool stopRequested = false;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_completed.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_done; })) {
            return true;
        }
        lock.unlock();
        if (!stopRequested && interrupted()) {
            thread.stopScan();
            stopRequested = true;
        }
        const bool idle = stopRequested && !thread.hasWork();
        if (tick) tick();
        lock.lock();
        if (idle && !m_done) {
            m_stopped = true;
            return false;
        }
    }
}

bool CliListener::waitShowingProgress(scan::CFolderEnumThread& thread, ProgressLine& progress) {
    const bool completed = wait(thread, interruptRequested, [&] {
        if (!progress.enabled()) return;
        const auto& counts = thread.progress();
        progress.show(formatCount(static_cast<std::int64_t>(counts.folders.load())) + " folders, " +
                      formatCount(static_cast<std::int64_t>(counts.files.load())) + " files  " +
                      currentFolder());
    });
    progress.clear();
    return completed;
}

bool CliListener::stopped() const {
    std::lock_guard lock(m_mutex);
    return m_stopped;
}

std::optional<scan::ScanTotals> CliListener::rootTotals() const {
    std::lock_guard lock(m_mutex);
    return m_rootTotals;
}

std::string CliListener::currentFolder() const {
    std::lock_guard lock(m_mutex);
    return m_currentFolder;
}

std::shared_ptr<CliListener> scanFolderWaiting(
    scan::CFolderEnumThread& thread, const std::string& path,
    const std::shared_ptr<scan::CTarvolinDoc>& document, std::FILE* errors,
    const std::function<std::shared_ptr<scan::ScanListener>(std::shared_ptr<scan::ScanListener>)>&
        wrap,
    bool cacheListedOnly) {
    thread.start();
    ProgressLine progress(errors);
    auto listener =
        std::make_shared<CliListener>(CliListener::ReportFolderCallback{}, progress.enabled());
    installInterruptHandler();
    scan::ScanRequest request;
    request.path = path;
    request.listener = wrap ? wrap(listener) : listener;
    request.document = document;
    request.cacheListedOnly = cacheListedOnly;
    [[maybe_unused]] const std::uint32_t refused = thread.SubmitScanRequest(std::move(request));
    assert(refused == 0);  // it has a listener
    listener->waitShowingProgress(thread, progress);
    return listener;
}

}  // namespace tarvolin::cli
