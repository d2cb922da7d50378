#include "ui/CSmartSplitterWnd.h"

#include "ui/SplitterGripHandle.h"

#include <algorithm>
#include <numeric>

namespace tarvolin::ui {

CSmartSplitterWnd::CSmartSplitterWnd(QWidget* parent) : QSplitter(Qt::Vertical, parent) {
    setHandleWidth(kBarHeight);
    setChildrenCollapsible(true);
}

QSplitterHandle* CSmartSplitterWnd::createHandle() {
    return new SplitterGripHandle(this);
}

SplitterGripHandle* CSmartSplitterWnd::gripHandle() const {
    return qobject_cast<SplitterGripHandle*>(handle(1));
}

void CSmartSplitterWnd::toggleCollapse(double fraction) {
    const QList<int> rows = sizes();
    const int total = height();
    if (count() != 2 || total <= 0) return;
    const int available = std::accumulate(rows.begin(), rows.end(), 0);
    if (!m_collapsed) m_fraction = static_cast<double>(rows[0]) / total;
    const double upper = total * fraction + 0.5;
    if (upper >= 0) {
        // Anything taller than the splitter leaves the lower pane with nothing.
        const int row0 = upper >= available ? available : static_cast<int>(upper);
        setSizes({row0, available - row0});
    }
    m_collapsed = !m_collapsed;
    if (SplitterGripHandle* grip = gripHandle()) {
        grip->setHot(false);
        grip->update();
    }
    emit collapsedChanged(m_collapsed);
}

void CSmartSplitterWnd::toggleLowerPane() {
    toggleCollapse(m_collapsed ? m_fraction : 100.0);
}

void CSmartSplitterWnd::barDragged() {
    // Dragging the bar open ends the collapsed state; dragging it shut starts one that the grip
    // can undo.
    const bool collapsed = count() == 2 && sizes().value(1) == 0;
    if (SplitterGripHandle* grip = gripHandle()) grip->update();
    if (collapsed == m_collapsed) return;
    m_collapsed = collapsed;
    emit collapsedChanged(m_collapsed);
}

int CSmartSplitterWnd::upperPaneHeight() const {
    return sizes().value(0);
}

void CSmartSplitterWnd::setUpperPaneHeight(int height) {
    const int available = std::max(0, this->height() - handleWidth());
    setSizes({height, std::max(0, available - height)});
}

}  // namespace tarvolin::ui
