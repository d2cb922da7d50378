#include "app/COptionsSheet.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/CPropPageColors.h"
#include "app/CPropPageGraphDisplay.h"
#include "app/CPropPageReports.h"
#include "app/CPropPageView.h"

namespace tarvolin::app {

COptionsSheet::COptionsSheet(QWidget* parent)
    : ui::CTreePropSheet(QString::fromLatin1(kCaption), QString::fromLatin1(kProfileSection),
                         parent) {
    addPage(new CPropPageView, optionPageIcon(kGeneralPage));
    addPage(new CPropPageColors, optionPageIcon(kColorsPage));
    addPage(new CPropPageReports, optionPageIcon(kExportPage));
    addPage(new CPropPageGraphDisplay, optionPageIcon(kGraphPage));
    resize(560, 400);
}

// Drawn at 16 x 16 so they need no image files and stay sharp in any theme.
QIcon optionPageIcon(COptionsSheet::Page page) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor outline(60, 60, 60);
    switch (page) {
        case COptionsSheet::kGeneralPage: {
            painter.setPen(QPen(outline, 1));
            painter.setBrush(QColor(150, 160, 175));
            QPainterPath gear;
            gear.addEllipse(QPointF(8, 8), 5.5, 5.5);
            painter.drawPath(gear);
            for (int i = 0; i < 8; ++i) {
                painter.save();
                painter.translate(8, 8);
                painter.rotate(i * 45);
                painter.fillRect(QRectF(-1.5, -7.5, 3, 3), QColor(150, 160, 175));
                painter.restore();
            }
            painter.setBrush(Qt::white);
            painter.drawEllipse(QPointF(8, 8), 2.2, 2.2);
            break;
        }
        case COptionsSheet::kColorsPage:
            painter.setPen(QPen(outline, 1));
            painter.setBrush(QColor(220, 40, 40));
            painter.drawRect(QRectF(1.5, 1.5, 7, 7));
            painter.setBrush(QColor(40, 160, 60));
            painter.drawRect(QRectF(7.5, 4.5, 7, 7));
            painter.setBrush(QColor(40, 80, 220));
            painter.drawRect(QRectF(3.5, 8.5, 7, 7));
            break;
        case COptionsSheet::kExportPage: {
            painter.setPen(QPen(outline, 1));
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(2.5, 1.5, 9, 13));
            painter.setPen(QPen(QColor(120, 120, 120), 1));
            for (int y = 4; y <= 10; y += 2)
                painter.drawLine(QPointF(4.5, y + 0.5), QPointF(9.5, y + 0.5));
            painter.setPen(QPen(QColor(20, 130, 40), 2));
            painter.drawLine(QPointF(8, 12), QPointF(15, 12));
            painter.drawLine(QPointF(12, 9), QPointF(15, 12));
            painter.drawLine(QPointF(12, 15), QPointF(15, 12));
            break;
        }
        case COptionsSheet::kGraphPage:
            painter.setPen(Qt::NoPen);
            painter.fillRect(QRectF(1, 2, 11, 3), QColor(220, 60, 60));
            painter.fillRect(QRectF(1, 6.5, 14, 3), QColor(60, 120, 220));
            painter.fillRect(QRectF(1, 11, 7, 3), QColor(240, 180, 40));
            painter.setPen(QPen(outline, 1));
            painter.drawLine(QPointF(0.5, 0), QPointF(0.5, 16));
            break;
    }
    painter.end();
    return QIcon(pixmap);
}

}  // namespace tarvolin::app
