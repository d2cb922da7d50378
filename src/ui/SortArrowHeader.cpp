#include "ui/SortArrowHeader.h"

#include <QPainter>
#include <QPolygonF>
#include <QStyle>
#include <QStyleOptionHeader>

#include <algorithm>

namespace tarvolin::ui {
namespace {

constexpr int kImageSize = 16;
constexpr int kImageGap = 6;  // between the label and the arrow

}  // namespace

QPixmap SortArrowHeader::triangleImage(bool down, const QColor& color) {
    QPixmap image(kImageSize, kImageSize);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    if (down)
        painter.drawPolygon(QPolygonF({{4, 6}, {12, 6}, {8, 10.5}}));
    else
        painter.drawPolygon(QPolygonF({{4, 10.5}, {12, 10.5}, {8, 6}}));
    return image;
}

SortArrowHeader::SortArrowHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    const QColor color = palette().color(QPalette::ButtonText);
    m_images[0] = triangleImage(true, color);
    m_images[1] = triangleImage(false, color);
}

void SortArrowHeader::setImages(const QPixmap& down, const QPixmap& up) {
    m_images[0] = down;
    m_images[1] = up;
    if (m_arrowColumn >= 0) updateSection(m_arrowColumn);
}

void SortArrowHeader::setArrow(int column, int direction) {
    const int previous = m_arrowColumn;
    m_arrowColumn = column;
    m_direction = direction;
    if (previous >= 0) updateSection(previous);
    if (column >= 0) updateSection(column);
}

void SortArrowHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (logicalIndex != m_arrowColumn || !rect.isValid()) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    QStyleOptionHeader option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    option.sortIndicator = QStyleOptionHeader::None;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    // The label keeps its alignment; the arrow follows it and the text gives way to the arrow.
    const QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    const QPixmap& image = arrowImage();
    const QSize imageSize = image.deviceIndependentSize().toSize();
    const int iconWidth = option.icon.isNull()
                              ? 0
                              : style()->pixelMetric(QStyle::PM_SmallIconSize, &option, this) + 2;
    const int textRoom = std::max(0, label.width() - kImageGap - imageSize.width() - iconWidth);
    option.text = option.fontMetrics.elidedText(option.text, Qt::ElideRight, textRoom);
    const int contentWidth = iconWidth + option.fontMetrics.horizontalAdvance(option.text);
    const QRect group = QStyle::alignedRect(
        layoutDirection(), (option.textAlignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter,
        QSize(std::min(label.width(), contentWidth + kImageGap + imageSize.width()),
              label.height()),
        label);

    option.rect = QRect(group.left(), group.top(), contentWidth, group.height());
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    style()->drawControl(QStyle::CE_HeaderLabel, &option, painter, this);
    painter->drawPixmap(group.right() + 1 - imageSize.width(),
                        group.top() + (group.height() - imageSize.height()) / 2, image);
}

QSize SortArrowHeader::sectionSizeFromContents(int logicalIndex) const {
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    if (logicalIndex == m_arrowColumn)
        size.rwidth() += kImageGap + arrowImage().deviceIndependentSize().toSize().width();
    return size;
}

}  // namespace tarvolin::ui
