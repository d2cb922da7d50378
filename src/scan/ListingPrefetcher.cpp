#include "scan/ListingPrefetcher.h"

#include <limits.h>
#include <sys/resource.h>

#include <algorithm>
#include <utility>

#include "scan/ScanThreads.h"

namespace tarvolin::scan {
namespace {

// Listings read ahead keep their folders open until a walk takes them. They may hold a quarter
// of the open-file limit, less what the walks themselves hold, so that the walks never run out:
// under a low limit nothing is read ahead.
std::size_t handleBudget() {
    constexpr std::size_t kWalksReserve = 256;
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return ListingPrefetcher::kSlots;
    }
    const auto quarter = static_cast<std::size_t>(limit.rlim_cur / 4);
    return std::min(quarter > kWalksReserve ? quarter - kWalksReserve : 0,
                    ListingPrefetcher::kSlots);
}

void moveListing(Listing& from, Listing& to) {
    to.reset();
    to.entries.swap(from.entries);
    to.names.swap(from.names);
    to.lastNameRead.swap(from.lastNameRead);
    to.openError = from.openError;
    to.readError = from.readError;
    to.device = from.device;
    to.inode = from.inode;
    to.handle = from.handle;
    // `from` keeps the storage `to` had: a slot takes over the storage of the walk's listing.
    from.reset();
    from.giveBackHugeStorage();
}

}  // namespace

ListingPrefetcher::ListingPrefetcher(unsigned threads, ReaderFactory makeReader,
                                     const std::atomic<bool>& stop, ReadAheadAdapt adapt)
    : m_makeReader(std::move(makeReader)),
      m_stop(stop),
      m_adapt(adapt),
      m_slots(kSlots),
      m_queue(Sooner{&m_slots}),
      m_discarder(m_makeReader()) {
    m_free.reserve(kSlots);
    for (std::size_t i = kSlots; i > 0; --i)
        m_free.push_back(static_cast<std::uint32_t>(i - 1));
    m_byIdentity.reserve(2 * kSlots);
    m_readers = threads;
    m_handleBudget = handleBudget();
    for (unsigned i = 0; i < threads; ++i)
        m_threads.emplace_back(&ListingPrefetcher::threadLoop, this);
}

ListingPrefetcher::~ListingPrefetcher() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_workChanged.notify_all();
    for (auto& thread : m_threads)
        thread.join();
    for (std::uint32_t i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i].state != State::Free) dropLocked(i);
    }
}

void ListingPrefetcher::beginWalk(std::uint64_t device) {
    const unsigned readers =
        m_adapt.toRotatingDisk && isOnRotatingDisk(device) ? kRotatingDiskThreads : threads();
    std::lock_guard lock(m_mutex);
    for (std::uint32_t i = 0; i < m_slots.size(); ++i) {
        if (m_slots[i].state != State::Free && !m_slots[i].abandoned) dropLocked(i);
    }
    m_handleBudget = handleBudget();
    m_readers = std::min(readers, threads());
}

std::uint64_t ListingPrefetcher::newOrigin() {
    std::lock_guard lock(m_mutex);
    return ++m_nextOrigin;
}

bool ListingPrefetcher::request(const DirEntry& entry, std::string_view path,
                                const std::vector<std::uint32_t>& place, std::uint64_t origin,
                                bool deep) {
    // The threads open by path; a longer one is left to the walk, which opens by name.
    if (path.size() >= PATH_MAX || m_readers.load(std::memory_order_relaxed) == 0 || !active()) {
        return true;
    }
    std::lock_guard lock(m_mutex);
    if (!queueLocked(entry, path, place, origin, deep ? kDeepLevels : 0)) return false;
    wakeLocked();
    return true;
}

