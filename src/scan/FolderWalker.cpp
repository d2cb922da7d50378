#include "scan/FolderWalker.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <utility>

#include "common/PathText.h"
#include "scan/CTarvolinDoc.h"
#include "scan/FolderCache.h"
#include "scan/ListingPrefetcher.h"
#include "scan/ReportSink.h"
#include "scan/ScanListener.h"
#include "scan/ScanProgress.h"
#include "scan/WalkLog.h"

namespace tarvolin::scan {
namespace {

// From 1900-01-03 UTC on, no time zone makes the local year fall before 1900, and up to the year
// 9999 localtime cannot fail, so the common case needs no calendar work at all.
constexpr std::int64_t kFirstSafeTime = -2208988800LL + 2 * 86400;
constexpr std::int64_t kLastSafeTime = 253402300799LL;

// A folder whose subfolders are offered keeps its descriptor until they are settled; offering
// only near the top bounds the descriptors that a deep walk holds.
constexpr std::size_t kDeepestOffer = 16;

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

// The owner's own sink: announcements to the listener, errors to the error list, nodes to the
// cache.
class DirectSink final : public WalkSink {
public:
    DirectSink(ScanListener& listener, const FolderWalker::ErrorRecorder& recordError,
               FolderCache& cache)
        : m_listener(listener), m_recordError(recordError), m_cache(cache) {}
    void enteringFolder(const std::string& path, std::size_t, std::string_view) override {
        m_listener.enteringFolder(path);
    }
    void error(std::uint32_t code, std::string path) override {
        m_recordError(code, std::move(path));
    }
    ScanNode* keep(std::unique_ptr<ScanNode> node) override {
        return m_cache.Insert(std::move(node));
    }

private:
    ScanListener& m_listener;
    const FolderWalker::ErrorRecorder& m_recordError;
    FolderCache& m_cache;
};

// The report walk's announcements and errors go to the listener, which may show them or not.
class ReportListenerSink final : public WalkSink {
public:
    ReportListenerSink(ScanListener& listener, int depth) : m_listener(listener), m_depth(depth) {}
    void enteringFolder(const std::string&, std::size_t depth, std::string_view name) override {
        m_listener.reportFolderEntered(name, m_depth + static_cast<int>(depth) + 1);
    }
    void error(std::uint32_t code, std::string path) override {
        m_listener.reportError(code, path);
    }
    ScanNode* keep(std::unique_ptr<ScanNode>) override { return nullptr; }

private:
    ScanListener& m_listener;
    int m_depth;  // of the walk's root
};

}  // namespace

std::optional<std::int64_t> convertLastWriteTime(std::int64_t seconds) {
    if (seconds >= kFirstSafeTime && seconds <= kLastSafeTime) return seconds;
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr) return std::nullopt;
    if (local.tm_year < 0) return 0;  // tm_year counts from 1900
    return seconds;
}

FolderWalker::FolderWalker(DirectoryReader& reader, FolderCache* cache,
                           const std::atomic<bool>& stop, ErrorRecorder recordError,
                           ScanProgress& progress, SubtreePool* pool, ListingPrefetcher* prefetcher)
    : m_reader(reader),
      m_cache(cache),
      m_stop(stop),
      m_recordError(std::move(recordError)),
      m_progress(progress),
      m_pool(pool),
      m_prefetcher(prefetcher) {}

FolderWalker::~FolderWalker() = default;

FolderWalker::Frame& FolderWalker::newFrame(std::size_t depth) {
    while (m_frames.size() <= depth)
        m_frames.push_back(std::make_unique<Frame>());
    return *m_frames[depth];
}

FolderWalker& FolderWalker::helper() {
    if (!m_helper) {
        m_helperReader = m_pool->makeReader();
        m_helper = std::make_unique<FolderWalker>(*m_helperReader, nullptr, m_stop, ErrorRecorder{},
                                                  m_progress, m_pool, m_prefetcher);
    }
    return *m_helper;
}

