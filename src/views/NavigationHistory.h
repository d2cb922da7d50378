// NavigationHistory: the folder tree's back/forward list of visited items.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace tarvolin::views {

// Plain data on the user-interface thread, owned by CFolderTreeCtrl. Entries name tree items by
// their model ids; the position is the index of the current entry, -1 while the list is empty,
// and always stays inside the list.
class NavigationHistory {
public:
    struct Entry {
        std::uint64_t item = 0;
        std::string path;
    };

    // Drops the entries after the position, appends (item, path) unless the last entry already
    // names `item`, keeps the newest `maxCount` entries and moves the position to the last one.
    void record(std::uint64_t item, const std::string& path, int maxCount);

    bool canBack() const { return m_position > 0; }
    bool canForward() const {
        return m_position != -1 && m_position + 1 < static_cast<int>(m_entries.size());
    }
    // The entry a Back or Forward would go to; call only when it is possible.
    const Entry& previous() const { return m_entries[m_position - 1]; }
    const Entry& next() const { return m_entries[m_position + 1]; }
    void stepBack();
    void stepForward();

    // Removes the entries of items that no longer exist. The position stays on its entry when it
    // survives, else moves to the nearest earlier survivor (the first entry when none is earlier).
    void removeItems(const std::unordered_set<std::uint64_t>& items);

    int position() const { return m_position; }
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
    int m_position = -1;
};

}  // namespace tarvolin::views
