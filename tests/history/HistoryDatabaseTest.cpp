#include "history/HistoryDatabase.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "support/ChildProcess.h"
#include "support/TempTree.h"

namespace tarvolin::history {
namespace {

using Kind = HistoryError::Kind;

FolderRecord record(std::string path, std::int64_t size, std::int32_t files = 1,
                    std::int32_t folders = 0, std::int64_t changed = 1700000000) {
    return FolderRecord{std::move(path), size, files, folders, changed};
}

FolderSnapshot snapshotOf(std::string root, std::int64_t time, std::vector<FolderRecord> below) {
    FolderSnapshot snapshot{root, time, {record(root, 0, 0, 0, 0)}};
    for (FolderRecord& folder : below) {
        snapshot.folders.front().size += folder.size;
        snapshot.folders.push_back(std::move(folder));
    }
    return snapshot;
}

// `count` folders below /big, two levels deep, so that saving it takes a while.
FolderSnapshot bigSnapshot(std::int64_t time, int count) {
    std::vector<FolderRecord> below;
    for (int i = 0; i < count; ++i) {
        const std::string group = "/big/group" + std::to_string(i / 100);
        if (i % 100 == 0) below.push_back(record(group, 0));
        below.push_back(record(group + "/folder" + std::to_string(i), i));
    }
    return snapshotOf("/big", time, std::move(below));
}

std::vector<std::string> describe(std::vector<FolderRecord> folders) {
    std::vector<std::string> lines;
    for (const FolderRecord& f : folders) {
        std::ostringstream line;
        line << f.path << " " << f.size << " " << f.files << " " << f.folders << " "
             << f.lastChange;
        lines.push_back(line.str());
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Asks the file directly, beside the class under test.
std::string query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::string answer;
    sqlite3_exec(
        db, sql.c_str(),
        [](void* out, int columns, char** values, char**) {
            for (int i = 0; i < columns; ++i)
                *static_cast<std::string*>(out) += std::string(values[i] ? values[i] : "") + ";";
            return 0;
        },
        &answer, nullptr);
    sqlite3_close(db);
    return answer;
}

class HistoryDatabaseTest : public ::testing::Test {
protected:
    test::TempTree tree;
    std::string file = tree.path("data/Brelland/history.sqlite");
};

// Names are bytes: a name that is not UTF-8, one with a backslash and one with a newline come
// back exactly, each under the right parent, and a subfolder can be read on its own.
TEST_F(HistoryDatabaseTest, SnapshotRoundTripsRawNamesAndAnswersForSubfolders) {
    const std::string odd = "/r/caf\xe9 \xff\x80";  // Latin-1 bytes, invalid UTF-8
    const FolderSnapshot saved =
        snapshotOf("/r", 1000,
                   {record(odd, 10, 1, 2), record(odd + "/back\\slash", 7, 3, 1, -5),
                    record(odd + "/back\\slash/new\nline", 3), record("/r/plain", 1LL << 40, 2, 0),
                    // its parent /r/gap is not in the result: the path still comes back whole
                    record("/r/gap/orphan", 4)});
    {
        HistoryDatabase database(file, HistoryDatabase::Mode::ReadWrite);
        const auto id = database.save(saved);
        ASSERT_TRUE(id) << database.error().text;
        EXPECT_EQ(describe(database.folders(*id, "/r")), describe(saved.folders));
    }
    HistoryDatabase reader(file, HistoryDatabase::Mode::ReadOnly);
    const auto covering = reader.snapshotsCovering(odd + "/back\\slash");
    ASSERT_EQ(covering.size(), 1u);
    EXPECT_EQ(covering[0].root, "/r");
    EXPECT_EQ(covering[0].time, 1000);
    EXPECT_EQ(covering[0].size, 10 + 7 + 3 + (1LL << 40) + 4);
    EXPECT_EQ(describe(reader.folders(covering[0].id, odd + "/back\\slash")),
              describe({saved.folders[2], saved.folders[3]}));
    EXPECT_TRUE(reader.snapshotsCovering("/other").empty());
    EXPECT_TRUE(reader.snapshotsCovering("/r2").empty());  // a sibling that shares the prefix
    EXPECT_EQ(query(file, "PRAGMA journal_mode"), "wal;");
    EXPECT_EQ(query(file, "SELECT version FROM tarvolin_schema"), "1;");
}

// The newest 20 per root stay; older ones go with all their folder rows; other roots keep
// theirs.
TEST_F(HistoryDatabaseTest, KeepsTheNewestTwentySnapshotsOfEachRoot) {
    HistoryDatabase database(file, HistoryDatabase::Mode::ReadWrite);
    std::vector<std::int64_t> ids;
    for (int i = 0; i < 23; ++i) {
        const auto id = database.save(snapshotOf("/a", 100 + i, {record("/a/x", i)}));
        ASSERT_TRUE(id);
        ids.push_back(*id);
        if (i < 2) {
            ASSERT_TRUE(database.save(snapshotOf("/b", 100 + i, {record("/b/y", i)})));
        }
    }
    EXPECT_EQ(database.rootCounts(), (std::map<std::string, int>{{"/a", 20}, {"/b", 2}}));
    const auto kept = database.snapshotsCovering("/a/x");
    ASSERT_EQ(kept.size(), 20u);
    EXPECT_EQ(kept.front().id, ids.back());
    EXPECT_EQ(kept.back().id, ids[3]);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(database.snapshot(ids[i]));
    EXPECT_EQ(query(file,
                    "SELECT count(*) FROM folder WHERE snapshot NOT IN "
                    "(SELECT id FROM snapshot)"),
              "0;");
    EXPECT_EQ(query(file, "SELECT count(*) FROM folder"), std::to_string((20 + 2) * 2) + ";");
}

// Garbage and another program's SQLite file are moved aside, once, and a new history starts;
// a read-only reader leaves them alone; a newer schema is never touched.
TEST_F(HistoryDatabaseTest, DamagedForeignAndNewerFilesAreNeverWrittenOver) {
    tree.folder("data");
    tree.folder("data/Brelland");
    const FolderSnapshot snapshot = snapshotOf("/r", 5, {record("/r/a", 1)});
    {
        std::ofstream(file, std::ios::binary) << std::string(8192, '\x5a');
        HistoryDatabase reader(file, HistoryDatabase::Mode::ReadOnly);
        EXPECT_TRUE(reader.snapshotsCovering("/r").empty());
        EXPECT_EQ(reader.error().kind, Kind::Unreadable);
        EXPECT_TRUE(reader.takeMovedAsideTo().empty());
        EXPECT_EQ(readFile(file), std::string(8192, '\x5a'));

        HistoryDatabase database(file, HistoryDatabase::Mode::ReadWrite);
        ASSERT_TRUE(database.save(snapshot)) << database.error().text;
        const std::string aside = database.takeMovedAsideTo();
        EXPECT_EQ(aside.rfind(file + ".corrupt-", 0), 0u) << aside;
        EXPECT_EQ(readFile(aside), std::string(8192, '\x5a'));
        EXPECT_TRUE(database.takeMovedAsideTo().empty());  // told once
        ASSERT_TRUE(database.save(snapshot));
        EXPECT_EQ(database.rootCounts().at("/r"), 2);
        std::remove(aside.c_str());
    }
    {
        std::remove(file.c_str());
        sqlite3* other = nullptr;
        sqlite3_open(file.c_str(), &other);
        sqlite3_exec(other, "CREATE TABLE mail(id INTEGER); INSERT INTO mail VALUES(7);", nullptr,
                     nullptr, nullptr);
        sqlite3_close(other);
        HistoryDatabase database(file, HistoryDatabase::Mode::ReadWrite);
        ASSERT_TRUE(database.save(snapshot));
        const std::string aside = database.takeMovedAsideTo();
        EXPECT_EQ(query(aside, "SELECT id FROM mail"), "7;");
    }
    {
        sqlite3* db = nullptr;
        sqlite3_open(file.c_str(), &db);
        sqlite3_exec(db, "UPDATE tarvolin_schema SET version = 99", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        HistoryDatabase database(file, HistoryDatabase::Mode::ReadWrite);
        EXPECT_FALSE(database.save(snapshot));
        EXPECT_EQ(database.error().kind, Kind::NewerVersion);
        EXPECT_TRUE(database.takeMovedAsideTo().empty());
        EXPECT_EQ(query(file, "SELECT count(*) FROM snapshot"), "1;");
    }
}

// While another program holds the write lock, a save waits about the busy timeout, then gives
// up without writing; once the lock is gone it saves.
TEST_F(HistoryDatabaseTest, BusyFileSkipsTheSaveAfterTheTimeout) {
    HistoryDatabase database(file, HistoryDatabase::Mode::ReadWrite);
    ASSERT_TRUE(database.save(snapshotOf("/r", 1, {record("/r/a", 1)})));
    sqlite3* holder = nullptr;
    sqlite3_open(file.c_str(), &holder);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(database.save(snapshotOf("/r", 2, {record("/r/a", 2)})));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(database.error().kind, Kind::Busy);
    EXPECT_GE(waited, std::chrono::milliseconds(HistoryDatabase::kBusyTimeoutMs - 100));
    EXPECT_LT(waited, std::chrono::milliseconds(HistoryDatabase::kBusyTimeoutMs * 4));
    EXPECT_EQ(database.snapshotsCovering("/r").size(), 1u);  // reading still works

    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_TRUE(database.save(snapshotOf("/r", 3, {record("/r/a", 3)})));
    EXPECT_EQ(database.snapshotsCovering("/r").size(), 2u);
}

// A file size limit stands in for a full disk: the save fails with the system's reason,
// nothing of it remains, and the file opens cleanly afterwards.
TEST_F(HistoryDatabaseTest, FullDiskRollsTheSaveBackAndKeepsWhatWasThere) {
    {
        HistoryDatabase database(file, HistoryDatabase::Mode::ReadWrite);
        ASSERT_TRUE(database.save(snapshotOf("/r", 1, {record("/r/a", 1)})));
    }
    const std::string answer = test::runInChild([this]() -> std::string {
        signal(SIGXFSZ, SIG_IGN);
        HistoryDatabase database(file, HistoryDatabase::Mode::ReadWrite);
        if (!database.open()) return "open: " + database.error().text;
        const rlimit limit{256 * 1024, 256 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        if (database.save(bigSnapshot(2, 40000))) return "saved beyond the limit";
        if (database.error().kind != Kind::NotWritable) return "kind: " + database.error().text;
        // The system's reason when SQLite has it (ENOSPC, EFBIG), else SQLite's own.
        if (database.error().text.find(": ") == std::string::npos) {
            return "reason: " + database.error().text;
        }
        // The program goes on: reading still answers.
        if (database.snapshotsCovering("/r").size() != 1) return "lost the earlier snapshot";
        return "";
    });
    EXPECT_EQ(answer, "");
    EXPECT_EQ(query(file, "PRAGMA integrity_check"), "ok;");
    EXPECT_EQ(query(file, "SELECT root FROM snapshot"), "/r;");
    EXPECT_EQ(query(file, "SELECT count(*) FROM folder"), "2;");
}

// A data folder the user may not write to: the history says why and is not kept.
TEST_F(HistoryDatabaseTest, ReadOnlyDataFolderSaysWhyNothingIsKept) {
    tree.folder("locked");
    chmod(tree.path("locked").c_str(), 0555);
    const std::string inside = tree.path("locked/sub/history.sqlite");
    const std::string answer = test::runInChild([&inside]() -> std::string {
        if (!test::dropPrivileges()) return "SKIP: cannot drop privileges";
        HistoryDatabase database(inside, HistoryDatabase::Mode::ReadWrite);
        if (database.save(snapshotOf("/r", 1, {record("/r/a", 1)}))) return "saved";
        if (database.error().kind != Kind::NotWritable) return database.error().text;
        if (database.error().text.find("Permission denied") == std::string::npos) {
            return database.error().text;
        }
        return "";
    });
    if (answer.rfind("SKIP", 0) == 0) GTEST_SKIP() << answer;
    EXPECT_EQ(answer, "");
    struct stat info {};
    EXPECT_NE(stat(inside.c_str(), &info), 0);
}

// Killing the saving process in the middle of its transaction loses that snapshot only.
TEST_F(HistoryDatabaseTest, KillMidSaveLosesOnlyThatSnapshot) {
    {
        HistoryDatabase database(file, HistoryDatabase::Mode::ReadWrite);
        ASSERT_TRUE(database.save(bigSnapshot(1, 3000)));
    }
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        HistoryDatabase database(file, HistoryDatabase::Mode::ReadWrite);
        database.setRowObserver(20000, [&](std::size_t) {
            const char byte = 1;
            (void)write(ready[1], &byte, 1);
            pause();  // killed here, half-way through the rows
        });
        database.save(bigSnapshot(2, 60000));
        _exit(3);
    }
    close(ready[1]);
    char byte = 0;
    const bool midSave = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(midSave);
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(query(file, "PRAGMA integrity_check"), "ok;");
    HistoryDatabase database(file, HistoryDatabase::Mode::ReadWrite);
    const auto snapshots = database.snapshotsCovering("/big");
    ASSERT_EQ(snapshots.size(), 1u);
    EXPECT_EQ(snapshots[0].time, 1);
    EXPECT_EQ(database.folders(snapshots[0].id, "/big").size(), 3000u + 30u + 1u);
    EXPECT_TRUE(database.takeMovedAsideTo().empty());
    EXPECT_TRUE(database.save(bigSnapshot(3, 10)));
}

TEST(HistoryDatabasePathTest, EnvironmentChoosesTheFile) {
    const auto withEnvironment = [](const char* db, const char* data, const char* home) {
        const auto set = [](const char* name, const char* value) {
            value != nullptr ? setenv(name, value, 1) : unsetenv(name);
        };
        set("TARVOLIN_HISTORY_DB", db);
        set("XDG_DATA_HOME", data);
        set("HOME", home);
        return HistoryDatabase::defaultPath();
    };
    const std::string home = getenv("HOME") != nullptr ? getenv("HOME") : "";
    EXPECT_EQ(withEnvironment(nullptr, "/xdg", "/home/u"), "/xdg/Brelland/Tarvolin/history.sqlite");
    EXPECT_EQ(withEnvironment(nullptr, nullptr, "/home/u"),
              "/home/u/.local/share/Brelland/Tarvolin/history.sqlite");
    // A relative XDG_DATA_HOME is to be ignored.
    EXPECT_EQ(withEnvironment(nullptr, "rel", "/home/u"),
              "/home/u/.local/share/Brelland/Tarvolin/history.sqlite");
    EXPECT_EQ(withEnvironment("/tmp/h.db", "/xdg", "/home/u"), "/tmp/h.db");
    withEnvironment(nullptr, nullptr, home.empty() ? nullptr : home.c_str());
}

}  // namespace
}  // namespace tarvolin::history
