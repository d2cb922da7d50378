// tarvolin-cli end to end: the program is run on real trees and its output parsed.
#include <ftw.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

// Raises this process's soft open-file limit: removing a deep chain holds a descriptor a level.
void raiseTestFileLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
}

// runProcess, and the peak resident size of the child in KiB.
std::pair<test::ProcessResult, long> runMeasured(const std::vector<std::string>& argv) {
    std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M"};
    timed.insert(timed.end(), argv.begin(), argv.end());
    test::ProcessResult run = runProcess(timed);
    const std::size_t last = run.err.rfind('\n', run.err.size() - 2);
    const long peak = std::stol(run.err.substr(last == std::string::npos ? 0 : last + 1));
    run.err.resize(last == std::string::npos ? 0 : last + 1);
    return {run, peak};
}

// What `argv` writes to a terminal (with the terminal's CR LF line ends).
std::string onTerminal(const std::vector<std::string>& argv) {
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        std::vector<char*> args;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = read(master, buffer, sizeof buffer)) > 0)  // EIO once the child has ended
        text.append(buffer, static_cast<std::size_t>(got));
    close(master);
    waitpid(pid, nullptr, 0);
    return text;
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
        {{"scan", tree.root(), "--threads", "0"}, 2, "--threads needs a number from 1 to 256"},
        {{"report", tree.root(), "--threads"}, 2, "--threads needs a number"},
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

// Places the program must not walk and limits it must not have.
struct Probe {
    test::ProcessResult cli(std::vector<std::string> args) const {
        args.insert(args.begin(), TARVOLIN_CLI_PATH);
        return runProcess(args);
    }
    // Through a shell, for `cd` and `ulimit`; CLI stands for the program.
    test::ProcessResult shell(const std::string& script) const {
        return runProcess({"/bin/sh", "-c", "CLI='" TARVOLIN_CLI_PATH "'; " + script});
    }
    test::TempTree tree;
};

TEST(ScanCommandProbe, ARelativePathInADeletedFolderIsRefused) {
    Probe probe;
    probe.tree.folder("gone");
    for (const char* command : {"scan", "tree", "report"}) {
        const auto run =
            probe.shell("cd '" + probe.tree.path("gone") + "' && rmdir '" +
                        probe.tree.path("gone") + "' && exec \"$CLI\" " + command + " .");
        EXPECT_EQ(run.exitCode, 2) << command;
        EXPECT_THAT(run.err, HasSubstr("The current folder cannot be determined")) << command;
        EXPECT_EQ(run.out, "") << command;  // above all, "/" was not walked
        probe.tree.folder("gone");
    }
    // An absolute path needs no current folder.
    const auto run =
        probe.shell("cd '" + probe.tree.path("gone") + "' && rmdir '" + probe.tree.path("gone") +
                    "' && exec \"$CLI\" tree '" + probe.tree.root() + "'");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "+----" + probe.tree.root() + "\n");
}

// Far below the open-file limit that the shell sets (hard and soft), every folder is walked
// by every command; unreadable folders are errors of tree and report too.
TEST(ScanCommandProbe, AnyDepthUnderALowOpenFileLimitAndErrorsFromEveryCommand) {
    raiseTestFileLimit();
    Probe probe;
    probe.tree.folder("deep");
    probe.tree.chain("deep", 300, "level", 9);
    const std::string limit = "ulimit -n 64 && exec \"$CLI\" ";
    const std::string deep = "'" + probe.tree.path("deep") + "'";

    auto run = probe.shell(limit + "tree " + deep);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 301);
    EXPECT_EQ(run.err, "");
    // Listings read ahead hold descriptors too: they leave the walk its share of the limit.
    probe.tree.folder("wide");
    for (int i = 0; i < 40; ++i) {
        const std::string top = "wide/d" + std::to_string(i);
        probe.tree.folder(top);
        for (int j = 0; j < 20; ++j)
            probe.tree.folder(top + "/e" + std::to_string(j));
    }
    for (const char* threads : {"", " --threads 64", " --threads 64", " --threads 64"}) {
        for (const char* files : {"64", "1100"}) {
            for (const auto& [path, folders] :
                 {std::pair{probe.tree.path("deep"), 300}, {probe.tree.path("wide"), 840}}) {
                run = probe.shell(std::string("ulimit -n ") + files + " && exec \"$CLI\" scan '" +
                                  path + "' --format json" + threads);
                EXPECT_EQ(run.exitCode, 0) << run.err << files << threads;
                EXPECT_EQ(Json::parse(run.out)["folders"].integer(), folders);
            }
        }
    }
    run = probe.shell(limit + "report " + deep + " --largest --format json");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Json::parse(run.out)["largest"][0]["size"].integer(), 9);

    probe.tree.folder("deep/locked");
    chmod(probe.tree.path("deep/locked").c_str(), 0);
    const std::string message = probe.tree.path("deep/locked") + ": Permission denied (code: 13)\n";
    run = runProcess({TARVOLIN_CLI_PATH, "tree", probe.tree.path("deep")},
                     {.workingDirectory = {}, .unprivileged = true});
    if (run.exitCode == 125) GTEST_SKIP() << "cannot become an unprivileged user";
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, message);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 302);  // the locked one listed
    run = runProcess({TARVOLIN_CLI_PATH, "report", probe.tree.path("deep"), "--format", "json"},
                     {.workingDirectory = {}, .unprivileged = true});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, message);
    const Json json = Json::parse(run.out);
    ASSERT_EQ(json["errors"].items.size(), 1u);
    EXPECT_EQ(json["errors"][0]["path"].text, probe.tree.path("deep/locked"));
    EXPECT_EQ(json["errors"][0]["code"].integer(), 13);
    EXPECT_EQ(json["errors"][0]["message"].text, "Permission denied");
}

