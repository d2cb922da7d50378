#include "ui/CTreePropSheet.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/CPropertyPage.h"

namespace tarvolin::ui {
namespace {

const QString kLevelSeparator = QStringLiteral("::");
constexpr int kPageRole = Qt::UserRole;  // the page's index + 1 on leaves, 0 on branches

}  // namespace

CTreePropSheet::CTreePropSheet(const QString& caption, const QString& profileSection,
                               QWidget* parent)
    : CResizableDialog(profileSection, parent),
      m_tree(new QTreeWidget(this)),
      m_stack(new QStackedWidget(this)),
      m_branchLabel(new QLabel(m_stack)) {
    setWindowTitle(caption);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setFixedWidth(170);
    m_branchLabel->setAlignment(Qt::AlignCenter);
    m_branchLabel->setWordWrap(true);
    m_stack->addWidget(m_branchLabel);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTreePropSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CTreePropSheet::reject);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { showItem(item); });

    auto* body = new QHBoxLayout;
    body->addWidget(m_tree);
    body->addWidget(m_stack, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);
}

QTreeWidgetItem* CTreePropSheet::branchFor(const QStringList& levels) {
    QTreeWidgetItem* parent = nullptr;
    for (const QString& level : levels) {
        QTreeWidgetItem* found = nullptr;
        const int children = parent ? parent->childCount() : m_tree->topLevelItemCount();
        for (int i = 0; i < children && found == nullptr; ++i) {
            QTreeWidgetItem* child = parent ? parent->child(i) : m_tree->topLevelItem(i);
            if (child->text(0) == level && child->data(0, kPageRole).toInt() == 0) found = child;
        }
        if (found == nullptr) {
            found = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
            found->setText(0, level);
            found->setData(0, kPageRole, 0);
            found->setExpanded(true);
        }
        parent = found;
    }
    return parent;
}

void CTreePropSheet::addPage(CPropertyPage* page, const QIcon& icon) {
    QStringList levels = page->caption().split(kLevelSeparator);
    const QString leaf = levels.takeLast();
    QTreeWidgetItem* parent = branchFor(levels);
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setText(0, leaf);
    item->setIcon(0, icon);
    item->setData(0, kPageRole, pageCount() + 1);
    m_stack->addWidget(page);
    m_pages.push_back({page, item});
    if (parent) parent->setExpanded(true);
}

void CTreePropSheet::showEvent(QShowEvent* event) {
    if (m_tree->currentItem() == nullptr) setActivePage(0);
    CResizableDialog::showEvent(event);
}

CPropertyPage* CTreePropSheet::activePage() const {
    return qobject_cast<CPropertyPage*>(m_stack->currentWidget());
}

void CTreePropSheet::setActivePage(int index) {
    if (index < 0 || index >= pageCount()) return;
    m_tree->setCurrentItem(m_pages[static_cast<std::size_t>(index)].item);
}

QString CTreePropSheet::branchText() const {
    return m_stack->currentWidget() == m_branchLabel ? m_branchLabel->text() : QString();
}

void CTreePropSheet::showItem(QTreeWidgetItem* item) {
    if (item == nullptr) return;
    const int page = item->data(0, kPageRole).toInt();
    if (page == 0) {
        m_branchLabel->setText(QString::fromLatin1(kSelectChildText).arg(item->text(0)));
        m_stack->setCurrentWidget(m_branchLabel);
        return;
    }
    CPropertyPage* shown = m_pages[static_cast<std::size_t>(page - 1)].page;
    shown->activate();
    m_stack->setCurrentWidget(shown);
}

void CTreePropSheet::accept() {
    for (const Entry& entry : m_pages) {
        if (entry.page->wasShown()) entry.page->onOK();
    }
    CResizableDialog::accept();
}

}  // namespace tarvolin::ui
