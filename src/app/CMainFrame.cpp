#include "app/CMainFrame.h"

#include <sys/stat.h>

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "app/COptionsSheet.h"
#include "app/CTarvolinAboutDlg.h"
#include "app/CommandIds.h"
#include "app/MainActions.h"
#include "app/PathBar.h"
#include "app/ProductIcon.h"
#include "app/StatusMessagePane.h"
#include "common/FileOperations.h"
#include "common/ProductInfo.h"
#include "common/Version.h"
#include "drives/CDriveSpaceListCtrl.h"
#include "drives/FixedVolumes.h"
#include "exports/CHtmlReport.h"
#include "exports/ItemViewTable.h"
#include "exports/ListExport.h"
#include "exports/ListPrinter.h"
#include "graphs/CGraphSplitFrame.h"
#include "graphs/CScrollGraphBarView.h"
#include "graphs/GraphTexts.h"
#include "history/CCompareScanDlg.h"
#include "history/ScanHistory.h"
#include "reports/CReportGenDlg.h"
#include "reports/MimeFileTypeName.h"
#include "reports/ReportCollections.h"
#include "scan/CFolderEnumErrorDlg.h"
#include "scan/ScanController.h"
#include "ui/CBusyProgressCtrl.h"
#include "ui/CHistoryCombo.h"
#include "ui/CSmartSplitterWnd.h"
#include "ui/DataFiles.h"
#include "ui/Options.h"
#include "ui/SettingsStore.h"
#include "update/CUpdateCheckDlg.h"
#include "views/CFolderTreeCtrl.h"
#include "views/CTarvolinView.h"
#include "views/ItemContextMenu.h"
#include "views/SoftwareManager.h"
#include "welcome/CGDIPlusSplashWnd.h"
#include "welcome/CPropSheetWelcome.h"

namespace tarvolin::app {
namespace {

constexpr int kMaxHistoryCount = 999;

}  // namespace

CMainFrame::CMainFrame(scan::ScanController& scans, const drives::VolumeSource& volumes,
                       QWidget* parent)
    : ui::CSmartFrameWnd(parent),
      m_scans(scans),
      m_reportCollections(std::make_shared<reports::ReportCollections>(reports::mimeFileTypeName)),
      m_actions(new MainActions(this)) {
    setWindowTitle(QString::fromUtf8(kProductName));
    setWindowIcon(productIcon());
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);
    m_historyCount = historyCount();

    m_actions->buildMenus(this);
    m_toolBar = m_actions->buildToolBar(this);
    m_pathToolBar = new QToolBar(tr("Path"), this);
    m_pathToolBar->setObjectName(QStringLiteral("PathBar"));
    m_pathBar = new PathBar(m_pathToolBar);
    m_pathToolBar->addWidget(m_pathBar);
    addToolBar(Qt::TopToolBarArea, m_pathToolBar);
    m_pathBar->combo()->loadHistory(QString::fromUtf8(ui::option::kPathHistory));
    m_pathBar->combo()->setCurrentIndex(-1);
    m_pathBar->combo()->setEditText(QString());

    createPanes(volumes);
    createStatusBar(volumes);
    restoreBarState();
    connectCommands();

    m_refreshTimer = new QTimer(this);
    connect(m_refreshTimer, &QTimer::timeout, this, &CMainFrame::onRefreshTick);
    connect(&m_scans, &scan::ScanController::scanStarting, this, &CMainFrame::onScanStarting);
    connect(&m_scans, &scan::ScanController::enteringFolder, this, &CMainFrame::onEnteringFolder);
    connect(&m_scans, &scan::ScanController::scanComplete, this, &CMainFrame::onScanComplete);
    showPrompt(QString());
    updateCommandStates();
}

// Children are destroyed after this destructor, and hiding a dock or the toolbar then emits
// signals: their handlers would reach into a frame that is already gone.
CMainFrame::~CMainFrame() {
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
    m_scans.disconnect(this);
}

