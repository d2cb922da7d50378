#include "views/SoftwareManager.h"

#include <QProcess>
#include <QStandardPaths>

namespace tarvolin::views {

QString findSoftwareManager(const QStringList& searchPaths) {
    for (const char* name : {"gnome-software", "plasma-discover"}) {
        const QString found =
            QStandardPaths::findExecutable(QString::fromLatin1(name), searchPaths);
        if (!found.isEmpty()) return found;
    }
    return {};
}

bool startSoftwareManager(const QStringList& searchPaths) {
    const QString program = findSoftwareManager(searchPaths);
    return !program.isEmpty() && QProcess::startDetached(program, {});
}

}  // namespace tarvolin::views
