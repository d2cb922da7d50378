#include "scan/PosixDirectoryReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

#include "scan/CTarvolinDoc.h"
#include "scan/FolderCache.h"
#include "scan/FolderWalker.h"
#include "scan/ScanProgress.h"
#include "support/ChildProcess.h"
#include "support/RecordingListener.h"
#include "support/TempTree.h"

namespace tarvolin::scan {
namespace {

using ::testing::ElementsAre;

// One real walk of `path` with everything it needs.
struct RealWalk {
    explicit RealWalk(const std::string& path, bool collect = true) {
        root = walker.WalkFolder(path, listener, &document, collect, false);
    }
    std::string errorText() const {
        std::ostringstream text;
        for (const auto& error : errors)
            text << error.path << ":" << error.code << ";";
        return text.str();
    }

    PosixDirectoryReader reader;
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
    std::unique_ptr<ScanNode> root;
};

TEST(PosixDirectoryReader, WorkedExampleWithAnUnreadableFolder) {
    test::TempTree tree;
    tree.file("a.txt", 100);
    tree.folder("sub");
    tree.file("sub/b.txt", 50);
    tree.folder("sub/deep");
    tree.file("sub/deep/c.txt", 7);
    tree.folder("locked");
    chmod(tree.path("locked").c_str(), 0);

    // As root, permissions deny nothing: the walk runs as an unprivileged user in a child.
    const std::string answer = test::runInChild([&tree]() -> std::string {
        if (!test::dropPrivileges()) return "SKIP: cannot become an unprivileged user";
        RealWalk walk(tree.root());
        std::ostringstream text;
        if (!walk.root) return "no root";
        text << walk.root->size << "," << walk.root->fileCount << "," << walk.root->folderCount
             << " " << walk.errorText();
        for (const auto& folder : walk.document.foldersSnapshot()) {
            text << " " << folder.displayName() << "=" << folder.size;
        }
        for (const auto& path : walk.listener.entered())
            text << " >" << displayNameOf(path);
        const std::string expected =
            "157,3,3 " + tree.path("locked") + ":13; sub=57 >locked >sub >deep";
        return text.str() == expected ? "" : "got: " + text.str() + "\nexpected: " + expected;
    });
    if (answer.rfind("SKIP:", 0) == 0) GTEST_SKIP() << answer;
    EXPECT_EQ(answer, "");
}

TEST(PosixDirectoryReader, LinksAndUnusualNamesAreEntriesOfTheirOwn) {
    test::TempTree tree;
    tree.folder("real");
    tree.file("real/inside", 1000);
    tree.symlink("link", "real");  // a link to a folder is a file of its own size (4)
    tree.symlink("dangling", "nowhere/at/all");
    const std::vector<std::string> odd = {"bad\xff\xfe name", "new\nline", "back\\slash", ".hidden",
                                          "caf\xc3\xa9"};
    for (const auto& name : odd)
        tree.file(name, 1);

    RealWalk walk(tree.root());
    ASSERT_TRUE(walk.root);
    EXPECT_EQ(walk.errorText(), "");
    EXPECT_EQ(walk.root->folderCount, 1);
    EXPECT_EQ(walk.root->fileCount, 8);
    EXPECT_EQ(walk.root->size, 1000 + 4 + 14 + 5);
    EXPECT_THAT(walk.listener.entered(), ElementsAre(tree.path("real")));

    std::vector<std::string> names;
    for (const auto& file : walk.document.filesSnapshot()) {
        names.emplace_back(file.displayName());
        if (file.displayName() == "link") {
            EXPECT_EQ(file.attributes & (kAttrReparsePoint | kAttrDirectory), kAttrReparsePoint);
        }
        if (file.displayName() == ".hidden") {
            EXPECT_TRUE(file.attributes & kAttrHidden);
        }
    }
    EXPECT_THAT(names, ElementsAre(".hidden", "back\\slash", "bad\xff\xfe name", "caf\xc3\xa9",
                                   "dangling", "link", "new\nline"));

    // The scanned folder itself is opened through a link.
    tree.symlink("via", "real");
    RealWalk throughLink(tree.path("via"));
    ASSERT_TRUE(throughLink.root);
    EXPECT_EQ(throughLink.root->size, 1000);
}

// Deeper than PATH_MAX and than the open-file limit allows descriptors: a walk holds a bounded
// number of them, however deep it goes.
TEST(PosixDirectoryReader, ChainsFarBeyondPathMaxScanCompletely) {
    raiseOpenFileLimit();
    test::TempTree tree;
    tree.folder("top");
    tree.chain("top", 5000, "level", 42);  // about 30,000 bytes of path

    rlimit original{};
    getrlimit(RLIMIT_NOFILE, &original);
    rlimit low = original;
    low.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    RealWalk walk(tree.root());
    test::RecordingListener reportListener;
    walk.walker.WalkReportFolder(tree.root(), 0, reportListener, nullptr);
    setrlimit(RLIMIT_NOFILE, &original);
    EXPECT_EQ(reportListener.reportFolders().size(), 5001u);
    EXPECT_THAT(reportListener.reportErrors(), ElementsAre());

    ASSERT_TRUE(walk.root);
    EXPECT_EQ(walk.errorText(), "");
    EXPECT_EQ(walk.root->folderCount, 5001);
    EXPECT_EQ(walk.root->fileCount, 1);
    EXPECT_EQ(walk.root->size, 42);
    EXPECT_EQ(walk.cache.size(), 5001u);

    // Starting deep inside the chain: the path itself is longer than PATH_MAX.
    std::string deep = tree.path("top");
    for (int level = 0; level < 1000; ++level)
        deep += "/level";
    RealWalk inside(deep, false);
    ASSERT_TRUE(inside.root) << inside.errorText();
    EXPECT_EQ(inside.root->folderCount, 4000);
    EXPECT_EQ(inside.root->size, 42);
}

// A bind mount of a folder inside itself, and a proc file system below the scanned folder, in a
// mount namespace of a child process.
TEST(PosixDirectoryReader, LoopGuardAndPseudoFileSystemsOnRealMounts) {
    test::TempTree tree;
    tree.folder("sub");
    tree.folder("sub/loop");
    tree.file("sub/file", 5);
    tree.folder("proc");

    const std::string answer = test::runInChild([&tree]() -> std::string {
        if (unshare(CLONE_NEWNS) != 0) return "SKIP: no mount namespace here";
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(tree.root().c_str(), tree.path("sub/loop").c_str(), nullptr, MS_BIND, nullptr) !=
                0 ||
            mount("proc", tree.path("proc").c_str(), "proc", 0, nullptr) != 0) {
            return "SKIP: mounting is not allowed here";
        }
        RealWalk walk(tree.root());
        std::ostringstream text;
        text << walk.root->size << "," << walk.root->fileCount << "," << walk.root->folderCount
             << " " << walk.errorText();
        for (const auto& folder : walk.document.foldersSnapshot()) {
            text << " " << folder.displayName() << "=" << folder.size << "/" << folder.fileCount
                 << "/" << folder.folderCount;
        }
        for (const auto& path : walk.listener.entered())
            text << " >" << path;
        const std::string expected = "5,1,3 " + tree.path("sub/loop") +
                                     ":40; proc=0/0/0 sub=5/1/1 >" + tree.path("sub") + " >" +
                                     tree.path("sub/loop");
        return text.str() == expected ? "" : "got: " + text.str() + "\nexpected: " + expected;
    });
    if (answer.rfind("SKIP:", 0) == 0) GTEST_SKIP() << answer;
    EXPECT_EQ(answer, "");
}

}  // namespace
}  // namespace tarvolin::scan
