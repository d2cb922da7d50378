#include "app/StatusMessagePane.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QStyle>

namespace tarvolin::app {

StatusMessagePane::StatusMessagePane(QWidget* parent)
    : QWidget(parent), m_icon(new QLabel(this)), m_text(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(4);
    QIcon error = QIcon::fromTheme(QStringLiteral("dialog-error"));
    if (error.isNull()) error = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    m_icon->setPixmap(error.pixmap(16, 16));
    m_icon->hide();
    // A long folder path must not widen the window: the text is cut at the pane's edge.
    m_text->setMinimumWidth(1);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_text->setTextFormat(Qt::PlainText);
    layout->addWidget(m_icon);
    layout->addWidget(m_text, 1);
}

void StatusMessagePane::setMessage(const QString& text) {
    m_text->setText(text);
}
QString StatusMessagePane::message() const {
    return m_text->text();
}
void StatusMessagePane::setErrorIcon(bool shown) {
    m_icon->setVisible(shown);
}
bool StatusMessagePane::errorIconShown() const {
    return !m_icon->isHidden();
}

void StatusMessagePane::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

}  // namespace tarvolin::app
