#include "welcome/CGDIPlusSplashWnd.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "welcome/WelcomePictures.h"

namespace tarvolin::welcome {

CGDIPlusSplashWnd* CGDIPlusSplashWnd::showSplash(QWidget* owner, const QString& picture,
                                                 int timeMs) {
    if (owner == nullptr || timeMs <= 0) return nullptr;
    registerWelcomePictures();
    QImage image = QImageReader(picture).read();
    if (image.isNull()) return nullptr;
    auto* splash = new CGDIPlusSplashWnd(owner, std::move(image), timeMs);
    splash->show();
    splash->raise();
    return splash;
}

CGDIPlusSplashWnd::CGDIPlusSplashWnd(QWidget* owner, QImage image, int timeMs)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_image(std::move(image)),
      m_timer(new QTimer(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::ArrowCursor);
    setFixedSize(m_image.size());
    // Centred on the owner, or on its screen while the owner is not on one yet.
    QRect around = owner->frameGeometry();
    if (!owner->isVisible() || around.isEmpty()) {
        if (const QScreen* screen =
                owner->screen() ? owner->screen() : QGuiApplication::primaryScreen())
            around = screen->availableGeometry();
    }
    QRect placed(QPoint(0, 0), m_image.size());
    placed.moveCenter(around.center());
    move(placed.topLeft());
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &CGDIPlusSplashWnd::finish);
    m_timer->start(timeMs);
}

void CGDIPlusSplashWnd::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_image);
}

void CGDIPlusSplashWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) finish();
}

// The follow-up may run a modal wizard; the splash is gone and the owner repainted before it.
void CGDIPlusSplashWnd::finish() {
    if (m_finished) return;
    m_finished = true;
    m_timer->stop();
    hide();
    if (QWidget* owner = parentWidget()) owner->repaint();
    close();  // deletes the window once control is back in the event loop
    emit closed();
}

}  // namespace tarvolin::welcome
