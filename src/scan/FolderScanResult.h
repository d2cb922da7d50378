// FolderScanResult: every folder node of a folder scan that ran to its end.
#pragma once

#include <vector>

#include "scan/FolderCache.h"
#include "scan/ScanNode.h"

namespace tarvolin::scan {

// Made by the scan thread after a folder scan that was not stopped and handed to the listener;
// it refers to the cache and the root, so it is valid only during that call.
class FolderScanResult {
public:
    FolderScanResult(const ScanNode& root, const FolderCache& cache, const FolderCache::Use& use,
                     bool answeredFromCache)
        : m_root(root), m_cache(cache), m_use(use), m_answeredFromCache(answeredFromCache) {}

    const ScanNode& root() const { return m_root; }
    // No folder below the root was walked: every subfolder came from the cache (a drill-down
    // into a folder already scanned), so the result holds nothing that was not known before.
    bool answeredFromCache() const { return m_answeredFromCache; }

    // Every folder node below the root, the root not included, in no particular order: the
    // folders walked now and, below each subfolder taken from the cache, the cached nodes that
    // its totals were made of. Cached nodes of folders that are gone are left out, since only
    // what this walk reached counts.
    std::vector<const ScanNode*> folders() const;

private:
    const ScanNode& m_root;
    const FolderCache& m_cache;
    const FolderCache::Use& m_use;
    bool m_answeredFromCache;
};

}  // namespace tarvolin::scan
