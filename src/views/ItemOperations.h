// ItemOperations: how the item context menus hand a byte path to the desktop. Removing and
// trashing live in common/FileOperations.
#pragma once

#include <string>

#include <QUrl>

namespace tarvolin::views {

// A file URL that carries the path's bytes percent-encoded, for the desktop to open.
QUrl fileUrl(const std::string& path);

}  // namespace tarvolin::views
