#include "scan/FolderWalker.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "common/PathText.h"
#include "scan/CTarvolinDoc.h"
#include "scan/FolderCache.h"
#include "scan/ReportSink.h"
#include "scan/ScanListener.h"
#include "scan/ScanProgress.h"

namespace tarvolin::scan {
namespace {

// From 1900-01-03 UTC on, no time zone makes the local year fall before 1900, and up to the year
// 9999 localtime cannot fail, so the common case needs no calendar work at all.
constexpr std::int64_t kFirstSafeTime = -2208988800LL + 2 * 86400;
constexpr std::int64_t kLastSafeTime = 253402300799LL;

void addTotals(ScanNode& parent, const ScanNode& child) {
    parent.size += child.size;
    parent.fileCount += child.fileCount;
    parent.folderCount += child.folderCount;
}

std::int64_t folderScanTime(std::int64_t seconds) {
    return convertLastWriteTime(seconds).value_or(static_cast<std::int64_t>(std::time(nullptr)));
}

void appendName(std::string& path, std::string_view name) {
    if (path.empty() || path.back() != '/') path += '/';
    path.append(name);
}

}  // namespace

std::optional<std::int64_t> convertLastWriteTime(std::int64_t seconds) {
    if (seconds >= kFirstSafeTime && seconds <= kLastSafeTime) return seconds;
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr) return std::nullopt;
    if (local.tm_year < 0) return 0;  // tm_year counts from 1900
    return seconds;
}

FolderWalker::FolderWalker(DirectoryReader& reader, FolderCache& cache,
                           const std::atomic<bool>& stop, ErrorRecorder recordError,
                           ScanProgress& progress)
    : m_reader(reader),
      m_cache(cache),
      m_stop(stop),
      m_recordError(std::move(recordError)),
      m_progress(progress) {}

FolderWalker::Frame& FolderWalker::newFrame(std::size_t depth) {
    while (m_frames.size() <= depth)
        m_frames.push_back(std::make_unique<Frame>());
    return *m_frames[depth];
}

bool FolderWalker::openedListing(Frame& frame, const std::string& path, bool recordErrors) {
    Listing& listing = frame.listing;
    frame.next = 0;
    if (listing.openError != 0) {
        if (recordErrors) m_recordError(static_cast<std::uint32_t>(listing.openError), path);
        return false;
    }
    if (listing.readError != 0 && recordErrors) {
        m_recordError(static_cast<std::uint32_t>(listing.readError),
                      listing.lastNameRead.empty() ? path : joinPath(path, listing.lastNameRead));
    }
    const auto files = std::count_if(listing.entries.begin(), listing.entries.end(),
                                     [](const DirEntry& entry) { return !entry.isDirectory; });
    m_progress.folders.fetch_add(1, std::memory_order_relaxed);
    m_progress.files.fetch_add(static_cast<std::uint64_t>(files), std::memory_order_relaxed);
    return true;
}

// A folder whose (device, inode) is already on the walk path leads back to an ancestor (a bind
// mount or a file system that shows loops); entering it would never end.
bool FolderWalker::isOnWalkPath(std::size_t depth, const DirEntry& entry) {
    for (std::size_t level = 0; level <= depth; ++level) {
        const Listing& ancestor = m_frames[level]->listing;
        if (ancestor.inode == entry.inode && ancestor.device == entry.device) return true;
    }
    return false;
}

std::unique_ptr<ScanNode> FolderWalker::WalkFolder(const std::string& path, ScanListener& listener,
                                                   CTarvolinDoc* document, bool collect,
                                                   bool bypassCache) {
    Frame& root = frame(0);
    root.node = std::make_unique<ScanNode>(path);
    root.childrenMayBeCached = m_cache.earlierWalkRoots(path, m_rootsBelow);
    m_cache.noteWalkRoot(path);
    m_reader.readRoot(path, root.listing, m_stop);
    if (!openedListing(root, path, true)) {
        root.node.reset();
        return nullptr;
    }

    std::size_t depth = 0;
    for (;;) {
        Frame& current = frame(depth);
        if (current.next < current.listing.entries.size() && !stopped()) {
            const DirEntry& entry = current.listing.entries[current.next++];
            if (visitFolderEntry(depth, entry, listener, document, collect && depth == 0,
                                 bypassCache)) {
                ++depth;
            }
            continue;
        }
        m_reader.release(current.listing);
        std::unique_ptr<ScanNode> finished = std::move(current.node);
        if (depth == 0) return finished;
        Frame& parent = frame(--depth);
        adoptChild(parent, parent.listing.entries[parent.next - 1], std::move(finished), document,
                   collect && depth == 0);
    }
}

