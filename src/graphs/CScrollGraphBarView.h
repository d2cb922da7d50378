// CScrollGraphBarView: the bar graph of the scanned folder's subfolders.
#pragma once

#include <cstdint>
#include <vector>

#include <QPoint>
#include <QString>

#include "graphs/CScrollGraphView.h"

namespace tarvolin::graphs {

// Lives on the UI thread, owned by the CGraphSplitFrame. One row per subfolder, in the order the
// document lists them (the details view's sort order), with a size axis above. It reads the
// document on every draw, one locked read per value, and only the rows that are visible; what
// it keeps between draws (the hit regions) holds copies of names, never nodes, because a new
// scan frees them.
class CScrollGraphBarView : public CScrollGraphView {
    Q_OBJECT

public:
    static constexpr int kGridDivisions = 7;  // 8 vertical lines
    static constexpr int kRowPitch = 25;      // between bar centres
    static constexpr int kBarThickness = 20;
    static constexpr QRgb kGridColor = 0xFF808080;
    static constexpr QRgb kShadowColor = 0xFF808080;
    static constexpr QRgb kAxisColor = 0xFF000000;  // the first vertical and the last row line

    // A bar's rectangle in graph coordinates (left and top inside, right and bottom outside)
    // with a copy of its folder's name.
    struct BarHitRegion {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        QString name;
        bool contains(const QPoint& point) const {
            return point.x() >= left && point.x() < right && point.y() >= top && point.y() < bottom;
        }
    };

    // `scans` must outlive the view.
    explicit CScrollGraphBarView(scan::ScanController& scans, QWidget* parent = nullptr);

    void DrawGraph(QPainter& painter) override;
    void DrawItems(QPainter& painter) override;
    int imageHeight() const override;

    // The height of the graph of `subfolders` rows: 25n + 115.
    static int graphHeight(int subfolders);
    // The name of the bar under a point of the viewport; empty for none.
    QString hitTest(const QPoint& viewportPos) const;
    const std::vector<BarHitRegion>& hitRegions() const { return m_hitRegions; }
    int itemCount() const { return m_itemCount; }
    std::int64_t largestSize() const { return m_largestSize; }

signals:
    // A click on a bar (`open` false) or a double click (`open` true): the details view selects
    // the folder of that name, and with `open` drills into it.
    void barClicked(const QString& name, bool open);

protected:
    void scanStarting() override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_itemCount = 0;
    std::int64_t m_largestSize = 0;
    std::vector<BarHitRegion> m_hitRegions;  // rebuilt by every draw
};

}  // namespace tarvolin::graphs
