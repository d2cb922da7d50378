// CPropPageColors: the options page "Display::Attribute Colors": the details view's name
// colours per attribute.
#pragma once

#include <array>

#include "ui/CPropertyPage.h"

namespace tarvolin::ui {
class ColorButton;
}

namespace tarvolin::app {

// UI thread; owned by the options sheet. Each button's object name is its setting's name.
class CPropPageColors final : public ui::CPropertyPage {
    Q_OBJECT

public:
    static constexpr int kColorCount = 5;

    explicit CPropPageColors(QWidget* parent = nullptr);

    void onOK() override;

protected:
    void onInitDialog() override;

private:
    std::array<ui::ColorButton*, kColorCount> m_buttons{};  // children, in the order of kColors
};

}  // namespace tarvolin::app
