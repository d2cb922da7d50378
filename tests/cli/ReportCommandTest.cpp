#include "cli/ReportCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>

#include "reports/MimeFileTypeName.h"
#include "support/MiniJson.h"
#include "support/TempTree.h"

namespace tarvolin::cli {
namespace {

using test::Json;

struct FileFacts {
    std::int64_t size;
    std::int64_t time;
};
std::map<std::string, FileFacts> g_files;  // filled by nftw, which takes no context

// What the reports must hold, from the file system itself: every non-folder entry's lstat.
std::map<std::string, FileFacts> listFiles(const std::string& root) {
    g_files.clear();
    nftw(
        root.c_str(),
        [](const char* path, const struct stat* info, int type, FTW*) {
            if (type != FTW_D && type != FTW_DNR) g_files[path] = {info->st_size, info->st_mtime};
            return 0;
        },
        32, FTW_PHYS);
    return g_files;
}

Json runJson(std::vector<std::string_view> arguments) {
    arguments.insert(arguments.end(), {"--format", "json"});
    const auto options = parseReportArguments(arguments, stderr);
    EXPECT_TRUE(options);
    std::FILE* out = std::tmpfile();
    EXPECT_EQ(runReportCommand(*options, out, stderr), 0);
    std::string text(static_cast<std::size_t>(std::ftell(out)), '\0');
    std::rewind(out);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), out), text.size());
    std::fclose(out);
    return Json::parse(text);
}

// The four reports of the command against an independent computation over the same tree.
void expectReportsMatchTheTree(const std::string& root, const std::string& mask) {
    const auto files = listFiles(root);
    ASSERT_GT(files.size(), 100u);
    const Json json = runJson({root, "--mask", mask});
    EXPECT_EQ(json["path"].text, root);

    // Best 50 by size and by time: the same keys, in a heap with the worst first, every file
    // strictly beyond the boundary listed, and each row true to its file.
    for (const bool bySize : {true, false}) {
        const auto key = [bySize](const FileFacts& f) { return bySize ? f.size : -f.time; };
        std::vector<std::int64_t> expected;
        for (const auto& [path, facts] : files)
            expected.push_back(key(facts));
        std::sort(expected.rbegin(), expected.rend());
        expected.resize(50);
        const auto& rows = json[bySize ? "largest" : "oldest"].items;
        std::vector<std::int64_t> keys;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const FileFacts& facts = files.at(rows[i]["path"].text);
            EXPECT_EQ(rows[i]["size"].integer(), facts.size);
            if (!bySize) {
                EXPECT_EQ(rows[i]["time"].integer(), facts.time);
            }
            EXPECT_EQ(rows[i]["name"].text,
                      rows[i]["path"].text.substr(rows[i]["path"].text.rfind('/') + 1));
            keys.push_back(key(facts));
            if (i > 0) {
                EXPECT_LE(keys[(i - 1) / 2], keys[i]) << "not a heap at " << i;
            }
        }
        std::sort(keys.rbegin(), keys.rend());
        EXPECT_EQ(keys, expected);
        for (const auto& [path, facts] : files) {
            if (key(facts) <= expected.back()) continue;
            EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const Json& row) {
                return row["path"].text == path;
            })) << path;
        }
    }

    std::map<std::string, std::pair<std::int64_t, std::int64_t>> types;
    std::vector<std::string> temp;
    std::vector<std::string> patterns = {};
    for (std::size_t begin = 0, end; begin < mask.size(); begin = end + 1) {
        end = std::min(mask.find(';', begin), mask.size());
        if (end > begin) patterns.push_back(mask.substr(begin, end - begin));
    }
    for (const auto& [path, facts] : files) {
        const std::string name = path.substr(path.rfind('/') + 1);
        const auto dot = name.rfind('.');
        auto& type = types[dot == std::string::npos ? "" : name.substr(dot)];
        ++type.first;
        type.second += facts.size;
        std::string lower = path;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
        if (std::any_of(patterns.begin(), patterns.end(),
                        [&](const std::string& p) { return lower.find(p) != std::string::npos; })) {
            temp.push_back(path);
        }
    }
    std::vector<std::string> extensions;
    for (const Json& row : json["types"].items) {
        extensions.push_back(row["ext"].text);
        EXPECT_EQ(row["count"].integer(), types[row["ext"].text].first) << row["ext"].text;
        EXPECT_EQ(row["space"].integer(), types[row["ext"].text].second) << row["ext"].text;
        EXPECT_EQ(row["type"].text, reports::mimeFileTypeName(row["ext"].text));
    }
    std::vector<std::string> keys;
    for (const auto& [extension, counts] : types)
        keys.push_back(extension);
    EXPECT_EQ(extensions, keys);  // byte order, as std::map keeps them

    std::vector<std::string> listed;
    for (const Json& row : json["temp"].items) {
        listed.push_back(row["path"].text);
        EXPECT_EQ(row["size"].integer(), files.at(row["path"].text).size);
    }
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, temp);
}

