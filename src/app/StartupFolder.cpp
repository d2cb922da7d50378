#include "app/StartupFolder.h"

#include <QTimer>

#include "app/CMainFrame.h"
#include "app/PathBar.h"
#include "ui/CHistoryCombo.h"

namespace tarvolin::app {

QString startupFolder(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--")) {
            return i + 1 < arguments.size() ? arguments[i + 1] : QString();
        }
        if (!arguments[i].startsWith(QLatin1Char('-'))) return arguments[i];
    }
    return {};
}

void scanStartupFolder(CMainFrame& frame, const QStringList& arguments) {
    const QString folder = startupFolder(arguments);
    if (folder.isEmpty()) return;
    QTimer::singleShot(0, &frame, [&frame, folder] {
        frame.pathBar()->combo()->setEditText(folder);
        frame.navigateToPath(folder);
    });
}

}  // namespace tarvolin::app
