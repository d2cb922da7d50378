// The records of the scan history: folder totals as a scan found them, and the snapshots that
// keep them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvolin::history {

// One folder of a scan result. Paths are raw bytes, as the file system gave them.
struct FolderRecord {
    std::string path;
    std::int64_t size = 0;
    std::int32_t files = 0;
    std::int32_t folders = 0;
    std::int64_t lastChange = 0;  // seconds since 1970 UTC; 0 for the scanned folder itself
};

// A completed folder scan: its root's record first, then every folder below it.
struct FolderSnapshot {
    std::string root;
    std::int64_t time = 0;  // when the scan completed, seconds since 1970 UTC
    std::vector<FolderRecord> folders;

    const FolderRecord& rootRecord() const { return folders.front(); }
};

// A stored snapshot without its folders.
struct SnapshotInfo {
    std::int64_t id = 0;
    std::string root;
    std::int64_t time = 0;
    std::int64_t size = 0;
    std::int64_t files = 0;
    std::int64_t folders = 0;
};

}  // namespace tarvolin::history
