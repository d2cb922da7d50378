#include "scan/GuiScanListener.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

namespace tarvolin::scan {

struct GuiScanListener::Shared {
    QObject* context;  // valid while !detached; posted to only under `mutex`
    Handlers handlers;
    std::mutex mutex;
    std::condition_variable delivered;
    bool detached = false;
    std::string latestFolder;
    bool folderPosted = false;
    std::vector<ReportFolderLine> reportLines;
    bool linesPosted = false;

    bool goneLocked() const { return detached || QCoreApplication::closingDown(); }

    // Mutex held: detach() cannot complete while a call is being queued to the context.
    template <class Call>
    bool post(Call&& call) {
        if (goneLocked()) return false;
        return QMetaObject::invokeMethod(context, std::forward<Call>(call), Qt::QueuedConnection);
    }

    std::vector<ReportFolderLine> takeLines() {
        std::lock_guard lock(mutex);
        linesPosted = false;
        return std::exchange(reportLines, {});
    }
    bool isDetached() {
        std::lock_guard lock(mutex);
        return detached;
    }
};

namespace {

// Runs `call` on the context's thread and waits for it in slices, giving up once gone.
template <class Shared>
void deliverBlocking(const std::shared_ptr<Shared>& shared, std::function<void()> call) {
    auto done = std::make_shared<bool>(false);  // guarded by shared->mutex
    std::unique_lock lock(shared->mutex);
    const bool queued = shared->post([shared, call = std::move(call), done] {
        if (!shared->isDetached()) call();
        std::lock_guard inner(shared->mutex);
        *done = true;
        shared->delivered.notify_all();
    });
    if (!queued) return;
    while (!*done && !shared->goneLocked()) {
        shared->delivered.wait_for(lock, std::chrono::milliseconds(50));
    }
}

}  // namespace

GuiScanListener::GuiScanListener(QObject* context, Handlers handlers)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->context = context;
    m_shared->handlers = std::move(handlers);
}

GuiScanListener::~GuiScanListener() {
    detach();
}

void GuiScanListener::detach() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->detached = true;
    m_shared->delivered.notify_all();
}

void GuiScanListener::scanStarting(const std::string& path) {
    if (!m_shared->handlers.scanStarting) return;
    const auto shared = m_shared;
    deliverBlocking(shared, [shared, path] { shared->handlers.scanStarting(path); });
}

void GuiScanListener::enteringFolder(const std::string& path) {
    if (!m_shared->handlers.enteringFolder) return;
    std::lock_guard lock(m_shared->mutex);
    m_shared->latestFolder = path;
    if (m_shared->folderPosted) return;
    const auto shared = m_shared;
    m_shared->folderPosted = m_shared->post([shared] {
        std::string latest;
        {
            std::lock_guard inner(shared->mutex);
            if (shared->detached) return;
            latest.swap(shared->latestFolder);
            shared->folderPosted = false;
        }
        shared->handlers.enteringFolder(latest);
    });
}

void GuiScanListener::scanComplete(bool stopped, const ScanNode* root) {
    if (!m_shared->handlers.scanComplete) return;
    std::optional<ScanTotals> totals;
    if (root != nullptr) totals = ScanTotals{root->size, root->fileCount, root->folderCount};
    const auto shared = m_shared;
    deliverBlocking(shared,
                    [shared, stopped, totals] { shared->handlers.scanComplete(stopped, totals); });
}

void GuiScanListener::reportFolderEntered(std::string_view name, int depth) {
    if (!m_shared->handlers.reportFolders) return;
    std::lock_guard lock(m_shared->mutex);
    m_shared->reportLines.push_back(ReportFolderLine{std::string(name), depth});
    if (m_shared->linesPosted) return;
    // One queued call drains everything gathered until it runs.
    const auto shared = m_shared;
    m_shared->linesPosted = m_shared->post([shared] {
        if (shared->isDetached()) return;
        auto lines = shared->takeLines();
        if (!lines.empty()) shared->handlers.reportFolders(std::move(lines));
    });
}

void GuiScanListener::reportComplete(bool stopped) {
    std::lock_guard lock(m_shared->mutex);
    const auto shared = m_shared;
    // Queued after the last batch of lines, so the receiver sees every line before the end.
    m_shared->post([shared, stopped] {
        if (shared->isDetached()) return;
        auto lines = shared->takeLines();
        if (!lines.empty() && shared->handlers.reportFolders) {
            shared->handlers.reportFolders(std::move(lines));
        }
        if (shared->handlers.reportComplete) shared->handlers.reportComplete(stopped);
    });
}

}  // namespace tarvolin::scan
