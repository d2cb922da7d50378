#include "ui/CSmartListCtrl.h"

#include "ui/ColumnWidths.h"
#include "ui/SortArrowHeader.h"

#include <QAbstractItemModel>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace tarvolin::ui {

CSmartListCtrl::CSmartListCtrl(QWidget* parent)
    : QTreeView(parent), m_header(new SortArrowHeader(this)) {
    setHeader(m_header);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    m_header->setSectionsClickable(true);
    m_header->setStretchLastSection(false);
    rowsChanged();
}

CSmartListCtrl::~CSmartListCtrl() {
    saveColumnWidths();
}

void CSmartListCtrl::setModel(QAbstractItemModel* model) {
    for (const auto& connection : m_modelConnections)
        disconnect(connection);
    m_modelConnections.clear();
    QTreeView::setModel(model);
    if (model != nullptr) {
        m_modelConnections = {
            connect(model, &QAbstractItemModel::rowsInserted, this, &CSmartListCtrl::rowsChanged),
            connect(model, &QAbstractItemModel::rowsRemoved, this, &CSmartListCtrl::rowsChanged),
            connect(model, &QAbstractItemModel::modelReset, this, &CSmartListCtrl::rowsChanged),
            connect(model, &QAbstractItemModel::layoutChanged, this, &CSmartListCtrl::rowsChanged),
        };
    }
    rowsChanged();
}

void CSmartListCtrl::setEmptyText(const QString& text) {
    m_emptyText = text;
    if (!hasRows()) viewport()->update();
}

void CSmartListCtrl::setHeaderImages(const QPixmap& down, const QPixmap& up) {
    m_header->setImages(down, up);
}

void CSmartListCtrl::setSortArrow(int column, int direction) {
    if (column == -1) return;
    m_sortColumn = column;
    m_sortDirection = direction;
    m_header->setArrow(column, direction);
    viewport()->update();
}

void CSmartListCtrl::removeSortArrow(int column) {
    if (column == -1 || column != m_header->arrowColumn()) return;
    m_header->setArrow(-1, m_sortDirection);
    m_sortColumn = -1;
    viewport()->update();
}

void CSmartListCtrl::loadColumnWidths(const QString& valueName) {
    m_widthsName = valueName;
    ui::loadColumnWidths(m_header, valueName);
}

void CSmartListCtrl::saveColumnWidths() const {
    if (!m_widthsName.isEmpty()) ui::saveColumnWidths(m_header, m_widthsName);
}

bool CSmartListCtrl::hasRows() const {
    return model() != nullptr && model()->rowCount(rootIndex()) > 0;
}

void CSmartListCtrl::rowsChanged() {
    // A disabled header tells the user there is nothing to sort.
    m_header->setEnabled(hasRows());
    viewport()->update();
}

bool CSmartListCtrl::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QTreeView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QRect cell = visualRect(index);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = cell;
    if (!index.isValid() ||
        itemDelegateForIndex(index)->sizeHint(option, index).width() <= cell.width()) {
        QToolTip::hideText();
        return true;
    }
    // As rich text, so that a name that looks like markup reads as it is spelled.
    QToolTip::showText(help->globalPos(),
                       QStringLiteral("<p style='white-space:pre'>%1</p>")
                           .arg(index.data().toString().toHtmlEscaped()),
                       viewport(), cell);
    return true;
}

void CSmartListCtrl::paintEvent(QPaintEvent* event) {
    if (hasRows()) {
        QTreeView::paintEvent(event);
        return;
    }
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    painter.fillRect(area, palette().brush(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    painter.setFont(font());
    painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, u'\n' + m_emptyText);
}

void CSmartListCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (m_sortColumn >= 0 && m_sortColumn < m_header->count() &&
        !m_header->isSectionHidden(m_sortColumn)) {
        const QRect cell(columnViewportPosition(m_sortColumn), option.rect.top(),
                         columnWidth(m_sortColumn), option.rect.height());
        painter->fillRect(cell, palette().brush(QPalette::Midlight));
    }
    QTreeView::drawRow(painter, option, index);
}

}  // namespace tarvolin::ui
