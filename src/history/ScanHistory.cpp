#include "history/ScanHistory.h"

#include <atomic>
#include <mutex>
#include <utility>

#include <QFile>
#include <QPointer>

#include "common/PathText.h"
#include "history/FolderComparison.h"
#include "history/HistoryListener.h"
#include "history/HistoryWriter.h"

namespace tarvolin::history {

// What the scan thread's listener shares with the window, kept alive by both.
struct ScanHistory::Shared {
    std::mutex mutex;
    std::shared_ptr<const FolderSnapshot> lastResult;
    // The result forgotten when a scan started, until the scan thread frees it right after:
    // a large tree's snapshot takes milliseconds to free, which the UI thread would not spare.
    std::shared_ptr<const FolderSnapshot> forgotten;
    std::unique_ptr<HistoryWriter> writer;  // null once the window's side is gone
    std::atomic<bool> keep{true};
};

ScanHistory::ScanHistory(std::string databasePath, QObject* parent)
    : QObject(parent),
      m_databasePath(std::move(databasePath)),
      m_shared(std::make_shared<Shared>()) {
    const QPointer<ScanHistory> self(this);
    m_shared->writer = std::make_unique<HistoryWriter>(m_databasePath, [self](SaveOutcome outcome) {
        // On the writer's thread; the window's side handles it on its own thread, if it is
        // still there.
        QMetaObject::invokeMethod(
            self.data(),
            [self, outcome = std::move(outcome)] {
                if (self) self->handleOutcome(outcome);
            },
            Qt::QueuedConnection);
    });
}

ScanHistory::~ScanHistory() {
    std::unique_ptr<HistoryWriter> writer;
    {
        std::lock_guard lock(m_shared->mutex);
        writer = std::move(m_shared->writer);
    }
    writer.reset();  // waits for the saves under way, outside the lock the scan thread takes
}

std::shared_ptr<scan::ScanListener> ScanHistory::decorate(
    std::shared_ptr<scan::ScanListener> inner) {
    return std::make_shared<HistoryListener>(
        std::move(inner),
        [shared = m_shared](std::shared_ptr<const FolderSnapshot> snapshot, bool fromCache) {
            std::lock_guard lock(shared->mutex);
            shared->lastResult = snapshot;
            if (shared->writer)
                shared->writer->submit(std::move(snapshot), shared->keep && !fromCache);
        },
        [shared = m_shared] {
            std::shared_ptr<const FolderSnapshot> forgotten;  // freed outside the lock
            std::lock_guard lock(shared->mutex);
            forgotten = std::move(shared->forgotten);
        });
}

void ScanHistory::setKeeping(bool keep) {
    m_shared->keep = keep;
}

std::shared_ptr<const FolderSnapshot> ScanHistory::lastResult() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->lastResult;
}

void ScanHistory::forgetResult() {
    std::lock_guard lock(m_shared->mutex);
    // Called from the scan's start, which the scan thread waits for; it frees the result next.
    // Should an earlier one still wait for that, this one is freed here.
    if (!m_shared->forgotten) m_shared->forgotten = std::move(m_shared->lastResult);
    m_shared->lastResult.reset();
    m_lastResultId.reset();
}

bool ScanHistory::hasEarlierSnapshot(const std::string& path) const {
    const auto last = lastResult();
    for (const auto& [root, count] : m_rootCounts) {
        if (!isAtOrBelow(path, root)) continue;
        const bool ownIncluded = m_lastResultId && last && last->root == root;
        if (count - (ownIncluded ? 1 : 0) > 0) return true;
    }
    return false;
}

void ScanHistory::handleOutcome(const SaveOutcome& outcome) {
    m_rootCounts = outcome.rootCounts;
    if (!outcome.movedAsideTo.empty()) {
        emit problemOccurred(
            tr("The scan history file could not be read. It was moved aside to\n%1\nand a new "
               "one was started.")
                .arg(QFile::decodeName(QByteArray::fromStdString(outcome.movedAsideTo))));
    }
    if (outcome.snapshot) {
        const bool isLast = outcome.snapshot == lastResult();
        if (isLast) m_lastResultId = outcome.savedId;
        QString note;
        if (outcome.problem) {
            note = tr("(scan history not saved: %1)")
                       .arg(QString::fromStdString(outcome.problem.text));
        } else if (outcome.earlier) {
            note = QString::fromStdString(
                changeNote(outcome.snapshot->rootRecord().size - outcome.earlier->size,
                           outcome.earlier->time));
        }
        if (isLast) {
            emit noteReady(QFile::decodeName(QByteArray::fromStdString(outcome.snapshot->root)),
                           note);
        }
    }
    emit snapshotsChanged();
}

}  // namespace tarvolin::history
