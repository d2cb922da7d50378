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

namespace tarvolin::app {

class CMainFrame;

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

private:
    void shutDown();

    std::unique_ptr<scan::CFolderEnumThread> m_engine;
    std::shared_ptr<scan::CTarvolinDoc> m_document;
    std::unique_ptr<drives::SystemVolumeSource> m_volumes;
    std::unique_ptr<scan::ScanController> m_scans;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace tarvolin::app
