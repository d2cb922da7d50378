#include "views/NavigationHistory.h"

#include <algorithm>

namespace tarvolin::views {

void NavigationHistory::record(std::uint64_t item, const std::string& path, int maxCount) {
    if (m_position != -1) m_entries.resize(m_position + 1);
    if (m_entries.empty() || m_entries.back().item != item) m_entries.push_back({item, path});
    // A count lowered since the last visit trims the list at once, not one entry per visit.
    const auto limit = static_cast<std::size_t>(std::max(maxCount, 0));
    if (m_entries.size() > limit)
        m_entries.erase(m_entries.begin(), m_entries.end() - static_cast<std::ptrdiff_t>(limit));
    m_position = static_cast<int>(m_entries.size()) - 1;
}

void NavigationHistory::stepBack() {
    if (canBack()) --m_position;
}

void NavigationHistory::stepForward() {
    if (canForward()) ++m_position;
}

void NavigationHistory::removeItems(const std::unordered_set<std::uint64_t>& items) {
    std::vector<Entry> kept;
    int position = -1;
    for (int i = 0; i < static_cast<int>(m_entries.size()); ++i) {
        const bool survives = items.count(m_entries[i].item) == 0;
        if (survives) kept.push_back(std::move(m_entries[i]));
        if (i <= m_position && survives) position = static_cast<int>(kept.size()) - 1;
    }
    m_entries = std::move(kept);
    if (position == -1 && !m_entries.empty()) position = 0;
    m_position = position;
}

}  // namespace tarvolin::views
