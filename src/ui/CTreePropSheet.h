// CTreePropSheet: a dialog whose pages are chosen in a tree instead of tabs.
#pragma once

#include <vector>

#include <QIcon>
#include <QString>

#include "ui/CResizableDialog.h"

class QLabel;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarvolin::ui {

class CPropertyPage;

// UI thread; a stack object run with exec(). Page captions are tree paths ("Display::Graph"):
// each level but the last becomes a branch node shared by the pages below it, the last a leaf
// that shows the page. Choosing a branch shows "Please select a child item of '%s'." with its
// name. OK calls onOK() on every page that was shown, in the order they were added, then closes
// with Accepted; Cancel writes nothing. The sheet keeps its place like any CResizableDialog.
class CTreePropSheet : public CResizableDialog {
    Q_OBJECT

public:
    static constexpr const char* kSelectChildText = "Please select a child item of '%1'.";

    CTreePropSheet(const QString& caption, const QString& profileSection,
                   QWidget* parent = nullptr);

    // Takes ownership of `page`; it is loaded only once it shows.
    void addPage(CPropertyPage* page, const QIcon& icon = QIcon());
    int pageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* page(int index) const {
        return m_pages.at(static_cast<std::size_t>(index)).page;
    }
    // The page shown now, or nullptr while a branch is selected.
    CPropertyPage* activePage() const;
    void setActivePage(int index);
    QTreeWidget* tree() const { return m_tree; }
    // The text shown for a selected branch node (empty while a page shows).
    QString branchText() const;

    void accept() override;

protected:
    // Without a start page the first one shows.
    void showEvent(QShowEvent* event) override;

private:
    struct Entry {
        CPropertyPage* page;  // owned through the stack widget
        QTreeWidgetItem* item;
    };
    QTreeWidgetItem* branchFor(const QStringList& levels);
    void showItem(QTreeWidgetItem* item);

    QTreeWidget* m_tree;
    QStackedWidget* m_stack;
    QLabel* m_branchLabel;  // the stack's first widget
    std::vector<Entry> m_pages;
};

}  // namespace tarvolin::ui
