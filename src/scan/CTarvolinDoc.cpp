#include "scan/CTarvolinDoc.h"

#include <algorithm>
#include <cassert>

#include "common/NameOrder.h"

namespace tarvolin::scan {
namespace {

// true when a goes before b in ascending order of `key`.
bool keyLess(SortKey key, const ScanNode& a, const ScanNode& b) {
    switch (key) {
        case SortKey::Name:
            return compareNames(a.displayName(), b.displayName()) < 0;
        case SortKey::Size:
            return a.size < b.size;
        case SortKey::LastChange:
            return a.lastWriteTime < b.lastWriteTime;
        case SortKey::Files:
            return a.fileCount < b.fileCount;
        case SortKey::Folders:
            return a.folderCount < b.folderCount;
    }
    return false;
}

// Sorts list[from, end) and merges it into the sorted list[0, from), stably: an element of the
// tail goes after every equal element before it. k·log n comparisons for a tail of k, and one
// pass of moves.
template <class Less>
void mergeTail(std::vector<ScanNode*>& list, std::size_t from, const Less& less) {
    std::vector<ScanNode*> tail(list.begin() + static_cast<std::ptrdiff_t>(from), list.end());
    std::stable_sort(tail.begin(), tail.end(), less);
    std::size_t end = list.size();
    std::size_t prefixEnd = from;
    for (std::size_t j = tail.size(); j-- > 0;) {
        const auto prefixBegin = list.begin();
        const std::size_t at = static_cast<std::size_t>(
            std::upper_bound(prefixBegin, prefixBegin + static_cast<std::ptrdiff_t>(prefixEnd),
                             tail[j], less) -
            prefixBegin);
        std::move_backward(prefixBegin + static_cast<std::ptrdiff_t>(at),
                           prefixBegin + static_cast<std::ptrdiff_t>(prefixEnd),
                           prefixBegin + static_cast<std::ptrdiff_t>(end));
        end -= prefixEnd - at;
        list[--end] = tail[j];
        prefixEnd = at;
    }
}

template <class List>
std::vector<ScanNode> copyOf(const List& list) {
    std::vector<ScanNode> copies;
    copies.reserve(list.size());
    for (const auto& node : list)
        copies.push_back(*node);
    return copies;
}

}  // namespace

std::optional<SortKey> sortKeyForColumn(int column) {
    switch (column) {
        case 0:
            return SortKey::Name;
        case 1:
            return SortKey::Size;
        case 2:
            return SortKey::LastChange;
        case 3:
            return SortKey::Files;
        case 4:
            return SortKey::Folders;
        case 5:
            return SortKey::Size;
        default:
            return std::nullopt;
    }
}

void CTarvolinDoc::AddChild(ScanNode* folder) {
    if (folder == nullptr) return;
    assert(folder->isFolder());
    std::lock_guard lock(m_mutex);
    m_folders.order.push_back(folder);
    m_largestFolderSize = std::max(m_largestFolderSize, folder->size);
}

void CTarvolinDoc::AddChild(std::unique_ptr<ScanNode> file) {
    if (file == nullptr) return;
    assert(!file->isFolder());
    std::lock_guard lock(m_mutex);
    m_files.order.push_back(file.get());
    m_ownedFiles.push_back(std::move(file));
}

void CTarvolinDoc::ClearChildren() {
    std::lock_guard sorting(m_sortMutex);
    std::lock_guard lock(m_mutex);
    // Frees the storage too: a folder of a million files should not keep its list afterwards.
    std::vector<std::unique_ptr<ScanNode>>().swap(m_ownedFiles);
    m_files = ChildList();
    m_folders = ChildList();
    m_sortedBy.reset();
    m_largestFolderSize = 0;
}

void CTarvolinDoc::SortChildren(SortKey key, bool ascending) {
    // Counts only while the lock is held; the copies are sorted without it.
    bool counting = false;
    const auto less = [this, key, ascending, &counting](const ScanNode* a, const ScanNode* b) {
        if (counting) ++m_comparisonsUnderLock;
        return ascending ? keyLess(key, *a, *b) : keyLess(key, *b, *a);
    };
    std::vector<ScanNode*> folders;
    std::vector<ScanNode*> files;
    std::size_t sortedFolders = 0;
    std::size_t sortedFiles = 0;
    std::lock_guard sorting(m_sortMutex);
    {
        std::lock_guard lock(m_mutex);
        folders = m_folders.order;
        files = m_files.order;
        if (m_sortedBy == std::pair(key, ascending)) {
            sortedFolders = m_folders.sortedCount;
            sortedFiles = m_files.sortedCount;
        }
    }
    // Listed nodes never change and, with m_sortMutex held, stay alive, so they can be compared
    // while the scan thread appends more.
    mergeTail(folders, sortedFolders, less);
    mergeTail(files, sortedFiles, less);

    std::lock_guard lock(m_mutex);
    counting = true;
    for (auto [list, sorted] : {std::pair(&m_folders, &folders), std::pair(&m_files, &files)}) {
        std::copy(sorted->begin(), sorted->end(), list->order.begin());
        mergeTail(list->order, sorted->size(), less);
        list->sortedCount = list->order.size();
    }
    m_sortedBy = std::pair(key, ascending);
}

int CTarvolinDoc::folderCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_folders.order.size());
}

int CTarvolinDoc::fileCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_files.order.size());
}

std::int64_t CTarvolinDoc::largestFolderSize() const {
    std::lock_guard lock(m_mutex);
    return m_largestFolderSize;
}

std::string CTarvolinDoc::folderPath() const {
    std::lock_guard lock(m_mutex);
    return m_folderPath;
}

void CTarvolinDoc::setFolderPath(std::string path) {
    std::lock_guard lock(m_mutex);
    m_folderPath = std::move(path);
}

void CTarvolinDoc::setFolderIconIndex(int index, std::int32_t iconIndex) {
    std::lock_guard lock(m_mutex);
    if (index >= 0 && static_cast<std::size_t>(index) < m_folders.order.size()) {
        m_folders.order[static_cast<std::size_t>(index)]->iconIndex = iconIndex;
    }
}

void CTarvolinDoc::setFileIconIndex(int index, std::int32_t iconIndex) {
    std::lock_guard lock(m_mutex);
    if (index >= 0 && static_cast<std::size_t>(index) < m_files.order.size()) {
        m_files.order[static_cast<std::size_t>(index)]->iconIndex = iconIndex;
    }
}

std::vector<ScanNode> CTarvolinDoc::foldersSnapshot() const {
    std::lock_guard lock(m_mutex);
    return copyOf(m_folders.order);
}

std::vector<ScanNode> CTarvolinDoc::filesSnapshot() const {
    std::lock_guard lock(m_mutex);
    return copyOf(m_files.order);
}

std::uint64_t CTarvolinDoc::sortComparisonsUnderLock() const {
    std::lock_guard lock(m_mutex);
    return m_comparisonsUnderLock;
}

}  // namespace tarvolin::scan
