// CMainFrame: the main window: bars, panes, commands, status texts and saved window state.
#pragma once

#include <memory>
#include <string>

#include <QString>

#include "ui/CSmartFrameWnd.h"

class QDockWidget;
class QLabel;
class QTimer;
class QToolBar;

namespace tarvolin::ui {
class CBusyProgressCtrl;
class CSmartSplitterWnd;
}  // namespace tarvolin::ui

namespace tarvolin::scan {
class ScanController;
}  // namespace tarvolin::scan

namespace tarvolin::drives {
class CDriveSpaceListCtrl;
class VolumeSource;
}  // namespace tarvolin::drives

namespace tarvolin::history {
class ScanHistory;
}

namespace tarvolin::exports {
struct HtmlReportSources;
}

namespace tarvolin::graphs {
class CGraphSplitFrame;
}

namespace tarvolin::reports {
class ReportCollections;
}

namespace tarvolin::views {
class CFolderTreeCtrl;
class CTarvolinView;
}  // namespace tarvolin::views

namespace tarvolin::app {

class MainActions;
class PathBar;
class StatusMessagePane;

inline constexpr char kIdleText[] =
    "Tarvolin ready. Select a folder or drive to begin scanning process.";
inline constexpr char kErrorsNotice[] =
    "Errors occurred during the last folder scan. Double-click for details.";

// The one top-level window, on the UI thread; owned by the application. It never scans
// itself: the folder tree and the path bar start scans through the ScanController, whose
// signals the frame turns into status texts, refresh ticks and the busy indicator.
class CMainFrame final : public ui::CSmartFrameWnd {
    Q_OBJECT

public:
    // `scans` and `volumes` must outlive the frame.
    CMainFrame(scan::ScanController& scans, const drives::VolumeSource& volumes,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Restores the saved placement (or shows plainly) and lays out the panes.
    void showFirstTime();
    // Once shown at start-up: the splash while "ShowSplash" is set, then the follow-up, which
    // runs the welcome wizard while "ShowWelcomeScreen" is set. A splash picture that cannot
    // be shown leads to the follow-up at once.
    void startUp(const QString& splashPicture);
    void startUpFollowUp();
    // The options sheet on `page` (COptionsSheet::Page), modal; OK applies the options.
    void openOptions(int page);
    void showWelcome();

    // Path bar navigation: checks the text, normalises it and selects it in the folder tree,
    // which starts its scan. Also used for a folder dropped on the details view.
    void navigateToPath(const QString& text);

    // Saves completed scans into `history` and offers comparisons with earlier ones; the
    // history must outlive the frame. Without one, nothing is saved or compared.
    void setScanHistory(history::ScanHistory* history);
    void compareWithEarlierScan();

    // After the options changed: colours, graph settings and the path history's length.
    void applyOptions();

    QString statusText() const;
    views::CTarvolinView* detailsView() const { return m_view; }
    views::CFolderTreeCtrl* folderTree() const { return m_tree; }
    PathBar* pathBar() const { return m_pathBar; }
    MainActions* actions() const { return m_actions; }
    ui::CSmartSplitterWnd* splitter() const { return m_splitter; }
    graphs::CGraphSplitFrame* graphPane() const { return m_graphPane; }
    // The results of the last report scan, shared with every report generator and its scans.
    const std::shared_ptr<reports::ReportCollections>& reportCollections() const {
        return m_reportCollections;
    }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void createPanes(const drives::VolumeSource& volumes);
    void createStatusBar(const drives::VolumeSource& volumes);
    void connectCommands();
    void restoreBarState();

    void onScanStarting(const QString& path);
    void onEnteringFolder(const QString& path);
    void onScanComplete(bool stopped);
    void onRefreshTick();
    void updateCommandStates();
    void showPrompt(const QString& prompt);
    void showErrorReport();
    void showContextMenu(const std::string& path, const QPoint& globalPos, bool driveOnly);
    void layoutSplitterProportionally();
    void focusNextPane(int step);
    void openHelpContents();
    void openWeblog();
    // The report generator, modal, on `page`, with the folder browser's current path.
    void openReportGenerator(int page);
    // What the HTML report shows: the current path and the panes' lists.
    exports::HtmlReportSources htmlReportSources();
    int historyCount() const;
    void showHistoryNote(const QString& root, const QString& note);
    QString withHistoryNote(const QString& text) const;

    scan::ScanController& m_scans;
    std::shared_ptr<reports::ReportCollections> m_reportCollections;
    MainActions* m_actions;  // children of the frame, like every widget below
    PathBar* m_pathBar = nullptr;
    QToolBar* m_toolBar = nullptr;
    QToolBar* m_pathToolBar = nullptr;
    ui::CSmartSplitterWnd* m_splitter = nullptr;
    views::CTarvolinView* m_view = nullptr;
    graphs::CGraphSplitFrame* m_graphPane = nullptr;
    views::CFolderTreeCtrl* m_tree = nullptr;
    drives::CDriveSpaceListCtrl* m_driveList = nullptr;
    QDockWidget* m_treeDock = nullptr;
    QDockWidget* m_driveDock = nullptr;
    StatusMessagePane* m_message = nullptr;
    ui::CBusyProgressCtrl* m_busy = nullptr;
    QLabel* m_clusterSize = nullptr;
    QTimer* m_refreshTimer = nullptr;
    int m_historyCount = 10;
    int m_rememberedClientHeight = 0;           // proportional splitter layout; 0 until first used
    history::ScanHistory* m_history = nullptr;  // owned by the application
    QString m_historyNote;                      // after the last scan; empty when none
    bool m_historyProblemShown = false;
    bool m_softwareManagerFound = false;  // as of the last menu opening
};

}  // namespace tarvolin::app
