#include "exports/ItemViewTable.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTableView>
#include <QTreeView>

namespace tarvolin::exports {
namespace {

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

const QHeaderView* columnHeader(const QAbstractItemView& view) {
    if (const auto* tree = qobject_cast<const QTreeView*>(&view)) return tree->header();
    if (const auto* table = qobject_cast<const QTableView*>(&view))
        return table->horizontalHeader();
    return nullptr;
}

}  // namespace

ItemViewTable::ItemViewTable(const QAbstractItemView& view)
    : m_view(view), m_header(columnHeader(view)) {
    const QAbstractItemModel* model = view.model();
    if (m_header == nullptr || model == nullptr) return;
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int logical = m_header->logicalIndex(visual);
        if (logical >= 0 && !m_header->isSectionHidden(logical)) m_columns.push_back(logical);
    }
}

int ItemViewTable::rowCount() const {
    const QAbstractItemModel* model = m_view.model();
    return model != nullptr && !m_columns.empty() ? model->rowCount() : 0;
}

std::string ItemViewTable::columnTitle(int column) const {
    if (column < 0 || column >= columnCount()) return {};
    return utf8(m_view.model()->headerData(m_columns[column], Qt::Horizontal).toString());
}

std::string ItemViewTable::cellText(int row, int column) const {
    if (column < 0 || column >= columnCount()) return {};
    const QAbstractItemModel* model = m_view.model();
    return utf8(model->data(model->index(row, m_columns[column])).toString());
}

int ItemViewTable::columnWidth(int column) const {
    if (column < 0 || column >= columnCount()) return 0;
    return m_header->sectionSize(m_columns[column]);
}

std::vector<int> ItemViewTable::columnWidths() const {
    std::vector<int> widths;
    for (int column = 0; column < columnCount(); ++column)
        widths.push_back(columnWidth(column));
    return widths;
}

}  // namespace tarvolin::exports
