#include "history/HistoryDatabase.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pwd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unordered_map>

#include "common/ErrorText.h"
#include "common/PathText.h"

namespace tarvolin::history {
namespace {

// "TVHS" in the header, so that a history file can be told from any other SQLite file.
constexpr int kApplicationId = 0x54564853;

// Step i takes the schema from version i to version i + 1, inside one transaction.
constexpr const char* kMigrations[] = {
    "CREATE TABLE tarvolin_schema(version INTEGER NOT NULL);"
    "INSERT INTO tarvolin_schema(version) VALUES(0);"
    "CREATE TABLE snapshot("
    "  id INTEGER PRIMARY KEY,"
    "  root BLOB NOT NULL,"
    "  taken INTEGER NOT NULL,"
    "  size INTEGER NOT NULL, files INTEGER NOT NULL, folders INTEGER NOT NULL);"
    "CREATE INDEX snapshot_by_root ON snapshot(root, taken);"
    // A folder is its name inside its parent row; the snapshot's root is row 0 with parent -1.
    "CREATE TABLE folder("
    "  snapshot INTEGER NOT NULL, id INTEGER NOT NULL, parent INTEGER NOT NULL,"
    "  name BLOB NOT NULL, size INTEGER NOT NULL, files INTEGER NOT NULL,"
    "  folders INTEGER NOT NULL, changed INTEGER NOT NULL,"
    "  PRIMARY KEY(snapshot, id)) WITHOUT ROWID;",
};
static_assert(std::size(kMigrations) == HistoryDatabase::kSchemaVersion);

bool isCorrupt(int code) {
    code &= 0xff;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

std::string parentOf(std::string_view path) {
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(path.substr(0, slash == 0 ? 1 : slash));
}

bool makeFolders(const std::string& folder) {
    if (folder.empty() || folder == "/") return true;
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return true;
        errno = ENOTDIR;
        return false;
    }
    if (!makeFolders(parentOf(folder))) return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

// One prepared statement, finalized with its owner.
class HistoryDatabase::Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        m_code = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int prepared() const { return m_code; }
    void bind(int index, std::int64_t value) { sqlite3_bind_int64(m_statement, index, value); }
    void bind(int index, std::string_view bytes) {
        sqlite3_bind_blob64(m_statement, index, bytes.empty() ? "" : bytes.data(), bytes.size(),
                            SQLITE_TRANSIENT);
    }
    // SQLITE_ROW, SQLITE_DONE or the error.
    int step() { return sqlite3_step(m_statement); }
    int reset() { return sqlite3_reset(m_statement); }
    std::int64_t integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    std::string bytes(int column) const {
        const void* data = sqlite3_column_blob(m_statement, column);
        const int size = sqlite3_column_bytes(m_statement, column);
        return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), size);
    }

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_code = SQLITE_OK;
};

std::string HistoryDatabase::defaultPath() {
    if (const char* path = std::getenv("TARVOLIN_HISTORY_DB"); path != nullptr && *path != 0) {
        return path;
    }
    std::string base;
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == 0) {
            const passwd* user = getpwuid(getuid());
            home = user != nullptr ? user->pw_dir : "/";
        }
        base = joinPath(home, ".local/share");
    }
    return joinPath(joinPath(base, "Brelland/Tarvolin"), "history.sqlite");
}

HistoryDatabase::HistoryDatabase(std::string path, Mode mode)
    : m_path(std::move(path)), m_mode(mode) {}

HistoryDatabase::~HistoryDatabase() {
    close();
}

void HistoryDatabase::close() {
    if (m_db != nullptr) sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool HistoryDatabase::fail(int code, std::string_view what) {
    const int primary = code & 0xff;
    int systemCode = m_db != nullptr ? sqlite3_system_errno(m_db) : 0;
    if (primary == SQLITE_FULL && systemCode == 0) systemCode = ENOSPC;
    const std::string reason =
        systemCode != 0 ? systemErrorText(systemCode) : std::string(sqlite3_errstr(code));
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        m_error = {HistoryError::Kind::Busy, "the history file is in use by another program"};
    } else if (isCorrupt(code)) {
        m_error = {HistoryError::Kind::Unreadable,
                   "the history file " + m_path + " is damaged or not a scan history"};
    } else {
        m_error = {HistoryError::Kind::NotWritable,
                   std::string(what) + " " + m_path + ": " + reason};
    }
    return false;
}

bool HistoryDatabase::exec(const char* sql) {
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK || fail(code, "cannot write the history file");
}

