#include "reports/CReportPropSheetEmb.h"

#include "reports/CFileTypeReportDlg.h"
#include "reports/CLargestFilesReport.h"
#include "reports/COldestFilesReport.h"
#include "reports/CPropPageTempFiles.h"

namespace tarvolin::reports {

CReportPropSheetEmb::CReportPropSheetEmb(ReportCollections& collections, QWidget* parent)
    : QTabWidget(parent),
      m_largest(new CLargestFilesReport(collections, this)),
      m_oldest(new COldestFilesReport(collections, this)),
      m_types(new CFileTypeReportDlg(collections, this)),
      m_temp(new CPropPageTempFiles(collections, this)) {
    for (CPropertyPageBase* each :
         std::array<CPropertyPageBase*, kPageCount>{m_largest, m_oldest, m_types, m_temp}) {
        addTab(each, each->title());
    }
}

CPropertyPageBase* CReportPropSheetEmb::page(int index) const {
    return qobject_cast<CPropertyPageBase*>(widget(index));
}

void CReportPropSheetEmb::refreshAll() {
    for (int index = 0; index < count(); ++index) {
        if (CPropertyPageBase* each = page(index)) each->refreshReport();
    }
}

}  // namespace tarvolin::reports
