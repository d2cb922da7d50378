// tarvolin-cli end to end: the program is run on real trees and its output parsed.
#include <ftw.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>

#include "support/MiniJson.h"
#include "support/RunProcess.h"
#include "support/TempTree.h"

namespace tarvolin::cli {
namespace {

using test::Json;
using test::runProcess;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Totals {
    std::int64_t size = 0;
    std::int64_t files = 0;
    std::int64_t folders = 0;
};

// Independent of the engine: nftw without following links, apparent sizes of every
// non-directory, every directory below the top counted.
Totals g_totals;
int addEntry(const char*, const struct stat* info, int type, FTW* where) {
    if (where->level == 0) return 0;
    if (type == FTW_D || type == FTW_DNR || type == FTW_DP) {
        ++g_totals.folders;
    } else {
        ++g_totals.files;
        g_totals.size += info->st_size;
    }
    return 0;
}
Totals independentTotals(const std::string& path) {
    g_totals = {};
    nftw(path.c_str(), addEntry, 64, FTW_PHYS);
    return g_totals;
}

class ScanCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.folder("docs");
        tree.file("docs/report.pdf", 123456);
        tree.folder("docs/old");
        tree.file("docs/old/.draft", 777);
        tree.folder("caf\xe9");  // not UTF-8
        tree.file("caf\xe9/menu\nlist", 42);
        tree.folder("empty");
        tree.file("big.iso", 5000000000LL);
        tree.file("a.txt", 10);
        tree.symlink("link-to-docs", "docs");
    }
    test::ProcessResult cli(std::vector<std::string> args, test::ProcessOptions options = {}) {
        args.insert(args.begin(), TARVOLIN_CLI_PATH);
        return runProcess(args, options);
    }

    test::TempTree tree;
};

TEST_F(ScanCommandTest, JsonTotalsMatchAnIndependentSumForEveryChild) {
    const auto run = cli({"scan", tree.root(), "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json json = Json::parse(run.out);
    const Totals expected = independentTotals(tree.root());
    EXPECT_EQ(json["size"].integer(), expected.size);
    EXPECT_EQ(json["files"].integer(), expected.files);
    EXPECT_EQ(json["folders"].integer(), expected.folders);
    EXPECT_FALSE(json["stopped"].boolean);
    EXPECT_TRUE(json["errors"].items.empty());

    std::vector<std::string> names;
    for (const Json& child : json["children"].items) {
        names.push_back(child["name"].text);
        EXPECT_EQ(child["path"].text, tree.path(child["name"].text));
        if (child["type"].text == "folder") {
            const Totals below = independentTotals(child["path"].text);
            EXPECT_EQ(child["size"].integer(), below.size) << child["name"].text;
            EXPECT_EQ(child["files"].integer(), below.files);
            EXPECT_EQ(child["folders"].integer(), below.folders);
            EXPECT_EQ(child["attributes"].integer() & 0x10, 0x10);
        } else {
            struct stat info {};
            lstat(child["path"].text.c_str(), &info);
            EXPECT_EQ(child["size"].integer(), info.st_size);
            EXPECT_EQ(child["lastChange"].integer(), info.st_mtime);
        }
    }
    // Scan order: folders, then files, each by name.
    EXPECT_THAT(names, ElementsAre("caf\xe9", "docs", "empty", "a.txt", "big.iso", "link-to-docs"));
}

TEST_F(ScanCommandTest, SortsFoldersAndFilesSeparatelyAndHidesFiles) {
    auto run = cli({"scan", tree.root(), "--format", "json", "--sort", "size", "--descending"});
    const Json sorted = Json::parse(run.out);
    std::vector<std::string> names;
    for (const Json& child : sorted["children"].items)
        names.push_back(child["name"].text);
    EXPECT_THAT(names, ElementsAre("docs", "caf\xe9", "empty", "big.iso", "a.txt", "link-to-docs"));

    run = cli({"scan", tree.root() + "/", "--format", "json", "--no-files", "--sort", "name"});
    const Json json = Json::parse(run.out);
    EXPECT_EQ(json["path"].text, tree.root());
    EXPECT_EQ(json["children"].items.size(), 3u);

    run = cli({"scan", tree.root(), "--sort", "files", "--descending"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("% of Parent"));
    EXPECT_THAT(run.out, HasSubstr("4.65 GB"));  // the total of 5,000,124,245 bytes
}

TEST_F(ScanCommandTest, ArgumentsAndPathsAreCheckedAndCleaned) {
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"scan", tree.path("nowhere")},
         2,
         "The path entered does not exist or is currently inaccessible."},
        {{"scan", tree.path("a.txt")}, 2, "The path entered is not a folder."},
        {{"scan", tree.root(), "--sort", "colour"}, 2, "unknown sort key"},
        {{"scan"}, 2, "needs a PATH"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"tree", tree.path("a.txt")}, 2, "The path entered is not a folder."},
    };
    for (const auto& c : cases) {
        const auto run = cli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.back();
        EXPECT_THAT(run.err, HasSubstr(c.message));
    }
    EXPECT_THAT(cli({"--version"}).out, HasSubstr("1.0.0.0"));

    // A relative path is made absolute; a link given as the path is followed.
    const auto relative = cli({"scan", "./docs/../docs", "--format", "json"},
                              {.workingDirectory = tree.root(), .unprivileged = false});
    EXPECT_EQ(Json::parse(relative.out)["path"].text, tree.path("docs"));
    const auto viaLink = cli({"scan", tree.path("link-to-docs"), "--format", "json"});
    EXPECT_EQ(Json::parse(viaLink.out)["size"].integer(), 123456 + 777);
}

TEST_F(ScanCommandTest, UnreadableFoldersAreReportedWithExitCodeOne) {
    chmod(tree.path("docs/old").c_str(), 0);
    auto run = cli({"scan", tree.root(), "--format", "json"},
                   {.workingDirectory = {}, .unprivileged = true});
    if (run.exitCode == 125) GTEST_SKIP() << "cannot become an unprivileged user";
    EXPECT_EQ(run.exitCode, 1);
    const Json json = Json::parse(run.out);
    ASSERT_EQ(json["errors"].items.size(), 1u);
    EXPECT_EQ(json["errors"][0]["path"].text, tree.path("docs/old"));
    EXPECT_EQ(json["errors"][0]["code"].integer(), 13);
    EXPECT_EQ(json["errors"][0]["message"].text, "Permission denied");
    EXPECT_THAT(run.err, HasSubstr("/docs/old: Permission denied (code: 13)"));

    // The scanned folder itself cannot be opened: nothing but its error.
    run = cli({"scan", tree.path("docs/old"), "--format", "json"},
              {.workingDirectory = {}, .unprivileged = true});
    EXPECT_EQ(run.exitCode, 1);
    const Json top = Json::parse(run.out);
    EXPECT_EQ(top["size"].integer(), 0);
    EXPECT_TRUE(top["children"].items.empty());
    EXPECT_EQ(top["errors"][0]["path"].text, tree.path("docs/old"));
}

TEST_F(ScanCommandTest, TreePrintsFoldersInWalkOrder) {
    const auto run = cli({"tree", tree.root()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "+----" + tree.root() +
                           "\n|      +----caf\xe9\n|      +----docs\n|      |      +----old\n"
                           "|      +----empty\n");

    const std::string file = tree.path("dirtree.txt");
    EXPECT_EQ(cli({"tree", tree.path("docs"), "-o", file}).exitCode, 0);
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "+----" + tree.path("docs") + "\r\n|      +----old\r\n");
}

}  // namespace
}  // namespace tarvolin::cli
