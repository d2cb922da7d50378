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
#include "scan/SubtreePool.h"

namespace tarvolin::scan {

class CTarvolinDoc;
class FolderCache;
class ListingPrefetcher;
class ReportPart;
class ReportSink;
class ScanListener;
class WalkSink;
struct ScanProgress;

// The time a scan keeps for an entry: the seconds themselves; 0 for a local year before 1900;
// nullopt when the time cannot be converted.
std::optional<std::int64_t> convertLastWriteTime(std::int64_t seconds);

// Runs on one thread, one walk at a time: the scan thread's, or a pool helper's. The walk is
// iterative with one frame per level whose listing storage is reused, so depth is bounded by
// neither the stack nor PATH_MAX and a walk allocates nothing per file beyond what it keeps.
//
// Both walks process each folder's entries in name order and test the stop flag before each
// entry; a folder is announced before it is opened. With a pool, both walks offer the
// subfolders they will reach later to other threads and replay what those found when they get
// there (the report walk merges the files they gathered as a ReportPart), so everything they
// report comes in the same order as from a walk on one thread. With a
// prefetcher, both walks ask for the subfolders a little ahead of where they are, so that many
// reads are under way while they go through their entries in order.
class FolderWalker {
public:
    using ErrorRecorder = std::function<void(std::uint32_t code, std::string path)>;

    // The references must outlive the walker. `cache` and `recordError` serve WalkFolder only
    // (a pool helper has neither); `pool` and `prefetcher` may be null.
    FolderWalker(DirectoryReader& reader, FolderCache* cache, const std::atomic<bool>& stop,
                 ErrorRecorder recordError, ScanProgress& progress, SubtreePool* pool = nullptr,
                 ListingPrefetcher* prefetcher = nullptr);
    ~FolderWalker();

    // Totals of `path` and everything below it; nullptr when `path` cannot be opened. Walked
    // subfolders are cached unless the stop flag was set when their walk returned; with
    // `collect`, the folder's own children are listed in `document` as they complete.
    // Without `bypassCache`, cached subfolders are taken as they are, without a walk. Without
    // `cacheEveryFolder`, only the listed children are cached, and the walk leaves no trace that
    // would make later walks look for folders below them.
    std::unique_ptr<ScanNode> WalkFolder(const std::string& path, ScanListener& listener,
                                         CTarvolinDoc* document, bool collect, bool bypassCache,
                                         bool cacheEveryFolder = true);

    // Walks an offered subfolder into the task's node, or report part, and log (pool threads).
    void walkTask(SubtreeTask& task);

    // Announces every folder below `path` (name, depth) and offers every file to `sink`
    // (may be null). Folders that cannot be opened end silently.
    void WalkReportFolder(const std::string& path, int depth, ScanListener& listener,
                          ReportSink* sink);

private:
    struct Frame {
        Listing listing;
        std::unique_ptr<ScanNode> node;    // folder walk only
        std::size_t next = 0;              // the next entry to process
        std::size_t pathLength = 0;        // length of m_path at this folder
        bool childrenMayBeCached = false;  // folder walk: an earlier walk reached below it
        std::vector<std::shared_ptr<SubtreeTask>> offered;  // in entry order
        std::size_t nextOffered = 0;
        // Read-ahead: the origin of this folder's requests (0: none yet), the next entry to
        // consider, and how many requested subfolders lie ahead of `next`.
        std::uint64_t readAheadOrigin = 0;
        std::size_t readAheadNext = 0;
        std::size_t readAheadPending = 0;
    };
    // What one report walk needs besides its frames.
    struct ReportWalk {
        WalkSink& events;  // folder announcements and errors
        ReportSink* sink;  // the scan's, may be null; offered subfolders take parts of it
        ReportPart* part;  // a pool task's files; null: they go to `sink`
        const std::vector<FolderIdentity>* outer;  // folders above the walk's root, or null
    };
    // What one folder walk needs besides its frames.
    struct WalkState {
        WalkSink& sink;
        CTarvolinDoc* document;
        bool collect;
        bool bypassCache;
        bool keepEveryFolder;                      // else only the collected ones
        const std::vector<FolderIdentity>* outer;  // folders above the walk's root, or null
    };

    Frame& frame(std::size_t depth) {
        return depth < m_frames.size() ? *m_frames[depth] : newFrame(depth);
    }
    Frame& newFrame(std::size_t depth);
    bool stopped() const { return m_stop.load(std::memory_order_relaxed); }
    bool openedListing(Frame& frame, const std::string& path, WalkSink* sink);
    void openChild(const Listing& parent, const DirEntry& entry, Listing& child);
    void readAhead(std::size_t depth, const WalkState* walk);
    void releaseListing(Frame& frame);
    // The entry numbers from the outermost walk's root down to the folder at `depth`.
    void placeOf(std::size_t depth, std::vector<std::uint32_t>& place);
    bool isOnWalkPath(std::size_t depth, const DirEntry& entry,
                      const std::vector<FolderIdentity>* outer) const;
    std::unique_ptr<ScanNode> walk(const WalkState& walk);
    bool visitFolderEntry(std::size_t depth, const DirEntry& entry, const WalkState& walk);
    void adoptChild(Frame& parent, const DirEntry& entry, std::unique_ptr<ScanNode> child,
                    const WalkState& walk, bool collect);
    // Exactly one of `walk` and `report` is given.
    void offerSubfolders(std::size_t depth, const WalkState* walk, const ReportWalk* report);
    void walkReportTask(SubtreeTask& task);
    void walkReport(const ReportWalk& report);
    bool visitReportFolder(std::size_t depth, const DirEntry& entry, const ReportWalk& report);
    SubtreeTask* offeredTaskFor(Frame& frame, std::size_t entryIndex);
    void settleOffered(Frame& frame);
    FolderWalker& helper();

    DirectoryReader& m_reader;
    FolderCache* m_cache;
    const std::atomic<bool>& m_stop;
    ErrorRecorder m_recordError;
    ScanProgress& m_progress;
    SubtreePool* m_pool;
    ListingPrefetcher* m_prefetcher;
    // One frame per level, each on the heap so that growing never moves the outer frames that
    // the walk still refers to.
    std::vector<std::unique_ptr<Frame>> m_frames;
    // The path of the folder or entry the walk is at, kept in one buffer so that a deep walk
    // holds each name once.
    std::string m_path;
    std::vector<std::string> m_rootsBelow;    // folder walk: earlier walk roots below its root
    std::string m_aheadPath;                  // read-ahead: the subfolder being asked for
    std::vector<std::uint32_t> m_aheadPlace;  // and its entry numbers from the walk's root
    std::vector<std::uint32_t> m_rootPlace;   // a pool task's: where its root lies
    SubtreePool::ReadWatch m_readWatch;       // this thread's reads, for the pool's spares
    // Walks other offered subtrees while this one waits for a helper; made when first needed.
    std::unique_ptr<DirectoryReader> m_helperReader;
    std::unique_ptr<FolderWalker> m_helper;
};

}  // namespace tarvolin::scan
