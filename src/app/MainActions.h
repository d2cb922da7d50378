// MainActions: every command of the main window as a QAction, with its menu text, accelerators,
// status-bar prompt, toolbar tooltip and icon, and the menus and toolbar built from them.
#pragma once

#include <map>

#include <QObject>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;

namespace tarvolin::app {

// Owned by the main frame; the actions are children of the frame, so their shortcuts work
// wherever the focus is inside it. UI thread only.
class MainActions final : public QObject {
    Q_OBJECT

public:
    explicit MainActions(QMainWindow* frame);

    QAction* action(int commandId) const;
    // The status-bar prompt of an action: its text up to the first line feed.
    static QString promptOf(const QAction* action);

    // Menus in their order: File, View, Go, Reports, Tools, Help.
    void buildMenus(QMainWindow* frame);
    QToolBar* buildToolBar(QMainWindow* frame);
    QMenu* reportsMenu() const { return m_reportsMenu; }

private:
    std::map<int, QAction*> m_actions;  // owned by the frame through Qt's parenting
    QMenu* m_reportsMenu = nullptr;
};

}  // namespace tarvolin::app
