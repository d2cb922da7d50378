// CFileTypeReportDlg: the page of space per file type, with its display filter.
#pragma once

#include <cstdint>

#include "reports/CPropertyPageBase.h"
#include "reports/ReportList.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace tarvolin::reports {

// A page of the generator's sheet, on the UI thread; its controls are its children. The filter
// comes from the settings store when the page is made and goes back when it is destroyed; in
// between it lives in the controls, and changing the number does nothing until Refresh or the
// check box.
class CFileTypeReportDlg final : public CPropertyPageBase {
    Q_OBJECT

public:
    static inline const QString kDescription = QStringLiteral(
        "This report shows which types of files are consuming the most drive space in the "
        "scanned folder (and its subfolders). Use the display filters to narrow down the list as "
        "desired.");
    // The up-down's range; the edit itself takes any number.
    static constexpr int kStepMinimum = -32767;
    static constexpr int kStepMaximum = 32767;

    explicit CFileTypeReportDlg(ReportCollections& collections, QWidget* parent = nullptr);
    ~CFileTypeReportDlg() override;

    // Lists the types with files whose total reaches the minimum while the filter is on.
    void refreshReport() override;
    ReportListBase* reportList() const override { return m_list; }
    CFileClassListCtrl* list() const { return m_list; }

    // The filter as the controls hold it; the minimum reads like atoi, in 64 bits.
    FileTypeFilter filter() const;
    QCheckBox* filterCheck() const { return m_check; }
    QAbstractSpinBox* minimumEdit() const;
    QPushButton* refreshButton() const { return m_refresh; }
    void setMinimumText(const QString& text);

    // C atoi over 64 bits: blanks, a sign, digits up to the first other character; 0 without
    // digits; saturates instead of overflowing.
    static std::int64_t leadingInteger(QStringView text);

private:
    class MinimumEdit;

    void filterToggled();

    CFileClassListCtrl* m_list;
    QCheckBox* m_check;
    MinimumEdit* m_minimum;
    QPushButton* m_refresh;
};

}  // namespace tarvolin::reports
