// HistoryListener: a scan listener that passes every call on and copies each completed result
// for the scan history.
#pragma once

#include <functional>
#include <memory>

#include "history/Snapshot.h"
#include "scan/ScanListener.h"

namespace tarvolin::scan {
class FolderScanResult;
}

namespace tarvolin::history {

// The snapshot of a completed scan's folders, the root's record first, taken at `time`.
std::shared_ptr<FolderSnapshot> snapshotOf(const scan::FolderScanResult& result, std::int64_t time);

// Wraps the listener a request would have had; shared with the engine like any listener.
// Every call reaches `inner` first and unchanged, so the views never wait for the history.
// After a folder scan that ran to its end, `onResult` gets its snapshot on the scan thread
// (a copy: the walk's nodes are not touched afterwards), with whether every subfolder came
// from the cache. It must return quickly: the scan thread takes no new request meanwhile.
// `onStarted` runs on the scan thread once `inner` has handled a scan's start.
class HistoryListener final : public scan::ScanListener {
public:
    using ResultHandler =
        std::function<void(std::shared_ptr<const FolderSnapshot> snapshot, bool fromCache)>;

    HistoryListener(std::shared_ptr<scan::ScanListener> inner, ResultHandler onResult,
                    std::function<void()> onStarted = {});

    void scanStarting(const std::string& path) override;
    void enteringFolder(const std::string& path) override;
    void scanComplete(bool stopped, const scan::ScanNode* root) override;
    void folderScanResult(const scan::FolderScanResult& result) override;
    void reportFolderEntered(std::string_view name, int depth) override;
    void reportComplete(bool stopped) override;

private:
    std::shared_ptr<scan::ScanListener> m_inner;
    ResultHandler m_onResult;
    std::function<void()> m_onStarted;
};

}  // namespace tarvolin::history
