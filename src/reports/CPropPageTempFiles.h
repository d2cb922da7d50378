// CPropPageTempFiles: the page of the files that match the temp file mask, with the mask.
#pragma once

#include "reports/CPropertyPageBase.h"
#include "reports/ReportList.h"

class QLineEdit;
class QPushButton;

namespace tarvolin::reports {

// A page of the generator's sheet, on the UI thread; its controls are its children. The mask
// lives in the settings store ("TempFileMask") and, parsed, in the collections, where it decides
// which files the next report scan keeps.
class CPropPageTempFiles final : public CPropertyPageBase {
    Q_OBJECT

public:
    static inline const QString kDescription = QStringLiteral(
        "These are the temporary files contained within the scanned folder (and its subfolders). "
        "Right-click a filename for additional options.");
    static inline const QString kMaskLabel = QStringLiteral(
        "&Filenames containing one of these (semicolon-delimited) patterns are considered temp "
        "files:");
    static inline const QString kNoValidEntries =
        QStringLiteral("The temp file mask provided appears to have no valid entries.");
    static inline const QString kReplaceQuestion = QStringLiteral(
        "Are you sure you wish to replace the existing temp file mask with the defaults?");

    explicit CPropPageTempFiles(ReportCollections& collections, QWidget* parent = nullptr);

    // The matches in the order the scan found them; the sort column's order if the user chose
    // one.
    void refreshReport() override;
    ReportListBase* reportList() const override { return m_list; }
    CTempFilesListCtrl* list() const { return m_list; }
    QLineEdit* maskEdit() const { return m_mask; }
    QPushButton* defaultsButton() const { return m_defaults; }

    // Leaving the mask edit: stores the text and parses it for the next report scan; a mask
    // without patterns is reported. The rows shown stay as they are.
    void applyMask();
    // After a yes: the default mask goes into the edit and the store, and applies at once.
    void restoreDefaults();

private:
    CTempFilesListCtrl* m_list;
    QLineEdit* m_mask;
    QPushButton* m_defaults;
};

}  // namespace tarvolin::reports
