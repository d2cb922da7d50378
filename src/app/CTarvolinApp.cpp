#include "app/CTarvolinApp.h"

#include <chrono>

#include <QIcon>
#include <QThread>

#include "app/CMainFrame.h"
#include "app/ProductIcon.h"
#include "app/StallProbe.h"
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
    startStallProbe();
    scanStartupFolder(*m_frame, arguments());
    const int code = exec();
    shutDown();
    return code;
}

// A benchmark's hook: with TARVOLIN_STALL_PROBE naming a file, the probe reports there on the
// first folder scan and drill-ins (TARVOLIN_STALL_PROBE_DRILLS of them, 5 when unset), and then
// the program quits.
void CTarvolinApp::startStallProbe() {
    const QString output = qEnvironmentVariable("TARVOLIN_STALL_PROBE");
    if (output.isEmpty()) return;
    bool given = false;
    const int drillIns = qEnvironmentVariableIntValue("TARVOLIN_STALL_PROBE_DRILLS", &given);
    m_probe = std::make_unique<StallProbe>(*m_frame, *m_scans, output, given ? drillIns : 5);
    connect(m_probe.get(), &StallProbe::finished, this, &QCoreApplication::quit,
            Qt::QueuedConnection);
}

bool CTarvolinApp::notify(QObject* receiver, QEvent* event) {
    if (!m_probe || QThread::currentThread() != thread()) {
        return QApplication::notify(receiver, event);
    }
    // Handling may delete the receiver (deferred deletes do): its description is taken first.
    const char* receiverClass = receiver->metaObject()->className();
    const QObject* parent = receiver->parent();
    const char* parentClass = parent != nullptr ? parent->metaObject()->className() : nullptr;
    const int type = event->type();
    const auto start = std::chrono::steady_clock::now();
    ++m_deliveryDepth;
    const bool handled = QApplication::notify(receiver, event);
    --m_deliveryDepth;
    if (m_probe) {
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        m_probe->noteDelivery(receiver, receiverClass, parentClass, type, m_deliveryDepth > 0,
                              took.count());
    }
    return handled;
}

void CTarvolinApp::shutDown() {
    m_probe.reset();
    if (m_scans) m_scans->shutdown();
    if (m_engine) m_engine->stopThread();
    m_frame.reset();
    m_history.reset();  // after the scans, so that the last one is saved
    m_scans.reset();
}

}  // namespace tarvolin::app
