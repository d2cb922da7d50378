#include "history/HistoryListener.h"

#include <ctime>

#include "scan/FolderScanResult.h"

namespace tarvolin::history {
namespace {

FolderRecord recordOf(const scan::ScanNode& node) {
    return FolderRecord{node.path(), node.size, node.fileCount, node.folderCount,
                        node.lastWriteTime};
}

}  // namespace

std::shared_ptr<FolderSnapshot> snapshotOf(const scan::FolderScanResult& result,
                                           std::int64_t time) {
    auto snapshot = std::make_shared<FolderSnapshot>();
    snapshot->root = result.root().path();
    snapshot->time = time;
    const std::vector<const scan::ScanNode*> folders = result.folders();
    snapshot->folders.reserve(folders.size() + 1);
    snapshot->folders.push_back(recordOf(result.root()));
    for (const scan::ScanNode* folder : folders)
        snapshot->folders.push_back(recordOf(*folder));
    return snapshot;
}

HistoryListener::HistoryListener(std::shared_ptr<scan::ScanListener> inner, ResultHandler onResult,
                                 std::function<void()> onStarted)
    : m_inner(std::move(inner)),
      m_onResult(std::move(onResult)),
      m_onStarted(std::move(onStarted)) {}

void HistoryListener::scanStarting(const std::string& path) {
    m_inner->scanStarting(path);
    if (m_onStarted) m_onStarted();
}

void HistoryListener::enteringFolder(const std::string& path) {
    m_inner->enteringFolder(path);
}

void HistoryListener::scanComplete(bool stopped, const scan::ScanNode* root) {
    m_inner->scanComplete(stopped, root);
}

void HistoryListener::folderScanResult(const scan::FolderScanResult& result) {
    m_inner->folderScanResult(result);
    if (m_onResult) {
        m_onResult(snapshotOf(result, static_cast<std::int64_t>(std::time(nullptr))),
                   result.answeredFromCache());
    }
}

void HistoryListener::reportFolderEntered(std::string_view name, int depth) {
    m_inner->reportFolderEntered(name, depth);
}

void HistoryListener::reportComplete(bool stopped) {
    m_inner->reportComplete(stopped);
}

}  // namespace tarvolin::history
