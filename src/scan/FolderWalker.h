// FolderWalker: the folder walk (totals, cache, listing) and the report walk (every file).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scan/DirectoryReader.h"
#include "scan/ScanNode.h"

namespace tarvolin::scan {

class CTarvolinDoc;
class FolderCache;
class ReportSink;
class ScanListener;
struct ScanProgress;

// The time a scan keeps for an entry: the seconds themselves; 0 for a local year before 1900;
// nullopt when the time cannot be converted.
std::optional<std::int64_t> convertLastWriteTime(std::int64_t seconds);

// Runs on the scan thread, one walk at a time. The walk is iterative with one frame per level
// whose listing storage is reused, so depth is bounded by neither the stack nor PATH_MAX and a
// walk allocates nothing per file beyond what it keeps.
//
// Both walks process each folder's entries in name order and test the stop flag before each
// entry; a folder is announced to the listener before it is opened.
class FolderWalker {
public:
    using ErrorRecorder = std::function<void(std::uint32_t code, std::string path)>;

    // All references must outlive the walker; the thread object owns all of them.
    FolderWalker(DirectoryReader& reader, FolderCache& cache, const std::atomic<bool>& stop,
                 ErrorRecorder recordError, ScanProgress& progress);

    // Totals of `path` and everything below it; nullptr when `path` cannot be opened. Walked
    // subfolders are cached unless the stop flag was set when their walk returned; with
    // `collect`, the folder's own children are listed in `document` as they complete.
    // Without `bypassCache`, cached subfolders are taken as they are, without a walk.
    std::unique_ptr<ScanNode> WalkFolder(const std::string& path, ScanListener& listener,
                                         CTarvolinDoc* document, bool collect, bool bypassCache);

    // Announces every folder below `path` (name, depth) and offers every file to `sink`
    // (may be null). Folders that cannot be opened end silently.
    void WalkReportFolder(const std::string& path, int depth, ScanListener& listener,
                          ReportSink* sink);

private:
    struct Frame {
        Listing listing;
        std::unique_ptr<ScanNode> node;    // folder walk only
        std::size_t next = 0;              // the next entry to process
        std::size_t pathLength = 0;        // report walk: length of m_path at this folder
        bool childrenMayBeCached = false;  // folder walk: an earlier walk reached below it
    };

    Frame& frame(std::size_t depth) {
        return depth < m_frames.size() ? *m_frames[depth] : newFrame(depth);
    }
    Frame& newFrame(std::size_t depth);
    bool stopped() const { return m_stop.load(std::memory_order_relaxed); }
    bool openedListing(Frame& frame, const std::string& path, bool recordErrors);
    bool isOnWalkPath(std::size_t depth, const DirEntry& entry);
    bool visitFolderEntry(std::size_t depth, const DirEntry& entry, ScanListener& listener,
                          CTarvolinDoc* document, bool collect, bool bypassCache);
    void adoptChild(Frame& parent, const DirEntry& entry, std::unique_ptr<ScanNode> child,
                    CTarvolinDoc* document, bool collect);

    DirectoryReader& m_reader;
    FolderCache& m_cache;
    const std::atomic<bool>& m_stop;
    ErrorRecorder m_recordError;
    ScanProgress& m_progress;
    // One frame per level, each on the heap so that growing never moves the outer frames that
    // the walk still refers to.
    std::vector<std::unique_ptr<Frame>> m_frames;
    std::string m_path;  // report walk: the current path, appended and cut per level
    std::vector<std::string> m_rootsBelow;  // folder walk: earlier walk roots below its root
};

}  // namespace tarvolin::scan
