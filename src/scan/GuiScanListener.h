// GuiScanListener: carries the scan thread's calls over to the UI thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scan/ScanListener.h"

class QObject;

namespace tarvolin::scan {

// One folder line of a report scan, copied off the scan thread.
struct ReportFolderLine {
    std::string name;  // raw bytes
    int depth = 0;
};

// Handed to the engine with each request (shared: an abandoned walk may outlive the window).
// Every handler runs on the thread of `context`, the UI thread:
// - scanStarting and scanComplete are delivered blocking: the walk waits until the handler has
//   run, in 50 ms slices, and gives up when the listener is detached or the application is
//   closing; payloads are owned copies, so giving up is safe;
// - enteringFolder is coalesced: the handler sees the latest folder, and the walk never waits;
// - report folder lines keep walk order and arrive in batches, followed by reportComplete.
// The owner of `context` calls detach() on the UI thread before destroying it; from then on no
// handler runs and the context is never touched again.
class GuiScanListener final : public ScanListener {
public:
    struct Handlers {
        std::function<void(const std::string& path)> scanStarting;
        std::function<void(const std::string& path)> enteringFolder;
        std::function<void(bool stopped, std::optional<ScanTotals> root)> scanComplete;
        std::function<void(std::vector<ReportFolderLine> lines)> reportFolders;
        std::function<void(bool stopped)> reportComplete;
    };

    GuiScanListener(QObject* context, Handlers handlers);
    ~GuiScanListener() override;
    void detach();

    void scanStarting(const std::string& path) override;
    void enteringFolder(const std::string& path) override;
    void scanComplete(bool stopped, const ScanNode* root) override;
    void reportFolderEntered(std::string_view name, int depth) override;
    void reportComplete(bool stopped) override;

private:
    // Everything a queued call touches, so that a call still queued when the listener is gone
    // finds it alive.
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

}  // namespace tarvolin::scan
