// ReportListModel: the rows of one report list as a table model.
#pragma once

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <QAbstractTableModel>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QIcon>

#include "reports/ReportRowTraits.h"

namespace tarvolin::reports {

// Lives on the UI thread, owned by its list. It holds copies of the rows, so nothing it shows
// can be freed by the next report scan or by the generator closing. Sorting keeps persistent
// indexes (the selection, the current row) on their rows.
template <class Row>
class ReportListModel final : public QAbstractTableModel {
public:
    using Traits = ReportRowTraits<Row>;

    explicit ReportListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(Traits::kColumns.size());
    }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return {};
        const Row& row = m_rows[static_cast<std::size_t>(index.row())];
        switch (role) {
            case Qt::DisplayRole:
                return Traits::cellText(row, index.column());
            case Qt::DecorationRole:
                if (index.column() == 0) return icon(Traits::iconFile(row));
                break;
            default:
                break;
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override {
        if (orientation != Qt::Horizontal || section < 0 ||
            section >= static_cast<int>(Traits::kColumns.size())) {
            return {};
        }
        if (role == Qt::DisplayRole)
            return QString::fromLatin1(Traits::kColumns[static_cast<std::size_t>(section)].title);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    void setRows(std::vector<Row> rows) {
        beginResetModel();
        m_rows = std::move(rows);
        m_icons.clear();
        endResetModel();
    }

    void sortBy(int column, bool ascending) {
        if (column < 0 || column >= columnCount()) return;
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        std::vector<std::string> keys;
        keys.reserve(static_cast<std::size_t>(before.size()));
        for (const QModelIndex& index : before)
            keys.push_back(Traits::key(m_rows[static_cast<std::size_t>(index.row())]));
        sortRows(m_rows, static_cast<typename Traits::Column>(column), ascending);
        const auto rowOf = rowsByKey();
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i) {
            const auto found = rowOf.find(keys[static_cast<std::size_t>(i)]);
            after.push_back(found == rowOf.end() ? QModelIndex()
                                                 : index(found->second, before[i].column()));
        }
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

    // Removes the rows whose key is among `keys`; how many went.
    int removeKeys(const std::vector<std::string>& keys) {
        int removed = 0;
        for (int row = rowCount() - 1; row >= 0; --row) {
            const std::string& key = Traits::key(m_rows[static_cast<std::size_t>(row)]);
            if (std::find(keys.begin(), keys.end(), key) == keys.end()) continue;
            beginRemoveRows({}, row, row);
            m_rows.erase(m_rows.begin() + row);
            endRemoveRows();
            ++removed;
        }
        return removed;
    }

    const std::vector<Row>& rows() const { return m_rows; }
    const Row& row(int index) const { return m_rows.at(static_cast<std::size_t>(index)); }

private:
    // Keys are unique within a list: a path is met once per walk, an extension is one type.
    std::unordered_map<std::string, int> rowsByKey() const {
        std::unordered_map<std::string, int> rows;
        rows.reserve(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            rows.emplace(Traits::key(m_rows[i]), static_cast<int>(i));
        return rows;
    }

    // Looked up once per file name while the rows stay, and only for rows that are drawn.
    QIcon icon(const QString& file) const {
        const auto found = m_icons.constFind(file);
        if (found != m_icons.constEnd()) return *found;
        const QIcon fetched = m_iconProvider.icon(QFileInfo(file));
        m_icons.insert(file, fetched);
        return fetched;
    }

    std::vector<Row> m_rows;
    QFileIconProvider m_iconProvider;
    mutable QHash<QString, QIcon> m_icons;
};

}  // namespace tarvolin::reports
