#include "ui/CPropertyPage.h"

namespace tarvolin::ui {

CPropertyPage::CPropertyPage(const QString& caption, QWidget* parent)
    : QWidget(parent), m_caption(caption) {}

void CPropertyPage::activate() {
    if (m_initialised) return;
    m_initialised = true;
    onInitDialog();
}

}  // namespace tarvolin::ui
