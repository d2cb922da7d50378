// CReportGenDlg: the file report generator: pick a folder, run a report scan, read the reports.
#pragma once

#include <memory>

#include <QDialog>
#include <QString>

class QPushButton;

namespace tarvolin::ui {
class CHistoryCombo;
}  // namespace tarvolin::ui

namespace tarvolin::scan {
class CFolderEnumThread;
}

namespace tarvolin::reports {

class CReportPropSheetEmb;
class ReportCollections;

// A modal dialog on the UI thread, a stack object of the main frame's report commands. A report
// scan runs under the progress window (exports::CGenReportDlg) on the one scan thread, which
// abandons a folder scan in progress; when it completes every page rebuilds its list from the
// collections. The collections belong to the program and outlive the dialog, so reopening it
// can show the last results again once a page is refreshed. Close saves the path history and
// empties the file types; Escape and the close box do neither.
class CReportGenDlg final : public QDialog {
    Q_OBJECT

public:
    static inline const QString kNoPathText =
        QStringLiteral("Please select a folder upon which to report");
    static inline const QString kMissingPathText =
        QStringLiteral("The folder path provided does not exist or is otherwise inaccessible.");
    static constexpr int kHistoryEntries = 20;

    // `engine` must outlive the dialog. `firstPage` 0 to 3: largest, oldest, types, temp files.
    CReportGenDlg(scan::CFolderEnumThread& engine, std::shared_ptr<ReportCollections> collections,
                  int firstPage, const QString& initialPath, QWidget* parent = nullptr);

    // Start Scan: checks the path, puts it on top of the history and runs the progress window
    // modally. False when the path was refused (the message box told why).
    bool startScan();
    // Close.
    void accept() override;

    ui::CHistoryCombo* pathCombo() const { return m_path; }
    CReportPropSheetEmb* sheet() const { return m_sheet; }
    QPushButton* browseButton() const { return m_browse; }
    QPushButton* startButton() const { return m_start; }
    QPushButton* printButton() const { return m_print; }
    QPushButton* exportButton() const { return m_export; }
    QPushButton* closeButton() const { return m_close; }

private:
    void browse();
    void refuse(const QString& text);
    void reportScanComplete();

    scan::CFolderEnumThread& m_engine;
    std::shared_ptr<ReportCollections> m_collections;  // shared with the program and the scans
    // Children of the dialog.
    ui::CHistoryCombo* m_path;
    QPushButton* m_browse;
    QPushButton* m_start;
    CReportPropSheetEmb* m_sheet;
    QPushButton* m_print;
    QPushButton* m_export;
    QPushButton* m_close;
};

}  // namespace tarvolin::reports