void CMainFrame::createPanes(const drives::VolumeSource& volumes) {
    m_splitter = new ui::CSmartSplitterWnd(this);
    m_view = new views::CTarvolinView(m_scans, m_splitter);
    m_graphPane = new graphs::CGraphSplitFrame(m_scans, m_splitter);
    m_splitter->addWidget(m_view);
    m_splitter->addWidget(m_graphPane);
    setCentralWidget(m_splitter);

    m_tree = new views::CFolderTreeCtrl(m_scans, volumes, this);
    // The graph's title names the folder as the folder browser spells it.
    m_graphPane->view()->setBrowserPathSource([tree = QPointer<views::CFolderTreeCtrl>(m_tree)] {
        return tree ? tree->currentScanPath() : std::string();
    });
    m_treeDock = new QDockWidget(tr("Folder Browser"), this);
    m_treeDock->setObjectName(QStringLiteral("FolderBrowserBar"));
    m_treeDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    m_treeDock->setWidget(m_tree);
    addDockWidget(Qt::LeftDockWidgetArea, m_treeDock);

    m_driveList = new drives::CDriveSpaceListCtrl(volumes, this);
    m_driveDock = new QDockWidget(tr("Drive Space"), this);
    m_driveDock->setObjectName(QStringLiteral("DriveSpaceBar"));
    m_driveDock->setAllowedAreas(Qt::LeftDockWidgetArea);
    m_driveDock->setWidget(m_driveList);
    m_driveDock->setToolTip(
        tr("Drive space calculations are automatically refreshed every few "
           "seconds."));
    addDockWidget(Qt::LeftDockWidgetArea, m_driveDock);
    splitDockWidget(m_treeDock, m_driveDock, Qt::Vertical);
    resizeDocks({m_treeDock}, {250}, Qt::Horizontal);
    resizeDocks({m_treeDock, m_driveDock}, {400, 200}, Qt::Vertical);
}

void CMainFrame::createStatusBar(const drives::VolumeSource& volumes) {
    QStatusBar* bar = statusBar();
    m_message = new StatusMessagePane(bar);
    bar->addWidget(m_message, 1);
    m_busy = new ui::CBusyProgressCtrl(10, 0, bar);
    m_busy->setSegmentCount(20);
    m_busy->setStepPeriod(100);
    m_busy->setRange(-100, 100);
    m_busy->setMode(ui::CBusyProgressCtrl::Mode::Busy);
    m_busy->setFixedWidth(fontMetrics().horizontalAdvance(QString(40, QLatin1Char(' '))) + 60);
    bar->addPermanentWidget(m_busy);
    m_clusterSize =
        new QLabel(QStringLiteral("  Cluster size: %1k").arg(volumes.clusterSize("/") / 1024), bar);
    m_clusterSize->setFrameShape(QFrame::Panel);
    m_clusterSize->setFrameShadow(QFrame::Raised);
    bar->addPermanentWidget(m_clusterSize);
    connect(m_message, &StatusMessagePane::doubleClicked, this, &CMainFrame::showErrorReport);
}

// A stored layout is applied only when it fits this window: Qt checks the bars it names
// against the ones that exist and keeps the default docking otherwise.
void CMainFrame::restoreBarState() {
    const QByteArray state = ui::GetProfileBinary(QString::fromUtf8(ui::option::kBarState));
    if (!state.isEmpty()) restoreState(state);
}