bool ListingPrefetcher::take(const DirEntry& entry, Listing& out) {
    if (m_slotsInUse.load(std::memory_order_acquire) == 0) return false;
    const Identity identity{entry.device, entry.inode};
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto found = m_byIdentity.find(identity);
        if (found == m_byIdentity.end()) return false;
        const std::uint32_t index = found->second;
        Slot& slot = m_slots[index];
        switch (slot.state) {
            case State::Reading:
                slot.awaited = true;
                m_readDone.wait(lock);
                continue;  // the slot may have changed hands meanwhile
            case State::Ready:
                m_entriesHeld -= slot.listing.entries.size();
                m_handlesHeld -= slot.listing.handle >= 0 ? 1 : 0;
                moveListing(slot.listing, out);
                freeLocked(index);
                wakeLocked();
                return true;
            default:
                dropLocked(index);
                return false;
        }
    }
}

void ListingPrefetcher::withdraw(std::uint64_t origin) {
    std::lock_guard lock(m_mutex);
    for (std::uint32_t i = 0; i < m_slots.size(); ++i) {
        const Slot& slot = m_slots[i];
        if (slot.state != State::Free && !slot.abandoned && slot.origin == origin) dropLocked(i);
    }
}

bool ListingPrefetcher::queueLocked(const DirEntry& entry, std::string_view path,
                                    const std::vector<std::uint32_t>& place, std::uint64_t origin,
                                    unsigned deepLevels) {
    const Identity identity{entry.device, entry.inode};
    if (m_byIdentity.count(identity) != 0) return true;
    if (m_free.empty()) return false;
    const std::uint32_t index = m_free.back();
    m_free.pop_back();
    Slot& slot = m_slots[index];
    slot.state = State::Queued;
    slot.abandoned = false;
    slot.awaited = false;
    slot.deepLevels = deepLevels;
    slot.identity = identity;
    slot.origin = origin;
    slot.place.assign(place.begin(), place.end());
    slot.path.assign(path);
    m_byIdentity.emplace(identity, index);
    m_queue.insert(index);
    m_slotsInUse.fetch_add(1, std::memory_order_release);
    return true;
}

void ListingPrefetcher::freeLocked(std::uint32_t index) {
    Slot& slot = m_slots[index];
    const auto found = m_byIdentity.find(slot.identity);
    if (found != m_byIdentity.end() && found->second == index) m_byIdentity.erase(found);
    slot.state = State::Free;
    slot.abandoned = false;
    m_free.push_back(index);
    m_slotsInUse.fetch_sub(1, std::memory_order_release);
}

void ListingPrefetcher::dropLocked(std::uint32_t index) {
    Slot& slot = m_slots[index];
    switch (slot.state) {
        case State::Reading: {
            // The thread reading it frees it; a new request for the folder gets a new slot.
            slot.abandoned = true;
            const auto found = m_byIdentity.find(slot.identity);
            if (found != m_byIdentity.end() && found->second == index) m_byIdentity.erase(found);
            return;
        }
        case State::Queued:
            m_queue.erase(index);
            break;
        case State::Ready:
            m_entriesHeld -= slot.listing.entries.size();
            m_handlesHeld -= slot.listing.handle >= 0 ? 1 : 0;
            m_discarder->discard(slot.listing);
            slot.listing.reset();
            break;
        default:
            break;
    }
    freeLocked(index);
}

std::uint64_t ListingPrefetcher::blocksReadByThisThread() {
#ifdef RUSAGE_THREAD
    struct rusage usage {};
    if (getrusage(RUSAGE_THREAD, &usage) == 0) return static_cast<std::uint64_t>(usage.ru_inblock);
#endif
    return 0;
}

bool ListingPrefetcher::measureOwnRead() {
    constexpr unsigned kSampleEvery = 8;
    return m_adapt.toCachedData && m_readers.load(std::memory_order_relaxed) > 0 &&
           (active() || m_ownReads.fetch_add(1, std::memory_order_relaxed) % kSampleEvery == 0);
}

void ListingPrefetcher::noteOwnRead(std::uint64_t blocksBefore) {
    if (m_adapt.toCachedData) noteRead(blocksReadByThisThread() != blocksBefore);
}

// Lost updates between threads only shift the pause by a read or two.
void ListingPrefetcher::noteRead(bool fromDisk) {
    if (fromDisk) {
        const int credit = m_credit.load(std::memory_order_relaxed);
        m_credit.store(std::min(credit + kReadsPerDiskRead, kCachedReadsToPause),
                       std::memory_order_relaxed);
    } else if (m_credit.load(std::memory_order_relaxed) > 0) {
        m_credit.fetch_sub(1, std::memory_order_relaxed);
    }
}

