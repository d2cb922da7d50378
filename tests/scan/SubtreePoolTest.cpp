#include "scan/SubtreePool.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <cerrno>
#include <sstream>

#include "scan/CTarvolinDoc.h"
#include "scan/FolderCache.h"
#include "scan/FolderWalker.h"
#include "scan/PosixDirectoryReader.h"
#include "scan/ScanProgress.h"
#include "support/FakeDirectoryReader.h"
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

// A walker with everything it needs, walking alone or with `helpers` pool threads.
class Walk {
public:
    Walk(SubtreePool::ReaderFactory makeReader, unsigned helpers)
        : m_reader(makeReader()),
          m_pool(helpers > 0 ? std::make_unique<SubtreePool>(helpers, makeReader, stop, progress)
                             : nullptr),
          m_walker(
              *m_reader, &cache, stop,
              [this](std::uint32_t code, std::string path) {
                  errors.push_back(path + ":" + std::to_string(code));
              },
              progress, m_pool.get()) {}

    // Everything the walk tells the outside, as one text; `stopAfter` entered folders set the
    // stop flag.
    std::string summary(const std::string& path, bool bypass = false, std::size_t stopAfter = 0) {
        errors.clear();
        test::RecordingListener listener;
        std::size_t entered = 0;
        listener.onEntering = [&](const std::string&) {
            if (++entered == stopAfter) stop = true;
        };
        CTarvolinDoc document;
        const auto root = m_walker.WalkFolder(path, listener, &document, true, bypass);
        std::ostringstream text;
        if (root) text << root->size << "/" << root->fileCount << "/" << root->folderCount;
        for (const auto& error : errors)
            text << " E" << error;
        for (const auto& folder : document.foldersSnapshot()) {
            text << " " << folder.path() << "=" << folder.size << "/" << folder.fileCount;
        }
        for (const auto& file : document.filesSnapshot())
            text << " f" << file.path();
        for (const auto& entering : listener.entered())
            text << " >" << entering;
        text << " cached " << cache.size();
        return text.str();
    }

    std::size_t shared() const { return m_pool ? m_pool->sharedCount() : 0; }

    std::atomic<bool> stop{false};
    ScanProgress progress;
    FolderCache cache;
    std::vector<std::string> errors;

private:
    std::unique_ptr<DirectoryReader> m_reader;
    std::unique_ptr<SubtreePool> m_pool;
    FolderWalker m_walker;
};

// Uneven on purpose: chains, wide folders and every kind of trouble a walk records.
std::shared_ptr<test::FakeTree> troubledTree() {
    auto tree = std::make_shared<test::FakeTree>();
    std::uint32_t seed = 7;
    const auto next = [&seed](std::uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % bound;
    };
    std::vector<std::string> folders = {"/T"};
    for (int i = 0; i < 1500; ++i) {
        const std::string parent =
            folders[next(3) == 0 ? folders.size() - 1 : next(folders.size())];
        const std::string folder = parent + "/d" + std::to_string(i);
        tree->folder(folder);
        for (std::uint32_t f = next(4); f > 0; --f) {
            tree->file(folder + "/f" + std::to_string(f), next(5000));
        }
        folders.push_back(folder);
        switch (i % 97) {
            case 11:
                tree->failOpen(folder, EACCES);
                break;
            case 23:
                tree->failListingAfter(folder, 1, EIO);
                break;
            case 37:
                tree->folder(folder + "/loop").sameIdentityAs(folder + "/loop", parent);
                break;
            case 53:
                tree->file(folder + "/gone", 1).vanish(folder + "/gone");
                break;
            case 71:
                tree->folder(folder + "/nostat").failStat(folder + "/nostat", EACCES);
                break;
            case 89:
                tree->file(folder + "/sys/x", 3).pseudoFileSystem(folder + "/sys");
                break;
            default:
                break;
        }
    }
    return tree;
}

TEST(SubtreePool, ParallelWalksReportExactlyWhatOneThreadReports) {
    const auto tree = troubledTree();
    const auto makeReader = [tree] { return std::make_unique<test::FakeDirectoryReader>(tree); };
    Walk alone(makeReader, 0);
    const std::string first = alone.summary("/T");
    const std::string again = alone.summary("/T");  // from the cache
    const std::string inner = alone.summary("/T/d0", true);
    ASSERT_NE(first.find(":13"), std::string::npos);
    ASSERT_NE(first.find(":40"), std::string::npos);

    std::size_t walkedByOthers = 0;
    for (const unsigned helpers : {1u, 3u}) {
        for (int round = 0; round < 10; ++round) {
            Walk shared(makeReader, helpers);
            ASSERT_EQ(shared.summary("/T"), first) << helpers << " helpers, round " << round;
            ASSERT_EQ(shared.summary("/T"), again);
            ASSERT_EQ(shared.summary("/T/d0", true), inner);
            walkedByOthers += shared.shared();
        }
    }
    EXPECT_GT(walkedByOthers, 0u);  // the comparison is only worth something if work was shared
}

TEST(SubtreePool, StoppingLeavesNothingOpenAndTheNextWalkComplete) {
    test::TempTree tree;
    for (int i = 0; i < 40; ++i) {
        const std::string top = "top" + std::to_string(i);
        tree.folder(top);
        for (int j = 0; j < 8; ++j) {
            tree.folder(top + "/mid" + std::to_string(j));
            tree.file(top + "/mid" + std::to_string(j) + "/file", 10);
        }
    }
    const auto makeReader = [] { return std::make_unique<PosixDirectoryReader>(); };
    Walk alone(makeReader, 0);
    const std::string complete = alone.summary(tree.root());

    const int descriptorsBefore = openDescriptors();
    {
        Walk shared(makeReader, 2);
        for (const std::size_t stopAfter : {1u, 30u, 200u}) {
            shared.summary(tree.root(), true, stopAfter);
            EXPECT_TRUE(shared.stop);
            EXPECT_EQ(openDescriptors(), descriptorsBefore) << stopAfter;
            shared.stop = false;
        }
        Walk fresh(makeReader, 2);
        EXPECT_EQ(fresh.summary(tree.root()), complete);
    }
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

}  // namespace
}  // namespace tarvolin::scan
