#include "cli/HtmlGraphImage.h"

#include <algorithm>

#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>

#include "common/AppException.h"
#include "common/GraphPalette.h"
#include "common/SizeText.h"

namespace tarvolin::cli {
namespace {

// The geometry and colours of the window's bar graph.
constexpr int kTopMargin = 50;
constexpr int kSideMargin = 25;
constexpr int kLabelColumnWidth = 125;
constexpr int kTitleBandHeight = 25;
constexpr int kRowPitch = 25;
constexpr int kBarThickness = 20;
constexpr int kGridDivisions = 7;
constexpr QRgb kBoxFill = 0xFFD3D3D3;
constexpr QRgb kOutline = 0xFF808080;
constexpr QRgb kGrid = 0xFF808080;
constexpr QRgb kShadow = 0xFF808080;
constexpr QRgb kAxis = 0xFF000000;
constexpr QRgb kText = 0xFF000000;
constexpr int kDotsPerMeterAt96Dpi = 3780;  // fonts in points become 96-dpi pixels
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;

QString decoded(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

QFont graphFont(double points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QPen gridPen(QRgb color) {
    QPen pen(QColor::fromRgba(color), 1.0);
    pen.setDashPattern({3.0, 1.0});
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

QPen barPen(QRgb color) {
    return QPen(QBrush(QColor::fromRgba(color)), kBarThickness, Qt::SolidLine, Qt::FlatCap);
}

void drawTitle(QPainter& painter, int width, const QString& title, const QString& subtitle) {
    const QFont font = graphFont(11.0, true);
    const QFontMetricsF metrics(font, painter.device());
    const auto measure = [&metrics](const QString& text) {
        return text.isEmpty() ? QSizeF()
                              : QSizeF(metrics.horizontalAdvance(text), metrics.height());
    };
    const QSizeF titleSize = measure(title);
    const QSizeF subtitleSize = measure(subtitle);
    const qreal x1 = width / 2 - titleSize.width() / 2 - subtitleSize.width() / 2;
    painter.setFont(font);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QColor::fromRgba(kText));
    painter.drawText(QRectF(QPointF(x1, 10), titleSize), kTextFlags, title);
    const QPen outline(QColor::fromRgba(kOutline), 1.0);
    painter.setPen(outline);
    painter.drawRect(QRectF(x1 - 5, 8, titleSize.width() + 10, titleSize.height() + 4));
    if (subtitle.isEmpty()) return;
    const QRectF box(x1 + titleSize.width() + 5, 8, subtitleSize.width() + 10,
                     subtitleSize.height() + 4);
    painter.fillRect(box, QColor::fromRgba(kBoxFill));
    painter.setPen(outline);
    painter.drawRect(box);
    painter.setPen(QColor::fromRgba(kText));
    painter.drawText(QRectF(QPointF(x1 + titleSize.width() + 10, 10), subtitleSize), kTextFlags,
                     subtitle);
}

void drawBars(QPainter& painter, int width, const std::vector<GraphBar>& bars) {
    const int n = static_cast<int>(bars.size());
    const int top = kTopMargin + kTitleBandHeight;
    const int left = kLabelColumnWidth + kSideMargin;
    const int right = width - kSideMargin;
    std::int64_t largest = 0;
    for (const GraphBar& bar : bars)
        largest = std::max(largest, bar.size);
    const QFont labelFont = graphFont(9.0, false);
    const QFontMetricsF labelMetrics(labelFont, painter.device());

    QPen grid = gridPen(kGrid);
    for (int i = 0; i <= n; ++i) {
        const qreal y = top + kRowPitch * (i + 1);
        if (i == n) grid.setColor(QColor::fromRgba(kAxis));
        painter.setPen(grid);
        painter.drawLine(QPointF(left, y), QPointF(right, y));
    }
    const qreal bottomLine = top + kRowPitch * (n + 1);
    painter.setFont(labelFont);
    const qreal step = static_cast<qreal>(right - left) / kGridDivisions;
    qreal lastLine = left;
    for (int k = 0; k <= kGridDivisions; ++k) {
        const qreal x = step * k + left;
        if (x < 0) break;
        painter.setPen(gridPen(k == 0 ? kAxis : kGrid));
        painter.drawLine(QPointF(x, top), QPointF(x, bottomLine));
        const QString label = QString::fromStdString(formatSize(largest / kGridDivisions * k));
        const qreal labelWidth = labelMetrics.horizontalAdvance(label);
        painter.setPen(QColor::fromRgba(kText));
        painter.drawText(QRectF(x - labelWidth / 2, top - 20, labelWidth, labelMetrics.height()),
                         kTextFlags, label);
        lastLine = x;
    }
    const std::int64_t plotWidth = std::max(1, right - left);
    std::int64_t scale = largest / plotWidth;
    if (scale < 2) scale = 1;
    QPen bar = barPen(kAxis);
    for (int i = 0; i < n; ++i) {
        qreal end = left + static_cast<qreal>(bars[static_cast<std::size_t>(i)].size / scale);
        if (end >= lastLine) end = lastLine;
        if (end < 0) break;
        if (end == left) end = left + 1;
        const int y = top + kRowPitch * (i + 1);
        painter.setPen(barPen(kShadow));
        painter.drawLine(QPointF(left + 1, y + 1), QPointF(end + 1, y + 1));
        bar.setColor(QColor::fromRgba(graphs::graphPaletteColor(static_cast<std::size_t>(i))));
        painter.setPen(bar);
        painter.drawLine(QPointF(left + 1, y), QPointF(end, y));
        painter.setPen(QColor::fromRgba(kText));
        painter.drawText(QRectF(left - kLabelColumnWidth, y - kBarThickness / 2, left - kSideMargin,
                                labelMetrics.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         decoded(bars[static_cast<std::size_t>(i)].name));
    }
}

}  // namespace

void writeGraphImage(const std::string& path, const std::string& title, const std::string& subtitle,
                     const std::vector<GraphBar>& bars, int width) {
    const int n = static_cast<int>(bars.size());
    const int height = (n + 1) * kRowPitch + kBarThickness / 2 + kTitleBandHeight + kTopMargin + 5;
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull()) throw CAppException("The graph picture cannot be drawn", 0, false);
    image.setDotsPerMeterX(kDotsPerMeterAt96Dpi);
    image.setDotsPerMeterY(kDotsPerMeterAt96Dpi);
    {
        QPainter painter(&image);
        if (!painter.isActive()) throw CAppException("The graph picture cannot be drawn", 0, false);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        QLinearGradient gradient(QPointF(0, 0), QPointF(0, height));
        gradient.setColorAt(0, QColor(255, 255, 255));
        gradient.setColorAt(1, QColor(95, 158, 160));
        painter.fillRect(QRect(0, 0, width, height), gradient);
        drawTitle(painter, width, decoded(title), QString::fromStdString(subtitle));
        if (n > 0) drawBars(painter, width, bars);
    }
    const QString file = decoded(path);
    QImageWriter writer(file, QByteArrayLiteral("jpeg"));
    if (!writer.write(image)) {
        throw CAppException("Failed to save image to specified path (" + path + ")",
                            static_cast<int>(writer.error()), false);
    }
}

}  // namespace tarvolin::cli
