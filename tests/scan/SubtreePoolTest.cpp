#include "scan/SubtreePool.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <sstream>
#include <thread>

#include "common/PathText.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/FolderCache.h"
#include "scan/FolderWalker.h"
#include "scan/ListingPrefetcher.h"
#include "scan/PosixDirectoryReader.h"
#include "scan/ReportSink.h"
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

// The files of a report walk as "path=size@time", in the order offered.
class ListingSink final : public ReportSink {
public:
    void reset() override { files.clear(); }
    void addFile(const ReportFile& file) override {
        files += " " + std::string(file.path) + "=" + std::to_string(file.size) + "@" +
                 std::to_string(file.lastWriteTime) + (file.hasTime ? "" : "?");
    }
    std::string files;
};

// A walker with everything it needs, walking alone or with `helpers` pool threads (the last
// `spares` of them parking while `meter` sees no disk reads) and `readers` threads reading ahead.
class Walk {
public:
    Walk(SubtreePool::ReaderFactory makeReader, unsigned helpers, unsigned readers = 0,
         unsigned spares = 0, SubtreePool::DiskReadMeter meter = {})
        : m_reader(makeReader()),
          m_prefetcher(readers > 0 ? std::make_unique<ListingPrefetcher>(readers, makeReader, stop)
                                   : nullptr),
          m_pool(helpers > 0
                     ? std::make_unique<SubtreePool>(helpers, makeReader, stop, progress,
                                                     m_prefetcher.get(), spares, std::move(meter))
                     : nullptr),
          m_walker(
              *m_reader, &cache, stop,
              [this](std::uint32_t code, std::string path) {
                  errors.push_back(path + ":" + std::to_string(code));
              },
              progress, m_pool.get(), m_prefetcher.get()) {}

