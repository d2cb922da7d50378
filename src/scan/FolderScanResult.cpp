#include "scan/FolderScanResult.h"

#include <algorithm>
#include <string>
#include <utility>

namespace tarvolin::scan {

std::vector<const ScanNode*> FolderScanResult::folders() const {
    std::vector<const ScanNode*> folders = m_use.kept;
    if (m_use.taken.empty()) return folders;

    // The cached nodes below a taken folder T are those whose path starts with "T/": in byte
    // order they lie together, between "T/" and "T0" ('0' follows '/').
    // Nodes keep no paths of their own, so each is built once here.
    std::vector<std::pair<std::string, const ScanNode*>> cached;
    for (const ScanNode* node : m_cache.nodesBelow(m_root.path()))
        cached.emplace_back(node->path(), node);
    std::sort(cached.begin(), cached.end());
    const auto firstNotBefore = [&cached](const std::string& path) {
        return std::lower_bound(
            cached.begin(), cached.end(), path,
            [](const auto& entry, const std::string& key) { return entry.first < key; });
    };
    for (const ScanNode* taken : m_use.taken) {
        folders.push_back(taken);
        std::string prefix = taken->path();
        if (prefix.back() != '/') prefix += '/';
        const auto begin = firstNotBefore(prefix);
        prefix.back() = static_cast<char>('/' + 1);
        const auto end = firstNotBefore(prefix);
        for (auto entry = begin; entry != end; ++entry)
            folders.push_back(entry->second);
    }
    return folders;
}

}  // namespace tarvolin::scan
