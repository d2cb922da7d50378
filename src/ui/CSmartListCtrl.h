// CSmartListCtrl: the report-style list base with persisted column widths, a sort arrow, an
// empty-list text and a shaded sort column.
#pragma once

#include <QMetaObject>
#include <QPixmap>
#include <QString>
#include <QTreeView>

namespace tarvolin::ui {

class SortArrowHeader;

// A flat list (a QTreeView without branches) over the owner's model; user-interface thread,
// owned by its parent widget. A cell cut by its column shows its whole text as a tooltip.
// Subclasses set the empty text and the header images, call loadColumnWidths(name) once the
// model's columns exist (the widths are saved under the same name when the list is destroyed)
// and call setSortArrow() from their header-click handling.
class CSmartListCtrl : public QTreeView {
    Q_OBJECT

public:
    explicit CSmartListCtrl(QWidget* parent = nullptr);
    ~CSmartListCtrl() override;

    void setModel(QAbstractItemModel* model) override;

    // Drawn centred below the header, after a line break, while the list has no rows.
    void setEmptyText(const QString& text);
    QString emptyText() const { return m_emptyText; }

    void setHeaderImages(const QPixmap& down, const QPixmap& up);

    // Moves the arrow to `column` (image 0 for direction 1, else image 1) and makes it the sort
    // column, whose cells get the Midlight background. Column -1 does nothing.
    void setSortArrow(int column, int direction);
    // Clears the arrow of `column`; the list is then unsorted if it was the sort column.
    void removeSortArrow(int column);
    int sortColumn() const { return m_sortColumn; }
    int sortDirection() const { return m_sortDirection; }

    void loadColumnWidths(const QString& valueName);
    void saveColumnWidths() const;  // under the name given to loadColumnWidths, if any

protected:
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    bool hasRows() const;
    void rowsChanged();

    SortArrowHeader* m_header;  // owned by this view through Qt's parenting
    QString m_emptyText;
    int m_sortDirection = 1;
    int m_sortColumn = -1;
    QString m_widthsName;
    QList<QMetaObject::Connection> m_modelConnections;
};

}  // namespace tarvolin::ui
