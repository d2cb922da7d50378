#include "scan/FolderCache.h"

#include <algorithm>

#include "common/PathText.h"

namespace tarvolin::scan {

ScanNode* FolderCache::Lookup(std::string_view path) const {
    if (m_nodes.empty()) return nullptr;
    const auto found = m_nodes.find(path);
    if (found == m_nodes.end()) return nullptr;
    if (m_use != nullptr) m_use->taken.push_back(found->get());
    return found->get();
}

ScanNode* FolderCache::Insert(std::unique_ptr<ScanNode> node) {
    const auto old = m_nodes.find(std::string_view(node->path));
    if (old != m_nodes.end()) m_nodes.erase(old);
    ScanNode* stored = m_nodes.insert(std::move(node)).first->get();
    if (m_use != nullptr) m_use->kept.push_back(stored);
    return stored;
}

std::vector<const ScanNode*> FolderCache::nodesBelow(std::string_view folder) const {
    std::vector<const ScanNode*> below;
    for (const auto& node : m_nodes) {
        if (node->path.size() > folder.size() && isAtOrBelow(node->path, folder)) {
            below.push_back(node.get());
        }
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