bool ListingPrefetcher::mayStartLocked() const {
    return !m_queue.empty() && m_reading < m_readers && m_entriesHeld < kEntriesHeld &&
           m_handlesHeld + m_reading < m_handleBudget;
}

// The subfolders of a listing just read are asked for in its name, one level less deep, and
// before anything older: the walk will be there soon.
void ListingPrefetcher::queueSubfoldersLocked(const Slot& slot) {
    // Half the slots stay for what the walks ask for themselves: they need those sooner.
    if (!active() || m_free.size() < kSlots / 2) return;
    std::size_t queued = 0;
    std::string path;
    std::vector<std::uint32_t> place(slot.place);
    place.push_back(0);
    const auto& entries = slot.listing.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const DirEntry& entry = entries[i];
        if (!entry.isDirectory || entry.statError != 0 || entry.onPseudoFileSystem) continue;
        if (Identity{entry.device, entry.inode} == slot.identity) continue;  // leads to itself
        path.assign(slot.path);
        if (path.back() != '/') path += '/';
        path.append(slot.listing.name(entry));
        place.back() = static_cast<std::uint32_t>(i);
        if (path.size() >= PATH_MAX ||
            !queueLocked(entry, path, place, slot.origin, slot.deepLevels - 1) ||
            ++queued == m_threads.size()) {
            break;
        }
    }
    if (queued > 0) wakeLocked();
}

// A thread that is awake takes the next request within microseconds, and waking one costs more
// than many reads from the cache: only requests beyond the threads awake wake another.
void ListingPrefetcher::wakeLocked() {
    while (m_sleeping > m_wakesPending && mayStartLocked() &&
           m_queue.size() > threads() - m_sleeping + m_wakesPending) {
        ++m_wakesPending;
        m_workChanged.notify_one();
    }
}

void ListingPrefetcher::threadLoop() {
    yieldCoresToOtherThreads();
    const std::unique_ptr<DirectoryReader> reader = m_makeReader();
    std::unique_lock lock(m_mutex);
    for (;;) {
        while (!m_quit && !mayStartLocked()) {
            ++m_sleeping;
            m_workChanged.wait(lock);
            --m_sleeping;
            if (m_wakesPending > 0) --m_wakesPending;
        }
        if (m_quit) return;
        const std::uint32_t index = *m_queue.begin();
        m_queue.erase(m_queue.begin());
        Slot& slot = m_slots[index];
        slot.state = State::Reading;
        ++m_reading;
        lock.unlock();

        const std::uint64_t blocksBefore = m_adapt.toCachedData ? blocksReadByThisThread() : 0;
        reader->readRoot(slot.path, slot.listing, m_stop);
        if (m_adapt.toCachedData) noteRead(blocksReadByThisThread() != blocksBefore);

        lock.lock();
        --m_reading;
        m_readCount.fetch_add(1, std::memory_order_relaxed);
        const Listing& listing = slot.listing;
        // A stopped read is incomplete, and a failed one is left to the walk, which knows how
        // its own reader words the failure.
        const bool usable = !slot.abandoned && listing.openError == 0 &&
                            Identity{listing.device, listing.inode} == slot.identity &&
                            !m_stop.load(std::memory_order_relaxed);
        if (usable) {
            reader->handOver(slot.listing);
            slot.state = State::Ready;
            m_entriesHeld += listing.entries.size();
            m_handlesHeld += listing.handle >= 0 ? 1 : 0;
            if (slot.deepLevels > 0) queueSubfoldersLocked(slot);
        } else {
            reader->release(slot.listing);
            if (slot.abandoned) {
                freeLocked(index);
            } else {
                slot.state = State::Dropped;
            }
        }
        // Only a walk that waits for this very folder is woken.
        if (std::exchange(slot.awaited, false)) m_readDone.notify_all();
    }
}

}  // namespace tarvolin::scan
