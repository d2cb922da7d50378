// TempFileList: the files whose full path contains one of the temp file mask's patterns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::reports {

// The system's temp folders and the usual leftovers. "\" names no folder outside Windows, so
// the Linux mask names /tmp and /var/tmp (both end in "/tmp/") and any folder "temp…".
#ifdef _WIN32
inline constexpr char kDefaultTempFileMask[] = "\\temp;.tmp;~.;.~;.old;.chk";
#else
inline constexpr char kDefaultTempFileMask[] = "/temp;/tmp/;.tmp;~.;.~;.old;.chk";
#endif

struct TempFileEntry {
    std::string path;            // full path
    std::size_t nameOffset = 0;  // where the file name begins in `path`
    std::int64_t size = 0;
};

// The mask's tokens, split at every run of ";" and ",", lower-cased, never trimmed (" .log"
// keeps its space); empty tokens do not exist.
std::vector<std::string> parseTempFileMask(std::string_view mask);

// Matches are kept in the order they were offered. Matching is a plain substring test with A-Z
// folded to a-z on both sides; a file matching several patterns is kept once.
//
// Not thread-safe; ReportCollections guards it. Offering a file that does not match allocates
// nothing once the buffers have grown to the longest path. The files of a folder come one after
// another, so the folder part is tested once per folder and each file only from the few bytes
// before its name on, where a pattern could begin that ends in the name.
class TempFileList {
public:
    TempFileList() { usePatterns(parseTempFileMask(kDefaultTempFileMask)); }
    // Matches with `patterns` as they are (already parsed).
    explicit TempFileList(std::vector<std::string> patterns) { usePatterns(std::move(patterns)); }

    // Replaces the patterns; true when the mask has at least one. Matches already kept stay.
    bool setMask(std::string_view mask);
    // Set once a mask with patterns has been given; the default of the constructor does not
    // count, so a caller that keeps the mask elsewhere knows it still has to hand it over.
    bool maskParsed() const { return m_maskParsed; }
    const std::vector<std::string>& patterns() const { return m_patterns; }

    void offer(std::string_view path, std::int64_t size, std::size_t nameOffset);
    // Moves the matches of `later` behind this list's own.
    void appendMatches(TempFileList& later);
    // Forgets every match and gives the storage back; the patterns stay.
    void clearMatches();
    // Forgets, for each path, the first match with exactly that path. Returns how many went.
    std::size_t remove(const std::vector<std::string>& paths);

    const std::vector<TempFileEntry>& matches() const { return m_matches; }

private:
    void usePatterns(std::vector<std::string> patterns);
    bool matches(std::string_view text);

    std::vector<std::string> m_patterns;
    std::size_t m_longestPattern = 0;
    bool m_maskParsed = false;
    std::vector<TempFileEntry> m_matches;
    std::string m_folded;  // the text under test folded to lower case, reused
    std::string m_folder;  // the folder part of the last path offered, as given
    bool m_folderMatches = false;
};

}  // namespace tarvolin::reports
