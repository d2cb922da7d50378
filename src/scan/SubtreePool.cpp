#include "scan/SubtreePool.h"

#include "scan/FolderWalker.h"
#include "scan/ScanThreads.h"

namespace tarvolin::scan {

SubtreePool::SubtreePool(unsigned helpers, ReaderFactory makeReader, const std::atomic<bool>& stop,
                         ScanProgress& progress, ListingPrefetcher* prefetcher)
    : m_makeReader(std::move(makeReader)),
      m_stop(stop),
      m_progress(progress),
      m_prefetcher(prefetcher),
      m_enoughOffered(16 * std::max(helpers, 1u)) {
    for (unsigned i = 0; i < helpers; ++i)
        m_helpers.emplace_back(&SubtreePool::helperLoop, this);
}

SubtreePool::~SubtreePool() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_workOffered.notify_all();
    for (auto& helper : m_helpers)
        helper.join();
}

bool SubtreePool::wantsWork() const {
    return !m_helpers.empty() && m_offered.load(std::memory_order_relaxed) < m_enoughOffered;
}

void SubtreePool::offer(std::vector<std::shared_ptr<SubtreeTask>>& tasks) {
    std::lock_guard lock(m_mutex);
    for (auto& task : tasks)
        m_queue.push_back(task);
    m_offered.fetch_add(tasks.size(), std::memory_order_relaxed);
    // A wake-up costs a context switch: only sleepers are woken.
    if (m_idleHelpers > 0) m_workOffered.notify_all();
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
            lock.unlock();
            helper.walkTask(*other);
            lock.lock();
            finishLocked(*other);
            continue;
        }
        m_taskDone.wait(lock);
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

void SubtreePool::helperLoop() {
    yieldCoresToOtherThreads();
    std::unique_ptr<DirectoryReader> reader = m_makeReader();
    FolderWalker walker(*reader, nullptr, m_stop, {}, m_progress, this, m_prefetcher);
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idleHelpers;
        m_workOffered.wait(
            lock, [this] { return m_quit || m_offered.load(std::memory_order_relaxed) > 0; });
        --m_idleHelpers;
        if (m_quit) return;
        std::shared_ptr<SubtreeTask> task = takeLocked();
        if (!task) continue;
        lock.unlock();
        walker.walkTask(*task);
        lock.lock();
        finishLocked(*task);
    }
}

}  // namespace tarvolin::scan
