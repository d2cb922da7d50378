// ScanNode, ScanError: the records of a folder scan.
#pragma once

#include <cstdint>
#include <string>

#include "common/PathText.h"

namespace tarvolin::scan {

// Attribute bits keep their Windows values so that stored and exported data read the same.
inline constexpr std::uint32_t kAttrReadOnly = 0x1;        // owner write bit clear
inline constexpr std::uint32_t kAttrHidden = 0x2;          // name begins with "."
inline constexpr std::uint32_t kAttrSystem = 0x4;          // device, socket or FIFO
inline constexpr std::uint32_t kAttrDirectory = 0x10;      // a real directory, never a symlink
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;  // symbolic link
inline constexpr std::uint32_t kAttrCompressed = 0x800;

// One folder (with the totals of everything below it) or one file directly inside the scanned
// folder. Created and filled on the scan thread; once listed or cached its fields no longer
// change, except iconIndex, which the UI thread fills in on first display.
struct ScanNode {
    std::string path;                // never changes while the node is cached
    std::int64_t size = 0;           // bytes; a folder: every non-directory entry below it
    std::int32_t fileCount = 0;      // a file node: 1
    std::int32_t folderCount = 0;    // subfolders at every depth, unreadable ones included
    std::uint32_t attributes = 0;    // the root node of a scan keeps 0
    std::int64_t lastWriteTime = 0;  // seconds since 1970 UTC; the root node keeps 0
    std::int32_t iconIndex = -1;     // filled by the details view on first display
    std::int32_t nameLength = 0;     // set with the path, not kept up to date afterwards

    ScanNode() = default;
    explicit ScanNode(std::string nodePath) { setPath(std::move(nodePath)); }

    void setPath(std::string nodePath) {
        path = std::move(nodePath);
        nameLength = nameLengthOf(path);
    }
    std::string_view displayName() const {
        return std::string_view(path).substr(path.size() - static_cast<std::size_t>(nameLength));
    }
    bool isFolder() const { return (attributes & kAttrDirectory) != 0; }
};

// One failure of reading the tree: a folder that cannot be opened (its path), a listing that
// failed part-way (folder path + "/" + the last name read), or an entry whose stat failed.
struct ScanError {
    std::uint32_t code = 0;  // errno
    std::string path;
    std::string message;  // the system's text, filled when the error report shows it
};

// Totals of a scan's root node, copied so that readers never hold the node itself.
struct ScanTotals {
    std::int64_t size = 0;
    std::int32_t fileCount = 0;
    std::int32_t folderCount = 0;
};

}  // namespace tarvolin::scan
