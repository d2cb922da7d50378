// ScanController: the UI thread's handle on the scan engine.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include "scan/ScanNode.h"

namespace tarvolin::scan {
class CFolderEnumThread;
class CTarvolinDoc;
}  // namespace tarvolin::scan

namespace tarvolin::scan {

class GuiScanListener;

// Lives on the UI thread, owned by the application. Starts and stops folder scans of the one
// document and turns the scan thread's calls into signals, in the order
//   scanStarting(path) → enteringFolder(path)… → scanComplete(stopped)
// A handler of scanStarting runs while the walk waits, before anything is listed: views drop
// their rows there. scanComplete likewise runs before the walk's root is freed.
class ScanController final : public QObject {
    Q_OBJECT

public:
    // `engine` must outlive this object.
    ScanController(CFolderEnumThread& engine, std::shared_ptr<CTarvolinDoc> document,
                   QObject* parent = nullptr);
    ~ScanController() override;

    // Abandons a running walk. An empty path starts and ends a scan without walking.
    void startFolderScan(const std::string& path, bool bypassCache);
    void stopScan();
    // No signal is emitted afterwards; then the engine is stopped, waiting a bounded time.
    void shutdown();

    bool isRunning() const;
    bool hasErrors() const;
    std::vector<ScanError> errors() const;
    // Totals of the last folder scan's root; none while a request is running or after a report
    // scan.
    std::optional<ScanTotals> lastRootTotals() const;
    CTarvolinDoc& document() const { return *m_document; }
    const std::shared_ptr<CTarvolinDoc>& sharedDocument() const { return m_document; }
    CFolderEnumThread& engine() const { return m_engine; }

signals:
    void scanStarting(const QString& path);
    void enteringFolder(const QString& path);
    void scanComplete(bool stopped);

private:
    CFolderEnumThread& m_engine;
    std::shared_ptr<CTarvolinDoc> m_document;
    std::shared_ptr<GuiScanListener> m_listener;
};

}  // namespace tarvolin::scan
