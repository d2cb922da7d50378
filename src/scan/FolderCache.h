// FolderCache: completed folder nodes by full path, kept for the life of the program.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "scan/ScanNode.h"

namespace tarvolin::scan {

// Lives on the scan thread; nothing else touches it, so it has no lock. Paths are compared byte
// for byte, so case-sensitive. Hashed: every folder of a walk is looked up and inserted once,
// and nothing needs the keys in order. No key is stored: an entry keeps its path's hash, and
// the node's own path link answers whether it has the path looked up.
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
    struct Entry {
        std::size_t hash;
        std::unique_ptr<ScanNode> node;
    };
    struct Probe {
        std::size_t hash;
        std::string_view path;
    };
    struct EntryHash {
        using is_transparent = void;
        std::size_t operator()(const Entry& entry) const { return entry.hash; }
        std::size_t operator()(const Probe& probe) const { return probe.hash; }
    };
    struct EntryEqual {
        using is_transparent = void;
        bool operator()(const Entry& a, const Entry& b) const { return a.node == b.node; }
        bool operator()(const Entry& a, const Probe& b) const {
            return a.hash == b.hash && a.node->link()->hasPath(b.path);
        }
        bool operator()(const Probe& a, const Entry& b) const { return (*this)(b, a); }
    };
    std::unordered_set<Entry, EntryHash, EntryEqual> m_nodes;
    std::string m_pathBuffer;  // Insert's, reused so that a walk does not allocate per folder
    std::vector<std::string> m_walkRoots;  // none lies below another
    Use* m_use = nullptr;                  // owned by the walk's caller
};

}  // namespace tarvolin::scan
