// CFolderEnumErrorDlg: the report of the folders that the last folder scan could not read.
#pragma once

#include <vector>

#include "scan/ScanNode.h"
#include "ui/CResizableDialog.h"

class QPushButton;
class QStandardItemModel;

namespace tarvolin::ui {
class CSmartListCtrl;
}  // namespace tarvolin::ui

namespace tarvolin::scan {

// A modal dialog on the UI thread, usually a stack object run with exec() by the main frame.
// It lists a copy of the error records taken by the caller (ScanController::errors()), so a
// scan that goes on appending cannot change the rows under it; each opening recomputes the
// system's texts. Its rectangle and column widths come back at the next opening.
class CFolderEnumErrorDlg : public ui::CResizableDialog {
    Q_OBJECT

public:
    explicit CFolderEnumErrorDlg(std::vector<ScanError> errors, QWidget* parent = nullptr);

    // The records as shown, each with its trimmed system text in `message`.
    const std::vector<ScanError>& errors() const { return m_errors; }
    ui::CSmartListCtrl* list() const { return m_list; }

private:
    void fill();

    std::vector<ScanError> m_errors;
    QStandardItemModel* m_model;  // owned by m_list, so the list still has its columns when it
                                  // saves their widths on destruction
    ui::CSmartListCtrl* m_list;   // owned through Qt's parenting
    QPushButton* m_close;         // owned through Qt's parenting
};

}  // namespace tarvolin::scan
