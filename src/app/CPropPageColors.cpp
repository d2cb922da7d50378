#include "app/CPropPageColors.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/ColorButton.h"
#include "ui/Options.h"

namespace tarvolin::app {
namespace {

struct ColorRow {
    const char* label;
    const ui::ColorOption* option;
    const char* tip;
};

const ColorRow kColors[CPropPageColors::kColorCount] = {
    {"&Normal", &ui::option::kFileColorNormal,
     "Color of files and folders without a <b>special attribute</b>"},
    {"&Compressed", &ui::option::kFileColorCompressed,
     "Color of <b>compressed</b> files and folders"},
    {"&Hidden", &ui::option::kFileColorHidden, "Color of <b>hidden</b> files and folders"},
    {"&Read Only", &ui::option::kFileColorReadOnly, "Color of <b>read-only</b> files and folders"},
    {"&System", &ui::option::kFileColorSystem,
     "Color of <b>system</b> files (devices, sockets and pipes)"},
};

}  // namespace

CPropPageColors::CPropPageColors(QWidget* parent)
    : ui::CPropertyPage(QStringLiteral("Display::Attribute Colors"), parent) {
    auto* group = new QGroupBox(tr("Folder && File List"), this);
    auto* intro = new QLabel(tr("Here you can define custom colors for folder and file "
                                "attributes, as they appear in the detail view."),
                             group);
    intro->setWordWrap(true);
    auto* grid = new QGridLayout;
    for (int i = 0; i < kColorCount; ++i) {
        const ColorRow& row = kColors[i];
        auto* button = new ui::ColorButton(QString(), group);
        button->setObjectName(QString::fromLatin1(row.option->name));
        button->setToolTip(QString::fromUtf8(row.tip));
        auto* label = new QLabel(QString::fromUtf8(row.label), group);
        label->setBuddy(button);
        label->setToolTip(button->toolTip());
        grid->addWidget(label, i, 0);
        grid->addWidget(button, i, 1, Qt::AlignLeft);
        m_buttons[static_cast<std::size_t>(i)] = button;
    }
    grid->setColumnStretch(2, 1);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(intro);
    groupLayout->addLayout(grid);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);
    layout->addStretch(1);
}

void CPropPageColors::onInitDialog() {
    for (int i = 0; i < kColorCount; ++i) {
        m_buttons[static_cast<std::size_t>(i)]->setColor(ui::readOption(*kColors[i].option));
    }
}

void CPropPageColors::onOK() {
    for (int i = 0; i < kColorCount; ++i) {
        ui::writeOption(*kColors[i].option, m_buttons[static_cast<std::size_t>(i)]->color());
    }
}

}  // namespace tarvolin::app
