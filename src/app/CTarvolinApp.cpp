#include "app/CTarvolinApp.h"

#include <QIcon>

#include "app/CMainFrame.h"
#include "app/ProductIcon.h"
#include "app/StartupFolder.h"
#include "common/Version.h"
#include "drives/FixedVolumes.h"
#include "history/HistoryDatabase.h"
#include "history/ScanHistory.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/PosixDirectoryReader.h"
#include "scan/ScanController.h"
#include "welcome/CGDIPlusSplashWnd.h"

namespace tarvolin::app {

CTarvolinApp::CTarvolinApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromUtf8(kProductName));
    setApplicationVersion(QString::fromUtf8(kVersionText));
    setOrganizationName(QStringLiteral("Brelland"));
    setWindowIcon(productIcon());
    // Ties the window to its menu entry and icon on Wayland and in task bars.
    setDesktopFileName(QStringLiteral("example.tarvolin.Tarvolin"));
    // Outside a desktop session Qt knows no icon theme; the one the program depends on is used.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }

    scan::raiseOpenFileLimit();
    m_engine = std::make_unique<scan::CFolderEnumThread>();
    m_engine->start();
}

CTarvolinApp::~CTarvolinApp() {
    shutDown();
}

int CTarvolinApp::run() {
    m_document = std::make_shared<scan::CTarvolinDoc>();
    m_volumes = std::make_unique<drives::SystemVolumeSource>();
    m_scans = std::make_unique<scan::ScanController>(*m_engine, m_document);
    m_history = std::make_unique<history::ScanHistory>(history::HistoryDatabase::defaultPath());
    m_frame = std::make_unique<CMainFrame>(*m_scans, *m_volumes);
    m_frame->setScanHistory(m_history.get());
    m_frame->showFirstTime();
    m_frame->startUp(QString::fromLatin1(welcome::CGDIPlusSplashWnd::kPicture));
    scanStartupFolder(*m_frame, arguments());
    const int code = exec();
    shutDown();
    return code;
}

void CTarvolinApp::shutDown() {
    if (m_scans) m_scans->shutdown();
    if (m_engine) m_engine->stopThread();
    m_frame.reset();
    m_history.reset();  // after the scans, so that the last one is saved
    m_scans.reset();
}

}  // namespace tarvolin::app
