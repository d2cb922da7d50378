#include "app/CPropPageGraphDisplay.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/ColorButton.h"
#include "ui/FontFaceCombo.h"
#include "ui/Options.h"

namespace tarvolin::app {
namespace {

template <class Widget>
Widget* named(Widget* widget, const char* settingName, const QString& tip) {
    widget->setObjectName(QString::fromLatin1(settingName));
    widget->setToolTip(tip);
    return widget;
}

}  // namespace

CPropPageGraphDisplay::CPropPageGraphDisplay(QWidget* parent)
    : ui::CPropertyPage(QStringLiteral("Display::Graph"), parent) {
    auto* background = new QGroupBox(tr("Background"), this);
    m_primary =
        named(new ui::ColorButton(tr("&Primary color"), background),
              ui::option::kGraphBackPrimary.name, tr("<b>Primary</b> graph background color"));
    m_secondary =
        named(new ui::ColorButton(tr("&Secondary color"), background),
              ui::option::kGraphBackSecondary.name, tr("<b>Secondary</b> graph background color"));
    m_gradient =
        named(new QCheckBox(tr("Use &gradient effect (if disabled, only primary color is used)"),
                            background),
              ui::option::kUseGradientGraphBack.name,
              tr("Uses a <b>gradient</b> effect for the graph background"));
    m_effect = named(new QComboBox(background), ui::option::kGraphGradientEffectType.name,
                     tr("Select the gradient <b>effect</b> type"));
    m_effect->addItems(
        {tr("Vertical"), tr("Horizontal"), tr("Forward diagonal"), tr("Backward diagonal")});
    auto* colors = new QHBoxLayout;
    colors->addWidget(m_primary);
    colors->addWidget(m_secondary);
    colors->addStretch(1);
    auto* effectRow = new QHBoxLayout;
    auto* effectLabel = new QLabel(tr("Effect type:"), background);
    effectLabel->setBuddy(m_effect);
    effectRow->addWidget(effectLabel);
    effectRow->addWidget(m_effect);
    effectRow->addStretch(1);
    auto* backgroundLayout = new QVBoxLayout(background);
    backgroundLayout->addLayout(colors);
    backgroundLayout->addWidget(m_gradient);
    backgroundLayout->addLayout(effectRow);

    auto* text = new QGroupBox(tr("Text"), this);
    m_titleFont = named(new ui::FontFaceCombo(text), ui::option::kGraphTitleFontFaceName.name,
                        tr("Choose the <b>font</b> used for the graph title"));
    m_labelFont = named(new ui::FontFaceCombo(text), ui::option::kGraphLabelFontFaceName.name,
                        tr("Choose the <b>font</b> used for the graph labels"));
    auto* fonts = new QFormLayout(text);
    fonts->addRow(tr("Graph title font:"), m_titleFont);
    fonts->addRow(tr("Graph label font:"), m_labelFont);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(background);
    layout->addWidget(text);
    layout->addStretch(1);
}

void CPropPageGraphDisplay::onInitDialog() {
    m_primary->setColor(ui::readOption(ui::option::kGraphBackPrimary));
    m_secondary->setColor(ui::readOption(ui::option::kGraphBackSecondary));
    m_gradient->setChecked(ui::readOption(ui::option::kUseGradientGraphBack) != 0);
    const int effect = ui::readOption(ui::option::kGraphGradientEffectType);
    m_effect->setCurrentIndex(effect >= 0 && effect < kEffectCount
                                  ? effect
                                  : ui::option::kGraphGradientEffectType.defaultValue);
    m_titleFont->selectFace(ui::readOption(ui::option::kGraphTitleFontFaceName));
    m_labelFont->selectFace(ui::readOption(ui::option::kGraphLabelFontFaceName));
}

void CPropPageGraphDisplay::onOK() {
    ui::writeOption(ui::option::kGraphBackPrimary, m_primary->color());
    ui::writeOption(ui::option::kGraphBackSecondary, m_secondary->color());
    ui::writeOption(ui::option::kUseGradientGraphBack, m_gradient->isChecked() ? 1 : 0);
    ui::writeOption(ui::option::kGraphGradientEffectType, m_effect->currentIndex());
    // A stored face this machine lacks selects nothing; it stays stored rather than becoming
    // an empty name, so the settings still draw with it where it is installed.
    if (!m_titleFont->faceName().isEmpty()) {
        ui::writeOption(ui::option::kGraphTitleFontFaceName, m_titleFont->faceName());
    }
    if (!m_labelFont->faceName().isEmpty()) {
        ui::writeOption(ui::option::kGraphLabelFontFaceName, m_labelFont->faceName());
    }
}

}  // namespace tarvolin::app
