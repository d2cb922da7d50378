#include "scan/FolderCache.h"

#include <algorithm>

#include "common/PathText.h"

namespace tarvolin::scan {

ScanNode* FolderCache::Lookup(std::string_view path) const {
    if (m_nodes.empty()) return nullptr;
    const auto found = m_nodes.find(Probe{std::hash<std::string_view>()(path), path});
    return found == m_nodes.end() ? nullptr : found->node.get();
}

ScanNode* FolderCache::Insert(std::unique_ptr<ScanNode> node) {
    m_pathBuffer.clear();
    node->link()->appendPath(m_pathBuffer);
    const Probe probe{std::hash<std::string_view>()(m_pathBuffer), m_pathBuffer};
    const auto old = m_nodes.find(probe);
    if (old != m_nodes.end()) m_nodes.erase(old);
    return m_nodes.insert(Entry{probe.hash, std::move(node)}).first->node.get();
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
