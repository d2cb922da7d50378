#include "history/HistoryWriter.h"

namespace tarvolin::history {

HistoryWriter::HistoryWriter(std::string databasePath, OutcomeHandler onOutcome)
    : m_path(std::move(databasePath)),
      m_onOutcome(std::move(onOutcome)),
      m_thread(&HistoryWriter::run, this) {}

HistoryWriter::~HistoryWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void HistoryWriter::submit(std::shared_ptr<const FolderSnapshot> snapshot, bool save) {
    if (!snapshot || snapshot->folders.empty()) return;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(Job{std::move(snapshot), save});
    }
    m_changed.notify_all();
}

// Reads go through the writable connection once there is one, so that they see its saves;
// before that a read-only one keeps a program that never saves from creating the file.
HistoryDatabase& HistoryWriter::reader() {
    if (m_writable && m_writable->isOpen()) return *m_writable;
    if (!m_readOnly) {
        m_readOnly = std::make_unique<HistoryDatabase>(m_path, HistoryDatabase::Mode::ReadOnly);
    }
    return *m_readOnly;
}

void HistoryWriter::run() {
    {
        SaveOutcome first;
        first.rootCounts = reader().rootCounts();
        m_readOnly.reset();  // reopened when needed, so that it sees a file created later
        if (m_onOutcome) m_onOutcome(std::move(first));
    }
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
            if (m_jobs.empty()) return;  // quitting once every submitted save is done
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        SaveOutcome outcome = process(job);
        if (m_onOutcome) m_onOutcome(std::move(outcome));
    }
}

SaveOutcome HistoryWriter::process(const Job& job) {
    SaveOutcome outcome;
    outcome.snapshot = job.snapshot;
    if (job.save && !m_writable) {
        m_writable = std::make_unique<HistoryDatabase>(m_path, HistoryDatabase::Mode::ReadWrite);
    }
    if (job.save) m_writable->open();  // moves a damaged file aside before anything is read
    if (m_writable) outcome.movedAsideTo = m_writable->takeMovedAsideTo();

    HistoryDatabase& database = reader();
    for (const SnapshotInfo& info : database.snapshotsCovering(job.snapshot->root)) {
        if (info.root == job.snapshot->root) {
            outcome.earlier = info;
            break;
        }
    }
    if (job.save) {
        outcome.savedId = m_writable->save(*job.snapshot);
        if (!outcome.savedId) outcome.problem = m_writable->error();
        if (outcome.movedAsideTo.empty()) outcome.movedAsideTo = m_writable->takeMovedAsideTo();
    }
    outcome.rootCounts = reader().rootCounts();
    m_readOnly.reset();
    return outcome;
}

}  // namespace tarvolin::history
