// FolderComparison: what changed between two scans of the same folders.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "history/Snapshot.h"

namespace tarvolin::history {

struct FolderChange {
    enum class Status { Grown, Shrunk, New, Removed };
    std::string path;
    Status status = Status::Grown;
    std::int64_t sizeBefore = 0;  // 0 for a new folder
    std::int64_t sizeAfter = 0;   // 0 for a removed one
    std::int64_t filesDelta = 0;
    std::int64_t foldersDelta = 0;
    std::int64_t delta() const { return sizeAfter - sizeBefore; }
};

const char* statusName(FolderChange::Status status);  // "grown", "shrunk", "new", "removed"

// The folders at or below `folder`, at most `maxDepth` levels below it (-1: any depth), that
// are new, removed, or whose size differs between `before` and `after`; largest absolute
// change first, then by path. `before` may come from a scan of a folder above `folder`:
// only the folders at or below `folder` are compared.
std::vector<FolderChange> compareFolders(const std::vector<FolderRecord>& before,
                                         const std::vector<FolderRecord>& after,
                                         std::string_view folder, int maxDepth = -1);

// Levels of `path` below `folder` (0 for the folder itself); `path` must lie at or below it.
int depthBelow(std::string_view path, std::string_view folder);

// The short note after a scan: "(+1.24 GB since 3 Dec 2026)", "(-512 bytes since ...)",
// "(no change since ...)"; `since` is shown as a local date.
std::string changeNote(std::int64_t delta, std::int64_t since);

// "+1.24 GB", "-3.00 KB", "0 bytes".
std::string signedSize(std::int64_t delta);
// "+1,234", "-5", "0".
std::string signedCount(std::int64_t delta);

}  // namespace tarvolin::history
