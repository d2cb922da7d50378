#include "reports/ReportList.h"

#include <algorithm>

#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPolygonF>

#include "views/ItemActions.h"
#include "views/ItemContextMenu.h"
#include "views/ItemOperations.h"

namespace tarvolin::reports {
ReportListBase::ReportListBase(bool firstAscending, bool actsOnFiles, QWidget* parent)
    : ui::CSmartListCtrl(parent), m_sort(firstAscending), m_actsOnFiles(actsOnFiles) {
    setEmptyText(kEmptyText);
    setIconSize(QSize(16, 16));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The base's own images serve: image 0, shown for direction 1 (descending), points down.
    connect(header(), &QHeaderView::sectionClicked, this, &ReportListBase::sortByHeader);
    if (m_actsOnFiles) {
        connect(this, &QAbstractItemView::doubleClicked, this, &ReportListBase::openFirstSelected);
    }
}

void ReportListBase::sortByHeader(int column) {
    if (model() == nullptr || column < 0 || column >= model()->columnCount()) return;
    m_sort.click(column);
    applySort();
}

void ReportListBase::applySort() {
    const auto column = m_sort.column();
    if (!column) return;
    sortModel(*column, m_sort.ascending());
    setSortArrow(*column, m_sort.ascending() ? 0 : 1);
}

int ReportListBase::firstSelectedRow() const {
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        if (first < 0 || index.row() < first) first = index.row();
    }
    return first;
}

std::vector<std::string> ReportListBase::selectedPaths() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<std::string> paths;
    for (const int row : rows) {
        std::string path = rowPath(row);
        if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

std::vector<std::string> ReportListBase::removeGoneRows(const std::vector<std::string>& paths) {
    std::vector<std::string> gone;
    for (const std::string& path : paths) {
        if (fileIsGone(path)) gone.push_back(path);
    }
    if (gone.empty()) return gone;
    removeRowsOf(gone);
    emit rowsDeleted(gone);
    return gone;
}

void ReportListBase::openFirstSelected() {
    const std::string path = rowPath(firstSelectedRow());
    // A file that nothing can open is not reported.
    if (!path.empty()) views::ItemActions::current()->openUrl(views::fileUrl(path));
}

void ReportListBase::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_actsOnFiles) return;
    const std::vector<std::string> paths = selectedPaths();
    if (paths.empty()) return;
    QPoint where = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QRect rect = visualRect(model()->index(firstSelectedRow(), 0));
        where = viewport()->mapToGlobal(rect.bottomLeft());
    }
    const views::ItemContextMenu menu(paths);
    if (menu.exec(this, where) == views::ItemContextMenu::kVerbDelete) removeGoneRows(paths);
}

}  // namespace tarvolin::reports