// Long names deep down: memory grows with the depth, not with its square, and a PATH longer
// than PATH_MAX is accepted.
TEST(ScanCommandProbe, DeepChainsOfLongNamesStayLeanAndLongPathsAreAccepted) {
    raiseTestFileLimit();
    Probe probe;
    probe.tree.folder("top");
    const std::string name(200, 'n');
    probe.tree.chain("top", 2000, name, 5);

    const auto [run, peakKb] =
        runMeasured({TARVOLIN_CLI_PATH, "scan", probe.tree.path("top"), "--format", "json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Json::parse(run.out)["folders"].integer(), 2000);
    EXPECT_LT(peakKb, 64 * 1024);

    std::string inside = probe.tree.path("top");
    for (int level = 0; level < 500; ++level)
        inside += "/" + name;  // about 100,000 bytes (one argument may hold 128 KiB)
    const auto deep = probe.cli({"scan", inside, "--format", "json"});
    EXPECT_EQ(deep.exitCode, 0) << deep.err.substr(0, 200);
    EXPECT_EQ(Json::parse(deep.out)["folders"].integer(), 1500);
    EXPECT_EQ(Json::parse(deep.out)["size"].integer(), 5);
    const auto tree = probe.cli({"tree", inside});
    EXPECT_EQ(tree.exitCode, 0);
    EXPECT_EQ(std::count(tree.out.begin(), tree.out.end(), '\n'), 1501);
}

// A name that would retitle the terminal and a name with a line break: tables always show them
// escaped, tree text only on a terminal; a file written with -o keeps the bytes.
TEST(ScanCommandProbe, ControlCharactersAreEscapedForTerminalsAndTables) {
    Probe probe;
    const std::string hostile = "\x1b]0;owned\x07";
    probe.tree.folder(hostile);
    probe.tree.file(hostile + "/two\nlines.tmp", 5);
    const std::string shown = "\\033]0;owned\\a";

    const auto table = probe.cli({"scan", probe.tree.root()});
    EXPECT_THAT(table.out, HasSubstr(shown));
    EXPECT_EQ(table.out.find('\x1b'), std::string::npos);
    const auto report = probe.cli({"report", probe.tree.root(), "--temp"});
    EXPECT_THAT(report.out, HasSubstr("two\\nlines.tmp  5 bytes  " + probe.tree.root() + "/" +
                                      shown + "/two\\nlines.tmp\n"));
    EXPECT_EQ(report.out.find('\x1b'), std::string::npos);

    const std::string rawTree = "+----" + probe.tree.root() + "\n|      +----" + hostile + "\n";
    EXPECT_EQ(probe.cli({"tree", probe.tree.root()}).out, rawTree);
    const std::string file = probe.tree.path("tree.txt");
    EXPECT_EQ(probe.cli({"tree", probe.tree.root(), "-o", file}).exitCode, 0);
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "+----" + probe.tree.root() + "\r\n|      +----" + hostile + "\r\n");
    std::string terminal = onTerminal({TARVOLIN_CLI_PATH, "tree", probe.tree.root()});
    std::erase(terminal, '\r');
    EXPECT_EQ(terminal, "+----" + probe.tree.root() + "\n|      +----" + shown + "\n");
}

}  // namespace
}  // namespace tarvolin::cli
