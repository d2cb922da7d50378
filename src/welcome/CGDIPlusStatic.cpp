#include "welcome/CGDIPlusStatic.h"

#include <QImageReader>
#include <QPainter>

namespace tarvolin::welcome {

CGDIPlusStatic::CGDIPlusStatic(QWidget* parent) : QWidget(parent) {}

bool CGDIPlusStatic::load(const QString& path) {
    QImageReader reader(path);
    m_image = reader.read();
    updateGeometry();
    update();
    return !m_image.isNull();
}

void CGDIPlusStatic::setNaturalSize(bool natural) {
    m_naturalSize = natural;
    if (natural && isLoaded()) setFixedSize(m_image.size());
    update();
}

QSize CGDIPlusStatic::sizeHint() const {
    return isLoaded() ? m_image.size() : QSize(0, 0);
}

void CGDIPlusStatic::paintEvent(QPaintEvent* /*event*/) {
    if (!isLoaded()) return;
    QPainter painter(this);
    if (m_naturalSize) {
        painter.drawImage(QPoint(0, 0), m_image);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), m_image);
    }
}

}  // namespace tarvolin::welcome