    // Everything the walk tells the outside, as one text; `stopAfter` entered folders set the
    // stop flag.
    std::string summary(const std::string& path, bool bypass = false, std::size_t stopAfter = 0,
                        bool cacheEveryFolder = true) {
        errors.clear();
        test::RecordingListener listener;
        std::size_t entered = 0;
        listener.onEntering = [&](const std::string&) {
            if (++entered == stopAfter) stop = true;
        };
        CTarvolinDoc document;
        const auto root =
            m_walker.WalkFolder(path, listener, &document, true, bypass, cacheEveryFolder);
        std::ostringstream text;
        if (root) text << root->size << "/" << root->fileCount << "/" << root->folderCount;
        for (const auto& error : errors)
            text << " E" << error;
        listedFolders = document.foldersSnapshot().size();
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

    // Everything a report walk tells the outside, as one text.
    std::string reportSummary(const std::string& path) {
        test::RecordingListener listener;
        ListingSink sink;
        m_walker.WalkReportFolder(path, 0, listener, &sink);
        std::ostringstream text;
        for (const auto& folder : listener.reportFolders())
            text << " >" << folder;
        for (const auto& error : listener.reportErrors())
            text << " E" << error;
        text << sink.files;
        return text.str();
    }

    std::size_t shared() const { return m_pool ? m_pool->sharedCount() : 0; }
    std::size_t sharedWithSpares() const { return m_pool ? m_pool->spareCount() : 0; }
    std::uint64_t readAhead() const { return m_prefetcher ? m_prefetcher->readCount() : 0; }

    std::atomic<bool> stop{false};
    ScanProgress progress;
    FolderCache cache;
    std::vector<std::string> errors;
    std::size_t listedFolders = 0;  // by the last walk

private:
    std::unique_ptr<DirectoryReader> m_reader;
    std::unique_ptr<ListingPrefetcher> m_prefetcher;
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
    const std::string report = alone.reportSummary("/T");
    // Caching only the listed folders changes nothing else, and leaves nothing that a later
    // walk would take for a cached subtree.
    Walk listedOnly(makeReader, 0);
    const std::string listed = listedOnly.summary("/T", false, 0, false);
    ASSERT_EQ(listedOnly.cache.size(), listedOnly.listedFolders);
    ASSERT_EQ(listed.substr(0, listed.rfind(" cached ")), first.substr(0, first.rfind(" cached ")));
    ASSERT_EQ(listedOnly.summary("/T"), first);
    ASSERT_NE(first.find(":13"), std::string::npos);
    ASSERT_NE(first.find(":40"), std::string::npos);
    ASSERT_NE(report.find("E/T/"), std::string::npos);

    // Pool helpers, read-ahead threads and spares: (1, 0), (3, 0), 4 and 32 threads in all, and
    // 7 helpers of which 6 spares that park and wake as every 40th look at the meter finds the
    // disk read.
    struct Threads {
        unsigned helpers;
        unsigned readers;
        unsigned spares = 0;
    };
    std::atomic<unsigned> meterLooks{0};
    const auto meter = [&meterLooks](std::uint64_t) -> std::optional<std::uint64_t> {
        return meterLooks++ / 40;
    };
    std::size_t walkedByOthers = 0;
    std::size_t reportWalkedByOthers = 0;
    std::uint64_t readAhead = 0;
    for (const Threads threads :
         {Threads{1, 0}, Threads{3, 0}, Threads{1, 4}, Threads{1, 32}, Threads{7, 0, 6}}) {
        for (int round = 0; round < 8; ++round) {
            Walk shared(makeReader, threads.helpers, threads.readers, threads.spares, meter);
            const std::string label = std::to_string(threads.helpers) + " helpers, " +
                                      std::to_string(threads.readers) + " readers, round " +
                                      std::to_string(round);
            ASSERT_EQ(shared.summary("/T"), first) << label;
            ASSERT_EQ(shared.summary("/T"), again) << label;
            ASSERT_EQ(shared.summary("/T/d0", true), inner) << label;
            const std::size_t before = shared.shared();
            ASSERT_EQ(shared.reportSummary("/T"), report) << label;
            reportWalkedByOthers += shared.shared() - before;
            Walk listing(makeReader, threads.helpers, threads.readers, threads.spares, meter);
            ASSERT_EQ(listing.summary("/T", false, 0, false), listed) << label;
            ASSERT_EQ(listing.summary("/T"), first) << label;
            walkedByOthers += shared.shared();
            readAhead += shared.readAhead();
        }
    }
    // The comparison is only worth something if work was shared and listings were read ahead.
    EXPECT_GT(walkedByOthers, 0u);
    EXPECT_GT(reportWalkedByOthers, 0u);
    EXPECT_GT(readAhead, 1000u);
}

TEST(SubtreePool, SparesParkWhileNothingIsReadFromDiskAndWakeWhenItIs) {
    const auto tree = troubledTree();
    tree->readDelay(std::chrono::microseconds(50));
    const auto makeReader = [tree] { return std::make_unique<test::FakeDirectoryReader>(tree); };
    std::atomic<std::uint64_t> blocksRead{0};
    enum class Reads { None, EveryLook, Uncounted };
    std::atomic<Reads> reads{Reads::None};
    const auto meter = [&](std::uint64_t) -> std::optional<std::uint64_t> {
        if (reads == Reads::Uncounted) return std::nullopt;
        return reads == Reads::EveryLook ? ++blocksRead : blocksRead.load();
    };
    Walk walk(makeReader, 4, 0, 3, meter);

    // Tasks the spares take over six walks.
    const auto takenBySpares = [&walk] {
        const std::size_t before = walk.sharedWithSpares();
        for (int round = 0; round < 6; ++round)
            walk.summary("/T", true);
        return walk.sharedWithSpares() - before;
    };

    // They start parked, and nothing read wakes them.
    EXPECT_EQ(takenBySpares(), 0u);
    EXPECT_GT(walk.shared(), 0u) << "the helper that never parks shares the walk";

    reads = Reads::EveryLook;
    EXPECT_GT(takenBySpares(), 0u);

    // Where reads cannot be counted, the spares keep working as on a disk: they take more than
    // over the same walks with nothing read, where they park once the looks are used up.
    reads = Reads::None;
    const std::size_t whileCachedAgain = takenBySpares();
    reads = Reads::Uncounted;
    EXPECT_GT(takenBySpares(), whileCachedAgain);
}

// The owner waits for b, which the helper walks; b's subfolder y, offered only after the owner
// began to wait, must not wait for the helper to come back from x.
TEST(SubtreePool, AWaitingWalkTakesWhatIsOfferedWhileItWaits) {
    auto tree = std::make_shared<test::FakeTree>();
    tree->file("/T/a/f", 1);
    tree->file("/T/b/x/f", 2);
    tree->file("/T/b/y/f", 3);
    const auto makeReader = [tree] { return std::make_unique<test::FakeDirectoryReader>(tree); };
    const std::string alone = Walk(makeReader, 0).summary("/T");
    tree->clearOpenedPaths();

    for (const char* gate : {"/T/a", "/T/b", "/T/b/x"})
        tree->block(gate);
    Walk walk(makeReader, 1);
    std::string shared;
    std::thread owner([&] { shared = walk.summary("/T"); });
    const bool helperInB = tree->waitUntilBlocked("/T/b", 5000);
    tree->release("/T/a");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the owner reaches b and waits
    tree->release("/T/b");
    const bool helperInX = tree->waitUntilBlocked("/T/b/x", 5000);
    bool ownerTookY = false;
    for (int waited = 0; waited < 5000 && !ownerTookY; waited += 5) {
        const auto opened = tree->openedPaths();
        ownerTookY = std::find(opened.begin(), opened.end(), "/T/b/y") != opened.end();
        if (!ownerTookY) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    tree->release("/T/b/x");
    owner.join();
    EXPECT_TRUE(helperInB && helperInX);
    EXPECT_TRUE(ownerTookY);
    EXPECT_EQ(shared, alone);
}

TEST(ListingPrefetcher, ReadsNothingThatTheCacheAnswers) {
    auto tree = std::make_shared<test::FakeTree>();
    for (int i = 0; i < 30; ++i) {
        for (const char* top : {"/T/a/", "/T/b/"}) {
            const std::string folder = top + std::to_string(i);
            tree->file(folder + "/deep/er/f", i);
        }
    }
    tree->readDelay(std::chrono::microseconds(300));
    const auto makeReader = [tree] { return std::make_unique<test::FakeDirectoryReader>(tree); };
    Walk walk(makeReader, 1, 8);
    walk.summary("/T/a/5", true);
    walk.summary("/T/b", true);
    // The roots of those walks are read again, what lies below them is cached.
    tree->clearOpenedPaths();
    walk.summary("/T");
    for (const std::string& path : tree->openedPaths()) {
        EXPECT_TRUE(!isAtOrBelow(path, "/T/a/5") || path == "/T/a/5") << path;
        EXPECT_TRUE(!isAtOrBelow(path, "/T/b") || path == "/T/b") << path;
    }
    EXPECT_GT(walk.readAhead(), 50u);  // the rest of /T/a was read ahead

    tree->clearOpenedPaths();
    walk.summary("/T");
    EXPECT_EQ(tree->openedPaths(), std::vector<std::string>{"/T"});
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
    for (const unsigned readers : {0u, 32u}) {
        {
            Walk shared(makeReader, 2, readers);
            for (const std::size_t stopAfter : {1u, 30u, 200u}) {
                shared.summary(tree.root(), true, stopAfter);
                EXPECT_TRUE(shared.stop);
                // Listings read ahead and not taken keep theirs until the next walk or the end.
                if (readers == 0) {
                    EXPECT_EQ(openDescriptors(), descriptorsBefore) << stopAfter;
                }
                shared.stop = false;
                shared.reportSummary(tree.root());
            }
            Walk fresh(makeReader, 2, readers);
            EXPECT_EQ(fresh.summary(tree.root()), complete) << readers;
        }
        EXPECT_EQ(openDescriptors(), descriptorsBefore) << readers;
    }
}

// Stop, a newer request and exit while 32 threads read: every walk ends, the next one is
// complete, and no descriptor stays open (the sanitizer builds see what is freed twice).
TEST(CFolderEnumThread, StopNewerRequestAndExitDuringAThirtyTwoThreadWalk) {
    test::TempTree tree;
    for (int i = 0; i < 60; ++i) {
        const std::string top = "t" + std::to_string(i);
        tree.folder(top);
        for (int j = 0; j < 10; ++j) {
            tree.folder(top + "/m" + std::to_string(j));
            tree.file(top + "/m" + std::to_string(j) + "/f", i + j);
        }
    }
    const int descriptorsBefore = openDescriptors();
    {
        CFolderEnumThread thread(32);
        thread.start();
        auto listener = std::make_shared<test::RecordingListener>();
        std::atomic<int> entered{0};
        listener->onEntering = [&](const std::string&) {
            if (++entered == 50) thread.stopScan();
        };
        auto document = std::make_shared<CTarvolinDoc>();
        ASSERT_EQ(thread.startFolderScan(tree.root(), true, listener, document), 0u);
        ASSERT_TRUE(listener->waitForCompletions(1));
        EXPECT_TRUE(listener->completions()[0].stopped);

        listener->onEntering = {};
        ASSERT_EQ(thread.startFolderScan(tree.root(), true, listener, document), 0u);
        ASSERT_EQ(thread.startFolderScan(tree.root(), true, listener, document), 0u);
        ASSERT_TRUE(listener->waitForCompletions(2));
        while (thread.hasWork())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const auto totals = thread.lastRootTotals();
        ASSERT_TRUE(totals.has_value());
        EXPECT_EQ(totals->fileCount, 600u);
        EXPECT_EQ(totals->folderCount, 660u);

        ScanRequest report;
        report.path = tree.root();
        report.listener = listener;
        report.mode = ScanMode::Report;
        ASSERT_EQ(thread.SubmitScanRequest(std::move(report)), 0u);
        EXPECT_TRUE(thread.stopThread());
    }
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

}  // namespace
}  // namespace tarvolin::scan
