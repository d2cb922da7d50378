#include "scan/SubtreePool.h"

#include "scan/FolderWalker.h"
#include "scan/ScanThreads.h"

namespace tarvolin::scan {

SubtreePool::SubtreePool(unsigned helpers, ReaderFactory makeReader, const std::atomic<bool>& stop,
                         ScanProgress& progress, ListingPrefetcher* prefetcher,
                         unsigned spareHelpers, DiskReadMeter meter)
    : m_makeReader(std::move(makeReader)),
      m_stop(stop),
      m_progress(progress),
      m_prefetcher(prefetcher),
      m_meter(std::move(meter)),
      // One helper always works: with every helper parked, a cached walk would have one thread.
      m_spares(m_meter && helpers > 0 ? std::min(spareHelpers, helpers - 1) : 0) {
    for (unsigned i = 0; i < helpers; ++i)
        m_helpers.emplace_back(&SubtreePool::helperLoop, this, i >= helpers - m_spares);
}

SubtreePool::~SubtreePool() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_workOffered.notify_all();
    m_diskRead.notify_all();
    for (auto& helper : m_helpers)
        helper.join();
}

bool SubtreePool::wantsWork() const {
    // Offers wait with their paths and places, and whoever takes one holds its results until
    // the offering walk gets there: only as many as the helpers at work can use.
    constexpr std::size_t kOffersPerHelper = 16;
    const std::size_t working = m_helpers.size() - (sparesParked() ? m_spares : 0);
    return working > 0 && m_offered.load(std::memory_order_relaxed) < kOffersPerHelper * working;
}

void SubtreePool::offer(std::vector<std::shared_ptr<SubtreeTask>>& tasks) {
    std::lock_guard lock(m_mutex);
    for (auto& task : tasks)
        m_queue.push_back(task);
    m_offered.fetch_add(tasks.size(), std::memory_order_relaxed);
    // A wake-up costs a context switch: only sleepers are woken.
    if (m_idleHelpers > 0) m_workOffered.notify_all();
    if (m_awaiting > 0) m_taskDone.notify_all();
}

bool SubtreePool::reclaim(SubtreeTask& task) {
    std::lock_guard lock(m_mutex);
    if (task.state != SubtreeTask::State::Offered) return false;
    task.state = SubtreeTask::State::Inline;
    m_offered.fetch_sub(1, std::memory_order_relaxed);
    return true;
}

std::shared_ptr<SubtreeTask> SubtreePool::takeLocked() {
    while (!m_queue.empty()) {
        std::shared_ptr<SubtreeTask> task = std::move(m_queue.front());
        m_queue.pop_front();
        m_queued.store(m_queue.size(), std::memory_order_relaxed);
        if (task->state != SubtreeTask::State::Offered) continue;
        task->state = SubtreeTask::State::Stolen;
        m_offered.fetch_sub(1, std::memory_order_relaxed);
        m_shared.fetch_add(1, std::memory_order_relaxed);
        return task;
    }
    return nullptr;
}

void SubtreePool::finishLocked(SubtreeTask& task) {
    task.state = SubtreeTask::State::Done;
    m_taskDone.notify_all();
}

void SubtreePool::await(SubtreeTask& task, FolderWalker& helper) {
    std::unique_lock lock(m_mutex);
    while (task.state != SubtreeTask::State::Done) {
        if (std::shared_ptr<SubtreeTask> other = takeLocked()) {
            walkTaken(*other, helper, lock);
            continue;
        }
        // Woken by a finished task or by new offers, which may lie inside the awaited one.
        ++m_awaiting;
        m_taskDone.wait(lock);
        --m_awaiting;
    }
    task.state = SubtreeTask::State::Settled;
}

void SubtreePool::settle(SubtreeTask& task) {
    std::unique_lock lock(m_mutex);
    if (task.state == SubtreeTask::State::Offered) {
        m_offered.fetch_sub(1, std::memory_order_relaxed);
    }
    // A stopped walk ends quickly, so this wait is short; the task's parent stays open for it.
    m_taskDone.wait(lock, [&task] { return task.state != SubtreeTask::State::Stolen; });
    task.state = SubtreeTask::State::Settled;
}

void SubtreePool::walkTaken(SubtreeTask& task, FolderWalker& walker,
                            std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    walker.walkTask(task);
    lock.lock();
    finishLocked(task);
}

void SubtreePool::listingRead(std::uint64_t device, ReadWatch& watch) {
    // Without spares nothing depends on it: nothing is measured.
    if (m_spares == 0 || ++watch.listings % kListingsPerLook != 1) return;
    const std::optional<std::uint64_t> blocks = m_meter(device);
    const bool fromDisk = !blocks || (watch.blocks && *blocks != *watch.blocks);
    watch.blocks = blocks;
    const int credit = m_lookCredit.load(std::memory_order_relaxed);
    if (fromDisk) {
        m_lookCredit.store(std::min(credit + kLooksPerDiskRead, kMostLooksAhead),
                           std::memory_order_relaxed);
        if (credit <= 0) {
            // Under the lock, so that no spare is between its test and its wait.
            std::lock_guard lock(m_mutex);
            m_diskRead.notify_all();
        }
    } else if (credit > 0) {
        m_lookCredit.store(credit - 1, std::memory_order_relaxed);
    }
}

void SubtreePool::helperLoop(bool spare) {
    yieldCoresToOtherThreads();
    std::unique_ptr<DirectoryReader> reader = m_makeReader();
    FolderWalker walker(*reader, nullptr, m_stop, {}, m_progress, this, m_prefetcher);
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (spare) m_diskRead.wait(lock, [this] { return m_quit || !sparesParked(); });
        ++m_idleHelpers;
        m_workOffered.wait(
            lock, [this] { return m_quit || m_offered.load(std::memory_order_relaxed) > 0; });
        --m_idleHelpers;
        if (m_quit) return;
        if (spare && sparesParked()) continue;
        std::shared_ptr<SubtreeTask> task = takeLocked();
        if (!task) continue;
        if (spare) m_spareShared.fetch_add(1, std::memory_order_relaxed);
        walkTaken(*task, walker, lock);
    }
}

}  // namespace tarvolin::scan
