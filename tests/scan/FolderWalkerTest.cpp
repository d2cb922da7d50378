#include "scan/FolderWalker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "scan/CTarvolinDoc.h"
#include "scan/FolderCache.h"
#include "scan/ReportSink.h"
#include "scan/ScanProgress.h"
#include "support/FakeDirectoryReader.h"
#include "support/RecordingListener.h"

namespace tarvolin::scan {
namespace {

using test::FakeTree;
using ::testing::ElementsAre;

std::vector<std::string> namesOf(const std::vector<ScanNode>& nodes) {
    std::vector<std::string> names;
    for (const auto& node : nodes)
        names.emplace_back(node.displayName());
    return names;
}

class FolderWalkerTest : public ::testing::Test {
protected:
    std::unique_ptr<ScanNode> walk(const std::string& path, bool bypassCache = false,
                                   test::RecordingListener* recorder = nullptr) {
        return walker.WalkFolder(path, recorder ? *recorder : listener, &document, true,
                                 bypassCache);
    }
    std::vector<std::string> errorTexts() const {
        std::vector<std::string> texts;
        for (const auto& error : errors)
            texts.push_back(error.path + ":" + std::to_string(error.code));
        return texts;
    }

    std::shared_ptr<FakeTree> tree = std::make_shared<FakeTree>();
    test::FakeDirectoryReader reader{tree};
    FolderCache cache;
    std::atomic<bool> stop{false};
    std::vector<ScanError> errors;
    ScanProgress progress;
    FolderWalker walker{reader, &cache, stop,
                        [this](std::uint32_t code, std::string path) {
                            errors.push_back(ScanError{code, std::move(path), {}});
                        },
                        progress};
    test::RecordingListener listener;
    CTarvolinDoc document;
};

// The reference example: a file, a folder with a nested folder, and a folder that is denied.
TEST_F(FolderWalkerTest, TotalsListsCachesAndAnnouncesTheWorkedExample) {
    tree->file("/T/a.txt", 100, 1000)
        .file("/T/sub/b.txt", 50)
        .file("/T/sub/deep/c.txt", 7)
        .folder("/T/locked")
        .failOpen("/T/locked", EACCES)
        .folderSize("/T/sub", 4096);  // directory entries add nothing

    const auto root = walk("/T");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->size, 157);
    EXPECT_EQ(root->fileCount, 3);
    EXPECT_EQ(root->folderCount, 3);
    EXPECT_EQ(root->attributes, 0u);
    EXPECT_EQ(root->lastWriteTime, 0);
    EXPECT_THAT(errorTexts(), ElementsAre("/T/locked:13"));

    const auto folders = document.foldersSnapshot();
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0].path(), "/T/sub");
    EXPECT_EQ(folders[0].size, 57);
    EXPECT_EQ(folders[0].fileCount, 2);
    EXPECT_EQ(folders[0].folderCount, 1);
    EXPECT_EQ(folders[0].attributes, kAttrDirectory);
    const auto files = document.filesSnapshot();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].path(), "/T/a.txt");
    EXPECT_EQ(files[0].fileCount, 1);
    EXPECT_EQ(files[0].folderCount, 0);
    EXPECT_EQ(files[0].lastWriteTime, 1000);

    EXPECT_NE(cache.Lookup("/T/sub"), nullptr);
    EXPECT_NE(cache.Lookup("/T/sub/deep"), nullptr);
    EXPECT_EQ(cache.Lookup("/T"), nullptr);
    EXPECT_EQ(cache.Lookup("/T/locked"), nullptr);
    EXPECT_THAT(listener.entered(), ElementsAre("/T/locked", "/T/sub", "/T/sub/deep"));
    EXPECT_EQ(reader.openListings(), 0);
}

TEST_F(FolderWalkerTest, SecondScanTakesCachedFoldersAndBypassWalksAgain) {
    tree->file("/T/sub/b.txt", 50).file("/T/sub/deep/c.txt", 7).file("/T/top", 1);
    walk("/T");
    tree->file("/T/sub/new.bin", 1000).file("/T/top2", 2);

    document.ClearChildren();
    test::RecordingListener second;
    auto root = walk("/T", false, &second);
    EXPECT_TRUE(second.entered().empty());
    EXPECT_EQ(root->size, 60);  // the cached sub keeps its old totals; /T itself is read afresh
    EXPECT_EQ(document.folderCount(), 1);
    EXPECT_EQ(document.fileCount(), 2);

    document.ClearChildren();
    test::RecordingListener third;
    root = walk("/T", true, &third);
    EXPECT_THAT(third.entered(), ElementsAre("/T/sub", "/T/sub/deep"));
    EXPECT_EQ(root->size, 1060);
    EXPECT_EQ(cache.Lookup("/T/sub")->size, 1057);
}

