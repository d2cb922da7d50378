// CGDIPlusSplashWnd: the splash window shown when the main window first appears.
#pragma once

#include <QImage>
#include <QWidget>

class QTimer;

namespace tarvolin::welcome {

// UI thread. A frameless window exactly the picture's size, centred on its owner, that closes
// itself after its time or at a click and then emits closed() once; it deletes itself after.
//
//   showSplash(owner, picture, 5000) → (5 s pass | click) → closed() → window gone
class CGDIPlusSplashWnd final : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kPicture = ":/welcome/splash.png";
    static constexpr int kShowMs = 5000;

    // Shows the splash; nullptr (and nothing shown, no closed()) when there is no owner, no
    // time, or the picture cannot be read. The owner owns the window until it deletes itself.
    static CGDIPlusSplashWnd* showSplash(QWidget* owner, const QString& picture, int timeMs);

    const QImage& image() const { return m_image; }

signals:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CGDIPlusSplashWnd(QWidget* owner, QImage image, int timeMs);
    void finish();

    QImage m_image;
    QTimer* m_timer;  // child
    bool m_finished = false;
};

}  // namespace tarvolin::welcome
