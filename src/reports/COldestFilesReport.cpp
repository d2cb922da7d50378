#include "reports/COldestFilesReport.h"

#include <QVBoxLayout>

#include "reports/ReportCollections.h"

namespace tarvolin::reports {

COldestFilesReport::COldestFilesReport(ReportCollections& collections, QWidget* parent)
    : CPropertyPageBase(QString::fromLatin1(kOldestFilesTitle), collections, parent),
      m_list(new COldestFilesListCtrl(false, true, QAbstractItemView::ExtendedSelection, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeDescription(kDescription));
    layout->addWidget(m_list, 1);
}

void COldestFilesReport::refreshReport() {
    m_list->setRows(oldestFileRows(collections().oldestFiles()));
}

}  // namespace tarvolin::reports
