#include "common/PathText.h"

#include <vector>

namespace tarvolin {

std::string joinPath(std::string_view parent, std::string_view name) {
    std::string path;
    path.reserve(parent.size() + 1 + name.size());
    path.append(parent);
    if (path.empty() || path.back() != '/') path += '/';
    path.append(name);
    return path;
}

int nameLengthOf(std::string_view path) {
    if (path == "/") return 1;
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return static_cast<int>(path.size());
    return static_cast<int>(path.size() - slash - 1);
}

std::string_view displayNameOf(std::string_view path) {
    return path.substr(path.size() - static_cast<std::size_t>(nameLengthOf(path)));
}

bool isAtOrBelow(std::string_view path, std::string_view folder) {
    if (path.size() < folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
    return path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/';
}

std::string trimTrailingSeparator(std::string_view path) {
    if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return std::string(path);
}

std::string absoluteCleanPath(std::string_view path, std::string_view currentDir) {
    std::string joined;
    if (path.empty() || path.front() != '/') {
        joined.append(currentDir);
        joined += '/';
    }
    joined.append(path);

    std::vector<std::string_view> parts;
    std::string_view rest = joined;
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }

    std::string clean;
    for (const auto part : parts) {
        clean += '/';
        clean.append(part);
    }
    return clean.empty() ? std::string("/") : clean;
}

}  // namespace tarvolin
