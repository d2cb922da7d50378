// ListingPrefetcher: reads folder listings ahead of the walks on threads of its own, so that
// many disk requests are in flight while each walk still goes through its entries in order.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "scan/DirectoryReader.h"

namespace tarvolin::scan {

// What read-ahead adapts to.
struct ReadAheadAdapt {
    bool toRotatingDisk = false;  // fewer threads read where a walk lies on a rotating disk
    bool toCachedData = false;    // pause while reads find their data cached
};

// Owned by the scan thread's state beside the subtree pool; its threads live as long as it.
// Walks ask for the subfolders they will enter soon and take each listing when they get there:
//   beginWalk(…) → request(entry, path, origin)… → take(entry, out)… → withdraw(origin)
// A listing taken is exactly what the walk's own reader would have read: a read that fails, or
// that finds another folder at the path, is dropped and the walk reads the folder itself. So
// read-ahead changes when the disk is asked, never what a walk reports.
//
// Requests are read in walk order: each names its place in the walk as the entry numbers on the
// way down from the walk's root, and the earliest place is read first, so the folder a walk
// needs next is never stuck behind one it needs much later. A request marked `deep` has its own
// subfolders read ahead too, a few levels down; a walk marks only folders with no cached folder
// below.
// Memory stays bounded: at most kSlots folders are asked for or held, and reading pauses while
// the listings held reach kEntriesHeld entries or hold a share of the open-file limit.
//
// Read-ahead only pays while listings come from the disk: on data in the page cache the walks
// are bound by the cores, and handing listings between threads only adds work. So each read
// that has to go to the disk (the walks' own reads are counted too) earns read-ahead
// kReadsPerDiskRead more reads, up to kCachedReadsToPause, and each read from the cache uses
// one up: a cold tree keeps it running, a cached one with a stray disk read now and then
// pauses it.
class ListingPrefetcher {
public:
    using ReaderFactory = std::function<std::unique_ptr<DirectoryReader>()>;

    static constexpr int kCachedReadsToPause = 256;
    static constexpr int kReadsPerDiskRead = 32;

    static constexpr std::size_t kSlots = 512;
    static constexpr std::size_t kEntriesHeld = 128 * 1024;
    // How far below a walk's own request the threads read on their own.
    static constexpr unsigned kDeepLevels = 12;

    // `stop` must outlive this object; the walks' stop flag.
    ListingPrefetcher(unsigned threads, ReaderFactory makeReader, const std::atomic<bool>& stop,
                      ReadAheadAdapt adapt = {});
    ~ListingPrefetcher();
    ListingPrefetcher(const ListingPrefetcher&) = delete;
    ListingPrefetcher& operator=(const ListingPrefetcher&) = delete;

    unsigned threads() const { return static_cast<unsigned>(m_threads.size()); }

    // A walk of a folder on `device` starts: what was read for an earlier one is dropped.
    void beginWalk(std::uint64_t device);
    // A number for the requests of one folder's walk, withdrawn together when it ends.
    std::uint64_t newOrigin();
    // Asks for `entry`, the folder at `path` and at `place` in the walk. False when there is no
    // room now: ask again later.
    bool request(const DirEntry& entry, std::string_view path,
                 const std::vector<std::uint32_t>& place, std::uint64_t origin, bool deep);
    // Moves the listing read for `entry` into `out` and keeps the storage `out` had. Waits
    // while a thread reads it. False when it was not asked for, not started (the request is
    // withdrawn) or dropped: the caller reads the folder itself.
    bool take(const DirEntry& entry, Listing& out);
    // The walk of the folder that made `origin`'s requests has ended: none of them will be
    // taken any more.
    void withdraw(std::uint64_t origin);

    // False while read-ahead pauses: requests are not worth making.
    bool active() const { return m_credit.load(std::memory_order_relaxed) > 0; }
    // Whether a walk's own read of a folder is worth measuring: every read while read-ahead
    // runs, a sample while it pauses.
    bool measureOwnRead();
    // A walk read a folder itself; `blocksBefore` is blocksReadByThisThread() before it.
    void noteOwnRead(std::uint64_t blocksBefore);
    // Blocks the calling thread has read from storage so far (Linux); 0 where unknown.
    static std::uint64_t blocksReadByThisThread();

    // Listings read by the threads so far; for tests.
    std::uint64_t readCount() const { return m_readCount.load(std::memory_order_relaxed); }

private:
    enum class State : std::uint8_t { Free, Queued, Reading, Ready, Dropped };
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool operator==(const Identity&) const = default;
    };
    struct IdentityHash {
        std::size_t operator()(const Identity& id) const {
            return std::hash<std::uint64_t>()(id.inode * 0x9e3779b97f4a7c15ULL ^ id.device);
        }
    };
    struct Slot {
        State state = State::Free;
        bool abandoned = false;   // withdrawn while a thread read it; freed by that thread
        bool awaited = false;     // a walk waits for the thread reading it
        unsigned deepLevels = 0;  // how many levels below it are read ahead on their own
        Identity identity;
        std::uint64_t origin = 0;
        std::vector<std::uint32_t> place;  // entry numbers from the walk's root
        std::string path;
        Listing listing;
    };
    // Queued slots, the soonest first.
    struct Sooner {
        const std::vector<Slot>* table;
        bool operator()(std::uint32_t a, std::uint32_t b) const {
            const Slot& x = (*table)[a];
            const Slot& y = (*table)[b];
            // A folder comes before what lies below it, as in a walk.
            return std::lexicographical_compare(x.place.begin(), x.place.end(), y.place.begin(),
                                                y.place.end());
        }
    };

    bool queueLocked(const DirEntry& entry, std::string_view path,
                     const std::vector<std::uint32_t>& place, std::uint64_t origin,
                     unsigned deepLevels);
    void freeLocked(std::uint32_t index);
    void dropLocked(std::uint32_t index);  // any state but Reading
    bool mayStartLocked() const;
    void wakeLocked();
    void noteRead(bool fromDisk);
    void queueSubfoldersLocked(const Slot& slot);
    void threadLoop();

    ReaderFactory m_makeReader;
    const std::atomic<bool>& m_stop;
    const ReadAheadAdapt m_adapt;
    std::atomic<int> m_credit{kCachedReadsToPause};  // reads left before read-ahead pauses
    std::atomic<unsigned> m_ownReads{0};
    std::atomic<std::size_t> m_slotsInUse{0};  // lets a walk skip the lock when nothing is out
    std::atomic<std::uint64_t> m_readCount{0};

    std::mutex m_mutex;
    std::condition_variable m_workChanged;  // threads wait for work and room
    std::condition_variable m_readDone;     // takers wait for a read under way
    std::vector<Slot> m_slots;
    std::vector<std::uint32_t> m_free;
    std::unordered_map<Identity, std::uint32_t, IdentityHash> m_byIdentity;
    std::set<std::uint32_t, Sooner> m_queue;
    std::uint64_t m_nextOrigin = 0;
    std::size_t m_entriesHeld = 0;
    std::size_t m_handlesHeld = 0;  // descriptors of the listings ready
    std::size_t m_handleBudget = 0;
    // Of the threads, how many may read at once; written under the mutex, read without it too.
    std::atomic<unsigned> m_readers{0};
    unsigned m_reading = 0;
    unsigned m_sleeping = 0;      // threads waiting for work
    unsigned m_wakesPending = 0;  // of those, woken and not yet running
    bool m_quit = false;
    std::unique_ptr<DirectoryReader> m_discarder;  // closes listings nobody took
    std::vector<std::thread> m_threads;
};

}  // namespace tarvolin::scan
