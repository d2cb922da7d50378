// CTarvolinDoc: the direct children of the last scanned folder, for the views to read.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "scan/ScanNode.h"

namespace tarvolin::scan {

enum class SortKey { Name, Size, LastChange, Files, Folders };

// The details view's column → key: 0 Folder, 1 Size, 2 Last Change, 3 Files, 4 Folders,
// 5 "% of Parent" (orders like the size); any other column does not reorder.
std::optional<SortKey> sortKeyForColumn(int column);

// Filled by the scan thread while it walks, read and sorted by the UI thread. Every operation
// takes the one lock and releases it before returning. Readers never keep a node: they read
// inside a visit under the lock, or take copies, because the next scan frees file nodes and may
// replace cached folder nodes.
class CTarvolinDoc {
public:
    CTarvolinDoc() = default;
    CTarvolinDoc(const CTarvolinDoc&) = delete;
    CTarvolinDoc& operator=(const CTarvolinDoc&) = delete;

    // A folder node owned by the FolderCache (valid until that path is cached again, which
    // happens only after the document was cleared for a new scan). nullptr does nothing.
    void AddChild(ScanNode* folder);
    // A file node, owned by the document from now on. nullptr does nothing.
    void AddChild(std::unique_ptr<ScanNode> file);

    // Waits for a sort in progress on another thread (never for more than that sort).
    void ClearChildren();
    // Stable: children with equal keys keep their relative order. The sort itself runs on a
    // copy of the lists outside the lock; under the lock only the copy is put back and the
    // children added meanwhile are merged in, so AddChild and the readers never wait long.
    void SortChildren(SortKey key, bool ascending);

    int folderCount() const;
    int fileCount() const;
    std::int64_t largestFolderSize() const;
    std::string folderPath() const;
    void setFolderPath(std::string path);

    // Calls visit(const ScanNode&) under the lock; false when index is out of range.
    template <class Visit>
    bool visitFolder(int index, Visit&& visit) const {
        std::lock_guard lock(m_mutex);
        if (index < 0 || static_cast<std::size_t>(index) >= m_folders.order.size()) return false;
        visit(static_cast<const ScanNode&>(*m_folders.order[static_cast<std::size_t>(index)]));
        return true;
    }
    template <class Visit>
    bool visitFile(int index, Visit&& visit) const {
        std::lock_guard lock(m_mutex);
        if (index < 0 || static_cast<std::size_t>(index) >= m_files.order.size()) return false;
        visit(static_cast<const ScanNode&>(*m_files.order[static_cast<std::size_t>(index)]));
        return true;
    }
    void setFolderIconIndex(int index, std::int32_t iconIndex);
    void setFileIconIndex(int index, std::int32_t iconIndex);

    std::vector<ScanNode> foldersSnapshot() const;
    std::vector<ScanNode> filesSnapshot() const;

    // How many key comparisons SortChildren has made while holding the lock: a measure of how
    // long a sort can keep the scan thread and the views waiting, for tests and diagnostics.
    std::uint64_t sortComparisonsUnderLock() const;

private:
    // A list in view order and how much of it is known to be sorted by the last key.
    struct ChildList {
        std::vector<ScanNode*> order;
        std::size_t sortedCount = 0;
    };
    // Held for a whole SortChildren, and by ClearChildren before it frees anything: the sort
    // compares nodes outside m_mutex, so nothing it compares may be freed meanwhile. AddChild
    // and the readers never take it. Order: m_sortMutex, then m_mutex.
    std::mutex m_sortMutex;
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<ScanNode>> m_ownedFiles;  // in the order they arrived
    ChildList m_files;                                    // nodes of m_ownedFiles
    ChildList m_folders;                                  // owned by the FolderCache
    std::optional<std::pair<SortKey, bool>> m_sortedBy;   // key and ascending of the last sort
    std::uint64_t m_comparisonsUnderLock = 0;
    std::int64_t m_largestFolderSize = 0;
    std::string m_folderPath;
};

}  // namespace tarvolin::scan
