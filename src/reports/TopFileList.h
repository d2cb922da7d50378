// TopFileList: a bounded best-N list of files, as LargestFiles and OldestFiles.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::reports {

struct FileSizeEntry {
    std::int64_t size = 0;  // bytes
    std::string path;       // full path

    static constexpr std::int64_t FileSizeEntry::*kKey = &FileSizeEntry::size;
    // Heap order: the smallest size, the first to go, at the front.
    static bool heapOrder(const FileSizeEntry& a, const FileSizeEntry& b) {
        return a.size > b.size;
    }
};

struct FileTimeEntry {
    std::int64_t time = 0;  // last change, seconds since 1970 (earlier times are negative)
    std::string path;       // full path

    static constexpr std::int64_t FileTimeEntry::*kKey = &FileTimeEntry::time;
    // Heap order: the newest time, the first to go, at the front.
    static bool heapOrder(const FileTimeEntry& a, const FileTimeEntry& b) {
        return a.time < b.time;
    }
};

// Keeps the `capacity` best files offered so far in a binary heap whose front is the worst one
// kept. The storage is never sorted: readers see heap order, which depends only on the order of
// the offers, so the same walk gives the same rows every time. Among files of equal key at the
// boundary the one offered later stays.
//
// Not thread-safe; ReportCollections guards it. Offers that are rejected allocate nothing, and
// a replacement reuses the slot's string, so a full list costs no allocation per file.
template <class Entry>
class TopFileList {
public:
    static constexpr std::size_t kCapacity = 50;

    explicit TopFileList(std::size_t capacity = kCapacity) : m_capacity(capacity) {}

    // False when the file was dropped at once, leaving the list as it was.
    bool offer(std::int64_t key, std::string_view path) {
        if (m_capacity == 0) return false;
        if (m_entries.size() < m_capacity) {
            Entry& entry = m_entries.emplace_back();
            entry.*Entry::kKey = key;
            entry.path.assign(path);
            std::push_heap(m_entries.begin(), m_entries.end(), Entry::heapOrder);
            return true;
        }
        // Strictly worse than the worst kept: dropped. An equal key replaces it.
        Entry probe;  // an empty path allocates nothing
        probe.*Entry::kKey = key;
        if (Entry::heapOrder(m_entries.front(), probe)) return false;
        std::pop_heap(m_entries.begin(), m_entries.end(), Entry::heapOrder);
        Entry& slot = m_entries.back();
        slot.*Entry::kKey = key;
        slot.path.assign(path);
        std::push_heap(m_entries.begin(), m_entries.end(), Entry::heapOrder);
        return true;
    }

    // Empties the list and gives its storage back.
    void clear() { std::vector<Entry>().swap(m_entries); }

    const std::vector<Entry>& entries() const { return m_entries; }
    std::size_t capacity() const { return m_capacity; }

private:
    std::size_t m_capacity;
    std::vector<Entry> m_entries;  // heap order, worst at index 0
};

using LargestFiles = TopFileList<FileSizeEntry>;
using OldestFiles = TopFileList<FileTimeEntry>;

}  // namespace tarvolin::reports
