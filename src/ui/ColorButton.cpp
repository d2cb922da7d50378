#include "ui/ColorButton.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace tarvolin::ui {
namespace {

constexpr int kSwatchWidth = 32;
constexpr int kSwatchHeight = 14;

}  // namespace

ColorButton::ColorButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setIconSize(QSize(kSwatchWidth, kSwatchHeight));
    updateSwatch();
    connect(this, &QPushButton::clicked, this, &ColorButton::pick);
}

void ColorButton::setColor(const QColor& color) {
    if (!color.isValid()) return;
    m_color = color.toRgb();
    m_color.setAlpha(255);
    updateSwatch();
}

QColor ColorButton::chooseColor(const QColor& initial) {
    return QColorDialog::getColor(initial, window(), text().remove(QLatin1Char('&')));
}

void ColorButton::pick() {
    const QColor chosen = chooseColor(m_color);
    if (!chosen.isValid()) return;
    setColor(chosen);
    emit colorChanged(m_color);
}

void ColorButton::updateSwatch() {
    QPixmap swatch(kSwatchWidth, kSwatchHeight);
    swatch.fill(m_color);
    QPainter painter(&swatch);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(0, 0, kSwatchWidth - 1, kSwatchHeight - 1);
    painter.end();
    setIcon(QIcon(swatch));
}

}  // namespace tarvolin::ui