void CMainFrame::connectCommands() {
    const auto on = [this](int id, auto&& handler) {
        connect(m_actions->action(id), &QAction::triggered, this,
                std::forward<decltype(handler)>(handler));
    };
    on(command::kStopScan, [this] {
        m_view->stopScan();
        updateCommandStates();
    });
    on(command::kExit, [this] { close(); });
    on(command::kGraphImageToFile, [this] { m_graphPane->view()->SaveGraphImage(); });
    on(command::kGraphImageToClipboard, [this] { m_graphPane->view()->CopyGraphImage(); });
    on(command::kPrint, [this] {
        exports::PrintList(this, exports::ItemViewTable(*m_view), QString::fromUtf8(kProductName));
    });
    on(command::kExportDetailsToFile,
       [this] { exports::ExportListToFile(this, exports::ItemViewTable(*m_view)); });
    on(command::kExportDetailsToClipboard,
       [this] { exports::CopyListToClipboard(exports::ItemViewTable(*m_view)); });
    on(command::kExportHtml, [this] { exports::GenerateHtmlReport(this, htmlReportSources()); });
    on(command::kShowToolbar, [this](bool shown) { m_toolBar->setVisible(shown); });
    on(command::kShowStatusBar, [this](bool shown) { statusBar()->setVisible(shown); });
    on(command::kShowFolderBrowser, [this](bool shown) { m_treeDock->setVisible(shown); });
    on(command::kShowDriveSpace, [this](bool shown) { m_driveDock->setVisible(shown); });
    on(command::kShowGraphView, [this] { m_splitter->toggleLowerPane(); });
    on(command::kShowFiles, [this](bool shown) { m_view->setShowFiles(shown); });
    on(command::kPrevious, [this] { m_tree->back(); });
    on(command::kNext, [this] { m_tree->forward(); });
    on(command::kUp, [this] { m_tree->up(); });
    on(command::kRefresh, [this] { m_tree->refresh(); });
    on(command::kAddRemovePrograms, [] { views::startSoftwareManager(); });
    on(command::kHelpContents, [this] { openHelpContents(); });
    on(command::kBlog, [this] { openWeblog(); });
    on(command::kAbout, [this] { CTarvolinAboutDlg(this).exec(); });
    on(command::kLargestFiles, [this] { openReportGenerator(0); });
    on(command::kReports, [this] { openReportGenerator(0); });
    on(command::kOldestFiles, [this] { openReportGenerator(1); });
    on(command::kFileTypes, [this] { openReportGenerator(2); });
    on(command::kTempFiles, [this] { openReportGenerator(3); });
    on(command::kCompareWithEarlierScan, [this] { compareWithEarlierScan(); });
    on(command::kOptions, [this] { openOptions(COptionsSheet::kGeneralPage); });
    on(command::kShowWelcome, [this] { showWelcome(); });
    connect(m_graphPane, &graphs::CGraphSplitFrame::customizeRequested, this,
            [this] { openOptions(COptionsSheet::kGraphPage); });
    on(command::kUpdateCheck, [this] {
        update::CUpdateCheckDlg dialog(update::UpdateCheckConfig::fromEnvironment(), this);
        dialog.exec();
    });

    // The check marks follow the panes, however they were shown or hidden.
    const auto follow = [this](int id, bool checked) {
        m_actions->action(id)->setChecked(checked);
    };
    connect(m_toolBar, &QToolBar::visibilityChanged, this,
            [follow](bool shown) { follow(command::kShowToolbar, shown); });
    connect(m_treeDock, &QDockWidget::visibilityChanged, this,
            [this, follow] { follow(command::kShowFolderBrowser, !m_treeDock->isHidden()); });
    connect(m_driveDock, &QDockWidget::visibilityChanged, this,
            [this, follow] { follow(command::kShowDriveSpace, !m_driveDock->isHidden()); });
    connect(m_splitter, &ui::CSmartSplitterWnd::collapsedChanged, this,
            [follow](bool collapsed) { follow(command::kShowGraphView, !collapsed); });
    follow(command::kShowToolbar, true);
    follow(command::kShowStatusBar, true);
    follow(command::kShowFolderBrowser, true);
    follow(command::kShowDriveSpace, true);
    follow(command::kShowGraphView, !m_splitter->isCollapsed());
    follow(command::kShowFiles, m_view->showFiles());

    connect(m_pathBar, &PathBar::navigateRequested, this, &CMainFrame::navigateToPath);
    connect(m_view, &views::CTarvolinView::pathDropped, this, &CMainFrame::navigateToPath);
    connect(m_view, &views::CTarvolinView::folderActivated, this,
            [this](const std::string& path) { m_tree->findAndSelect(path, false); });
    connect(m_view, &views::CTarvolinView::itemDeleted, this, [this] { m_tree->refresh(); });
    connect(m_view, &views::CTarvolinView::sortChanged, m_graphPane->view(),
            &graphs::CScrollGraphBarView::Redraw);
    connect(m_graphPane->view(), &graphs::CScrollGraphBarView::barClicked, m_view,
            &views::CTarvolinView::selectByName);
    connect(m_tree, &views::CFolderTreeCtrl::navigationChanged, this,
            &CMainFrame::updateCommandStates);
    connect(m_tree, &views::CFolderTreeCtrl::findFailed, m_message, &StatusMessagePane::setMessage);
    connect(
        m_tree, &views::CFolderTreeCtrl::contextMenuRequested, this,
        [this](const std::string& path, const QPoint& at) { showContextMenu(path, at, false); });
    connect(m_driveList, &drives::CDriveSpaceListCtrl::contextMenuRequested, this,
            [this](const std::string& path, const QPoint& at) { showContextMenu(path, at, true); });

    // Looking for the software manager searches PATH: done when a menu opens, not on every scan
    // start and completion.
    const auto lookForSoftwareManager = [this] {
        m_softwareManagerFound = !views::findSoftwareManager().isEmpty();
    };
    lookForSoftwareManager();
    for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToShow, this, [this, lookForSoftwareManager] {
            lookForSoftwareManager();
            updateCommandStates();
        });
    }
    // F6 and Shift+F6 move the focus between the panes, as the next and previous pane keys.
    connect(new QShortcut(QKeySequence(Qt::Key_F6), this), &QShortcut::activated, this,
            [this] { focusNextPane(1); });
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this), &QShortcut::activated, this,
            [this] { focusNextPane(-1); });
}

