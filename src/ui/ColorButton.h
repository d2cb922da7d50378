// ColorButton: a push button that shows a colour and lets the user pick another.
#pragma once

#include <QColor>
#include <QPushButton>

namespace tarvolin::ui {

// UI thread; owned by its parent widget. A click opens the colour chooser on the current
// colour; choosing one changes the swatch and emits colorChanged, cancelling changes nothing.
class ColorButton : public QPushButton {
    Q_OBJECT

public:
    explicit ColorButton(const QString& text = QString(), QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

signals:
    void colorChanged(const QColor& color);

protected:
    // The chooser itself; tests replace it to answer without a dialog. An invalid colour means
    // the user cancelled.
    virtual QColor chooseColor(const QColor& initial);

private:
    void pick();
    void updateSwatch();

    QColor m_color = Qt::black;
};

}  // namespace tarvolin::ui
