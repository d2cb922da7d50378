// ReadAheadDirectoryReader: lists subfolders on worker threads before the walker asks for them.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "scan/PosixDirectoryReader.h"

namespace tarvolin::scan {

// Owned by the scan thread's state; the walker calls it from the scan thread, its workers run
// beside it. When the walker receives a listing, the listing's subfolders are queued in name
// order ahead of anything queued before, so the workers read in the walker's own depth-first
// order and the walker mostly finds its next listing complete. The walker is never idle while
// there is work: a subfolder not yet started it reads itself, and while a worker still reads
// the one it needs, it reads the next queued ones. Listings are identical to
// PosixDirectoryReader's; errors come out of them the same way.
//
// At most `budget` listings are open ahead at a time (each holds a descriptor), so a folder
// with a hundred thousand subfolders cannot exhaust the descriptor limit.
class ReadAheadDirectoryReader final : public DirectoryReader {
public:
    static unsigned defaultWorkers();

    explicit ReadAheadDirectoryReader(unsigned workers = defaultWorkers(), std::size_t budget = 64);
    ~ReadAheadDirectoryReader() override;

    void readRoot(const std::string& path, Listing& out, const std::atomic<bool>& stop) override;
    void readChild(const Listing& parent, const DirEntry& entry, std::string_view path,
                   Listing& out, const std::atomic<bool>& stop) override;
    void release(Listing& listing) override;

private:
    enum class JobState { Queued, Running, Done, Dropped };
    struct Job {
        const Listing* parent;  // the walker's; stays open until all its jobs have ended
        DirEntry entry;
        JobState state = JobState::Queued;
        bool abandoned = false;  // passed over while running: its reader throws the result away
        Listing result;
    };
    // The jobs of one parent listing in name order; the walker asks for children in that order,
    // skipping some, so a cursor finds each in amortised constant time.
    struct Children {
        std::vector<std::shared_ptr<Job>> jobs;
        std::size_t cursor = 0;
    };

    void queueChildren(const Listing& listing);
    // Drops a job the walker will not ask for (mutex held). A running one is left to its reader,
    // or, when its parent is about to be closed, waited for.
    void dropJob(std::unique_lock<std::mutex>& lock, Job& job, bool parentClosing);
    void discardResult(Job& job);  // mutex held
    void workerLoop();
    // Runs `job` on the calling thread with `reader`'s buffers; mutex held on entry and exit.
    void runJob(std::unique_lock<std::mutex>& lock, Job& job, PosixDirectoryReader& reader);
    void wakeWorkers();              // mutex held
    void recycle(Listing& listing);  // mutex held

    PosixDirectoryReader m_direct;  // the walker's own reads
    const std::atomic<bool>* m_stop = nullptr;
    std::size_t m_budget;

    std::mutex m_mutex;
    std::condition_variable m_workAvailable;
    std::condition_variable m_jobEnded;
    std::deque<std::shared_ptr<Job>> m_queue;      // front first; dropped jobs are skipped
    std::unordered_map<int, Children> m_children;  // by the parent's descriptor
    std::size_t m_ahead = 0;                       // running or done, not yet handed out
    unsigned m_idleWorkers = 0;
    bool m_walkerWaiting = false;
    bool m_quit = false;
    std::vector<Listing> m_spare;  // storage of handed-back listings
    std::vector<std::thread> m_workers;
};

}  // namespace tarvolin::scan
