// CCompareScanDlg: the folders that changed since an earlier scan of the current folder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "history/Snapshot.h"
#include "ui/CResizableDialog.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTreeView;

namespace tarvolin::history {

class FolderChangeModel;
class HistoryDatabase;

// Modal, on the UI thread. Compares `current` (the last completed scan, whose root is the
// folder shown) with the snapshot chosen in the combo: the stored snapshots of that folder or
// of a folder above it, newest first, without `currentId` (the current scan's own). Reads the
// history file through a read-only connection of its own. Double-clicking a folder that still
// exists emits folderActivated and closes the dialog.
class CCompareScanDlg final : public ui::CResizableDialog {
    Q_OBJECT

public:
    CCompareScanDlg(const std::string& databasePath, std::shared_ptr<const FolderSnapshot> current,
                    std::optional<std::int64_t> currentId, QWidget* parent = nullptr);
    ~CCompareScanDlg() override;

    QComboBox* snapshotCombo() const { return m_combo; }
    QTreeView* changeList() const { return m_list; }
    FolderChangeModel* changeModel() const { return m_model; }
    QLabel* summary() const { return m_summary; }
    QPushButton* exportButton() const { return m_export; }

signals:
    void folderActivated(const std::string& path);

private:
    void compareWith(int comboIndex);
    void activate(const QModelIndex& index);

    std::unique_ptr<HistoryDatabase> m_database;
    std::shared_ptr<const FolderSnapshot> m_current;
    std::vector<SnapshotInfo> m_snapshots;  // as listed in the combo
    QComboBox* m_combo;
    QLabel* m_summary;
    QTreeView* m_list;
    FolderChangeModel* m_model;
    QPushButton* m_export = nullptr;
};

}  // namespace tarvolin::history
