// SortArrowHeader: a horizontal header that draws a sort arrow image to the right of one
// section's label.
#pragma once

#include <QHeaderView>
#include <QPixmap>

namespace tarvolin::ui {

// Owned by its CSmartListCtrl; user-interface thread.
class SortArrowHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit SortArrowHeader(QWidget* parent = nullptr);

    // Image 0 points down, image 1 up; plain painted triangles until the owner supplies its own.
    void setImages(const QPixmap& down, const QPixmap& up);
    // The plain triangle, for owners that show the images the other way round.
    static QPixmap triangleImage(bool down, const QColor& color);
    // Direction 1 shows image 0, anything else image 1. Column -1 means no arrow.
    void setArrow(int column, int direction);
    int arrowColumn() const { return m_arrowColumn; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    const QPixmap& arrowImage() const { return m_images[m_direction == 1 ? 0 : 1]; }

    QPixmap m_images[2];
    int m_arrowColumn = -1;
    int m_direction = 1;
};

}  // namespace tarvolin::ui
