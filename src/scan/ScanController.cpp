#include "scan/ScanController.h"

#include <QFile>
#include <cassert>

#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/GuiScanListener.h"

namespace tarvolin::scan {
namespace {

QString displayPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

ScanController::ScanController(CFolderEnumThread& engine, std::shared_ptr<CTarvolinDoc> document,
                               QObject* parent)
    : QObject(parent), m_engine(engine), m_document(std::move(document)) {
    GuiScanListener::Handlers handlers;
    handlers.scanStarting = [this](const std::string& path) {
        m_document->ClearChildren();
        emit scanStarting(displayPath(path));
    };
    handlers.enteringFolder = [this](const std::string& path) {
        emit enteringFolder(displayPath(path));
    };
    handlers.scanComplete = [this](bool stopped, std::optional<ScanTotals>) {
        emit scanComplete(stopped);
    };
    m_listener = std::make_shared<GuiScanListener>(this, std::move(handlers));
}

ScanController::~ScanController() {
    m_listener->detach();
}

void ScanController::startFolderScan(const std::string& path, bool bypassCache) {
    // The controller's listener lives as long as the controller, so nothing is refused.
    [[maybe_unused]] const std::uint32_t refused =
        m_engine.startFolderScan(path, bypassCache, m_listener, m_document);
    assert(refused == 0);
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
std::vector<ScanError> ScanController::errors() const {
    return m_engine.errors();
}

std::optional<ScanTotals> ScanController::lastRootTotals() const {
    return m_engine.lastRootTotals();
}

}  // namespace tarvolin::scan
