#include "scan/FolderCache.h"

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

}  // namespace tarvolin::scan