void CMainFrame::updateCommandStates() {
    const auto enable = [this](int id, bool enabled) {
        m_actions->action(id)->setEnabled(enabled);
    };
    enable(command::kStopScan, m_scans.isRunning());
    enable(command::kPrevious, m_tree->canBack());
    enable(command::kNext, m_tree->canForward());
    enable(command::kUp, m_tree->canUp());
    enable(command::kRefresh, m_tree->canRefresh());
    enable(command::kAddRemovePrograms, m_softwareManagerFound);
    // Against the result on show, so only when it is complete and of the current folder.
    const auto result = m_history != nullptr ? m_history->lastResult() : nullptr;
    enable(command::kCompareWithEarlierScan, result && !m_scans.isRunning() &&
                                                 result->root == m_tree->currentScanPath() &&
                                                 m_history->hasEarlierSnapshot(result->root));
    // Printing and the exports: something listed, no scan.
    for (const int id : {command::kGraphImageToFile, command::kGraphImageToClipboard,
                         command::kPrint, command::kExportHtml, command::kExportDetailsToFile,
                         command::kExportDetailsToClipboard}) {
        enable(id, m_view->canPrintOrExport());
    }
}

exports::HtmlReportSources CMainFrame::htmlReportSources() {
    exports::HtmlReportSources sources;
    sources.path = m_tree->currentScanPath();
    sources.drives = m_driveList;
    sources.details = m_view;
    // A picture that cannot be drawn is told as the graph's own image export tells it.
    sources.drawGraph = [this](const std::string& path) {
        try {
            m_graphPane->view()->DrawGraphToFile(QFile::decodeName(QByteArray::fromStdString(path)),
                                                 QStringLiteral("image/jpeg"));
        } catch (const graphs::GraphDrawingError& error) {
            QMessageBox::critical(this, windowTitle(), QString::fromStdString(error.message()));
            return false;
        }
        return true;
    };
    return sources;
}

void CMainFrame::showFirstTime() {
    if (const auto placement = loadPlacement(QString::fromUtf8(ui::option::kWindowPos.name))) {
        applyPlacement(*placement);
    } else {
        resize(1100, 750);
        show();
    }
    // The list's height as it was left, or half of the space on a first start.
    const int stored = ui::readOption(ui::option::kSplitterSizeCur);
    m_splitter->setUpperPaneHeight(stored > 0 ? stored : m_splitter->height() / 2);
    m_rememberedClientHeight = 0;
    layoutSplitterProportionally();
}

void CMainFrame::startUp(const QString& splashPicture) {
    if (ui::readOption(ui::option::kShowSplash) != 0) {
        if (auto* splash = welcome::CGDIPlusSplashWnd::showSplash(
                this, splashPicture, welcome::CGDIPlusSplashWnd::kShowMs)) {
            connect(splash, &welcome::CGDIPlusSplashWnd::closed, this, &CMainFrame::startUpFollowUp,
                    Qt::QueuedConnection);
            return;
        }
    }
    QMetaObject::invokeMethod(this, &CMainFrame::startUpFollowUp, Qt::QueuedConnection);
}

void CMainFrame::startUpFollowUp() {
    if (ui::readOption(ui::option::kShowWelcomeScreen) != 0) showWelcome();
}

void CMainFrame::showWelcome() {
    welcome::CPropSheetWelcome wizard(
        [this](bool show) {
            m_view->setShowFiles(show);
            m_actions->action(command::kShowFiles)->setChecked(show);
        },
        this);
    wizard.exec();
}

void CMainFrame::openOptions(int page) {
    // Listing every installed font takes a moment on machines with many.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    COptionsSheet sheet(this);
    sheet.setActivePage(page);
    QApplication::restoreOverrideCursor();
    if (sheet.exec() == QDialog::Accepted) applyOptions();
}

int CMainFrame::historyCount() const {
    return std::clamp(ui::readOption(ui::option::kHistoryCount), 0, kMaxHistoryCount);
}

