// tarvolin-cli scan --save, history and changes end to end, checked against a walk of the
// tree that shares nothing with the engine.
#include <dirent.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "support/MiniJson.h"
#include "support/RunProcess.h"
#include "support/TempTree.h"

namespace tarvolin::cli {
namespace {

using test::Json;
using test::runProcess;
using ::testing::HasSubstr;

struct Totals {
    std::int64_t size = 0;
    std::int64_t files = 0;
    std::int64_t folders = 0;
};

// Every folder at or below `path` with the apparent size and count of everything below it.
Totals walk(const std::string& path, std::map<std::string, Totals>& out) {
    Totals totals;
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            const std::string child = path + "/" + name;
            struct stat info {};
            if (lstat(child.c_str(), &info) != 0) continue;
            if (S_ISDIR(info.st_mode)) {
                const Totals below = walk(child, out);
                totals.size += below.size;
                totals.files += below.files;
                totals.folders += below.folders + 1;
            } else {
                totals.size += info.st_size;
                ++totals.files;
            }
        }
        closedir(dir);
    }
    out[path] = totals;
    return totals;
}

struct Change {
    std::string status;
    std::int64_t before, after, files, folders;
    bool operator==(const Change&) const = default;
};

void PrintTo(const Change& c, std::ostream* out) {
    *out << c.status << " " << c.before << "->" << c.after << " " << c.files << " " << c.folders;
}

std::map<std::string, Change> expectedChanges(const std::map<std::string, Totals>& before,
                                              const std::map<std::string, Totals>& after) {
    std::map<std::string, Change> changes;
    for (const auto& [path, now] : after) {
        const auto then = before.find(path);
        if (then == before.end()) {
            changes[path] = {"new", 0, now.size, now.files, now.folders};
        } else if (then->second.size != now.size) {
            changes[path] = {now.size > then->second.size ? "grown" : "shrunk", then->second.size,
                             now.size, now.files - then->second.files,
                             now.folders - then->second.folders};
        }
    }
    for (const auto& [path, then] : before) {
        if (!after.count(path))
            changes[path] = {"removed", then.size, 0, -then.files, -then.folders};
    }
    return changes;
}

class HistoryCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"docs", "docs/old", "docs/old/deeper", "media", "media/raw",
                                   "tmp", "tmp/cache", "caf\xe9"}) {
            tree.folder(folder);
        }
        tree.file("docs/a.txt", 1200);
        tree.file("docs/old/deeper/b.bin", 70000);
        tree.file("media/raw/c.raw", 5'000'000'000);
        tree.file("tmp/cache/d", 333);
        tree.file("caf\xe9/e", 12);
        tree.file("top", 5);
    }
    test::ProcessResult cli(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), TARVOLIN_CLI_PATH);
        arguments.push_back("--db");
        arguments.push_back(database);
        return runProcess(arguments);
    }
    bool databaseExists() const { return std::filesystem::exists(database); }

    test::TempTree tree;
    test::TempTree data;
    std::string database = data.path("history/h.sqlite");
};

