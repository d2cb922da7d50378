// FolderCache: completed folder nodes by full path, kept for the life of the program.
#pragma once

#include <memory>
#include <set>
#include <string_view>

#include "scan/ScanNode.h"

namespace tarvolin::scan {

// Lives on the scan thread; nothing else touches it, so it has no lock. The node's own path is
// the key (no second copy of every path), byte order, case-sensitive.
class FolderCache {
public:
    // The node stored under exactly `path`; nullptr when absent. Valid until a node with the
    // same path is inserted or the cache is destroyed.
    ScanNode* Lookup(std::string_view path) const;

    // Stores `node` under its path, freeing a node stored there before. Returns the stored node.
    ScanNode* Insert(std::unique_ptr<ScanNode> node);

    std::size_t size() const { return m_nodes.size(); }

private:
    struct PathLess {
        using is_transparent = void;
        static std::string_view key(std::string_view path) { return path; }
        static std::string_view key(const std::unique_ptr<ScanNode>& node) { return node->path; }
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            return key(a) < key(b);
        }
    };
    std::set<std::unique_ptr<ScanNode>, PathLess> m_nodes;
};

}  // namespace tarvolin::scan
