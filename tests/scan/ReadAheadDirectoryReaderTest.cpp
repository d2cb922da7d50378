#include "scan/ReadAheadDirectoryReader.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>

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

int openDescriptors() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr)
            ++count;
        closedir(dir);
    }
    return count;
}

// A deterministic tree of uneven shape: wide folders, deep chains, empty ones.
void buildTree(test::TempTree& tree, int folders) {
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % bound;
    };
    std::vector<std::string> made = {""};
    for (int i = 0; i < folders; ++i) {
        const std::string& parent = made[next(4) == 0 ? made.size() - 1 : next(made.size())];
        std::string path = (parent.empty() ? "" : parent + "/") + "d" + std::to_string(i);
        if (i % 7 == 0) path += "_Upper";
        tree.folder(path);
        for (std::uint32_t f = next(6); f > 0; --f)
            tree.file(path + "/f" + std::to_string(f), next(100000));
        made.push_back(path);
    }
}

// Everything a walk tells the outside, as one text.
std::string walkSummary(DirectoryReader& reader, FolderCache& cache, const std::string& path,
                        std::atomic<bool>& stop, std::size_t stopAfter = 0) {
    std::vector<ScanError> errors;
    ScanProgress progress;
    FolderWalker walker(
        reader, cache, stop,
        [&errors](std::uint32_t code, std::string where) {
            errors.push_back(ScanError{code, std::move(where), {}});
        },
        progress);
    test::RecordingListener listener;
    std::size_t entered = 0;
    listener.onEntering = [&](const std::string&) {
        if (++entered == stopAfter) stop = true;
    };
    CTarvolinDoc document;
    const auto root = walker.WalkFolder(path, listener, &document, true, false);
    std::ostringstream text;
    if (root) text << root->size << "/" << root->fileCount << "/" << root->folderCount;
    for (const auto& error : errors)
        text << " E" << error.path << ":" << error.code;
    for (const auto& folder : document.foldersSnapshot())
        text << " " << folder.path << "=" << folder.size;
    for (const auto& path : listener.entered())
        text << " >" << path;
    return text.str();
}

TEST(ReadAheadDirectoryReader, WalksExactlyLikeTheDirectReader) {
    test::TempTree tree;
    buildTree(tree, 300);
    tree.folder("locked");
    chmod(tree.path("locked").c_str(), 0);  // still readable as root; either way both agree

    std::atomic<bool> stop{false};
    PosixDirectoryReader direct;
    FolderCache directCache;
    const std::string expected = walkSummary(direct, directCache, tree.root(), stop);
    ASSERT_GT(expected.size(), 1000u);

    const int descriptorsBefore = openDescriptors();
    for (const auto& [workers, budget] : {std::pair{1u, 64u}, {3u, 2u}, {0u, 8u}}) {
        ReadAheadDirectoryReader reader(workers, budget);
        FolderCache cache;
        EXPECT_EQ(walkSummary(reader, cache, tree.root(), stop), expected) << workers;
        // Drilling in afterwards: cached folders are passed over, their read-ahead dropped.
        EXPECT_EQ(walkSummary(reader, cache, tree.path("d0"), stop),
                  walkSummary(direct, directCache, tree.path("d0"), stop));
        EXPECT_EQ(openDescriptors(), descriptorsBefore);
    }
}

TEST(ReadAheadDirectoryReader, StoppingClosesEverythingReadAhead) {
    test::TempTree tree;
    buildTree(tree, 300);
    const int descriptorsBefore = openDescriptors();
    {
        ReadAheadDirectoryReader reader(2, 32);
        FolderCache cache;
        std::atomic<bool> stop{false};
        walkSummary(reader, cache, tree.root(), stop, 20);
        EXPECT_TRUE(stop);
        EXPECT_EQ(openDescriptors(), descriptorsBefore);
        // The same reader serves the next walk completely.
        stop = false;
        PosixDirectoryReader direct;
        FolderCache directCache;
        FolderCache freshCache;
        EXPECT_EQ(walkSummary(reader, freshCache, tree.root(), stop),
                  walkSummary(direct, directCache, tree.root(), stop));
    }
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

TEST(ReadAheadDirectoryReader, ReadsAheadWithinTheDescriptorBudget) {
    test::TempTree tree;
    for (int i = 0; i < 300; ++i) {
        const std::string folder = "wide" + std::to_string(i);
        tree.folder(folder);
        tree.folder(folder + "/inner");
        tree.file(folder + "/inner/x", 3);
    }
    const std::string answer = test::runInChild([&tree]() -> std::string {
        const rlimit limit{64, 64};
        if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return "SKIP: cannot lower the limit";
        ReadAheadDirectoryReader reader(2, 16);
        FolderCache cache;
        std::atomic<bool> stop{false};
        const std::string summary = walkSummary(reader, cache, tree.root(), stop);
        return summary.rfind("900/300/600 ", 0) == 0 && summary.find(" E") == std::string::npos
                   ? ""
                   : summary.substr(0, 200);
    });
    if (answer.rfind("SKIP:", 0) == 0) GTEST_SKIP() << answer;
    EXPECT_EQ(answer, "");
}

}  // namespace
}  // namespace tarvolin::scan
