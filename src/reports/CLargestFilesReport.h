// CLargestFilesReport: the page of the 50 largest files, with their banding graph.
#pragma once

#include "reports/CPropertyPageBase.h"
#include "reports/ReportList.h"

namespace tarvolin::graphs {
class CStaticBarGraph;
}

namespace tarvolin::reports {

// A page of the generator's sheet, on the UI thread. Its list and graph are its children.
class CLargestFilesReport final : public CPropertyPageBase {
    Q_OBJECT

public:
    static inline const QString kDescription = QStringLiteral(
        "These are the 50 largest files contained within the scanned folder (and its "
        "subfolders). Right-click a filename for additional options.");
    static inline const QString kGraphTitle = QStringLiteral("Banding graph (hover for file name)");
    static inline const QString kGraphHelp = QStringLiteral(
        "Hover over a portion of the banding graph to view the associated file name");

    explicit CLargestFilesReport(ReportCollections& collections, QWidget* parent = nullptr);

    // The rows in heap order, numbered; the sort column's order if the user chose one; then one
    // band per row, in the list's order.
    void refreshReport() override;
    ReportListBase* reportList() const override { return m_list; }
    CLargestFilesListCtrl* list() const { return m_list; }
    graphs::CStaticBarGraph* graph() const { return m_graph; }

    // Selects only the row whose "#" reads `label` and brings it into view; without one, no row
    // stays selected.
    void selectRowNumbered(const QString& label);

private:
    void rebuildGraph();

    CLargestFilesListCtrl* m_list;
    graphs::CStaticBarGraph* m_graph;
};

}  // namespace tarvolin::reports