// A tree nobody tuned: random depth, names with every kind of extension, hidden names, bytes
// that are not UTF-8, links, many equal sizes and times, times before 1970 and a 5 GiB file.
TEST(ReportCommandTest, ReportsEqualAnIndependentComputationOnARandomTree) {
    test::TempTree tree;
    std::mt19937 random(20240611);
    const auto pick = [&](auto& choices) { return choices[random() % std::size(choices)]; };
    const char* stems[] = {"a", "Report", "x y", ".hidden", "caf\xe9", "notes~", "data.old"};
    const char* extensions[] = {".txt", ".TXT", ".gz", ".tar.gz", "", ".", ".tmp", ".chk", ".~1"};
    const std::int64_t sizes[] = {0, 1, 4096, 4096, 65536, 1 << 20};
    const std::int64_t times[] = {-1000000000, -1, 0, 86400, 1700000000, 1700000000};
    std::vector<std::string> folders = {""};
    for (int i = 0; i < 1200; ++i) {
        const std::string& parent = pick(folders);
        const std::string name = (parent.empty() ? "" : parent + "/") + pick(stems) +
                                 std::to_string(i) + pick(extensions) +
                                 (i % 3 == 0 ? "" : pick(extensions));
        if (i % 25 == 0) {
            tree.folder(name);
            folders.push_back(name);
            continue;
        }
        if (i % 97 == 0) {
            tree.symlink(name, "elsewhere");
        } else {
            tree.file(name, i == 600 ? 5LL << 30 : pick(sizes) + (i % 2 ? 0 : random() % 100000));
        }
        const timespec stamp{pick(times) + (i % 5 ? 0 : static_cast<std::int64_t>(random() % 1000)),
                             0};
        const timespec stamps[2] = {stamp, stamp};
        utimensat(AT_FDCWD, tree.path(name).c_str(), stamps, AT_SYMLINK_NOFOLLOW);
    }
    expectReportsMatchTheTree(tree.root(), "~.;.old;.chk;.tmp");
}

TEST(ReportCommandTest, ReportsEqualAnIndependentComputationOnAGeneratedTree) {
    std::string script;
    for (std::string candidate :
         {std::string(std::getenv("TARVOLIN_MKTREE") ? std::getenv("TARVOLIN_MKTREE") : ""),
          std::string(TARVOLIN_SOURCE_DIR "/../shared/tools/mktree.py")}) {
        if (!candidate.empty() && access(candidate.c_str(), R_OK) == 0) script = candidate;
    }
    if (script.empty() || std::system("python3 -c '' >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "needs python3 and mktree.py (set TARVOLIN_MKTREE)";
    }
    test::TempTree tree;
    const std::string command =
        "python3 '" + script + "' '" + tree.path("t") + "' 200 3000 --seed 7 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    expectReportsMatchTheTree(tree.path("t"), "/tmp/;.old;~.");
}

TEST(ReportCommandTest, ArgumentsChooseReportsAndRejectBadValues) {
    const struct {
        std::vector<std::string_view> arguments;
        const char* chosen;  // largest, oldest, types, temp; "" when rejected
    } cases[] = {
        {{"/p"}, "LOYT"},
        {{"/p", "--types", "--largest"}, "L.Y."},
        {{"--temp", "/p", "--mask", " .log"}, "...T"},
        {{"/p", "--mask", ";;,"}, ""},
        {{"/p", "--format", "xml"}, ""},
        {{"/p", "--mask"}, ""},
        {{"--largest"}, ""},
        {{"/p", "/q"}, ""},
    };
    std::FILE* errors = std::tmpfile();
    for (const auto& c : cases) {
        const auto options = parseReportArguments(c.arguments, errors);
        std::string chosen;
        if (options) {
            chosen = {options->largest ? 'L' : '.', options->oldest ? 'O' : '.',
                      options->types ? 'Y' : '.', options->temp ? 'T' : '.'};
        }
        EXPECT_EQ(chosen, c.chosen) << c.arguments.size();
    }
    std::fclose(errors);

    // JSON holds only the reports asked for.
    test::TempTree tree;
    tree.file("a.txt", 1);
    const Json json = runJson({tree.root(), "--oldest", "--temp"});
    EXPECT_THAT(json.fields,
                ::testing::ElementsAre(::testing::Key("oldest"), ::testing::Key("path"),
                                       ::testing::Key("stopped"), ::testing::Key("temp")));
    EXPECT_EQ(json["stopped"].kind, Json::Kind::Bool);
    EXPECT_FALSE(json["stopped"].boolean);
}

}  // namespace
}  // namespace tarvolin::cli
