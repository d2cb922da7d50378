// CGenReportDlg: the progress window of a report scan, which shows the folder tree as it is
// walked and can save it as text.
#pragma once

#include <memory>
#include <vector>

#include <QByteArray>
#include <QString>

#include "scan/ScanRequest.h"
#include "ui/CResizableDialog.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tarvolin::scan {
class GuiScanListener;
struct ReportFolderLine;
}  // namespace tarvolin::scan

namespace tarvolin::scan {
class CFolderEnumThread;
}

namespace tarvolin::exports {

// A modal dialog on the UI thread, a stack object of the report generator. When first shown it
// hands its request to the scan thread with its own listener; then
//   folder lines (batches, walk order) → reportScanComplete(stopped) → "Ok", Save enabled
// and, with the auto-close box checked, it closes by itself. The walk never waits for the text
// view: lines queue up in the listener and are appended a batch at a time. Cancel, Ok, Escape
// and the close box all end the dialog the same way; a walk still running is stopped, and what
// it would still report is dropped.
class CGenReportDlg final : public ui::CResizableDialog {
    Q_OBJECT

public:
    static inline const QString kScanningText =
        QStringLiteral("Generating report: scanning selected folder and child folders...");
    static inline const QString kUpdatingText =
        QStringLiteral("Updating report window. Please wait...");
    static inline const QString kCompleteText =
        QStringLiteral("Scanning complete. Click OK to view reports.");

    // `engine` must outlive the dialog. The request's listener is replaced by the dialog's own.
    CGenReportDlg(scan::CFolderEnumThread& engine, scan::ScanRequest request,
                  QWidget* parent = nullptr);
    ~CGenReportDlg() override;

    bool isComplete() const { return m_complete; }
    // The lines so far as the file gets them: raw name bytes, each line followed by CR LF.
    const QByteArray& treeText() const { return m_text; }
    int lineCount() const { return m_lineCount; }
    // Writes treeText() to `fileName`, replacing what it held. Throws CAppException with the
    // file's error text when it cannot be written.
    void saveTreeText(const QString& fileName);

    QPlainTextEdit* treeView() const { return m_tree; }
    QLabel* statusLabel() const { return m_status; }
    QPushButton* closeButton() const { return m_close; }
    QPushButton* saveButton() const { return m_save; }
    QCheckBox* autoCloseCheck() const { return m_autoClose; }

    // Cancel/Ok: stops a running walk, stores the placement and the auto-close box, closes.
    void reject() override;

signals:
    // The walk ended and was not cancelled here. The generator refreshes its pages while this
    // runs; the dialog shows the completed state afterwards.
    void reportScanComplete(bool stopped);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void appendLine(const QString& text, bool bold);
    void appendLines(std::vector<scan::ReportFolderLine> lines);
    void complete(bool stopped);
    void askAndSave();

    scan::CFolderEnumThread& m_engine;
    scan::ScanRequest m_request;
    std::shared_ptr<scan::GuiScanListener> m_listener;
    bool m_submitted = false;
    bool m_complete = false;
    QByteArray m_text;
    int m_lineCount = 0;

    // Children of the dialog.
    QLabel* m_status;
    QPlainTextEdit* m_tree;
    QCheckBox* m_autoClose;
    QPushButton* m_save;
    QPushButton* m_close;
};

}  // namespace tarvolin::exports
