// ScanHistory: the window's side of the scan history: saving after each scan, the note for the
// status bar, and what the compare dialog needs.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include <QObject>
#include <QString>

#include "history/Snapshot.h"

namespace tarvolin::scan {
class ScanListener;
}

namespace tarvolin::history {

class HistoryWriter;
struct SaveOutcome;

// Lives on the UI thread, owned by the application; its signals and accessors are for the UI
// thread. Scans reach it through the listener decorate() returns, which may outlive it (an
// abandoned walk keeps its listener): what that listener shares with it is kept alive apart.
// Saving runs on the writer's thread; a drill-down answered from the cache, or any scan while
// keeping is off, is compared but not saved.
class ScanHistory final : public QObject {
    Q_OBJECT

public:
    explicit ScanHistory(std::string databasePath, QObject* parent = nullptr);
    ~ScanHistory() override;  // finishes the saves already under way

    // The listener to submit in place of `inner`.
    std::shared_ptr<scan::ScanListener> decorate(std::shared_ptr<scan::ScanListener> inner);
    void setKeeping(bool keep);
    const std::string& databasePath() const { return m_databasePath; }

    // The last completed scan's folders; null after a scan started until it completes.
    std::shared_ptr<const FolderSnapshot> lastResult() const;
    // The id under which the last result was saved, once it is.
    std::optional<std::int64_t> lastResultId() const { return m_lastResultId; }
    // A stored snapshot of `path` or of a folder above it, other than the last result's own.
    bool hasEarlierSnapshot(const std::string& path) const;
    // Called when a scan starts: its result replaces the last one.
    void forgetResult();

signals:
    // After a completed scan of `root`: "(+1.24 GB since 3 Dec 2026)", or why it was not
    // saved; empty when there is nothing to say.
    void noteReady(const QString& root, const QString& note);
    // Something the user must be told once (a damaged history file was moved aside).
    void problemOccurred(const QString& text);
    void snapshotsChanged();

private:
    struct Shared;
    void handleOutcome(const SaveOutcome& outcome);

    std::string m_databasePath;
    std::shared_ptr<Shared> m_shared;
    std::map<std::string, int> m_rootCounts;
    std::optional<std::int64_t> m_lastResultId;
};

}  // namespace tarvolin::history