bool HistoryDatabase::open() {
    if (m_db != nullptr) return true;
    m_error = {};
    if (m_mode == Mode::ReadOnly) {
        struct stat info {};
        if (stat(m_path.c_str(), &info) != 0) {
            m_error = {HistoryError::Kind::Missing, "no scan history has been saved yet"};
            return false;
        }
        return openFile(false) && prepareSchema();
    }
    if (!makeFolders(parentOf(m_path))) {
        m_error = {HistoryError::Kind::NotWritable,
                   "cannot create the folder of " + m_path + ": " + systemErrorText(errno)};
        return false;
    }
    if (!openFile(true)) return false;
    if (prepareSchema()) return true;
    if (m_error.kind != HistoryError::Kind::Unreadable) return false;
    // Damaged or foreign: keep it for whoever wants to look, and start afresh.
    return moveAside() && openFile(true) && prepareSchema();
}

bool HistoryDatabase::openFile(bool allowCreate) {
    close();
    const int flags = m_mode == Mode::ReadOnly
                          ? SQLITE_OPEN_READONLY
                          : SQLITE_OPEN_READWRITE | (allowCreate ? SQLITE_OPEN_CREATE : 0);
    const int code = sqlite3_open_v2(m_path.c_str(), &m_db, flags, nullptr);
    if (code != SQLITE_OK) {
        fail(code, "cannot open the history file");
        close();
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    return true;
}

bool HistoryDatabase::prepareSchema() {
    const auto failAndClose = [this](int code, std::string_view what) {
        fail(code, what);
        close();
        return false;
    };
    // Reading the schema reads the header: a file that is not SQLite fails here. The reading
    // statements end before the journal mode is set, which needs no transaction open.
    bool ours = false;
    bool other = false;
    std::int64_t application = 0;
    int version = 0;
    int code;
    {
        Statement tables(m_db, "SELECT name FROM sqlite_master WHERE type = 'table'");
        if (tables.prepared() != SQLITE_OK) return failAndClose(tables.prepared(), "cannot read");
        while ((code = tables.step()) == SQLITE_ROW) {
            const std::string name = tables.bytes(0);
            (name == "tarvolin_schema" ? ours : other) = true;
        }
        if (code != SQLITE_DONE) return failAndClose(code, "cannot read");
        Statement appId(m_db, "PRAGMA application_id");
        application = appId.step() == SQLITE_ROW ? appId.integer(0) : 0;
        if ((!ours && other) || (application != 0 && application != kApplicationId)) {
            m_error = {HistoryError::Kind::Unreadable,
                       "the file " + m_path + " is not a scan history"};
            close();
            return false;
        }

        if (ours) {
            Statement read(m_db, "SELECT max(version) FROM tarvolin_schema");
            code = read.step();
            if (code != SQLITE_ROW) return failAndClose(code, "cannot read");
            version = static_cast<int>(read.integer(0));
        }
    }
    if (version > kSchemaVersion) {
        m_error = {HistoryError::Kind::NewerVersion,
                   "the history file " + m_path +
                       " was written by a newer version of the program and is left as it is"};
        close();
        return false;
    }
    if (m_mode == Mode::ReadOnly) {
        if (version < kSchemaVersion) {
            m_error = {HistoryError::Kind::Missing, "no scan history has been saved yet"};
            close();
            return false;
        }
        return true;
    }

    // WAL: a save cut short leaves the committed snapshots as they were, and readers never
    // wait for a writer.
    {
        Statement journal(m_db, "PRAGMA journal_mode = WAL");
        code = journal.step();
        if (code != SQLITE_ROW) return failAndClose(code, "cannot write the history file");
    }
    if (!exec("PRAGMA synchronous = NORMAL")) return close(), false;
    for (; version < kSchemaVersion; ++version) {
        if (!exec("BEGIN IMMEDIATE")) return close(), false;
        const std::string step =
            std::string(kMigrations[version]) +
            "UPDATE tarvolin_schema SET version = " + std::to_string(version + 1) +
            ";PRAGMA application_id = " + std::to_string(kApplicationId) + ";";
        if (!exec(step.c_str()) || !exec("COMMIT")) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            close();
            return false;
        }
    }
    return true;
}

bool HistoryDatabase::moveAside() {
    close();
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string aside = m_path + ".corrupt-" + stamp;
    if (std::rename(m_path.c_str(), aside.c_str()) != 0) {
        m_error = {
            HistoryError::Kind::NotWritable,
            "cannot move the damaged history file " + m_path + " aside: " + systemErrorText(errno)};
        return false;
    }
    // A journal left beside the old file would be applied to the new one.
    for (const char* suffix : {"-wal", "-shm"}) {
        std::rename((m_path + suffix).c_str(), (aside + suffix).c_str());
    }
    m_movedAsideTo = aside;
    m_error = {};
    return true;
}

