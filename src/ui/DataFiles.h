// DataFiles: where the program's shipped files (help pages, report template) are found.
#pragma once

#include <QString>

namespace tarvolin::ui {

// The path of a shipped file given relative to the data folder ("help/index.html",
// "template/style.css"). Looked up beside the executable first (the build tree), then in
// <exe>/../share/tarvolin (an installed prefix). An empty string when neither holds it.
QString findDataFile(const QString& relativePath);

}  // namespace tarvolin::ui
