// FontFaceCombo: a drop-down list of the installed font families, each shown with a sample.
#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

namespace tarvolin::ui {

// UI thread; owned by its parent widget. Lists QFontDatabase's families in its order; every
// entry shows the family's name in the widget's font, then "abcdeABCDE" in the family itself.
class FontFaceCombo : public QComboBox {
    Q_OBJECT

public:
    static constexpr const char* kSampleText = "abcdeABCDE";

    // `families` empty: the installed ones.
    explicit FontFaceCombo(QWidget* parent = nullptr, QStringList families = {});

    // Selects the family named `face` ignoring case, else the first family that begins with it
    // ignoring case. A name that matches neither leaves the combo without a selection, showing
    // the name greyed; false then.
    bool selectFace(const QString& face);
    // The selected family; empty when nothing is selected.
    QString faceName() const { return currentIndex() < 0 ? QString() : currentText(); }

    // Where the samples start in the list: after the widest name, the same for every row.
    int sampleColumn() const { return m_sampleColumn; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showPopup() override;

private:
    int m_sampleColumn = 0;
    int m_widestSample = 0;
};

}  // namespace tarvolin::ui
