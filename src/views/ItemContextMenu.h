// ItemContextMenu: the menu of file commands for one or more paths (a details row, a tree
// folder, a drive, the files of a report).
#pragma once

#include <string>
#include <vector>

#include <QPoint>
#include <QString>

class QWidget;

namespace tarvolin::views {

// Short-lived, made on the UI thread for one right-click. Acts on exactly the paths it was given
// (byte paths, in any folders) through ItemActions::current(). Callers refresh what they list
// when the verb is kVerbDelete:
//   ItemContextMenu menu({path});
//   if (menu.exec(this, globalPos) == ItemContextMenu::kVerbDelete) refreshParent();
class ItemContextMenu {
public:
    enum class Command { Open, OpenContainingFolder, CopyPath, MoveToTrash, Delete };
    // A drive offers only Open and Copy Path.
    enum class Target { Items, Drive };

    static inline const QString kVerbOpen = QStringLiteral("open");
    static inline const QString kVerbOpenFolder = QStringLiteral("openfolder");
    static inline const QString kVerbCopy = QStringLiteral("copy");
    // Only when at least one item really left its folder (trashed or deleted).
    static inline const QString kVerbDelete = QStringLiteral("delete");

    explicit ItemContextMenu(std::vector<std::string> paths, Target target = Target::Items);

    // What the menu offers, in menu order. Trash and Delete are left out as soon as one path is
    // "/", the home folder (or above it) or a mount point; nothing for an empty list.
    std::vector<Command> commands() const;
    static QString commandText(Command command);

    // Runs one command, asking first where it removes something (Delete always, Trash when a
    // folder is among the paths). The verb of what was done; empty when nothing was.
    QString run(Command command, QWidget* parent) const;
    // Shows the menu at a screen point and runs the chosen command; its verb.
    QString exec(QWidget* parent, const QPoint& globalPos) const;

private:
    QString openAll() const;
    QString openFolders() const;
    QString copyPaths() const;
    QString removeAll(Command command, QWidget* parent) const;

    std::vector<std::string> m_paths;
    Target m_target;
};

}  // namespace tarvolin::views
