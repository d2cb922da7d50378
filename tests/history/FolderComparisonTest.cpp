#include "history/FolderComparison.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "history/HistoryListener.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/PosixDirectoryReader.h"
#include "support/FakeDirectoryReader.h"
#include "support/RecordingListener.h"
#include "support/TempTree.h"

namespace tarvolin::history {
namespace {

using Status = FolderChange::Status;

// One engine whose results are taken through the history's listener, as the window does.
class CapturingScans {
public:
    struct Result {
        std::shared_ptr<const FolderSnapshot> snapshot;  // null: no result was handed over
        bool fromCache = false;
    };

    CapturingScans() { m_thread.start(); }

    Result scan(const std::string& path, bool bypassCache) {
        auto recorder = std::make_shared<test::RecordingListener>();
        auto listener = std::make_shared<HistoryListener>(
            recorder, [this](std::shared_ptr<const FolderSnapshot> snapshot, bool fromCache) {
                std::lock_guard lock(m_mutex);
                m_last = Result{std::move(snapshot), fromCache};
            });
        {
            std::lock_guard lock(m_mutex);
            m_last = {};
        }
        m_thread.startFolderScan(path, bypassCache, listener,
                                 std::make_shared<scan::CTarvolinDoc>());
        EXPECT_TRUE(recorder->waitForCompletions(1));
        while (m_thread.hasWork())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::lock_guard lock(m_mutex);
        return m_last;
    }

private:
    scan::CFolderEnumThread m_thread{std::make_unique<scan::PosixDirectoryReader>()};
    std::mutex m_mutex;
    Result m_last;
};

struct Expected {
    std::string path;
    Status status;
    std::int64_t before, after, files, folders;
};

std::vector<Expected> summary(const std::vector<FolderChange>& changes, const std::string& root) {
    std::vector<Expected> rows;
    for (const FolderChange& c : changes) {
        rows.push_back({c.path.substr(root.size()), c.status, c.sizeBefore, c.sizeAfter,
                        c.filesDelta, c.foldersDelta});
    }
    return rows;
}

void PrintTo(const Expected& e, std::ostream* out) {
    *out << e.path << " " << statusName(e.status) << " " << e.before << "->" << e.after << " files "
         << e.files << " folders " << e.folders;
}

MATCHER_P(Is, expected, "") {
    return arg.path == expected.path && arg.status == expected.status &&
           arg.before == expected.before && arg.after == expected.after &&
           arg.files == expected.files && arg.folders == expected.folders;
}

std::vector<std::string> foldersOnDisk(const std::string& root) {
    std::vector<std::string> paths{root};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_directory() && !entry.is_symlink()) paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> pathsOf(const FolderSnapshot& snapshot) {
    std::vector<std::string> paths;
    for (const FolderRecord& folder : snapshot.folders)
        paths.push_back(folder.path);
    std::sort(paths.begin(), paths.end());
    return paths;
}

class FolderComparisonTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"a", "a/b", "a/b/c", "gone", "gone/x", "stay"})
            tree.folder(folder);
        tree.file("a/b/c/deep.bin", 100);
        tree.file("a/keep", 5);
        tree.file("gone/x/y", 7);
        tree.file("stay/s", 9);
    }
    test::TempTree tree;
    const std::string root = tree.root();
};

// A file grown deep down shows in every ancestor; a removed folder and its subfolder are
// marked removed, a new one new; untouched folders are absent. Largest change first.
TEST_F(FolderComparisonTest, ChangedTreeListsExactlyTheChangedFolders) {
    CapturingScans scans;
    const auto before = scans.scan(root, false).snapshot;
    ASSERT_TRUE(before);
    tree.file("a/b/c/deep.bin", 1100);
    std::filesystem::remove_all(tree.path("gone"));
    tree.folder("new");
    tree.folder("new/inner");
    tree.file("new/n1", 3);
    const auto after = scans.scan(root, true).snapshot;
    ASSERT_TRUE(after);

    EXPECT_THAT(summary(compareFolders(before->folders, after->folders, root), root),
                ::testing::ElementsAre(Is(Expected{"/a", Status::Grown, 105, 1105, 0, 0}),
                                       Is(Expected{"/a/b", Status::Grown, 100, 1100, 0, 0}),
                                       Is(Expected{"/a/b/c", Status::Grown, 100, 1100, 0, 0}),
                                       Is(Expected{"", Status::Grown, 121, 1117, 0, 0}),
                                       Is(Expected{"/gone", Status::Removed, 7, 0, -1, -1}),
                                       Is(Expected{"/gone/x", Status::Removed, 7, 0, -1, 0}),
                                       Is(Expected{"/new", Status::New, 0, 3, 1, 1}),
                                       Is(Expected{"/new/inner", Status::New, 0, 0, 0, 0})));
    // Only folders at most one level below the compared one.
    EXPECT_THAT(summary(compareFolders(before->folders, after->folders, root, 1), root),
                ::testing::ElementsAre(Is(Expected{"/a", Status::Grown, 105, 1105, 0, 0}),
                                       Is(Expected{"", Status::Grown, 121, 1117, 0, 0}),
                                       Is(Expected{"/gone", Status::Removed, 7, 0, -1, -1}),
                                       Is(Expected{"/new", Status::New, 0, 3, 1, 1})));
    EXPECT_TRUE(compareFolders(after->folders, after->folders, root).empty());
}

