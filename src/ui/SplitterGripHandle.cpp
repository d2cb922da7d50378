#include "ui/SplitterGripHandle.h"

#include "ui/CSmartSplitterWnd.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace tarvolin::ui {
namespace {

constexpr double kGripPercent = 15;
constexpr double kEndSquare = 14;  // each end of the grip holds a chevron in a square this wide
const QColor kOutline = QColor::fromRgba(0xFF808080);
const QColor kHotChevron = QColor::fromRgba(0xFFFFFFE0);

}  // namespace

SplitterGripHandle::SplitterGripHandle(CSmartSplitterWnd* splitter)
    : QSplitterHandle(Qt::Vertical, splitter), m_splitter(splitter) {
    setMouseTracking(true);
}

QRectF SplitterGripHandle::gripRect(const QRectF& bar) {
    const double w = bar.width();
    const double l = w * kGripPercent * 0.01;
    return QRectF(bar.x() + w / 2 - l, bar.y() + 1, (l / 2 + w / 2) / 2, bar.height() - 2);
}

void SplitterGripHandle::setHot(bool hot) {
    if (hot == m_hot) return;
    m_hot = hot;
    // Over the grip a click collapses; the resize cursor would promise a drag instead.
    setCursor(hot ? Qt::ArrowCursor : Qt::SplitVCursor);
    update();
}

void SplitterGripHandle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().color(QPalette::Button));

    // Lines sit on pixel centres so that the 1-pixel outline stays sharp.
    const QRectF grip = gripRect(QRectF(rect()));
    const QRectF box = QRectF(grip.toRect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double middle = std::floor(box.center().y()) + 0.5;
    QPen pen(kOutline, 1);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    if (box.width() > 2 * kEndSquare) {
        pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.drawLine(QPointF(box.left() + kEndSquare, middle),
                         QPointF(box.right() - kEndSquare, middle));
    }

    // Pointing down offers to collapse the lower pane, pointing up to bring it back.
    painter.setPen(QPen(m_hot ? kHotChevron : QColor(Qt::black), 2));
    const double tip = m_splitter->isCollapsed() ? -1.5 : 1.5;
    for (const double centre : {box.left() + kEndSquare / 2, box.right() - kEndSquare / 2}) {
        const QPointF chevron[] = {
            {centre - 3, middle - tip}, {centre, middle + tip}, {centre + 3, middle - tip}};
        painter.drawPolyline(chevron, 3);
    }
}

void SplitterGripHandle::mousePressEvent(QMouseEvent* event) {
    m_pressedOnGrip = event->button() == Qt::LeftButton && onGrip(event->position());
    m_dragging = false;
    m_pressPoint = event->position();
    QSplitterHandle::mousePressEvent(event);
}

void SplitterGripHandle::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        // A press on the grip is a click until the mouse travels; then it drags the bar.
        if (m_pressedOnGrip && !m_dragging) {
            if ((event->position() - m_pressPoint).manhattanLength() <
                QApplication::startDragDistance())
                return;
            m_dragging = true;
            setHot(false);
        }
        QSplitterHandle::mouseMoveEvent(event);
        return;
    }
    setHot(onGrip(event->position()));
}

void SplitterGripHandle::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressedOnGrip && !m_dragging && onGrip(event->position());
    m_pressedOnGrip = false;
    m_dragging = false;
    QSplitterHandle::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    if (click)
        m_splitter->toggleLowerPane();
    else
        m_splitter->barDragged();
}

void SplitterGripHandle::leaveEvent(QEvent* event) {
    if (!m_pressedOnGrip) setHot(false);
    QSplitterHandle::leaveEvent(event);
}

}  // namespace tarvolin::ui