std::optional<std::int64_t> HistoryDatabase::save(const FolderSnapshot& snapshot, int keep) {
    if (snapshot.folders.empty() || !open()) return std::nullopt;
    const auto id = saveOnce(snapshot, keep);
    if (id || m_error.kind != HistoryError::Kind::Unreadable) return id;
    // Damage found while writing: the file is moved aside and the scan saved into a new one.
    if (!moveAside() || !openFile(true) || !prepareSchema()) return std::nullopt;
    return saveOnce(snapshot, keep);
}

std::optional<std::int64_t> HistoryDatabase::saveOnce(const FolderSnapshot& snapshot, int keep) {
    if (!exec("BEGIN IMMEDIATE")) return std::nullopt;
    const auto rollBack = [this](int code) {
        const HistoryError error = (fail(code, "cannot write the history file"), m_error);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_error = error;
        return std::nullopt;
    };

    const FolderRecord& root = snapshot.rootRecord();
    Statement addSnapshot(m_db,
                          "INSERT INTO snapshot(root, taken, size, files, folders) "
                          "VALUES(?, ?, ?, ?, ?)");
    addSnapshot.bind(1, snapshot.root);
    addSnapshot.bind(2, snapshot.time);
    addSnapshot.bind(3, root.size);
    addSnapshot.bind(4, root.files);
    addSnapshot.bind(5, root.folders);
    int code = addSnapshot.step();
    if (code != SQLITE_DONE) return rollBack(code);
    const std::int64_t id = sqlite3_last_insert_rowid(m_db);

    // Row i is folders[i]; a folder names its parent's row. A folder whose parent is missing
    // from the result hangs below its nearest recorded ancestor, with the rest of its path as
    // its name, so its full path still comes back.
    std::unordered_map<std::string_view, std::int64_t> rows;
    rows.reserve(snapshot.folders.size());
    for (std::size_t i = 0; i < snapshot.folders.size(); ++i) {
        rows.emplace(snapshot.folders[i].path, static_cast<std::int64_t>(i));
    }
    Statement addFolder(m_db, "INSERT INTO folder VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    if (addFolder.prepared() != SQLITE_OK) return rollBack(addFolder.prepared());
    for (std::size_t i = 0; i < snapshot.folders.size(); ++i) {
        const FolderRecord& folder = snapshot.folders[i];
        std::int64_t parent = -1;
        std::string_view name;
        if (i != 0) {
            std::string_view above = folder.path;
            for (;;) {
                const auto slash = above.rfind('/');
                if (slash == std::string_view::npos) break;
                above = above.substr(0, slash == 0 ? 1 : slash);
                const auto found = rows.find(above);
                if (found != rows.end()) {
                    parent = found->second;
                    break;
                }
                if (above.size() <= snapshot.root.size()) break;
            }
            if (parent < 0) continue;  // not below the root: not part of this snapshot
            const std::size_t skip = above == "/" ? 1 : above.size() + 1;
            name = std::string_view(folder.path).substr(skip);
        }
        addFolder.reset();
        addFolder.bind(1, id);
        addFolder.bind(2, static_cast<std::int64_t>(i));
        addFolder.bind(3, parent);
        addFolder.bind(4, name);
        addFolder.bind(5, folder.size);
        addFolder.bind(6, folder.files);
        addFolder.bind(7, folder.folders);
        addFolder.bind(8, folder.lastChange);
        code = addFolder.step();
        if (code != SQLITE_DONE) return rollBack(code);
        if (m_rowObserver && (i + 1) % m_observeEvery == 0) m_rowObserver(i + 1);
    }
    if (!retain(snapshot.root, keep)) return rollBack(sqlite3_errcode(m_db));
    code = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) return rollBack(code);
    return id;
}

bool HistoryDatabase::retain(const std::string& root, int keep) {
    Statement old(m_db,
                  "SELECT id FROM snapshot WHERE root = ? ORDER BY taken DESC, id DESC "
                  "LIMIT -1 OFFSET ?");
    old.bind(1, root);
    old.bind(2, static_cast<std::int64_t>(std::max(keep, 1)));
    std::vector<std::int64_t> ids;
    int code;
    while ((code = old.step()) == SQLITE_ROW)
        ids.push_back(old.integer(0));
    if (code != SQLITE_DONE) return false;
    Statement dropFolders(m_db, "DELETE FROM folder WHERE snapshot = ?");
    Statement dropSnapshot(m_db, "DELETE FROM snapshot WHERE id = ?");
    for (const std::int64_t id : ids) {
        for (Statement* drop : {&dropFolders, &dropSnapshot}) {
            drop->reset();
            drop->bind(1, id);
            if (drop->step() != SQLITE_DONE) return false;
        }
    }
    return true;
}

