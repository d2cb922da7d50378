// CGraphSplitFrame: the graph pane of the main window, a small toolbar above the bar graph.
#pragma once

#include <QWidget>

class QAction;
class QToolBar;

namespace tarvolin::scan {
class ScanController;
}  // namespace tarvolin::scan

namespace tarvolin::graphs {

class CScrollGraphBarView;

// Lives on the UI thread as the lower pane of the main window's splitter, which owns it. The
// toolbar's save and copy buttons act on the view at any time (also while a scan runs, on what
// is listed so far); the customise button asks the main window to open the graph options.
class CGraphSplitFrame : public QWidget {
    Q_OBJECT

public:
    // The toolbar's command ids.
    static constexpr int kSaveGraphImage = 172;
    static constexpr int kCopyGraphImage = 171;
    static constexpr int kCustomizeGraph = 32828;

    // `scans` must outlive the frame.
    explicit CGraphSplitFrame(scan::ScanController& scans, QWidget* parent = nullptr);

    CScrollGraphBarView* view() const { return m_view; }
    QToolBar* toolBar() const { return m_toolBar; }
    QAction* action(int commandId) const;

signals:
    // The customise button: open the options on their graph page.
    void customizeRequested();

private:
    CScrollGraphBarView* m_view;  // children of this frame
    QToolBar* m_toolBar;
    QAction* m_save;
    QAction* m_copy;
    QAction* m_customize;
};

}  // namespace tarvolin::graphs
