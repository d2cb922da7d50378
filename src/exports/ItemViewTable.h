// ItemViewTable: a list widget as the exports read it: the texts it shows, in its order.
#pragma once

#include <string>
#include <vector>

#include <QString>

#include "exports/ListTable.h"

class QAbstractItemView;
class QHeaderView;

namespace tarvolin::exports {

// Reads a QTreeView's or QTableView's model through its column header: the visible columns in
// the order they are shown, each row's display texts. UI thread; the view must outlive the
// table, which copies nothing.
class ItemViewTable final : public ListTable {
public:
    explicit ItemViewTable(const QAbstractItemView& view);

    int columnCount() const override { return static_cast<int>(m_columns.size()); }
    int rowCount() const override;
    std::string columnTitle(int column) const override;
    std::string cellText(int row, int column) const override;

    // The column's width on screen, in pixels.
    int columnWidth(int column) const;
    std::vector<int> columnWidths() const;

private:
    const QAbstractItemView& m_view;
    const QHeaderView* m_header;  // the view's own; null for a view without columns
    std::vector<int> m_columns;   // logical columns in display order
};

}  // namespace tarvolin::exports
