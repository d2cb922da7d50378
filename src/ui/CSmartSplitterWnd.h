// CSmartSplitterWnd: a two-row splitter whose bar carries a grip that collapses and restores
// the lower pane.
#pragma once

#include <QSplitter>

namespace tarvolin::ui {

class SplitterGripHandle;

// The main frame's splitter (upper pane above lower pane); user-interface thread, owned by its
// parent widget. A click on the grip collapses the lower pane, a second click brings it back to
// the height it had; dragging the bar works as in any splitter.
class CSmartSplitterWnd : public QSplitter {
    Q_OBJECT

public:
    static constexpr int kBarHeight = 8;

    explicit CSmartSplitterWnd(QWidget* parent = nullptr);

    bool isCollapsed() const { return m_collapsed; }

    // Row 0 becomes (height x fraction + 0.5) pixels, the rest goes to row 1. When expanded, the
    // current row-0 share is remembered first; a fraction of 100 pushes the lower pane out of
    // view. Flips the collapsed state.
    void toggleCollapse(double fraction);
    // What a click on the grip does: restore with the remembered fraction, or collapse.
    void toggleLowerPane();

    int upperPaneHeight() const;
    // Gives row 0 `height` pixels and row 1 the rest; call it once the splitter has its size.
    void setUpperPaneHeight(int height);

signals:
    void collapsedChanged(bool collapsed);

protected:
    QSplitterHandle* createHandle() override;

private:
    friend class SplitterGripHandle;
    // After the user dragged the bar: collapsed is what the lower pane now shows.
    void barDragged();
    SplitterGripHandle* gripHandle() const;

    bool m_collapsed = false;
    double m_fraction = 0.5;  // row-0 height / splitter height, taken when collapsing
};

}  // namespace tarvolin::ui
