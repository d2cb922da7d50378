#include "views/ItemContextMenu.h"

#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QStringList>

#include <algorithm>

#include <sys/stat.h>

#include "common/ErrorText.h"
#include "common/FileOperations.h"
#include "views/ItemActions.h"
#include "views/ItemOperations.h"

namespace tarvolin::views {
namespace {

QString shown(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

bool isFolder(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

QString failureText(bool trash, const std::string& path, int error) {
    QString text = trash ? QStringLiteral("Could not move \"%1\" to the trash.").arg(shown(path))
                         : QStringLiteral("Could not delete \"%1\".").arg(shown(path));
    if (error > 0) text += u'\n' + QString::fromStdString(systemErrorText(error));
    return text;
}

QString questionFor(bool trash, const std::vector<std::string>& paths, bool anyFolder) {
    if (paths.size() > 1) {
        return trash ? QStringLiteral("Are you sure you want to move these %1 items to the trash?")
                           .arg(paths.size())
                     : QStringLiteral("Are you sure you want to permanently delete these %1 items?")
                           .arg(paths.size());
    }
    const QString name = shown(paths.front());
    if (trash) {
        return QStringLiteral(
                   "Are you sure you want to move the folder \"%1\" and everything in it to the "
                   "trash?")
            .arg(name);
    }
    return anyFolder
               ? QStringLiteral(
                     "Are you sure you want to permanently delete the folder \"%1\" and "
                     "everything in it?")
                     .arg(name)
               : QStringLiteral("Are you sure you want to permanently delete \"%1\"?").arg(name);
}

}  // namespace

ItemContextMenu::ItemContextMenu(std::vector<std::string> paths, Target target)
    : m_paths(std::move(paths)), m_target(target) {}

std::vector<ItemContextMenu::Command> ItemContextMenu::commands() const {
    if (m_paths.empty()) return {};
    if (m_target == Target::Drive) return {Command::Open, Command::CopyPath};
    std::vector<Command> offered{Command::Open};
    const bool allHaveParents = std::all_of(
        m_paths.begin(), m_paths.end(), [](const auto& path) { return !parentPath(path).empty(); });
    if (allHaveParents) offered.push_back(Command::OpenContainingFolder);
    offered.push_back(Command::CopyPath);
    const bool anyProtected = std::any_of(m_paths.begin(), m_paths.end(),
                                          [](const auto& path) { return isProtectedPath(path); });
    if (!anyProtected) {
        offered.push_back(Command::MoveToTrash);
        offered.push_back(Command::Delete);
    }
    return offered;
}

QString ItemContextMenu::commandText(Command command) {
    switch (command) {
        case Command::Open:
            return QStringLiteral("&Open");
        case Command::OpenContainingFolder:
            return QStringLiteral("Open &Containing Folder");
        case Command::CopyPath:
            return QStringLiteral("&Copy Path");
        case Command::MoveToTrash:
            return QStringLiteral("Move to &Trash");
        case Command::Delete:
            return QStringLiteral("&Delete...");
    }
    return {};
}

QString ItemContextMenu::run(Command command, QWidget* parent) const {
    // A command the menu would not offer (a stale caller, a protected path) does nothing.
    const auto offered = commands();
    if (std::find(offered.begin(), offered.end(), command) == offered.end()) return {};
    switch (command) {
        case Command::Open:
            return openAll();
        case Command::OpenContainingFolder:
            return openFolders();
        case Command::CopyPath:
            return copyPaths();
        case Command::MoveToTrash:
        case Command::Delete:
            return removeAll(command, parent);
    }
    return {};
}

QString ItemContextMenu::exec(QWidget* parent, const QPoint& globalPos) const {
    QMenu menu(parent);
    static const char* const kIconNames[] = {"document-open", "folder-open", "edit-copy",
                                             "user-trash", "edit-delete"};
    for (const Command command : commands()) {
        if (command == Command::MoveToTrash) menu.addSeparator();
        QAction* action = menu.addAction(
            QIcon::fromTheme(QString::fromLatin1(kIconNames[static_cast<int>(command)])),
            commandText(command));
        action->setData(static_cast<int>(command));
    }
    if (menu.isEmpty()) return {};
    const QAction* chosen = menu.exec(globalPos);
    if (chosen == nullptr) return {};
    return run(static_cast<Command>(chosen->data().toInt()), parent);
}

QString ItemContextMenu::openAll() const {
    const auto actions = ItemActions::current();
    bool opened = false;
    for (const std::string& path : m_paths)
        opened = actions->openUrl(fileUrl(path)) || opened;
    return opened ? kVerbOpen : QString();
}

QString ItemContextMenu::openFolders() const {
    const auto actions = ItemActions::current();
    std::vector<std::string> folders;
    for (const std::string& path : m_paths) {
        std::string folder = parentPath(path);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(std::move(folder));
    }
    bool opened = false;
    for (const std::string& folder : folders)
        opened = actions->openUrl(fileUrl(folder)) || opened;
    return opened ? kVerbOpenFolder : QString();
}

QString ItemContextMenu::copyPaths() const {
    QStringList lines;
    for (const std::string& path : m_paths)
        lines << shown(path);
    ItemActions::current()->copyText(lines.join(u'\n'));
    return kVerbCopy;
}

QString ItemContextMenu::removeAll(Command command, QWidget* parent) const {
    const bool trash = command == Command::MoveToTrash;
    const auto actions = ItemActions::current();
    const bool anyFolder = std::any_of(m_paths.begin(), m_paths.end(), isFolder);
    // Deleting cannot be undone, and trashing a folder moves far more than one name.
    if (!trash || anyFolder) {
        const QString title = trash ? QStringLiteral("Move to Trash") : QStringLiteral("Delete");
        if (!actions->confirm(parent, title, questionFor(trash, m_paths, anyFolder))) return {};
    }
    bool removed = false;
    QStringList failures;
    for (const std::string& path : m_paths) {
        // A folder deleted only in part still changed what its parent holds.
        bool removedAny = false;
        const int error = trash ? moveToTrash(path) : removePath(path, &removedAny);
        removed = removed || error == 0 || removedAny;
        if (error != 0) failures << failureText(trash, path, error);
    }
    if (!failures.isEmpty()) {
        actions->showError(parent,
                           trash ? QStringLiteral("Move to Trash") : QStringLiteral("Delete"),
                           failures.join(u'\n'));
    }
    return removed ? kVerbDelete : QString();
}

}  // namespace tarvolin::views
