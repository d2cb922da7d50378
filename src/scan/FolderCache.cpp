#include "scan/FolderCache.h"

#include <algorithm>

#include "common/PathText.h"

namespace tarvolin::scan {

ScanNode* FolderCache::Lookup(std::string_view path) const {
    if (m_nodes.empty()) return nullptr;
    const auto found = m_nodes.find(Probe{std::hash<std::string_view>()(path), path});
    if (found == m_nodes.end()) return nullptr;
    if (m_use != nullptr) m_use->taken.push_back(found->node.get());
    return found->node.get();
}

ScanNode* FolderCache::Insert(std::unique_ptr<ScanNode> node) {
    m_pathBuffer.clear();
    node->link()->appendPath(m_pathBuffer);
    const Probe probe{std::hash<std::string_view>()(m_pathBuffer), m_pathBuffer};
    const auto old = m_nodes.find(probe);
    if (old != m_nodes.end()) m_nodes.erase(old);
    ScanNode* stored = m_nodes.insert(Entry{probe.hash, std::move(node)}).first->node.get();
    if (m_use != nullptr) m_use->kept.push_back(stored);
    return stored;
}

std::vector<const ScanNode*> FolderCache::nodesBelow(std::string_view folder) const {
    std::vector<const ScanNode*> below;
    std::string path;
    for (const Entry& entry : m_nodes) {
        path.clear();
        entry.node->link()->appendPath(path);
        if (path.size() > folder.size() && isAtOrBelow(path, folder))
            below.push_back(entry.node.get());
    }
    return below;
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
