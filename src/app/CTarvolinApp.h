// CTarvolinApp: the application object: starts the scan engine, opens the main window, and at
// exit stops the engine before anything it uses goes away.
#pragma once

#include <memory>

#include <QApplication>

namespace tarvolin::scan {
class ScanController;
}  // namespace tarvolin::scan

namespace tarvolin::scan {
class CFolderEnumThread;
class CTarvolinDoc;
}  // namespace tarvolin::scan

namespace tarvolin::drives {
class SystemVolumeSource;
}

namespace tarvolin::history {
class ScanHistory;
}

namespace tarvolin::app {

class CMainFrame;
class StallProbe;

// One per process, on the UI thread. Owns, in order of creation: the scan thread (started
// before any window exists), the document, the volume source, the scan controller and the main
// frame; they are released in reverse, after the listener was detached and the scan thread
// stopped, so no walk ever calls into a window that is gone.
class CTarvolinApp final : public QApplication {
    Q_OBJECT

public:
    CTarvolinApp(int& argc, char** argv);
    ~CTarvolinApp() override;

    // Creates the main window, runs the event loop and shuts down; the process exit code.
    int run();

    CMainFrame* mainFrame() const { return m_frame.get(); }
    scan::ScanController* scans() const { return m_scans.get(); }

protected:
    // Times each event for the stall probe while there is one; otherwise only passes it on.
    bool notify(QObject* receiver, QEvent* event) override;

private:
    void startStallProbe();
    void shutDown();

    std::unique_ptr<scan::CFolderEnumThread> m_engine;
    std::shared_ptr<scan::CTarvolinDoc> m_document;
    std::unique_ptr<drives::SystemVolumeSource> m_volumes;
    std::unique_ptr<scan::ScanController> m_scans;
    std::unique_ptr<history::ScanHistory> m_history;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<StallProbe> m_probe;  // only when a benchmark asks for it
    int m_deliveryDepth = 0;              // notify() calls under way on the UI thread
};

}  // namespace tarvolin::app
