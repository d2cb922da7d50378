#include "app/ProductIcon.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

#include "common/Version.h"

namespace tarvolin::app {
namespace {

void drawMark(QPainter& painter, const QRectF& box) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(50, 90, 135));
    painter.drawEllipse(box);
    const double barWidth = box.width() * 0.14;
    const double bottom = box.top() + box.height() * 0.78;
    const double heights[] = {0.52, 0.40, 0.28, 0.18};
    painter.setBrush(QColor(190, 220, 255));
    for (int i = 0; i < 4; ++i) {
        const double left = box.left() + box.width() * 0.18 + i * barWidth * 1.25;
        const double height = box.height() * heights[i];
        painter.drawRect(QRectF(left, bottom - height, barWidth, height));
    }
}

}  // namespace

QIcon productIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawMark(painter, QRectF(0.5, 0.5, size - 1.0, size - 1.0));
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap productBanner(int width, int height) {
    QPixmap pixmap(width, height);
    QPainter painter(&pixmap);
    QLinearGradient background(0, 0, width, height);
    background.setColorAt(0, QColor(255, 255, 255));
    background.setColorAt(1, QColor(95, 158, 160));
    painter.fillRect(pixmap.rect(), background);
    const double mark = height * 0.7;
    drawMark(painter, QRectF(height * 0.15, height * 0.15, mark, mark));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(static_cast<int>(height * 0.42));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(50, 90, 135));
    painter.drawText(QRectF(height * 1.05, 0, width - height * 1.05, height),
                     Qt::AlignVCenter | Qt::AlignLeft, QString::fromUtf8(kProductName));
    return pixmap;
}

}  // namespace tarvolin::app