// Files added, grown, shrunk and removed between a saved scan and now: changes lists exactly
// the folders whose totals differ, with exact byte differences, largest first.
TEST_F(HistoryCommandTest, ChangesListExactlyWhatAnIndependentWalkFinds) {
    std::map<std::string, Totals> before;
    walk(tree.root(), before);
    const auto saved = cli({"scan", tree.root(), "--save", "--format", "json"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;

    tree.file("docs/old/deeper/b.bin", 70001);    // grown by one byte, three levels down
    tree.file("media/raw/c.raw", 4'000'000'000);  // shrunk
    tree.folder("media/new");
    tree.file("media/new/f", 64);
    std::filesystem::remove_all(tree.path("tmp/cache"));
    std::filesystem::remove(tree.path("top"));
    std::map<std::string, Totals> after;
    walk(tree.root(), after);
    const auto expected = expectedChanges(before, after);
    ASSERT_EQ(expected.size(), 9u);  // the root, docs x3, media x3, tmp x2; not caf\xe9

    const auto result = cli({"changes", tree.root(), "--format", "json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const Json json = Json::parse(result.out);
    EXPECT_EQ(json["path"].text, tree.root());
    EXPECT_EQ(json["before"]["size"].integer(), before[tree.root()].size);
    EXPECT_EQ(json["before"]["files"].integer(), before[tree.root()].files);
    EXPECT_EQ(json["after"]["size"].integer(), after[tree.root()].size);
    EXPECT_EQ(json["after"]["folders"].integer(), after[tree.root()].folders);
    std::map<std::string, Change> listed;
    std::int64_t previous = INT64_MAX;
    for (const Json& change : json["changes"].items) {
        const std::int64_t delta = change["delta"].integer();
        EXPECT_EQ(delta, change["sizeAfter"].integer() - change["sizeBefore"].integer());
        EXPECT_LE(std::abs(delta), previous) << "not largest first";
        previous = std::abs(delta);
        listed[change["path"].text] = {
            change["status"].text, change["sizeBefore"].integer(), change["sizeAfter"].integer(),
            change["filesDelta"].integer(), change["foldersDelta"].integer()};
    }
    EXPECT_EQ(listed, expected);

    // --depth 1 keeps the root and its children only; the table says the same in words.
    const auto shallow = cli({"changes", tree.root(), "--depth", "1", "--format", "json"});
    std::vector<std::string> paths;
    const Json shallowJson = Json::parse(shallow.out);
    for (const Json& change : shallowJson["changes"].items)
        paths.push_back(change["path"].text.substr(tree.root().size()));
    EXPECT_THAT(paths, ::testing::UnorderedElementsAre("", "/media", "/tmp", "/docs"));
    const auto table = cli({"changes", tree.path("docs")});
    EXPECT_EQ(table.exitCode, 0);
    EXPECT_THAT(table.out, HasSubstr("a scan of " + tree.root()));
    EXPECT_THAT(table.out, HasSubstr("+1 bytes"));
}

// Without --save nothing writes the history; with no earlier scan, changes exits 3 and says
// why; history lists what covers a path, newest first; --since picks by id or by day.
TEST_F(HistoryCommandTest, OnlySaveWritesAndMissingHistoryExitsThree) {
    EXPECT_EQ(cli({"scan", tree.root()}).exitCode, 0);
    const auto none = cli({"changes", tree.root()});
    EXPECT_EQ(none.exitCode, 3);
    EXPECT_EQ(none.out, "");
    EXPECT_THAT(none.err, HasSubstr("No earlier scan covers " + tree.root()));
    EXPECT_EQ(cli({"history", tree.root()}).exitCode, 0);
    EXPECT_FALSE(databaseExists());

    ASSERT_EQ(cli({"scan", tree.path("docs"), "--save"}).exitCode, 0);
    ASSERT_EQ(cli({"changes", tree.root(), "--save"}).exitCode, 3);  // docs does not cover it
    ASSERT_EQ(cli({"scan", tree.root(), "--save"}).exitCode, 0);
    const Json listed =
        Json::parse(cli({"history", tree.path("docs/old"), "--format", "json"}).out);
    ASSERT_EQ(listed["snapshots"].items.size(), 2u);
    EXPECT_EQ(listed["snapshots"][0]["root"].text, tree.root());  // newest first
    EXPECT_EQ(listed["snapshots"][1]["root"].text, tree.path("docs"));
    EXPECT_EQ(listed["snapshots"][1]["size"].integer(), 71200);
    const std::int64_t docsId = listed["snapshots"][1]["id"].integer();

    const auto byId =
        cli({"changes", tree.path("docs"), "--since", std::to_string(docsId), "--format", "json"});
    EXPECT_EQ(Json::parse(byId.out)["before"]["id"].integer(), docsId);
    EXPECT_EQ(cli({"changes", tree.root(), "--since", std::to_string(docsId)}).exitCode, 3);
    EXPECT_EQ(cli({"changes", tree.root(), "--since", "1999-12-31"}).exitCode, 3);
    EXPECT_EQ(cli({"changes", tree.root(), "--since", "2999-01-01"}).exitCode, 0);
    EXPECT_EQ(cli({"changes", tree.root(), "--since", "2026-02-30"}).exitCode, 2);
    EXPECT_EQ(cli({"changes", tree.root(), "--depth", "-1"}).exitCode, 2);
}

// A history file that is not one: scan --save moves it aside, says so, and saves.
TEST_F(HistoryCommandTest, DamagedFileIsMovedAsideWithAMessage) {
    data.folder("history");
    { std::ofstream(database) << "not a database at all, but long enough to look like a file"; }
    const auto read = cli({"history", tree.root()});
    EXPECT_EQ(read.exitCode, 0);
    EXPECT_THAT(read.err, HasSubstr("damaged or not a scan history"));
    const auto saved = cli({"scan", tree.root(), "--save"});
    EXPECT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_THAT(saved.err, HasSubstr("moved aside to " + database + ".corrupt-"));
    EXPECT_EQ(cli({"changes", tree.root()}).exitCode, 0);
}

}  // namespace
}  // namespace tarvolin::cli
