// FolderCache: completed folder nodes by full path, kept for the life of the program.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "scan/ScanNode.h"

namespace tarvolin::scan {

// Lives on the scan thread; nothing else touches it, so it has no lock. The node's own path is
// the key (no second copy of every path), compared byte for byte, so case-sensitive. Hashed:
// every folder of a walk is looked up and inserted once, and nothing needs the keys in order.
class FolderCache {
public:
    // What one walk used of the cache: the nodes it kept and the cached nodes it took whole.
    struct Use {
        std::vector<const ScanNode*> kept;
        std::vector<const ScanNode*> taken;
    };

    // The node stored under exactly `path`; nullptr when absent. Valid until a node with the
    // same path is inserted or the cache is destroyed.
    ScanNode* Lookup(std::string_view path) const;

    // Stores `node` under its path, freeing a node stored there before. Returns the stored node.
    ScanNode* Insert(std::unique_ptr<ScanNode> node);

    std::size_t size() const { return m_nodes.size(); }

    // Every node a walk inserts lies strictly below that walk's root. Knowing the roots lets a
    // walk skip looking up folders that cannot be cached, which is every folder of a first scan.
    // `below` receives the roots of earlier walks strictly below `root`; true when one lies at
    // or above `root`, so that any folder below it may be cached.
    bool earlierWalkRoots(std::string_view root, std::vector<std::string>& below) const;
    void noteWalkRoot(std::string_view root);

    // While `use` is set, Insert and every Lookup that finds a node note it there; null stops.
    void recordUse(Use* use) { m_use = use; }
    // Every node strictly below `folder`, in no particular order.
    std::vector<const ScanNode*> nodesBelow(std::string_view folder) const;

private:
    static std::string_view key(std::string_view path) { return path; }
    static std::string_view key(const std::unique_ptr<ScanNode>& node) { return node->path; }
    struct PathHash {
        using is_transparent = void;
        template <class T>
        std::size_t operator()(const T& item) const {
            return std::hash<std::string_view>()(key(item));
        }
    };
    struct PathEqual {
        using is_transparent = void;
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            return key(a) == key(b);
        }
    };
    std::unordered_set<std::unique_ptr<ScanNode>, PathHash, PathEqual> m_nodes;
    std::vector<std::string> m_walkRoots;  // none lies below another
    Use* m_use = nullptr;                  // owned by the walk's caller
};

}  // namespace tarvolin::scan
