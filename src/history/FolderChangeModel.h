// FolderChangeModel: the compare dialog's list of changed folders.
#pragma once

#include <vector>

#include <QAbstractTableModel>

#include "history/FolderComparison.h"

namespace tarvolin::history {

// UI thread. Rows keep the order they are given (largest change first).
class FolderChangeModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Folder, Before, After, Change, FilesChange, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setChanges(std::vector<FolderChange> changes);
    const FolderChange& change(int row) const {
        return m_changes.at(static_cast<std::size_t>(row));
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<FolderChange> m_changes;
};

}  // namespace tarvolin::history
