// StartupFolder: the folder named on the desktop program's command line ("tarvolin ~/Downloads",
// a file manager's "Open with Tarvolin"), scanned once the window is up.
#pragma once

#include <QString>
#include <QStringList>

namespace tarvolin::app {

class CMainFrame;

// The folder among `arguments` (the program's name first, Qt's own options already taken out):
// the first one that does not begin with "-", or the one after "--". Empty when there is none.
QString startupFolder(const QStringList& arguments);

// When `arguments` name a folder, goes there once the event loop runs, as if it had been typed
// in the path bar: a path that is not a folder gets the path bar's message box over the window.
void scanStartupFolder(CMainFrame& frame, const QStringList& arguments);

}  // namespace tarvolin::app
