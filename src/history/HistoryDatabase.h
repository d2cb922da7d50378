// HistoryDatabase: the scan history file, one SQLite database.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "history/Snapshot.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tarvolin::history {

// Why the history could not do what was asked; the text says it to the user.
struct HistoryError {
    enum class Kind {
        None,
        Busy,          // another program holds the file: this save is skipped
        NotWritable,   // disk full, read-only folder or file: history is not being kept
        NewerVersion,  // written by a newer program: left alone
        Unreadable,    // damaged or foreign, and opened read-only, so not moved aside
        Missing,       // read-only and the file does not exist yet
    };
    Kind kind = Kind::None;
    std::string text;
    explicit operator bool() const { return kind != Kind::None; }
};

// Owned by one thread at a time (SQLite's connection is not shared). A writable database is
// created with its folder when missing; a file that is damaged or not a history database is
// moved aside to "<file>.corrupt-<time>" and a new one is started, which movedAsideTo() then
// names. Every save is one transaction; WAL keeps a save that was cut short (killed, disk
// full) from touching what was committed before.
class HistoryDatabase {
public:
    enum class Mode { ReadOnly, ReadWrite };
    static constexpr int kSchemaVersion = 1;
    static constexpr int kKeepPerRoot = 20;
    static constexpr int kBusyTimeoutMs = 1000;

    // $TARVOLIN_HISTORY_DB, else $XDG_DATA_HOME (or ~/.local/share)/Brelland/Tarvolin/
    // history.sqlite.
    static std::string defaultPath();

    HistoryDatabase(std::string path, Mode mode);
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    // Opens on first use; false with error() set when the history cannot be used.
    bool open();
    bool isOpen() const { return m_db != nullptr; }
    const std::string& path() const { return m_path; }
    const HistoryError& error() const { return m_error; }
    // Where a damaged or foreign file went, once; empty otherwise.
    std::string takeMovedAsideTo() { return std::exchange(m_movedAsideTo, {}); }

    // Saves `snapshot` and keeps only the newest `keep` snapshots of its root, in one
    // transaction. The new snapshot's id, or none with error() set and nothing changed.
    std::optional<std::int64_t> save(const FolderSnapshot& snapshot, int keep = kKeepPerRoot);

    // Snapshots whose root is `path` or a folder above it, newest first.
    std::vector<SnapshotInfo> snapshotsCovering(std::string_view path);
    std::optional<SnapshotInfo> snapshot(std::int64_t id);
    // The folders of snapshot `id` at or below `folder`, with full paths, in no order.
    std::vector<FolderRecord> folders(std::int64_t id, std::string_view folder);
    // How many snapshots each root has.
    std::map<std::string, int> rootCounts();

    // Called inside save after every `every` folder rows (a test stops the program there).
    void setRowObserver(std::size_t every, std::function<void(std::size_t rows)> observer) {
        m_observeEvery = every;
        m_rowObserver = std::move(observer);
    }

private:
    class Statement;
    bool openFile(bool allowCreate);
    bool prepareSchema();
    bool moveAside();
    void close();
    bool fail(int code, std::string_view what);
    bool exec(const char* sql);
    std::optional<std::int64_t> saveOnce(const FolderSnapshot& snapshot, int keep);
    bool retain(const std::string& root, int keep);

    std::string m_path;
    Mode m_mode;
    sqlite3* m_db = nullptr;
    HistoryError m_error;
    std::string m_movedAsideTo;
    bool m_triedOpen = false;
    std::size_t m_observeEvery = 0;
    std::function<void(std::size_t)> m_rowObserver;
};

}  // namespace tarvolin::history
