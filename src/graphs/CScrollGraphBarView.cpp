#include "graphs/CScrollGraphBarView.h"

#include <algorithm>
#include <cmath>

#include <QFile>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "common/GraphPalette.h"
#include "common/SizeText.h"
#include "graphs/GraphTexts.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "ui/Options.h"

namespace tarvolin::graphs {
namespace {

constexpr QRgb kFirstBarColor = 0xFF00008B;

QString decode(std::string_view bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// The grid's dash: three pen widths drawn, one left out.
QPen gridPen(QRgb color) {
    QPen pen(QColor::fromRgba(color), 1.0);
    pen.setDashPattern({3.0, 1.0});
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

QPen barPen(QRgb color) {
    return QPen(QBrush(QColor::fromRgba(color)), CScrollGraphBarView::kBarThickness, Qt::SolidLine,
                Qt::FlatCap);
}

}  // namespace

CScrollGraphBarView::CScrollGraphBarView(scan::ScanController& scans, QWidget* parent)
    : CScrollGraphView(scans, parent) {}

int CScrollGraphBarView::graphHeight(int subfolders) {
    // The client area's top is 0 in a scrolled view.
    return (subfolders + 1) * kRowPitch + kBarThickness / 2 + kTitleBandHeight + kTopMargin + 5;
}

int CScrollGraphBarView::imageHeight() const {
    return graphHeight(scans().document().folderCount());
}

void CScrollGraphBarView::scanStarting() {
    m_hitRegions.clear();
    m_itemCount = 0;
    m_largestSize = 0;
}

void CScrollGraphBarView::DrawGraph(QPainter& painter) {
    m_hitRegions.clear();
    const scan::CTarvolinDoc& document = scans().document();
    m_itemCount = document.folderCount();
    m_largestSize = document.largestFolderSize();
    const int height = graphHeight(m_itemCount);
    const QRect client = clientRect();
    DrawBackground(painter, QRect(0, 0, client.width(), std::max(height, client.height())));
    setScrollSizes(0, height);

    const std::string documentPath = document.folderPath();
    const QString title = decode(graphTitlePath(browserPath(), documentPath));
    const QString subtitle = !statusFlag() ? statusText() : QString();
    if (!subtitle.isEmpty()) {
        DrawTitle(painter, title, subtitle, true);
    } else if (scans().engine().isReportScanRunning()) {
        DrawTitle(painter, QString::fromUtf8(kReportInProgressText), QString(), false);
    } else if (!documentPath.empty()) {
        DrawTitle(painter, title, QString(), true);
    } else {
        DrawTitle(painter, QString::fromUtf8(kNoFoldersText), QString(), false);
    }
    if (m_itemCount > 0) DrawItems(painter);
}

void CScrollGraphBarView::DrawItems(QPainter& painter) {
    m_hitRegions.clear();
    const scan::CTarvolinDoc& document = scans().document();
    const int n = m_itemCount;
    const QRect client = clientRect();
    const int top = client.top() + kTopMargin + kTitleBandHeight;      // T
    const int left = client.left() + kLabelColumnWidth + kSideMargin;  // L
    const int right = client.left() + client.width() - kSideMargin;    // R
    const qreal offset = painter.testRenderHint(QPainter::Antialiasing) ? 0.5 : 0.0;
    const QFont labelFont =
        graphFont(ui::readOption(ui::option::kGraphLabelFontFaceName), 9.0, false, painter);
    const QFontMetricsF labelMetrics(labelFont, painter.device());

    // Only the rows that meet the drawn area are read and drawn: the document is locked for
    // each read, and a folder may have hundreds of thousands of subfolders.
    const QRect area = drawArea();
    const int firstRow = std::clamp((area.top() - top) / kRowPitch - 2, 0, n);
    const int lastRow = std::clamp((area.bottom() - top) / kRowPitch + 1, 0, n);

    painter.save();
    QPen grid = gridPen(kGridColor);
    for (int i = firstRow; i <= lastRow; ++i) {
        const qreal y = top + kRowPitch * (i + 1) + offset;
        if (i == n) grid.setColor(QColor::fromRgba(kAxisColor));
        painter.setPen(grid);
        painter.drawLine(QPointF(left, y), QPointF(right, y));
    }
    const qreal bottomLine = top + kRowPitch * (n + 1);  // B

    // The size axis: 8 lines, each labelled with its share of the largest size.
    painter.setFont(labelFont);
    const qreal step = static_cast<qreal>(right - left) / kGridDivisions;
    qreal lastLine = left;  // Xmax
    for (int k = 0; k <= kGridDivisions; ++k) {
        const qreal x = step * k + left;
        if (x < 0) break;
        painter.setPen(gridPen(k == 0 ? kAxisColor : kGridColor));
        painter.drawLine(QPointF(x + offset, top), QPointF(x + offset, bottomLine));
        const QString label =
            QString::fromStdString(formatSize(m_largestSize / kGridDivisions * k));
        const qreal width = labelMetrics.horizontalAdvance(label);
        painter.setPen(QColor::fromRgba(kText));
        painter.drawText(QRectF(x - width / 2, top - 20, width, labelMetrics.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                         label);
        lastLine = x;
    }

    // Bytes per pixel; a plot of no width (a pane 175 pixels wide or less) counts as one pixel.
    const std::int64_t plotWidth = std::max(1, right - left);
    std::int64_t scale = m_largestSize / plotWidth;
    if (scale < 2) scale = 1;
    const QPen shadow = barPen(kShadowColor);
    QPen bar = barPen(kFirstBarColor);
    const int lastBar = std::min(lastRow, n - 1);
    for (int i = firstRow; i <= lastBar; ++i) {
        std::int64_t size = 0;
        QString name;
        // The list may have been emptied by a scan that started since the count was read.
        const bool listed = document.visitFolder(i, [&](const scan::ScanNode& node) {
            size = node.size;
            name = decode(node.displayName());
        });
        if (!listed) break;
        qreal end = left + static_cast<qreal>(size / scale);
        if (end >= lastLine) end = lastLine;
        if (end < 0) break;
        if (end == left) end = left + 1;
        const int y = top + kRowPitch * (i + 1);

        painter.setPen(shadow);
        painter.drawLine(QPointF(left + 1, y + 1), QPointF(end + 1, y + 1));
        bar.setColor(QColor::fromRgba(graphPaletteColor(static_cast<std::size_t>(i))));
        painter.setPen(bar);
        painter.drawLine(QPointF(left + 1, y), QPointF(end, y));
        m_hitRegions.push_back(
            {left, y - kBarThickness / 2, static_cast<int>(end), y + kBarThickness / 2, name});

        // Cut at the plot's left side, never wrapped.
        painter.setPen(QColor::fromRgba(kText));
        painter.drawText(QRectF(left - kLabelColumnWidth, y - kBarThickness / 2, left - kSideMargin,
                                labelMetrics.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
    }
    painter.restore();
}

QString CScrollGraphBarView::hitTest(const QPoint& viewportPos) const {
    const QPoint point =
        viewportPos + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    for (const BarHitRegion& region : m_hitRegions) {
        if (region.contains(point) && !region.name.isEmpty()) return region.name;
    }
    return {};
}

void CScrollGraphBarView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QString name = hitTest(event->position().toPoint());
        if (!name.isEmpty()) emit barClicked(name, false);
    }
    CScrollGraphView::mouseReleaseEvent(event);
}

void CScrollGraphBarView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QString name = hitTest(event->position().toPoint());
        if (!name.isEmpty()) emit barClicked(name, true);
    }
    CScrollGraphView::mouseDoubleClickEvent(event);
}

}  // namespace tarvolin::graphs
