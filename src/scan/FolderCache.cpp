#include "scan/FolderCache.h"

#include <algorithm>

#include "common/PathText.h"

namespace tarvolin::scan {

ScanNode* FolderCache::Lookup(std::string_view path) const {
    if (m_nodes.empty()) return nullptr;
    const auto found = m_nodes.find(path);
    return found == m_nodes.end() ? nullptr : found->get();
}

ScanNode* FolderCache::Insert(std::unique_ptr<ScanNode> node) {
    const auto old = m_nodes.find(std::string_view(node->path));
    if (old != m_nodes.end()) m_nodes.erase(old);
    return m_nodes.insert(std::move(node)).first->get();
}

bool FolderCache::earlierWalkRoots(std::string_view root, std::vector<std::string>& below) const {
    below.clear();
    for (const std::string& earlier : m_walkRoots) {
        if (isAtOrBelow(root, earlier)) return true;
        if (isAtOrBelow(earlier, root)) below.push_back(earlier);
    }
    return false;
}

void FolderCache::noteWalkRoot(std::string_view root) {
    for (const std::string& earlier : m_walkRoots) {
        if (isAtOrBelow(root, earlier)) return;
    }
    std::erase_if(m_walkRoots,
                  [root](const std::string& earlier) { return isAtOrBelow(earlier, root); });
    m_walkRoots.emplace_back(root);
}

}  // namespace tarvolin::scan