bool FolderWalker::openedListing(Frame& frame, const std::string& path, WalkSink* sink) {
    Listing& listing = frame.listing;
    frame.next = 0;
    frame.offered.clear();
    frame.nextOffered = 0;
    frame.readAheadOrigin = 0;
    frame.readAheadNext = 0;
    frame.readAheadPending = 0;
    if (listing.openError != 0) {
        if (sink != nullptr) sink->error(static_cast<std::uint32_t>(listing.openError), path);
        return false;
    }
    if (listing.readError != 0 && sink != nullptr) {
        sink->error(static_cast<std::uint32_t>(listing.readError),
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
bool FolderWalker::isOnWalkPath(std::size_t depth, const DirEntry& entry,
                                const std::vector<FolderIdentity>* outer) const {
    const auto same = [&entry](std::uint64_t device, std::uint64_t inode) {
        return inode == entry.inode && device == entry.device;
    };
    if (outer != nullptr) {
        for (const FolderIdentity& folder : *outer) {
            if (same(folder.device, folder.inode)) return true;
        }
    }
    for (std::size_t level = 0; level <= depth; ++level) {
        const Listing& ancestor = m_frames[level]->listing;
        if (same(ancestor.device, ancestor.inode)) return true;
    }
    return false;
}

std::unique_ptr<ScanNode> FolderWalker::WalkFolder(const std::string& path, ScanListener& listener,
                                                   CTarvolinDoc* document, bool collect,
                                                   bool bypassCache, bool cacheEveryFolder) {
    DirectSink sink(listener, m_recordError, *m_cache);
    Frame& root = frame(0);
    root.node = std::make_unique<ScanNode>(path);
    m_rootPlace.clear();
    m_path = path;
    root.pathLength = m_path.size();
    root.childrenMayBeCached = m_cache->earlierWalkRoots(path, m_rootsBelow);
    if (cacheEveryFolder) m_cache->noteWalkRoot(path);
    m_reader.readRoot(path, root.listing, m_stop);
    if (m_prefetcher != nullptr) m_prefetcher->beginWalk(root.listing.device);
    if (!openedListing(root, path, &sink)) {
        root.node.reset();
        return nullptr;
    }
    return walk(WalkState{sink, document, collect, bypassCache, cacheEveryFolder, nullptr});
}

void FolderWalker::walkTask(SubtreeTask& task) {
    if (task.report) {
        walkReportTask(task);
        return;
    }
    task.log.setRoot(task.path);
    m_rootPlace = task.place;
    Frame& root = frame(0);
    root.node = std::make_unique<ScanNode>(task.parentLink, task.parent->name(task.entry));
    m_path = task.path;
    root.pathLength = m_path.size();
    root.childrenMayBeCached = false;  // only folders no cache lookup can hit are offered
    openChild(*task.parent, task.entry, root.listing);
    if (!openedListing(root, m_path, &task.log)) return;
    task.node =
        walk(WalkState{task.log, nullptr, false, true, task.keepEveryFolder, task.ancestors.get()});
}

// Walks the subtree whose root listing is open in frame 0.
std::unique_ptr<ScanNode> FolderWalker::walk(const WalkState& walk) {
    readAhead(0, &walk);
    offerSubfolders(0, &walk, nullptr);
    std::size_t depth = 0;
    for (;;) {
        Frame& current = frame(depth);
        if (current.next < current.listing.entries.size() && !stopped()) {
            const DirEntry& entry = current.listing.entries[current.next++];
            if (visitFolderEntry(depth, entry, walk)) {
                readAhead(++depth, &walk);
                offerSubfolders(depth, &walk, nullptr);
            }
            continue;
        }
        settleOffered(current);
        releaseListing(current);
        std::unique_ptr<ScanNode> finished = std::move(current.node);
        if (depth == 0) return finished;
        Frame& parent = frame(--depth);
        adoptChild(parent, parent.listing.entries[parent.next - 1], std::move(finished), walk,
                   walk.collect && depth == 0);
    }
}

// Processes one entry of the folder at `depth`; true when a subfolder was opened and its frame
// at depth + 1 is ready to be walked.
bool FolderWalker::visitFolderEntry(std::size_t depth, const DirEntry& entry,
                                    const WalkState& walk) {
    Frame& current = frame(depth);
    ScanNode& node = *current.node;
    const std::string_view name = current.listing.name(entry);
    const bool collect = walk.collect && depth == 0;
    // m_path names the entry from here on.
    m_path.resize(current.pathLength);
    appendName(m_path, name);

    if (!entry.isDirectory) {
        ++node.fileCount;
        if (entry.statError != 0) {
            walk.sink.error(static_cast<std::uint32_t>(entry.statError), m_path);
            return false;
        }
        node.size += entry.size;
        if (collect && walk.document != nullptr && !stopped()) {
            auto file = std::make_unique<ScanNode>(node.link(), name);
            file->size = entry.size;
            file->fileCount = 1;
            file->attributes = entry.attributes;
            file->lastWriteTime = folderScanTime(entry.mtime);
            walk.document->AddChild(std::move(file));
        }
        return false;
    }

    ++node.folderCount;
    if (entry.readAhead) --current.readAheadPending;
    readAhead(depth, &walk);
    if (entry.statError != 0) {
        walk.sink.error(static_cast<std::uint32_t>(entry.statError), m_path);
        return false;
    }
    if (!walk.bypassCache && current.childrenMayBeCached) {
        if (ScanNode* cached = m_cache->Lookup(m_path)) {
            addTotals(node, *cached);
            if (collect && walk.document != nullptr && !stopped()) walk.document->AddChild(cached);
            return false;
        }
    }
    if (entry.onPseudoFileSystem) {
        adoptChild(current, entry, std::make_unique<ScanNode>(node.link(), name), walk, collect);
        return false;
    }

    walk.sink.enteringFolder(m_path, depth, name);
    if (isOnWalkPath(depth, entry, walk.outer)) {
        walk.sink.error(ELOOP, m_path);
        return false;
    }
    const std::size_t entryIndex =
        static_cast<std::size_t>(&entry - current.listing.entries.data());
    if (SubtreeTask* task = offeredTaskFor(current, entryIndex)) {
        if (!m_pool->reclaim(*task)) {
            // Another thread walked it: take its findings in the order this walk would have.
            m_pool->await(*task, helper());  // the helper keeps its own m_path
            task->log.replayInto(walk.sink, depth + 1);
            if (task->node) adoptChild(current, entry, std::move(task->node), walk, collect);
            return false;
        }
    }
    Frame& child = frame(depth + 1);
    child.childrenMayBeCached =
        current.childrenMayBeCached ||
        std::find(m_rootsBelow.begin(), m_rootsBelow.end(), m_path) != m_rootsBelow.end();
    child.node = std::make_unique<ScanNode>(node.link(), name);
    child.pathLength = m_path.size();
    openChild(current.listing, entry, child.listing);
    if (!openedListing(child, m_path, &walk.sink)) {
        child.node.reset();
        return false;
    }
    return true;
}

// A subfolder's walk has returned: its totals go to the parent; it is kept and listed only if
// the stop flag, read once here, was still clear and the walk keeps such folders, and freed
// otherwise.
void FolderWalker::adoptChild(Frame& parent, const DirEntry& entry, std::unique_ptr<ScanNode> child,
                              const WalkState& walk, bool collect) {
    child->lastWriteTime = folderScanTime(entry.mtime);
    child->attributes = entry.attributes;
    addTotals(*parent.node, *child);
    if (stopped() || !(collect || walk.keepEveryFolder)) return;
    ScanNode* kept = walk.sink.keep(std::move(child));
    if (collect && walk.document != nullptr) walk.document->AddChild(kept);
}

// Offers the subfolders of the folder just opened at `depth`, all but the first, which this
// walk enters next. A folder walk offers only folders that no cache lookup can hit: a pool
// thread has no cache.
void FolderWalker::offerSubfolders(std::size_t depth, const WalkState* walk,
                                   const ReportWalk* report) {
    if (m_pool == nullptr || depth > kDeepestOffer || !m_pool->wantsWork() || stopped()) return;
    Frame& current = frame(depth);
    const bool cacheMayAnswer = walk != nullptr && !walk->bypassCache;
    if (cacheMayAnswer && current.childrenMayBeCached) return;
    const std::vector<FolderIdentity>* outer = walk != nullptr ? walk->outer : report->outer;
    std::shared_ptr<std::vector<FolderIdentity>> ancestors;
    bool first = true;
    const auto& entries = current.listing.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const DirEntry& entry = entries[i];
        if (!entry.isDirectory || entry.statError != 0 || entry.onPseudoFileSystem) continue;
        if (std::exchange(first, false)) continue;
        std::string path = joinPath(std::string_view(m_path).substr(0, current.pathLength),
                                    current.listing.name(entry));
        const bool earlierRootBelow =
            cacheMayAnswer &&
            std::any_of(m_rootsBelow.begin(), m_rootsBelow.end(),
                        [&path](const std::string& root) { return isAtOrBelow(root, path); });
        if (earlierRootBelow || isOnWalkPath(depth, entry, outer)) continue;
        if (!ancestors) {
            ancestors = std::make_shared<std::vector<FolderIdentity>>();
            if (outer != nullptr) *ancestors = *outer;
            for (std::size_t level = 0; level <= depth; ++level) {
                const Listing& folder = m_frames[level]->listing;
                ancestors->push_back(FolderIdentity{folder.device, folder.inode});
            }
        }
        auto task = std::make_shared<SubtreeTask>();
        task->parent = &current.listing;
        task->entry = entry;
        task->entryIndex = i;
        placeOf(depth, task->place);
        task->place.push_back(static_cast<std::uint32_t>(i));
        task->path = std::move(path);
        if (walk != nullptr) {
            task->parentLink = current.node->link();
            task->keepEveryFolder = walk->keepEveryFolder;
        } else {
            task->report = true;
            task->reportSink = report->sink;
        }
        task->ancestors = ancestors;
        current.offered.push_back(std::move(task));
    }
    if (!current.offered.empty()) {
        current.listing.shared = true;
        m_pool->offer(current.offered);
    }
}

// The offered task of the entry this walk has reached, if any; the walk reaches entries in
// order, so earlier tasks were passed.
SubtreeTask* FolderWalker::offeredTaskFor(Frame& frame, std::size_t entryIndex) {
    while (frame.nextOffered < frame.offered.size()) {
        SubtreeTask& task = *frame.offered[frame.nextOffered];
        if (task.entryIndex > entryIndex) return nullptr;
        ++frame.nextOffered;
        if (task.entryIndex == entryIndex) return &task;
        m_pool->settle(task);
    }
    return nullptr;
}

// Reads the child from the prefetcher when it has it, else through the walk's own reader.
void FolderWalker::openChild(const Listing& parent, const DirEntry& entry, Listing& child) {
    if (m_prefetcher != nullptr && m_prefetcher->take(entry, child)) {
        m_reader.adoptChild(parent, entry, child);
        return;
    }
    const bool measure = m_prefetcher != nullptr && m_prefetcher->measureOwnRead();
    const std::uint64_t blocksBefore = measure ? ListingPrefetcher::blocksReadByThisThread() : 0;
    m_reader.readChild(parent, entry, m_path, child, m_stop);
    if (measure) m_prefetcher->noteOwnRead(blocksBefore);
    if (m_pool != nullptr) m_pool->listingRead(entry.device, m_readWatch);
}

// Keeps as many subfolders of the folder at `depth` asked for ahead of the walk as the
// prefetcher has threads. `walk` is null for the report walk, which has no cache.
void FolderWalker::readAhead(std::size_t depth, const WalkState* walk) {
    if (m_prefetcher == nullptr || !m_prefetcher->active() || stopped()) return;
    Frame& current = frame(depth);
    auto& entries = current.listing.entries;
    const std::size_t window = m_prefetcher->threads();
    current.readAheadNext = std::max(current.readAheadNext, current.next);
    if (current.readAheadPending >= window || current.readAheadNext >= entries.size()) return;
    placeOf(depth, m_aheadPlace);
    m_aheadPlace.push_back(0);
    for (; current.readAheadPending < window && current.readAheadNext < entries.size();
         ++current.readAheadNext) {
        DirEntry& entry = entries[current.readAheadNext];
        if (!entry.isDirectory || entry.statError != 0 || entry.onPseudoFileSystem) continue;
        m_aheadPath.assign(m_path, 0, current.pathLength);
        appendName(m_aheadPath, current.listing.name(entry));
        // A cached folder is taken as it is, so reading it would only cost memory; nor may the
        // threads go below a folder where cached ones may lie.
        bool deep = true;
        if (walk != nullptr && !walk->bypassCache) {
            if (current.childrenMayBeCached && m_cache->Lookup(m_aheadPath) != nullptr) continue;
            deep = !current.childrenMayBeCached &&
                   std::none_of(
                       m_rootsBelow.begin(), m_rootsBelow.end(),
                       [this](const std::string& root) { return isAtOrBelow(root, m_aheadPath); });
        }
        if (current.readAheadOrigin == 0) current.readAheadOrigin = m_prefetcher->newOrigin();
        m_aheadPlace.back() = static_cast<std::uint32_t>(current.readAheadNext);
        if (!m_prefetcher->request(entry, m_aheadPath, m_aheadPlace, current.readAheadOrigin,
                                   deep)) {
            return;
        }
        entry.readAhead = true;
        ++current.readAheadPending;
    }
}

void FolderWalker::placeOf(std::size_t depth, std::vector<std::uint32_t>& place) {
    place.assign(m_rootPlace.begin(), m_rootPlace.end());
    for (std::size_t level = 0; level < depth; ++level)
        place.push_back(static_cast<std::uint32_t>(m_frames[level]->next - 1));
}

void FolderWalker::releaseListing(Frame& frame) {
    if (frame.readAheadOrigin != 0) m_prefetcher->withdraw(frame.readAheadOrigin);
    frame.readAheadOrigin = 0;
    m_reader.release(frame.listing);
    frame.listing.giveBackHugeStorage();
}

// Before a listing is released, no task may still use it.
void FolderWalker::settleOffered(Frame& frame) {
    for (; frame.nextOffered < frame.offered.size(); ++frame.nextOffered) {
        m_pool->settle(*frame.offered[frame.nextOffered]);
    }
    frame.offered.clear();
    frame.nextOffered = 0;
    frame.listing.shared = false;
}

void FolderWalker::WalkReportFolder(const std::string& path, int depth, ScanListener& listener,
                                    ReportSink* sink) {
    ReportListenerSink events(listener, depth);
    m_rootPlace.clear();
    Frame& root = frame(0);
    m_reader.readRoot(path, root.listing, m_stop);
    if (m_prefetcher != nullptr) m_prefetcher->beginWalk(root.listing.device);
    if (!openedListing(root, path, &events)) return;
    m_path = path;
    root.pathLength = m_path.size();
    walkReport(ReportWalk{events, sink, nullptr, nullptr});
}

void FolderWalker::walkReportTask(SubtreeTask& task) {
    task.log.setRoot(task.path);
    m_rootPlace = task.place;
    Frame& root = frame(0);
    m_path = task.path;
    root.pathLength = m_path.size();
    openChild(*task.parent, task.entry, root.listing);
    if (!openedListing(root, m_path, &task.log)) return;
    if (task.reportSink != nullptr) task.reportPart = task.reportSink->newPart();
    walkReport(ReportWalk{task.log, task.reportSink, task.reportPart.get(), task.ancestors.get()});
}

// Walks the report subtree whose root listing is open in frame 0.
void FolderWalker::walkReport(const ReportWalk& report) {
    readAhead(0, nullptr);
    offerSubfolders(0, nullptr, &report);
    std::size_t level = 0;
    for (;;) {
        Frame& current = frame(level);
        m_path.resize(current.pathLength);
        if (current.next >= current.listing.entries.size() || stopped()) {
            settleOffered(current);
            releaseListing(current);
            if (level == 0) return;
            --level;
            continue;
        }
        const DirEntry& entry = current.listing.entries[current.next++];
        const std::string_view name = current.listing.name(entry);
        appendName(m_path, name);

        if (entry.isDirectory) {
            if (visitReportFolder(level, entry, report)) {
                readAhead(++level, nullptr);
                offerSubfolders(level, nullptr, &report);
            }
            continue;
        }
        if (entry.statError != 0) {
            report.events.error(static_cast<std::uint32_t>(entry.statError), m_path);
        }
        if (report.part == nullptr && report.sink == nullptr) continue;
        ReportFile file;
        file.path = m_path;
        file.nameOffset = m_path.size() - name.size();
        file.name = std::string_view(m_path).substr(file.nameOffset);
        file.size = entry.statError != 0 ? 0 : entry.size;
        file.attributes = entry.attributes;
        const auto time = convertLastWriteTime(entry.mtime);
        file.hasTime = entry.statError == 0 && time.has_value();
        file.lastWriteTime = time.value_or(0);
        if (report.part != nullptr) {
            report.part->addFile(file);
        } else {
            report.sink->addFile(file);
        }
    }
}

// Announces a subfolder of the folder at `depth`; true when it was opened and its frame at
// depth + 1 is ready to be walked.
bool FolderWalker::visitReportFolder(std::size_t depth, const DirEntry& entry,
                                     const ReportWalk& report) {
    Frame& current = frame(depth);
    if (entry.readAhead) --current.readAheadPending;
    readAhead(depth, nullptr);
    report.events.enteringFolder(m_path, depth, current.listing.name(entry));
    if (entry.statError != 0) {
        report.events.error(static_cast<std::uint32_t>(entry.statError), m_path);
        return false;
    }
    if (entry.onPseudoFileSystem) return false;
    if (isOnWalkPath(depth, entry, report.outer)) {
        report.events.error(ELOOP, m_path);
        return false;
    }
    const std::size_t entryIndex =
        static_cast<std::size_t>(&entry - current.listing.entries.data());
    if (SubtreeTask* task = offeredTaskFor(current, entryIndex)) {
        if (!m_pool->reclaim(*task)) {
            m_pool->await(*task, helper());
            task->log.replayInto(report.events, depth + 1);
            if (task->reportPart) {
                if (report.part != nullptr) {
                    report.part->merge(*task->reportPart);
                } else {
                    report.sink->merge(*task->reportPart);
                }
                task->reportPart.reset();
            }
            return false;
        }
    }
    Frame& child = frame(depth + 1);
    child.pathLength = m_path.size();
    openChild(current.listing, entry, child.listing);
    return openedListing(child, m_path, &report.events);
}

}  // namespace tarvolin::scan
