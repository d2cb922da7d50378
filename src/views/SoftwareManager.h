// SoftwareManager: the desktop's program for adding and removing software, which the
// "&Add/Remove Programs" command starts.
#pragma once

#include <QString>
#include <QStringList>

namespace tarvolin::views {

// The full path of the first installed of gnome-software and plasma-discover, searched in
// `searchPaths` (the PATH when empty); empty when neither is installed, and the command is then
// disabled.
QString findSoftwareManager(const QStringList& searchPaths = {});

// Starts it detached from this process, so that it outlives the program; false when none is
// installed or it could not be started.
bool startSoftwareManager(const QStringList& searchPaths = {});

}  // namespace tarvolin::views
