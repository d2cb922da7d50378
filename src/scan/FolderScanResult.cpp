#include "scan/FolderScanResult.h"

#include <algorithm>
#include <string>

namespace tarvolin::scan {

std::vector<const ScanNode*> FolderScanResult::folders() const {
    std::vector<const ScanNode*> folders = m_use.kept;
    if (m_use.taken.empty()) return folders;

    // The cached nodes below a taken folder T are those whose path starts with "T/": in byte
    // order they lie together, between "T/" and "T0" ('0' follows '/').
    std::vector<const ScanNode*> cached = m_cache.nodesBelow(m_root.path);
    const auto byPath = [](const ScanNode* a, const ScanNode* b) { return a->path < b->path; };
    std::sort(cached.begin(), cached.end(), byPath);
    const auto firstNotBefore = [&cached](const std::string& path) {
        return std::lower_bound(
            cached.begin(), cached.end(), path,
            [](const ScanNode* node, const std::string& key) { return node->path < key; });
    };
    for (const ScanNode* taken : m_use.taken) {
        folders.push_back(taken);
        std::string prefix = taken->path;
        if (prefix.back() != '/') prefix += '/';
        const auto begin = firstNotBefore(prefix);
        prefix.back() = static_cast<char>('/' + 1);
        const auto end = firstNotBefore(prefix);
        folders.insert(folders.end(), begin, end);
    }
    return folders;
}

}  // namespace tarvolin::scan
