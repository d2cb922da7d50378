// CGDIPlusStatic: a picture control showing a compressed picture shipped with the program.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace tarvolin::welcome {

// UI thread; owned by its parent. Empty until a picture is loaded; a picture that cannot be
// read leaves it empty, and the page it sits on still works.
class CGDIPlusStatic : public QWidget {
    Q_OBJECT

public:
    explicit CGDIPlusStatic(QWidget* parent = nullptr);

    // `path` is a file or a resource (":/welcome/graph.jpg"). False, and empty, on failure.
    bool load(const QString& path);
    bool isLoaded() const { return !m_image.isNull(); }
    const QImage& image() const { return m_image; }

    // Natural size: the picture unscaled at the top-left corner; otherwise stretched to the
    // control. The control asks for the picture's size either way.
    void setNaturalSize(bool natural);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    bool m_naturalSize = false;
};

}  // namespace tarvolin::welcome
