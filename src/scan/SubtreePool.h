// SubtreePool: lets other threads walk whole subfolders that a folder walk will reach later.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "scan/DirectoryReader.h"
#include "scan/ReportSink.h"
#include "scan/ScanNode.h"
#include "scan/WalkLog.h"

namespace tarvolin::scan {

class FolderWalker;
class ListingPrefetcher;
struct ScanProgress;

struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// One subfolder a walk offers while it walks its earlier siblings. Shared by the offering walk,
// the pool's queue and the thread that walks it. The fields above `state` are set before the
// offer and only read afterwards; `node` and `log` belong to whoever walks it until it is done.
struct SubtreeTask {
    enum class State { Offered, Inline, Stolen, Done, Settled };

    const Listing* parent = nullptr;  // the offering walk's; open until the task is settled
    DirEntry entry;
    std::size_t entryIndex = 0;        // in the parent listing
    std::vector<std::uint32_t> place;  // entry numbers from the offering walk's root
    std::string path;
    std::shared_ptr<const PathLink> parentLink;  // of the offering walk's folder node
    bool keepEveryFolder = true;                 // else its walk keeps none of its folders
    // A report walk's subfolder: whoever walks it gathers its files in a part of `reportSink`
    // (null when the walk has no sink).
    bool report = false;
    ReportSink* reportSink = nullptr;
    // The folders above it, outermost first: the loop guard of a walk that starts here.
    std::shared_ptr<const std::vector<FolderIdentity>> ancestors;

    std::unique_ptr<ScanNode> node;  // null when the folder could not be opened
    WalkLog log;                     // what its walk found, for the owner to replay
    std::unique_ptr<ReportPart> reportPart;
    State state = State::Offered;  // guarded by the pool's mutex
};

// Owned by the scan thread's state; its helper threads live as long as it. Every walk that
// offers a task also settles it: it takes it back and walks it itself (reclaim), waits for a
// thread that took it (await, helping with other offered work meanwhile), or, when it passes
// it unwalked, settles it. So a task's parent listing is never closed under it.
//
// Helpers take the oldest offer: the shallowest folders, the biggest pieces of work, so that
// threads rarely hand work over. A walk that waits takes offers too, among them those inside
// the subtree it waits for, so one huge subfolder is still shared.
class SubtreePool {
public:
    using ReaderFactory = std::function<std::unique_ptr<DirectoryReader>()>;

    // Blocks the calling thread has read from storage so far, for a walk on `device` (st_dev);
    // nullopt when that device's reads do not show in the count (a network share, say).
    using DiskReadMeter = std::function<std::optional<std::uint64_t>(std::uint64_t device)>;

    // Spare helpers only pay while walks wait for the disk: on cached data the cores are the
    // limit and more threads only take turns on them. So every walker looks at its thread's
    // block reads once per kListingsPerLook listings it reads (listingRead). A look that finds
    // the disk read lets the spares work for kLooksPerDiskRead more looks, up to
    // kMostLooksAhead, and a look that finds nothing read uses one up; at none left they park
    // until a look finds the disk read again. Reads that cannot be counted count as disk reads.
    // The spares start parked: taken as they start, a cached walk's first subfolders, its
    // biggest, kept them all busy for most of the walk, while the first reads of a cold walk
    // wake them within a few listings.
    static constexpr unsigned kListingsPerLook = 8;
    static constexpr int kLooksPerDiskRead = 16;
    static constexpr int kMostLooksAhead = 64;

    // One walker's last look at its thread's block reads.
    struct ReadWatch {
        unsigned listings = 0;
        std::optional<std::uint64_t> blocks;  // none yet, or not countable
    };

    // `prefetcher` (may be null) serves the helpers' walks too and must outlive the pool. The
    // last `spareHelpers` of the `helpers` park on cached data, as `meter` tells.
    SubtreePool(unsigned helpers, ReaderFactory makeReader, const std::atomic<bool>& stop,
                ScanProgress& progress, ListingPrefetcher* prefetcher = nullptr,
                unsigned spareHelpers = 0, DiskReadMeter meter = {});
    ~SubtreePool();
    SubtreePool(const SubtreePool&) = delete;
    SubtreePool& operator=(const SubtreePool&) = delete;

    // Offering costs a little per folder, and every offer is kept until it is taken or passed:
    // it is only worth it while the queue is short.
    bool wantsWork() const;
    void offer(std::vector<std::shared_ptr<SubtreeTask>>& tasks);
    // True when the task was still on offer: the caller walks it now.
    bool reclaim(SubtreeTask& task);
    // Until another thread has walked `task`, walks other offered tasks with `helper`; the task
    // is settled when this returns.
    void await(SubtreeTask& task, FolderWalker& helper);
    // Passes `task` unwalked; waits when another thread is walking it.
    void settle(SubtreeTask& task);
    // A walker read a listing on `device` itself (not through read-ahead).
    void listingRead(std::uint64_t device, ReadWatch& watch);

    // Tasks walked by a thread other than their owner so far, and of those by spare helpers.
    std::size_t sharedCount() const { return m_shared.load(std::memory_order_relaxed); }
    std::size_t spareCount() const { return m_spareShared.load(std::memory_order_relaxed); }

    std::unique_ptr<DirectoryReader> makeReader() const { return m_makeReader(); }
    const std::atomic<bool>& stopFlag() const { return m_stop; }
    ScanProgress& progress() const { return m_progress; }

private:
    std::shared_ptr<SubtreeTask> takeLocked();
    void finishLocked(SubtreeTask& task);
    // Walks a taken task; returns with `lock` held again.
    void walkTaken(SubtreeTask& task, FolderWalker& walker, std::unique_lock<std::mutex>& lock);
    void helperLoop(bool spare);
    bool sparesParked() const { return m_lookCredit.load(std::memory_order_relaxed) <= 0; }

    ReaderFactory m_makeReader;
    const std::atomic<bool>& m_stop;
    ScanProgress& m_progress;
    ListingPrefetcher* m_prefetcher;
    DiskReadMeter m_meter;  // empty: no spares
    const unsigned m_spares;

    mutable std::mutex m_mutex;
    std::condition_variable m_workOffered;
    std::condition_variable m_taskDone;
    std::condition_variable m_diskRead;  // parked spares wait for a look that finds a disk read
    std::deque<std::shared_ptr<SubtreeTask>> m_queue;  // oldest first; settled ones are skipped
    std::atomic<std::size_t> m_offered{0};             // tasks still on offer
    std::atomic<std::size_t> m_queued{0};              // m_queue.size(), read without the lock
    std::atomic<std::size_t> m_shared{0};
    std::atomic<std::size_t> m_spareShared{0};
    // Looks without a disk read before the spares park. Updates may race: a lost one only
    // shifts the moment the spares park by a look.
    std::atomic<int> m_lookCredit{0};
    unsigned m_idleHelpers = 0;  // parked spares not counted
    unsigned m_awaiting = 0;     // walks in await with nothing to take
    bool m_quit = false;
    std::vector<std::thread> m_helpers;
};

}  // namespace tarvolin::scan
