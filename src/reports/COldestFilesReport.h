// COldestFilesReport: the page of the 50 oldest files.
#pragma once

#include "reports/CPropertyPageBase.h"
#include "reports/ReportList.h"

namespace tarvolin::reports {

// A page of the generator's sheet, on the UI thread. Its list is its child.
class COldestFilesReport final : public CPropertyPageBase {
    Q_OBJECT

public:
    static inline const QString kDescription = QStringLiteral(
        "These are the 50 oldest files contained within the scanned folder (and its subfolders). "
        "Right-click a filename for additional options.");

    explicit COldestFilesReport(ReportCollections& collections, QWidget* parent = nullptr);

    // The rows in heap order, each size read again from the file system; then the sort column's
    // order if the user chose one.
    void refreshReport() override;
    ReportListBase* reportList() const override { return m_list; }
    COldestFilesListCtrl* list() const { return m_list; }

private:
    COldestFilesListCtrl* m_list;
};

}  // namespace tarvolin::reports
