// CPropPageGraphDisplay: the options page "Display::Graph": background colours, gradient and fonts.
#pragma once

#include "ui/CPropertyPage.h"

class QCheckBox;
class QComboBox;

namespace tarvolin::ui {
class ColorButton;
class FontFaceCombo;
}  // namespace tarvolin::ui

namespace tarvolin::app {

// UI thread; owned by the options sheet. Each control's object name is its setting's name.
class CPropPageGraphDisplay final : public ui::CPropertyPage {
    Q_OBJECT

public:
    static constexpr int kEffectCount = 4;

    explicit CPropPageGraphDisplay(QWidget* parent = nullptr);

    void onOK() override;

protected:
    void onInitDialog() override;

private:
    ui::ColorButton* m_primary;
    ui::ColorButton* m_secondary;
    QCheckBox* m_gradient;
    QComboBox* m_effect;
    ui::FontFaceCombo* m_titleFont;
    ui::FontFaceCombo* m_labelFont;
};

}  // namespace tarvolin::app
