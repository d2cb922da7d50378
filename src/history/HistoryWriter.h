// HistoryWriter: saves completed scans into the history on a thread of its own.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "history/HistoryDatabase.h"
#include "history/Snapshot.h"

namespace tarvolin::history {

// What became of one submitted scan.
struct SaveOutcome {
    std::shared_ptr<const FolderSnapshot> snapshot;  // null for the first report after start
    std::optional<SnapshotInfo> earlier;             // the newest earlier snapshot of the same root
    std::optional<std::int64_t> savedId;
    HistoryError problem;                   // why it was not saved, when saving was asked for
    std::string movedAsideTo;               // a damaged file was moved here (once)
    std::map<std::string, int> rootCounts;  // snapshots per root afterwards
};

// Owned by whoever shows the history (the window, a test); submit() may be called from any
// thread, the scan thread included, and returns at once. The database is touched only on the
// writer's own thread, which reports each outcome there through `onOutcome`, in submission
// order. The first report, right after start, carries the counts of what is stored already.
// Destruction finishes the saves already submitted, then ends the thread.
class HistoryWriter {
public:
    using OutcomeHandler = std::function<void(SaveOutcome outcome)>;

    HistoryWriter(std::string databasePath, OutcomeHandler onOutcome);
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    // `save` false: only looks up the earlier snapshot (history switched off, or nothing new).
    void submit(std::shared_ptr<const FolderSnapshot> snapshot, bool save);
    const std::string& databasePath() const { return m_path; }

private:
    struct Job {
        std::shared_ptr<const FolderSnapshot> snapshot;
        bool save = false;
    };
    void run();
    SaveOutcome process(const Job& job);
    HistoryDatabase& reader();

    std::string m_path;
    OutcomeHandler m_onOutcome;
    std::unique_ptr<HistoryDatabase> m_writable;  // writer thread only, like the two below
    std::unique_ptr<HistoryDatabase> m_readOnly;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    bool m_quit = false;
    std::thread m_thread;  // last: starts when everything above exists
};

}  // namespace tarvolin::history
