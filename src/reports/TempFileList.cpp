#include "reports/TempFileList.h"

#include <algorithm>

namespace tarvolin::reports {
namespace {

// Single bytes, A-Z only: bytes of multibyte characters are never changed, whatever the locale.
char foldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isSeparator(char c) {
    return c == ';' || c == ',';
}

}  // namespace

std::vector<std::string> parseTempFileMask(std::string_view mask) {
    std::vector<std::string> patterns;
    std::size_t i = 0;
    while (i < mask.size()) {
        while (i < mask.size() && isSeparator(mask[i]))
            ++i;
        const std::size_t begin = i;
        while (i < mask.size() && !isSeparator(mask[i]))
            ++i;
        if (i == begin) continue;
        std::string pattern(mask.substr(begin, i - begin));
        std::transform(pattern.begin(), pattern.end(), pattern.begin(), foldCase);
        patterns.push_back(std::move(pattern));
    }
    return patterns;
}

bool TempFileList::setMask(std::string_view mask) {
    usePatterns(parseTempFileMask(mask));
    if (!m_patterns.empty()) m_maskParsed = true;
    return !m_patterns.empty();
}

void TempFileList::usePatterns(std::vector<std::string> patterns) {
    m_patterns = std::move(patterns);
    m_longestPattern = 0;
    for (const std::string& pattern : m_patterns)
        m_longestPattern = std::max(m_longestPattern, pattern.size());
    m_folder.clear();
    m_folderMatches = false;
}

bool TempFileList::matches(std::string_view text) {
    m_folded.resize(text.size());
    std::transform(text.begin(), text.end(), m_folded.begin(), foldCase);
    const std::string_view folded(m_folded);
    return std::any_of(m_patterns.begin(), m_patterns.end(), [folded](const std::string& pattern) {
        return folded.find(pattern) != std::string_view::npos;
    });
}

void TempFileList::offer(std::string_view path, std::int64_t size, std::size_t nameOffset) {
    if (m_patterns.empty()) return;
    nameOffset = std::min(nameOffset, path.size());
    const std::string_view folder = path.substr(0, nameOffset);
    if (folder != m_folder) {
        m_folder.assign(folder);
        m_folderMatches = matches(folder);
    }
    // A match that is not all in the folder part ends in the name, so it begins at most
    // (longest pattern - 1) bytes before the name.
    const std::size_t tail = nameOffset - std::min(nameOffset, m_longestPattern - 1);
    if (!m_folderMatches && !matches(path.substr(tail))) return;
    m_matches.push_back(TempFileEntry{std::string(path), nameOffset, size});
}

void TempFileList::appendMatches(TempFileList& later) {
    m_matches.insert(m_matches.end(), std::make_move_iterator(later.m_matches.begin()),
                     std::make_move_iterator(later.m_matches.end()));
    later.m_matches.clear();
}

void TempFileList::clearMatches() {
    std::vector<TempFileEntry>().swap(m_matches);
}

std::size_t TempFileList::remove(const std::vector<std::string>& paths) {
    std::size_t removed = 0;
    for (const std::string& path : paths) {
        const auto found =
            std::find_if(m_matches.begin(), m_matches.end(),
                         [&path](const TempFileEntry& entry) { return entry.path == path; });
        if (found == m_matches.end()) continue;
        m_matches.erase(found);
        ++removed;
    }
    return removed;
}

}  // namespace tarvolin::reports