// A scan of a subfolder is compared with the part of a parent's snapshot below it.
TEST_F(FolderComparisonTest, SubfolderIsComparedWithItsPartOfTheParentsSnapshot) {
    CapturingScans scans;
    const auto parent = scans.scan(root, false).snapshot;
    tree.file("a/b/c/deep.bin", 600);
    tree.file("stay/s", 1);  // outside the subfolder: not its business
    const auto sub = scans.scan(tree.path("a/b"), true).snapshot;
    ASSERT_TRUE(parent && sub);
    const std::string folder = tree.path("a/b");
    EXPECT_THAT(summary(compareFolders(parent->folders, sub->folders, folder), root),
                ::testing::ElementsAre(Is(Expected{"/a/b", Status::Grown, 100, 600, 0, 0}),
                                       Is(Expected{"/a/b/c", Status::Grown, 100, 600, 0, 0})));
    EXPECT_THAT(summary(compareFolders(parent->folders, sub->folders, folder, 0), root),
                ::testing::ElementsAre(Is(Expected{"/a/b", Status::Grown, 100, 600, 0, 0})));
}

// The result holds every folder the totals were made of, whether walked now or taken from
// the cache, and nothing the walk no longer reached; a drill-down answered from the cache
// says so.
TEST_F(FolderComparisonTest, ResultHoldsWalkedAndCachedFoldersButNoStaleOnes) {
    CapturingScans scans;
    const auto sub = scans.scan(tree.path("a"), false);
    ASSERT_TRUE(sub.snapshot);
    EXPECT_FALSE(sub.fromCache);
    // a/b and a/b/c come from the cache of the walk above: still in the parent's result.
    const auto whole = scans.scan(root, false);
    ASSERT_TRUE(whole.snapshot);
    EXPECT_FALSE(whole.fromCache);
    EXPECT_EQ(pathsOf(*whole.snapshot), foldersOnDisk(root));
    EXPECT_EQ(whole.snapshot->rootRecord().size, 121);

    const auto drill = scans.scan(tree.path("a/b"), false);
    ASSERT_TRUE(drill.snapshot);
    EXPECT_TRUE(drill.fromCache);
    EXPECT_EQ(pathsOf(*drill.snapshot), foldersOnDisk(tree.path("a/b")));
    const auto refreshed = scans.scan(tree.path("a/b/c"), true);
    EXPECT_FALSE(refreshed.fromCache);  // a refresh of a folder without subfolders

    std::filesystem::remove_all(tree.path("gone/x"));
    const auto again = scans.scan(root, true);
    ASSERT_TRUE(again.snapshot);
    EXPECT_EQ(pathsOf(*again.snapshot), foldersOnDisk(root));  // gone/x is still cached
}

// A stopped scan holds partial totals: nothing of it reaches the history.
TEST(FolderScanResultTest, StoppedScanHandsNothingOver) {
    auto fake = std::make_shared<test::FakeTree>();
    fake->file("/T/a/x", 5).file("/T/b/y", 7);
    scan::CFolderEnumThread thread{std::make_unique<test::FakeDirectoryReader>(fake)};
    thread.start();
    auto recorder = std::make_shared<test::RecordingListener>();
    std::atomic<int> results{0};
    auto listener = std::make_shared<HistoryListener>(
        recorder, [&results](std::shared_ptr<const FolderSnapshot>, bool) { ++results; });
    fake->block("/T/b");
    thread.startFolderScan("/T", false, listener, std::make_shared<scan::CTarvolinDoc>());
    ASSERT_TRUE(fake->waitUntilBlocked("/T/b", 10000));
    thread.stopScan();
    fake->release("/T/b");
    ASSERT_TRUE(recorder->waitForCompletions(1));
    while (thread.hasWork())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(recorder->completions()[0].stopped);
    EXPECT_EQ(results, 0);

    thread.startFolderScan("/T", true, listener, std::make_shared<scan::CTarvolinDoc>());
    ASSERT_TRUE(recorder->waitForCompletions(2));
    while (thread.hasWork())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(results, 1);
}

TEST(ChangeTextTest, NotesAndSignedTexts) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(changeNote(1331439862, 1796299200), "(+1.24 GB since 3 Dec 2026)");
    EXPECT_EQ(changeNote(-512, 1796299200), "(-512 bytes since 3 Dec 2026)");
    EXPECT_EQ(changeNote(0, 1796299200), "(no change since 3 Dec 2026)");
    EXPECT_EQ(signedCount(-1234), "-1,234");
    EXPECT_EQ(depthBelow("/a/b/c", "/a"), 2);
    EXPECT_EQ(depthBelow("/x", "/"), 1);
    unsetenv("TZ");
    tzset();
}

}  // namespace
}  // namespace tarvolin::history
