#include "scan/ReadAheadDirectoryReader.h"

#include <unistd.h>

#include <algorithm>

namespace tarvolin::scan {

// The walker reads too, so one worker per further core keeps every core busy on a warm cache.
unsigned ReadAheadDirectoryReader::defaultWorkers() {
    return std::clamp(std::thread::hardware_concurrency(), 2u, 8u) - 1;
}

ReadAheadDirectoryReader::ReadAheadDirectoryReader(unsigned workers, std::size_t budget)
    : m_budget(std::max<std::size_t>(budget, 1)) {
    for (unsigned i = 0; i < workers; ++i)
        m_workers.emplace_back(&ReadAheadDirectoryReader::workerLoop, this);
}

ReadAheadDirectoryReader::~ReadAheadDirectoryReader() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_workAvailable.notify_all();
    for (auto& worker : m_workers)
        worker.join();
    // A walk releases every listing it opened, so nothing can be left ahead here.
}

void ReadAheadDirectoryReader::readRoot(const std::string& path, Listing& out,
                                        const std::atomic<bool>& stop) {
    {
        std::lock_guard lock(m_mutex);
        m_stop = &stop;
    }
    m_direct.readRoot(path, out, stop);
    queueChildren(out);
}

void ReadAheadDirectoryReader::readChild(const Listing& parent, const DirEntry& entry,
                                         std::string_view path, Listing& out,
                                         const std::atomic<bool>& stop) {
    std::shared_ptr<Job> job;
    {
        std::unique_lock lock(m_mutex);
        const auto found = m_children.find(parent.handle);
        if (found != m_children.end()) {
            Children& children = found->second;
            while (children.cursor < children.jobs.size()) {
                std::shared_ptr<Job>& candidate = children.jobs[children.cursor++];
                if (candidate->entry.nameOffset == entry.nameOffset) {
                    job = std::move(candidate);
                    break;
                }
                dropJob(lock, *candidate, false);  // passed over: cached, a loop, or stopped
                candidate.reset();
            }
        }
        if (job && job->state == JobState::Queued) {
            job->state = JobState::Dropped;  // not started: the walker reads it itself, now
            job.reset();
        } else if (job) {
            // Read what comes next while a worker finishes the one needed now.
            while (job->state != JobState::Done) {
                if (!m_queue.empty() && m_ahead < m_budget) {
                    std::shared_ptr<Job> next = std::move(m_queue.front());
                    m_queue.pop_front();
                    if (next->state == JobState::Queued) runJob(lock, *next, m_direct);
                    continue;
                }
                m_walkerWaiting = true;
                m_jobEnded.wait(lock);
                m_walkerWaiting = false;
            }
            recycle(out);
            out = std::move(job->result);
            job->state = JobState::Dropped;
            --m_ahead;
            wakeWorkers();
        }
    }
    if (!job) m_direct.readChild(parent, entry, path, out, stop);
    queueChildren(out);
}

void ReadAheadDirectoryReader::release(Listing& listing) {
    if (listing.handle < 0) return;
    {
        std::unique_lock lock(m_mutex);
        const auto found = m_children.find(listing.handle);
        if (found != m_children.end()) {
            Children children = std::move(found->second);
            m_children.erase(found);
            for (std::size_t i = children.cursor; i < children.jobs.size(); ++i) {
                dropJob(lock, *children.jobs[i], true);
            }
        }
    }
    m_direct.release(listing);
}

void ReadAheadDirectoryReader::queueChildren(const Listing& listing) {
    if (listing.handle < 0 || m_workers.empty()) return;
    std::vector<std::shared_ptr<Job>> jobs;
    for (const DirEntry& entry : listing.entries) {
        if (!entry.isDirectory || entry.statError != 0 || entry.onPseudoFileSystem) continue;
        auto job = std::make_shared<Job>();
        job->parent = &listing;
        job->entry = entry;
        jobs.push_back(std::move(job));
    }
    if (jobs.empty()) return;
    {
        std::lock_guard lock(m_mutex);
        // In front of older work, in name order: the walker descends into these next.
        m_queue.insert(m_queue.begin(), jobs.begin(), jobs.end());
        m_children[listing.handle] = Children{std::move(jobs), 0};
        wakeWorkers();
    }
}

// Waking costs a context switch, so only sleepers that can start something are woken.
void ReadAheadDirectoryReader::wakeWorkers() {
    if (m_idleWorkers > 0 && !m_queue.empty() && m_ahead < m_budget) m_workAvailable.notify_all();
}

void ReadAheadDirectoryReader::dropJob(std::unique_lock<std::mutex>& lock, Job& job,
                                       bool parentClosing) {
    if (job.state == JobState::Running && !parentClosing) {
        job.abandoned = true;
        return;
    }
    while (job.state == JobState::Running) {
        m_walkerWaiting = true;
        m_jobEnded.wait(lock);
        m_walkerWaiting = false;
    }
    if (job.state == JobState::Done) discardResult(job);
    job.state = JobState::Dropped;
}

void ReadAheadDirectoryReader::discardResult(Job& job) {
    PosixDirectoryReader::closeListing(job.result);
    recycle(job.result);
    --m_ahead;
    job.state = JobState::Dropped;
    wakeWorkers();
}

void ReadAheadDirectoryReader::recycle(Listing& listing) {
    if (listing.entries.capacity() == 0 && listing.names.capacity() == 0) return;
    listing.reset();
    m_spare.push_back(std::move(listing));
    listing = Listing{};
}

void ReadAheadDirectoryReader::runJob(std::unique_lock<std::mutex>& lock, Job& job,
                                      PosixDirectoryReader& reader) {
    job.state = JobState::Running;
    ++m_ahead;
    if (!m_spare.empty()) {
        job.result = std::move(m_spare.back());
        m_spare.pop_back();
    }
    const std::atomic<bool>& stop = *m_stop;
    lock.unlock();
    reader.readChild(*job.parent, job.entry, {}, job.result, stop);
    lock.lock();
    job.state = JobState::Done;
    if (job.abandoned) discardResult(job);
    if (m_walkerWaiting) m_jobEnded.notify_all();
}

void ReadAheadDirectoryReader::workerLoop() {
    PosixDirectoryReader reader;  // its own buffers
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_idleWorkers;
        m_workAvailable.wait(lock,
                             [this] { return m_quit || (!m_queue.empty() && m_ahead < m_budget); });
        --m_idleWorkers;
        if (m_quit) return;
        std::shared_ptr<Job> job = std::move(m_queue.front());
        m_queue.pop_front();
        if (job->state == JobState::Queued) runJob(lock, *job, reader);
    }
}

}  // namespace tarvolin::scan
