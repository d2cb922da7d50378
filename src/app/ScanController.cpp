#include "app/ScanController.h"

#include <QFile>

#include "app/GuiScanListener.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"

namespace tarvolin::app {
namespace {

QString displayPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

ScanController::ScanController(scan::CFolderEnumThread& engine,
                               std::shared_ptr<scan::CTarvolinDoc> document, QObject* parent)
    : QObject(parent), m_engine(engine), m_document(std::move(document)) {
    GuiScanListener::Handlers handlers;
    handlers.scanStarting = [this](const std::string& path) {
        m_document->ClearChildren();
        emit scanStarting(displayPath(path));
    };
    handlers.enteringFolder = [this](const std::string& path) {
        emit enteringFolder(displayPath(path));
    };
    handlers.scanComplete = [this](bool stopped, std::optional<scan::ScanTotals>) {
        emit scanComplete(stopped);
    };
    m_listener = std::make_shared<GuiScanListener>(this, std::move(handlers));
    m_submitted = m_listener;
}

void ScanController::decorateListener(
    const std::function<std::shared_ptr<scan::ScanListener>(std::shared_ptr<scan::ScanListener>)>&
        wrap) {
    m_submitted = wrap(m_listener);
}

ScanController::~ScanController() {
    m_listener->detach();
}

void ScanController::startFolderScan(const std::string& path, bool bypassCache) {
    m_engine.startFolderScan(path, bypassCache, m_submitted, m_document);
}

void ScanController::stopScan() {
    m_engine.stopScan();
}

void ScanController::shutdown() {
    m_listener->detach();
    m_engine.stopThread();
}

bool ScanController::isRunning() const {
    return m_engine.isRunning();
}
bool ScanController::hasErrors() const {
    return m_engine.hasErrors();
}
std::vector<scan::ScanError> ScanController::errors() const {
    return m_engine.errors();
}

std::optional<scan::ScanTotals> ScanController::lastRootTotals() const {
    return m_engine.lastRootTotals();
}

}  // namespace tarvolin::app
