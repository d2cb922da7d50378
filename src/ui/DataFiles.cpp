#include "ui/DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tarvolin::ui {

QString findDataFile(const QString& relativePath) {
    const QDir exeDir(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {exeDir.filePath(relativePath),
          exeDir.filePath(QStringLiteral("../share/tarvolin/") + relativePath)}) {
        if (QFileInfo(candidate).isFile()) return QDir::cleanPath(candidate);
    }
    return {};
}

}  // namespace tarvolin::ui
