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

template <class List>
void sortList(List& list, SortKey key, bool ascending) {
    std::stable_sort(list.begin(), list.end(), [key, ascending](const auto& a, const auto& b) {
        return ascending ? keyLess(key, *a, *b) : keyLess(key, *b, *a);
    });
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
    m_folders.push_back(folder);
    m_largestFolderSize = std::max(m_largestFolderSize, folder->size);
}

void CTarvolinDoc::AddChild(std::unique_ptr<ScanNode> file) {
    if (file == nullptr) return;
    assert(!file->isFolder());
    std::lock_guard lock(m_mutex);
    m_files.push_back(std::move(file));
}

void CTarvolinDoc::ClearChildren() {
    std::lock_guard lock(m_mutex);
    // Frees the storage too: a folder of a million files should not keep its list afterwards.
    std::vector<std::unique_ptr<ScanNode>>().swap(m_files);
    std::vector<ScanNode*>().swap(m_folders);
    m_largestFolderSize = 0;
}

void CTarvolinDoc::SortChildren(SortKey key, bool ascending) {
    std::lock_guard lock(m_mutex);
    sortList(m_folders, key, ascending);
    sortList(m_files, key, ascending);
}

int CTarvolinDoc::folderCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_folders.size());
}

int CTarvolinDoc::fileCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_files.size());
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
    if (index >= 0 && static_cast<std::size_t>(index) < m_folders.size()) {
        m_folders[static_cast<std::size_t>(index)]->iconIndex = iconIndex;
    }
}

void CTarvolinDoc::setFileIconIndex(int index, std::int32_t iconIndex) {
    std::lock_guard lock(m_mutex);
    if (index >= 0 && static_cast<std::size_t>(index) < m_files.size()) {
        m_files[static_cast<std::size_t>(index)]->iconIndex = iconIndex;
    }
}

std::vector<ScanNode> CTarvolinDoc::foldersSnapshot() const {
    std::lock_guard lock(m_mutex);
    return copyOf(m_folders);
}

std::vector<ScanNode> CTarvolinDoc::filesSnapshot() const {
    std::lock_guard lock(m_mutex);
    return copyOf(m_files);
}

}  // namespace tarvolin::scan