TEST_F(FolderWalkerTest, ScanOfAParentTakesWhatAnEarlierScanBelowItCached) {
    tree->file("/T/sub/deep/c.txt", 7).file("/T/sub/b", 1).file("/T/other/o", 2);
    walk("/T/sub");
    test::RecordingListener second;
    document.ClearChildren();
    const auto root = walk("/T", false, &second);
    // /T/sub was only a scan root, so it is walked; its cached child is not.
    EXPECT_THAT(second.entered(), ElementsAre("/T/other", "/T/sub"));
    EXPECT_EQ(root->size, 10);
    EXPECT_EQ(root->folderCount, 3);
}

TEST_F(FolderWalkerTest, ProcessesEntriesInFoldedNameOrderWhateverTheDirectoryOrder) {
    tree->folder("/T/gamma").folder("/T/alpha").folder("/T/Beta").file("/T/b", 1).file("/T/A", 1);
    walk("/T");
    EXPECT_THAT(listener.entered(), ElementsAre("/T/alpha", "/T/Beta", "/T/gamma"));
    EXPECT_THAT(namesOf(document.filesSnapshot()), ElementsAre("A", "b"));
}

// What Linux adds: pseudo file systems, loops, entries that vanish or cannot be stat'ed, and
// listings that break off.
TEST_F(FolderWalkerTest, HandlesTheLinuxFileSystemCases) {
    tree->file("/T/proc/1/status", 99)
        .pseudoFileSystem("/T/proc")
        .folder("/T/loop")
        .sameIdentityAs("/T/loop", "/T")
        .file("/T/gone", 5)
        .vanish("/T/gone")
        .folder("/T/noperm")
        .failStat("/T/noperm", EACCES)
        .file("/T/nostat", 9)
        .failStat("/T/nostat", EIO)
        .file("/T/part/x1", 1)
        .file("/T/part/x2", 2)
        .file("/T/part/x3", 4)
        .failListingAfter("/T/part", 2, EIO);

    const auto root = walk("/T");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->size, 3);         // part keeps x1 and x2
    EXPECT_EQ(root->fileCount, 3);    // x1, x2 and the file that could not be stat'ed
    EXPECT_EQ(root->folderCount, 4);  // loop, noperm, part, proc
    EXPECT_THAT(listener.entered(), ElementsAre("/T/loop", "/T/part"));
    EXPECT_THAT(errorTexts(),
                ElementsAre("/T/loop:40", "/T/noperm:13", "/T/nostat:5", "/T/part/x2:5"));
    EXPECT_THAT(namesOf(document.foldersSnapshot()), ElementsAre("part", "proc"));
    const ScanNode* proc = cache.Lookup("/T/proc");
    ASSERT_NE(proc, nullptr);
    EXPECT_EQ(proc->size + proc->fileCount + proc->folderCount, 0);
    EXPECT_TRUE(document.filesSnapshot().empty());  // "nostat" is counted, not listed
}

TEST_F(FolderWalkerTest, StopKeepsPartialTotalsAndNeverCachesOrListsUnfinishedFolders) {
    tree->file("/T/a/f", 1).file("/T/b/f", 10).file("/T/b/inner/f", 100).file("/T/c/f", 1000);
    listener.onEntering = [this](const std::string& path) {
        if (path == "/T/b/inner") stop = true;
    };
    const auto root = walk("/T");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->size, 11);  // a, and b up to the stop; c is never reached
    EXPECT_THAT(namesOf(document.foldersSnapshot()), ElementsAre("a"));
    EXPECT_NE(cache.Lookup("/T/a"), nullptr);
    EXPECT_EQ(cache.Lookup("/T/b"), nullptr);
    EXPECT_EQ(cache.Lookup("/T/b/inner"), nullptr);
    EXPECT_EQ(reader.openListings(), 0);

    // A stopped walk leaves the nodes cached before untouched.
    stop = false;
    document.ClearChildren();
    listener.onEntering = nullptr;
    walk("/T");
    const ScanNode* cachedC = cache.Lookup("/T/c");
    ASSERT_NE(cachedC, nullptr);
    tree->folder("/T/a0");
    listener.onEntering = [this](const std::string& path) {
        if (path == "/T/a0") stop = true;
    };
    document.ClearChildren();
    walk("/T");
    EXPECT_THAT(namesOf(document.foldersSnapshot()), ElementsAre("a"));
    EXPECT_EQ(cache.Lookup("/T/a0"), nullptr);
    EXPECT_EQ(cache.Lookup("/T/c"), cachedC);
    EXPECT_EQ(cachedC->size, 1000);
}

