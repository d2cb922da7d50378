// SplitterGripHandle: the bar of CSmartSplitterWnd, painted with the collapse grip.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSplitterHandle>

namespace tarvolin::ui {

class CSmartSplitterWnd;

// Created and owned by its CSmartSplitterWnd; user-interface thread.
class SplitterGripHandle : public QSplitterHandle {
    Q_OBJECT

public:
    explicit SplitterGripHandle(CSmartSplitterWnd* splitter);

    // The grip inside a bar of width W at (X, Y), height H, with L = W x 0.15:
    // x = X + W/2 - L, width = (L/2 + W/2)/2, y = Y + 1, height = H - 2.
    static QRectF gripRect(const QRectF& bar);

    bool isHot() const { return m_hot; }
    void setHot(bool hot);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool onGrip(const QPointF& point) const { return gripRect(QRectF(rect())).contains(point); }

    CSmartSplitterWnd* m_splitter;  // the parent that created this handle
    bool m_hot = false;
    bool m_pressedOnGrip = false;
    bool m_dragging = false;
    QPointF m_pressPoint;
};

}  // namespace tarvolin::ui
