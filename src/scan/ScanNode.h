// ScanNode, ScanError: the records of a folder scan.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/PathText.h"

namespace tarvolin::scan {

// Attribute bits keep their Windows values so that stored and exported data read the same.
inline constexpr std::uint32_t kAttrReadOnly = 0x1;        // owner write bit clear
inline constexpr std::uint32_t kAttrHidden = 0x2;          // name begins with "."
inline constexpr std::uint32_t kAttrSystem = 0x4;          // device, socket or FIFO
inline constexpr std::uint32_t kAttrDirectory = 0x10;      // a real directory, never a symlink
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;  // symbolic link
inline constexpr std::uint32_t kAttrCompressed = 0x800;

// Where a node lies: its own name below the place of its parent folder, or a whole path at the
// top of a walk. A walk's nodes share their ancestors' links, so n nested folders keep n names
// rather than n ever longer paths. Immutable once made, so any thread may read it.
struct PathLink {
    std::shared_ptr<const PathLink> parent;  // null: `name` is a whole path
    std::string name;

    // Lets go of a long chain of ancestors without one nested destructor call per level.
    ~PathLink();

    // The full path, joined as joinPath does ("/" between names, never "//").
    std::string path() const;
    void appendPath(std::string& out) const;
    // path() == `path`, without building it.
    bool hasPath(std::string_view path) const;
};

// One folder (with the totals of everything below it) or one file directly inside the scanned
// folder. Created and filled on the scan thread; once listed or cached its fields no longer
// change, except iconIndex, which the UI thread fills in on first display. Copies share the
// path link.
struct ScanNode {
    std::int64_t size = 0;           // bytes; a folder: every non-directory entry below it
    std::int32_t fileCount = 0;      // a file node: 1
    std::int32_t folderCount = 0;    // subfolders at every depth, unreadable ones included
    std::uint32_t attributes = 0;    // the root node of a scan keeps 0
    std::int64_t lastWriteTime = 0;  // seconds since 1970 UTC; the root node keeps 0
    std::int32_t iconIndex = -1;     // filled by the details view on first display
    std::int32_t nameLength = 0;     // bytes at the end of the link's name that name the node

    ScanNode() = default;
    // A node known by its whole path (the root of a walk).
    explicit ScanNode(std::string nodePath)
        : m_link(std::make_shared<PathLink>(PathLink{nullptr, std::move(nodePath)})) {
        nameLength = nameLengthOf(m_link->name);
    }
    // The entry `name` of the folder at `parent`.
    ScanNode(std::shared_ptr<const PathLink> parent, std::string_view name)
        : m_link(std::make_shared<PathLink>(PathLink{std::move(parent), std::string(name)})) {
        nameLength = static_cast<std::int32_t>(name.size());
    }

    // Built on each call; never changes while the node is cached.
    std::string path() const { return m_link ? m_link->path() : std::string(); }
    std::string_view displayName() const {
        if (!m_link) return {};
        const std::string_view name = m_link->name;
        return name.substr(name.size() - static_cast<std::size_t>(nameLength));
    }
    // What a child's node names as its parent; null for a default-made node.
    const std::shared_ptr<const PathLink>& link() const { return m_link; }
    bool isFolder() const { return (attributes & kAttrDirectory) != 0; }

private:
    std::shared_ptr<const PathLink> m_link;
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