namespace {

SnapshotInfo readInfo(const auto& statement) {
    SnapshotInfo info;
    info.id = statement.integer(0);
    info.root = statement.bytes(1);
    info.time = statement.integer(2);
    info.size = statement.integer(3);
    info.files = statement.integer(4);
    info.folders = statement.integer(5);
    return info;
}

}  // namespace

std::vector<SnapshotInfo> HistoryDatabase::snapshotsCovering(std::string_view path) {
    std::vector<SnapshotInfo> found;
    if (!open()) return found;
    Statement select(m_db,
                     "SELECT id, root, taken, size, files, folders FROM snapshot WHERE root = ?");
    std::string folder(path);
    for (;;) {
        select.reset();
        select.bind(1, folder);
        int code;
        while ((code = select.step()) == SQLITE_ROW)
            found.push_back(readInfo(select));
        if (code != SQLITE_DONE) {
            fail(code, "cannot read the history file");
            break;
        }
        const std::string parent = parentOf(folder);
        if (parent.empty() || parent == folder) break;
        folder = parent;
    }
    std::sort(found.begin(), found.end(), [](const SnapshotInfo& a, const SnapshotInfo& b) {
        return a.time != b.time ? a.time > b.time : a.id > b.id;
    });
    return found;
}

std::optional<SnapshotInfo> HistoryDatabase::snapshot(std::int64_t id) {
    if (!open()) return std::nullopt;
    Statement select(m_db,
                     "SELECT id, root, taken, size, files, folders FROM snapshot WHERE id = ?");
    select.bind(1, id);
    if (select.step() != SQLITE_ROW) return std::nullopt;
    return readInfo(select);
}

std::vector<FolderRecord> HistoryDatabase::folders(std::int64_t id, std::string_view folder) {
    std::vector<FolderRecord> result;
    const auto info = snapshot(id);
    if (!info) return result;
    Statement select(m_db,
                     "SELECT id, parent, name, size, files, folders, changed FROM folder "
                     "WHERE snapshot = ? ORDER BY id");
    select.bind(1, id);
    struct Row {
        std::int64_t parent;
        std::string name;
        FolderRecord record;
        bool built = false;
    };
    std::vector<Row> rows;
    std::unordered_map<std::int64_t, std::size_t> index;
    int code;
    while ((code = select.step()) == SQLITE_ROW) {
        index.emplace(select.integer(0), rows.size());
        Row row{select.integer(1), select.bytes(2), {}, false};
        row.record.size = select.integer(3);
        row.record.files = static_cast<std::int32_t>(select.integer(4));
        row.record.folders = static_cast<std::int32_t>(select.integer(5));
        row.record.lastChange = select.integer(6);
        rows.push_back(std::move(row));
    }
    if (code != SQLITE_DONE) {
        fail(code, "cannot read the history file");
        return result;
    }
    // Paths are built from the root down; parents may come after their children.
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t at = i; !rows[at].built;) {
            const auto parent = index.find(rows[at].parent);
            if (rows[at].parent < 0 || parent == index.end()) {
                rows[at].record.path = rows[at].parent < 0 ? info->root : std::string();
                rows[at].built = true;
                break;
            }
            pending.push_back(at);
            at = parent->second;
        }
        while (!pending.empty()) {
            Row& row = rows[pending.back()];
            const std::string& parentPath = rows[index.at(row.parent)].record.path;
            row.record.path = parentPath.empty() ? std::string() : joinPath(parentPath, row.name);
            row.built = true;
            pending.pop_back();
        }
    }
    for (Row& row : rows) {
        if (!row.record.path.empty() && isAtOrBelow(row.record.path, folder)) {
            result.push_back(std::move(row.record));
        }
    }
    return result;
}

std::map<std::string, int> HistoryDatabase::rootCounts() {
    std::map<std::string, int> counts;
    if (!open()) return counts;
    Statement select(m_db, "SELECT root, count(*) FROM snapshot GROUP BY root");
    while (select.step() == SQLITE_ROW)
        counts[select.bytes(0)] = static_cast<int>(select.integer(1));
    return counts;
}

}  // namespace tarvolin::history
