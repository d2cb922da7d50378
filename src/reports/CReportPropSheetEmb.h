// CReportPropSheetEmb: the report generator's tabs, one per report page.
#pragma once

#include <array>

#include <QTabWidget>

namespace tarvolin::reports {

class CFileTypeReportDlg;
class CLargestFilesReport;
class COldestFilesReport;
class CPropertyPageBase;
class CPropPageTempFiles;
class ReportCollections;

// A child of the generator on the UI thread; it owns its pages through Qt's parenting. Pages in
// tab order: largest files, oldest files, file types, temp files.
class CReportPropSheetEmb final : public QTabWidget {
    Q_OBJECT

public:
    static constexpr int kPageCount = 4;

    // `collections` must outlive the sheet.
    explicit CReportPropSheetEmb(ReportCollections& collections, QWidget* parent = nullptr);

    CPropertyPageBase* page(int index) const;
    CLargestFilesReport* largestFiles() const { return m_largest; }
    COldestFilesReport* oldestFiles() const { return m_oldest; }
    CFileTypeReportDlg* fileTypes() const { return m_types; }
    CPropPageTempFiles* tempFiles() const { return m_temp; }

    // Every page rebuilds its list, from the first to the last.
    void refreshAll();

private:
    CLargestFilesReport* m_largest;
    COldestFilesReport* m_oldest;
    CFileTypeReportDlg* m_types;
    CPropPageTempFiles* m_temp;
};

}  // namespace tarvolin::reports