TEST_F(FolderWalkerTest, UnopenableRootGivesNullAndOneError) {
    tree->folder("/T").failOpen("/T", EACCES);
    EXPECT_EQ(walk("/T"), nullptr);
    EXPECT_THAT(errorTexts(), ElementsAre("/T:13"));
    EXPECT_EQ(walk("/missing"), nullptr);
    EXPECT_EQ(errors.size(), 2u);
}

class CollectingSink : public ReportSink {
public:
    void reset() override { files.clear(); }
    void addFile(const ReportFile& file) override {
        EXPECT_EQ(file.path.substr(file.nameOffset), file.name);
        files.push_back(std::string(file.path) + "=" + std::to_string(file.size) +
                        (file.hasTime ? "" : "?"));
    }
    std::vector<std::string> files;
};

TEST_F(FolderWalkerTest, ReportWalkAnnouncesFoldersAndFeedsFilesInWalkOrder) {
    tree->file("/T/b.txt", 2)
        .file("/T/A/x", 1)
        .file("/T/A/A1/deep/y", 3)
        .folder("/T/B")
        .failOpen("/T/B", EACCES)
        .file("/T/sys/kernel", 1)
        .pseudoFileSystem("/T/sys")
        .file("/T/c", 4)
        .failStat("/T/c", EIO);
    CollectingSink sink;
    walker.WalkReportFolder("/T", 0, listener, &sink);
    EXPECT_THAT(listener.reportFolders(), ElementsAre("A@1", "A1@2", "deep@3", "B@1", "sys@1"));
    const std::vector<std::string> expected = {"/T/A/A1/deep/y=3", "/T/A/x=1", "/T/b.txt=2",
                                               "/T/c=0?"};
    EXPECT_EQ(sink.files, expected);
    // Its errors go to the listener alone: the folder scan's error list stays as it was.
    EXPECT_TRUE(errors.empty());
    EXPECT_THAT(listener.reportErrors(), ElementsAre("/T/B:13", "/T/c:5"));
    walker.WalkReportFolder("/missing", 0, listener, &sink);
    EXPECT_THAT(listener.reportErrors(), ElementsAre("/T/B:13", "/T/c:5", "/missing:2"));

    sink.files.clear();
    walker.WalkReportFolder("/", 0, listener, &sink);  // children of "/" read "/T", not "//T"
    EXPECT_EQ(sink.files, expected);
    EXPECT_EQ(reader.openListings(), 0);
}

TEST(LastWriteTime, KeepsSecondsAndZeroesYearsBefore1900) {
    EXPECT_EQ(convertLastWriteTime(1700000000), 1700000000);
    EXPECT_EQ(convertLastWriteTime(-86400), -86400);  // before 1970 is valid
    EXPECT_EQ(convertLastWriteTime(-2208988800LL - 400LL * 86400), 0);
}

// Nodes keep their own name under their parent's link; the path is joined on demand, exactly
// as joinPath joins it, and the cache finds a node by that path.
TEST(ScanNodePath, JoinedOnDemandAndFoundByTheCache) {
    for (const std::string root : {"/", "/data", "relative", ""}) {
        auto top = std::make_unique<ScanNode>(root);
        auto child = std::make_unique<ScanNode>(top->link(), "sub");
        auto grandchild = std::make_unique<ScanNode>(child->link(), "leaf");
        const std::string expected = joinPath(joinPath(root, "sub"), "leaf");
        EXPECT_EQ(grandchild->path(), expected);
        EXPECT_EQ(grandchild->displayName(), "leaf");
        EXPECT_TRUE(grandchild->link()->hasPath(expected));
        for (const std::string& other : {expected + "/", "/" + expected, joinPath(root, "subleaf"),
                                         joinPath(root, "sub//leaf"), std::string("leaf")}) {
            EXPECT_FALSE(grandchild->link()->hasPath(other)) << other;
        }
        FolderCache cache;
        const ScanNode* kept = cache.Insert(std::move(grandchild));
        cache.Insert(std::move(child));
        EXPECT_EQ(cache.Lookup(expected), kept);
        EXPECT_EQ(cache.Lookup(joinPath(root, "sub"))->displayName(), "sub");
        EXPECT_EQ(cache.Lookup(joinPath(root, "Sub")), nullptr);
        top.reset();  // the cached nodes keep their ancestors' names
        EXPECT_EQ(cache.Lookup(expected)->path(), expected);
    }
    EXPECT_EQ(ScanNode("/data/photos").displayName(), "photos");
    EXPECT_EQ(ScanNode("/").displayName(), "/");

    // Letting go of a very deep chain takes no stack per level.
    auto deepest = std::make_unique<ScanNode>("/");
    for (int level = 0; level < 300'000; ++level)
        deepest = std::make_unique<ScanNode>(deepest->link(), "d");
    EXPECT_EQ(deepest->path().size(), 600'000u);
    deepest.reset();
}

}  // namespace
}  // namespace tarvolin::scan
