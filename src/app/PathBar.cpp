#include "app/PathBar.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "ui/CHistoryCombo.h"

namespace tarvolin::app {

PathBar::PathBar(QWidget* parent)
    : QWidget(parent), m_combo(new ui::CHistoryCombo(this)), m_goButton(new QToolButton(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    auto* label = new QLabel(tr("Path"), this);
    label->setBuddy(m_combo);
    m_combo->setMinimumWidth(300);
    m_combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_combo->setToolTip(
        tr("Type a folder path, or click the down arrow for the path "
           "<b>history</b>"));
    m_goButton->setText(tr("Go"));
    m_goButton->setIcon(QIcon::fromTheme(QStringLiteral("go-jump")));
    m_goButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_goButton->setToolTip(tr("<b>Go</b> to the folder typed in the path box and scan it"));
    layout->addWidget(label);
    layout->addWidget(m_combo, 1);
    layout->addWidget(m_goButton);

    // One request per action: QComboBox's own activated() also fires for Enter on a text that
    // equals an entry and for leaving the field with such a text, so it is not listened to.
    connect(m_goButton, &QToolButton::clicked, this, [this] { emit navigateRequested(text()); });
    connect(m_combo->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { emit navigateRequested(text()); });
    connect(m_combo, &ui::CHistoryCombo::entryChosen, this,
            [this](int index) { emit navigateRequested(m_combo->itemText(index)); });
}

QString PathBar::text() const {
    return m_combo->currentText();
}

void PathBar::selectAllText() {
    m_combo->setFocus();
    m_combo->lineEdit()->selectAll();
}

void PathBar::addToHistory(const QString& path, int historyCount) {
    if (historyCount <= 0 || path.isEmpty()) return;
    for (int i = 0; i < m_combo->count(); ++i) {
        if (m_combo->itemText(i).startsWith(path, Qt::CaseInsensitive)) return;
    }
    m_combo->insertItem(0, path);
    m_combo->setCurrentIndex(0);
    while (m_combo->count() > historyCount)
        m_combo->removeItem(m_combo->count() - 1);
}

}  // namespace tarvolin::app