// Processes one entry of the folder at `depth`; true when a subfolder was opened and its frame
// at depth + 1 is ready to be walked.
bool FolderWalker::visitFolderEntry(std::size_t depth, const DirEntry& entry,
                                    ScanListener& listener, CTarvolinDoc* document, bool collect,
                                    bool bypassCache) {
    Frame& current = frame(depth);
    ScanNode& node = *current.node;
    const std::string_view name = current.listing.name(entry);

    if (!entry.isDirectory) {
        ++node.fileCount;
        if (entry.statError != 0) {
            m_recordError(static_cast<std::uint32_t>(entry.statError), joinPath(node.path, name));
            return false;
        }
        node.size += entry.size;
        if (collect && document != nullptr && !stopped()) {
            auto file = std::make_unique<ScanNode>(joinPath(node.path, name));
            file->size = entry.size;
            file->fileCount = 1;
            file->attributes = entry.attributes;
            file->lastWriteTime = folderScanTime(entry.mtime);
            document->AddChild(std::move(file));
        }
        return false;
    }

    ++node.folderCount;
    std::string childPath = joinPath(node.path, name);
    if (entry.statError != 0) {
        m_recordError(static_cast<std::uint32_t>(entry.statError), std::move(childPath));
        return false;
    }
    if (!bypassCache && current.childrenMayBeCached) {
        if (ScanNode* cached = m_cache.Lookup(childPath)) {
            addTotals(node, *cached);
            if (collect && document != nullptr && !stopped()) document->AddChild(cached);
            return false;
        }
    }
    if (entry.onPseudoFileSystem) {
        adoptChild(current, entry, std::make_unique<ScanNode>(std::move(childPath)), document,
                   collect);
        return false;
    }

    listener.enteringFolder(childPath);
    if (isOnWalkPath(depth, entry)) {
        m_recordError(ELOOP, std::move(childPath));
        return false;
    }
    Frame& child = frame(depth + 1);
    child.childrenMayBeCached =
        current.childrenMayBeCached ||
        std::find(m_rootsBelow.begin(), m_rootsBelow.end(), childPath) != m_rootsBelow.end();
    child.node = std::make_unique<ScanNode>(std::move(childPath));
    m_reader.readChild(current.listing, entry, child.node->path, child.listing, m_stop);
    if (!openedListing(child, child.node->path, true)) {
        child.node.reset();
        return false;
    }
    return true;
}

// A subfolder's walk has returned: its totals go to the parent; it is cached and listed only if
// the stop flag, read once here, was still clear, and freed otherwise.
void FolderWalker::adoptChild(Frame& parent, const DirEntry& entry, std::unique_ptr<ScanNode> child,
                              CTarvolinDoc* document, bool collect) {
    child->lastWriteTime = folderScanTime(entry.mtime);
    child->attributes = entry.attributes;
    addTotals(*parent.node, *child);
    if (stopped()) return;
    ScanNode* kept = m_cache.Insert(std::move(child));
    if (collect && document != nullptr) document->AddChild(kept);
}

void FolderWalker::WalkReportFolder(const std::string& path, int depth, ScanListener& listener,
                                    ReportSink* sink) {
    Frame& root = frame(0);
    m_reader.readRoot(path, root.listing, m_stop);
    if (!openedListing(root, path, false)) return;
    m_path = path;
    root.pathLength = m_path.size();

    std::size_t level = 0;
    for (;;) {
        Frame& current = frame(level);
        m_path.resize(current.pathLength);
        if (current.next >= current.listing.entries.size() || stopped()) {
            m_reader.release(current.listing);
            if (level == 0) return;
            --level;
            continue;
        }
        const DirEntry& entry = current.listing.entries[current.next++];
        const std::string_view name = current.listing.name(entry);
        appendName(m_path, name);

        if (entry.isDirectory) {
            listener.reportFolderEntered(name, depth + static_cast<int>(level) + 1);
            if (entry.statError != 0 || entry.onPseudoFileSystem || isOnWalkPath(level, entry)) {
                continue;
            }
            Frame& child = frame(level + 1);
            child.pathLength = m_path.size();
            m_reader.readChild(current.listing, entry, m_path, child.listing, m_stop);
            if (openedListing(child, m_path, false)) ++level;
            continue;
        }

        if (sink == nullptr) continue;
        ReportFile file;
        file.path = m_path;
        file.nameOffset = m_path.size() - name.size();
        file.name = std::string_view(m_path).substr(file.nameOffset);
        file.size = entry.statError != 0 ? 0 : entry.size;
        file.attributes = entry.attributes;
        const auto time = convertLastWriteTime(entry.mtime);
        file.hasTime = entry.statError == 0 && time.has_value();
        file.lastWriteTime = time.value_or(0);
        sink->addFile(file);
    }
}

}  // namespace tarvolin::scan
