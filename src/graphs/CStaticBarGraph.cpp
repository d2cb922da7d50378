#include "graphs/CStaticBarGraph.h"

#include <algorithm>

#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "common/GraphPalette.h"

namespace tarvolin::graphs {
namespace {

const QColor kBackground(0xFF, 0xFF, 0xFF);
const QColor kText(0, 0, 0);
const QColor kOutline(0xA9, 0xA9, 0xA9);
const QColor kSelection(0xFF, 0xFF, 0x00);
constexpr double kSelectionWidth = 2.0;
constexpr int kLabelPadding = 2;  // on each side of a label's text

}  // namespace

CStaticBarGraph::CStaticBarGraph(QWidget* parent)
    : QWidget(parent), m_font(QStringLiteral("Arial"), 8) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CStaticBarGraph::AddBand(GraphBand band) {
    m_bands.push_back(std::move(band));
    m_needsSort = true;
    m_layoutValid = false;
    update();
}

void CStaticBarGraph::Clear() {
    m_bands.clear();
    m_needsSort = true;
    m_layoutValid = false;
    update();
}

std::int64_t CStaticBarGraph::Total() const {
    std::int64_t total = 0;
    for (const GraphBand& band : m_bands)
        total += band.value;
    return total;
}

int CStaticBarGraph::bandCount() const {
    return static_cast<int>(m_bands.size());
}

const GraphBand& CStaticBarGraph::band(int index) const {
    ensureLayout();
    return m_bands.at(static_cast<std::size_t>(index));
}

int CStaticBarGraph::bandAt(const QPoint& pos) const {
    ensureLayout();
    for (std::size_t i = 0; i < m_bands.size(); ++i) {
        if (m_bands[i].rect.contains(pos)) return static_cast<int>(i);
    }
    return -1;
}

int CStaticBarGraph::bandWidth(std::int64_t value, std::int64_t total, int width) {
    // A total of 0 would make every share 0/0; such bands get the minimum like any tiny one.
    double percent =
        total != 0 ? static_cast<double>(value) / static_cast<double>(total) * 100.0 : 0.0;
    if (!(percent >= 1.0)) percent = 1.0;
    constexpr double kFactor = static_cast<double>(0.01f);
    return static_cast<int>(width * (percent * kFactor));
}

QSize CStaticBarGraph::sizeHint() const {
    return {300, QFontMetrics(m_font).height() * 2 + 6};
}

QSize CStaticBarGraph::minimumSizeHint() const {
    return {60, QFontMetrics(m_font).height() + 6};
}

void CStaticBarGraph::ensureLayout() const {
    if (m_needsSort) {
        std::stable_sort(m_bands.begin(), m_bands.end(),
                         [](const GraphBand& a, const GraphBand& b) { return a.value > b.value; });
        m_needsSort = false;
        m_layoutValid = false;
    }
    if (m_layoutValid) return;
    const std::int64_t total = Total();
    int x = 0;
    for (GraphBand& band : m_bands) {
        const int w = bandWidth(band.value, total, width());
        band.rect = QRect(x, 0, w, height());
        x += w;
    }
    m_layoutValid = true;
}

// Centred in the band, one pixel to the left, as wide as the label's text and its padding.
QRect CStaticBarGraph::labelBox(const GraphBand& band) const {
    const QFontMetrics metrics(m_font);
    const int labelWidth = metrics.horizontalAdvance(band.label) + 2 * kLabelPadding;
    const int labelHeight = metrics.height();
    const int left = band.rect.left() + band.rect.width() / 2 - labelWidth / 2 - 1;
    const int top = height() / 2 - labelHeight / 2;
    return {left, top, labelWidth, labelHeight};
}

void CStaticBarGraph::paintEvent(QPaintEvent* /*event*/) {
    ensureLayout();
    QPainter painter(this);
    painter.setFont(m_font);
    painter.fillRect(rect(), kBackground);
    const int w = width();
    const int h = height();

    if (m_bands.empty()) {
        const int textHeight = QFontMetrics(m_font).height();
        painter.setPen(kText);
        painter.drawText(QRect(0, h / 2 - textHeight / 2, w, h), Qt::AlignHCenter | Qt::AlignTop,
                         kNoItemsText);
    }
    for (std::size_t i = 0; i < m_bands.size(); ++i) {
        const GraphBand& band = m_bands[i];
        const QRect& area = band.rect;
        if (area.left() >= w) break;  // every later band lies beyond the edge too
        painter.fillRect(area, QColor::fromRgba(graphPaletteColor(i)));
        if (band.selected) {
            painter.setPen(QPen(kSelection, kSelectionWidth));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(area.left() + 2, 2, area.width() - 4, h - 4));
        }
        // A label is drawn only where all of it fits inside its band.
        const QRect box = labelBox(band);
        if (box.left() >= area.left() && box.left() + box.width() <= area.left() + area.width() &&
            box.top() >= 0 && box.top() + box.height() <= h) {
            painter.fillRect(box, kBackground);
            painter.setPen(QPen(kOutline, 1.0));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box);
            painter.setPen(kText);
            painter.drawText(box, Qt::AlignCenter, band.label);
        }
    }
    painter.setPen(QPen(kOutline, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(0, 0, w - 1, h - 1));
}

bool CStaticBarGraph::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int hit = bandAt(help->pos());
        // Outside every band (and on an empty graph) the widget's own tip, the page's help.
        if (hit < 0) return QWidget::event(event);
        const GraphBand& found = m_bands[static_cast<std::size_t>(hit)];
        // Plain text: a file name that looks like markup is shown as it is spelled.
        const QString text =
            QStringLiteral("<p style='white-space:pre'>%1</p>").arg(found.toolTip.toHtmlEscaped());
        QToolTip::showText(help->globalPos(), text, this, found.rect);
        return true;
    }
    return QWidget::event(event);
}

void CStaticBarGraph::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const int hit = bandAt(event->position().toPoint());
    if (hit < 0) return;
    // The page selects its row first; the frame follows.
    const QString label = m_bands[static_cast<std::size_t>(hit)].label;
    emit bandClicked(label);
    if (static_cast<std::size_t>(hit) >= m_bands.size()) return;  // the handler cleared the bands
    for (std::size_t i = 0; i < m_bands.size(); ++i)
        m_bands[i].selected = static_cast<int>(i) == hit;
    update();
}

void CStaticBarGraph::resizeEvent(QResizeEvent* event) {
    m_layoutValid = false;
    QWidget::resizeEvent(event);
}

}  // namespace tarvolin::graphs