// Menu prompts, the idle text and the error notice share pane 0: while the last scan's errors
// are recorded the notice stands in for every prompt.
void CMainFrame::showPrompt(const QString& prompt) {
    if (m_scans.hasErrors()) {
        m_message->setMessage(QString::fromUtf8(kErrorsNotice));
        return;
    }
    m_message->setMessage(prompt.isEmpty() ? withHistoryNote(QString::fromUtf8(kIdleText))
                                           : prompt.section(QLatin1Char('\n'), 0, 0));
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        showPrompt(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return ui::CSmartFrameWnd::event(event);
}

QString CMainFrame::statusText() const {
    return m_message->message();
}

void CMainFrame::onScanStarting(const QString& path) {
    m_message->setErrorIcon(false);
    m_message->setMessage(tr("Folder scanning process starting..."));
    m_historyNote.clear();
    if (m_history != nullptr) {
        m_history->forgetResult();
        m_history->setKeeping(ui::readOption(ui::option::kKeepScanHistory) != 0);
    }
    m_pathBar->addToHistory(path, historyCount());
    if (ui::readOption(ui::option::kAutoRefresh) != 0) {
        m_refreshTimer->start(std::clamp(ui::readOption(ui::option::kRefreshFreq), 1, 10) * 1000);
    }
    m_busy->start();
    updateCommandStates();
}

void CMainFrame::onEnteringFolder(const QString& path) {
    if (!path.isEmpty()) m_message->setMessage(path);
}

void CMainFrame::onRefreshTick() {
    if (!m_scans.isRunning()) return;
    m_view->refreshView();
    m_graphPane->view()->Redraw();
}

void CMainFrame::onScanComplete(bool /*stopped*/) {
    m_refreshTimer->stop();
    m_message->setMessage(tr("Folder scanning complete"));
    m_view->refreshView();
    m_graphPane->view()->Redraw();
    m_busy->stop();
    m_busy->reset();
    if (m_scans.hasErrors()) {
        m_message->setErrorIcon(true);
        m_message->setMessage(QString::fromUtf8(kErrorsNotice));
    }
    updateCommandStates();
}

void CMainFrame::setScanHistory(history::ScanHistory* history) {
    m_history = history;
    if (m_history == nullptr) return;
    m_scans.decorateListener([history](std::shared_ptr<scan::ScanListener> inner) {
        return history->decorate(std::move(inner));
    });
    connect(m_history, &history::ScanHistory::noteReady, this, &CMainFrame::showHistoryNote);
    connect(m_history, &history::ScanHistory::snapshotsChanged, this,
            &CMainFrame::updateCommandStates);
    connect(m_history, &history::ScanHistory::problemOccurred, this, [this](const QString& text) {
        if (std::exchange(m_historyProblemShown, true)) return;
        auto* box =
            new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    updateCommandStates();
}

QString CMainFrame::withHistoryNote(const QString& text) const {
    return m_historyNote.isEmpty() ? text : text + QLatin1Char(' ') + m_historyNote;
}

// The note follows the text the scan left in the pane, unless a prompt or the error notice
// stands there.
void CMainFrame::showHistoryNote(const QString& root, const QString& note) {
    if (root != QFile::decodeName(QByteArray::fromStdString(m_tree->currentScanPath()))) return;
    m_historyNote = note;
    if (m_scans.isRunning() || m_scans.hasErrors()) return;
    const QString shown = m_message->message();
    for (const QString& base : {tr("Folder scanning complete"), QString::fromUtf8(kIdleText)}) {
        if (shown.startsWith(base)) m_message->setMessage(withHistoryNote(base));
    }
}

void CMainFrame::compareWithEarlierScan() {
    const auto result = m_history != nullptr ? m_history->lastResult() : nullptr;
    if (!result) return;
    history::CCompareScanDlg dialog(m_history->databasePath(), result, m_history->lastResultId(),
                                    this);
    std::string chosen;
    connect(&dialog, &history::CCompareScanDlg::folderActivated, this,
            [&chosen](const std::string& path) { chosen = path; });
    dialog.exec();
    // A folder the browser does not list is scanned directly all the same; one that is gone from
    // the disk is in no listing, so it is not looked for.
    if (!chosen.empty()) {
        struct stat info {};
        if (stat(chosen.c_str(), &info) != 0)
            m_tree->directScan(chosen, false);
        else
            m_tree->findAndSelect(chosen, false, views::CFolderTreeCtrl::FindMiss::ScanDirectly);
    }
    updateCommandStates();
}

void CMainFrame::showErrorReport() {
    if (!m_scans.hasErrors()) return;
    scan::CFolderEnumErrorDlg dialog(m_scans.errors(), this);
    dialog.exec();
}

void CMainFrame::showContextMenu(const std::string& path, const QPoint& globalPos, bool driveOnly) {
    const views::ItemContextMenu menu({path}, driveOnly ? views::ItemContextMenu::Target::Drive
                                                        : views::ItemContextMenu::Target::Items);
    if (menu.exec(this, globalPos) == views::ItemContextMenu::kVerbDelete) {
        const std::string parent = parentPath(path);
        if (!parent.empty()) m_tree->refreshChildrenOf(parent);
    }
}

void CMainFrame::navigateToPath(const QString& typed) {
    if (typed.isEmpty()) return;
    // Relative text is taken from the program's working folder, like a shell would.
    const QString clean = QDir::cleanPath(QDir::current().absoluteFilePath(typed));
    const QByteArray bytes = QFile::encodeName(clean);
    struct stat info {};
    const auto refuse = [this](const QString& text) {
        QMessageBox::critical(this, windowTitle(), text);
        m_pathBar->selectAllText();
    };
    if (stat(bytes.constData(), &info) != 0) {
        refuse(tr("The path entered does not exist or is currently inaccessible."));
        return;
    }
    if (!S_ISDIR(info.st_mode)) {
        refuse(tr("The path entered is not a folder."));
        return;
    }
    m_tree->findAndSelect(bytes.toStdString(), true);
}

void CMainFrame::applyOptions() {
    m_view->reloadColors();
    m_graphPane->view()->ReloadSettings();
    m_graphPane->view()->Redraw();
    const int count = historyCount();
    if (count != m_historyCount && count < m_historyCount) {
        m_pathBar->combo()->clearHistory(QString::fromUtf8(ui::option::kPathHistory));
    }
    m_historyCount = count;
}

void CMainFrame::layoutSplitterProportionally() {
    if (!isVisible() || m_splitter->isCollapsed()) return;
    const int clientHeight = m_splitter->height();
    if (clientHeight <= 0) return;
    if (m_rememberedClientHeight <= 0) m_rememberedClientHeight = clientHeight;
    const double top = static_cast<double>(m_splitter->upperPaneHeight()) /
                           m_rememberedClientHeight * clientHeight +
                       0.5;
    if (static_cast<int>(top) > 0) m_splitter->setUpperPaneHeight(static_cast<int>(top));
    m_rememberedClientHeight = clientHeight;
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    ui::CSmartFrameWnd::resizeEvent(event);
    layoutSplitterProportionally();
}

void CMainFrame::focusNextPane(int step) {
    const QList<QWidget*> panes = {m_view, m_graphPane, m_tree, m_driveList, m_pathBar->combo()};
    int current = -1;
    for (int i = 0; i < panes.size(); ++i) {
        if (panes[i]->isAncestorOf(focusWidget()) || panes[i] == focusWidget()) current = i;
    }
    for (int tried = 1; tried <= panes.size(); ++tried) {
        QWidget* next = panes[(current + step * tried + panes.size() * 2) % panes.size()];
        if (next->isVisible()) {
            next->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
}

void CMainFrame::openHelpContents() {
    const QString help = ui::findDataFile(QStringLiteral("help/index.html"));
    if (help.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(help))) {
        QMessageBox::critical(this, windowTitle(), tr("Failed to launch default browser"));
    }
}

void CMainFrame::openWeblog() {
    if (!QDesktopServices::openUrl(QUrl(QString::fromUtf8(kWeblogUrl)))) {
        QMessageBox::critical(this, windowTitle(), tr("Failed to launch default browser"));
    }
}

void CMainFrame::openReportGenerator(int page) {
    const QString path = QFile::decodeName(QByteArray::fromStdString(m_tree->currentScanPath()));
    reports::CReportGenDlg dialog(m_scans.engine(), m_reportCollections, page, path, this);
    dialog.exec();
    updateCommandStates();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    m_busy->stop();
    m_refreshTimer->stop();
    // The document outlives the window, but a walk has no reason to go on once it is closing.
    m_scans.stopScan();
    if (m_splitter->isCollapsed()) m_splitter->toggleLowerPane();
    savePlacement(QString::fromUtf8(ui::option::kWindowPos.name));
    ui::WriteProfileBinary(QString::fromUtf8(ui::option::kBarState), saveState());
    if (m_splitter->upperPaneHeight() > 0) {
        ui::writeOption(ui::option::kSplitterSizeCur, m_splitter->upperPaneHeight());
    }
    m_pathBar->combo()->saveHistory(QString::fromUtf8(ui::option::kPathHistory));
    event->accept();
}

}  // namespace tarvolin::app
