#include "exports/FolderTreeText.h"

namespace tarvolin::exports {

std::string folderTreeLine(std::string_view name, int depth) {
    std::string line;
    line.reserve(static_cast<std::size_t>(depth > 0 ? depth : 0) * 7 + 5 + name.size());
    for (int level = 0; level < depth; ++level)
        line += "|      ";
    line += "+----";
    line.append(name);
    return line;
}

}  // namespace tarvolin::exports
