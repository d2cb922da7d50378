#include "scan/CFolderEnumThread.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <future>

#include "scan/CTarvolinDoc.h"
#include "scan/ReportSink.h"
#include "scan/ScanThreads.h"
#include "support/FakeDirectoryReader.h"
#include "support/RecordingListener.h"

namespace tarvolin::scan {
namespace {

// The count asked for is every thread that reads: walkers first, the rest read ahead; walkers
// beyond the cores are spares; memory bounds both kinds.
TEST(ScanThreads, PlanSplitsTheCountIntoWalkersSparesAndReaders) {
    struct Case {
        unsigned threads, cores, walkers, spares, readers;
    };
    for (const Case c :
         {Case{0, 2, 16, 14, 0}, Case{1, 2, 1, 0, 0}, Case{2, 2, 2, 0, 0}, Case{8, 2, 8, 6, 0},
          Case{32, 2, 16, 14, 16}, Case{256, 2, 16, 14, 32}, Case{0, 1, 8, 7, 0},
          Case{0, 0, 1, 0, 0}, Case{0, 64, 16, 0, 0}, Case{3, 64, 3, 0, 0}}) {
        const ScanThreadPlan plan = planScanThreads(c.threads, c.cores);
        EXPECT_EQ(plan.walkers, c.walkers) << c.threads << " on " << c.cores;
        EXPECT_EQ(plan.spareWalkers, c.spares) << c.threads << " on " << c.cores;
        EXPECT_EQ(plan.readers, c.readers) << c.threads << " on " << c.cores;
    }
}

using test::FakeTree;
using test::RecordingListener;
using ::testing::ElementsAre;

class CountingSink : public ReportSink {
public:
    void reset() override {
        ++resets;
        files = 0;
    }
    void addFile(const ReportFile&) override { ++files; }
    std::atomic<int> resets{0};
    std::atomic<int> files{0};
};

class CFolderEnumThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree->file("/A/a.txt", 1).file("/A/sub/s.txt", 10).file("/A/sub/deep/d", 100);
        tree->file("/B/b.txt", 1000);
        thread.start();
    }
    ScanRequest reportRequest(const std::string& path) {
        ScanRequest request;
        request.path = path;
        request.listener = listener;
        request.mode = ScanMode::Report;
        request.reportSink = sink;
        return request;
    }

    std::shared_ptr<FakeTree> tree = std::make_shared<FakeTree>();
    std::shared_ptr<RecordingListener> listener = std::make_shared<RecordingListener>();
    std::shared_ptr<CTarvolinDoc> document = std::make_shared<CTarvolinDoc>();
    std::shared_ptr<CountingSink> sink = std::make_shared<CountingSink>();
    CFolderEnumThread thread{std::make_unique<test::FakeDirectoryReader>(tree)};
};

TEST_F(CFolderEnumThreadTest, FolderScanReportsStartAndCompletionWithTotals) {
    ASSERT_EQ(thread.startFolderScan("/A/", false, listener, document), 0u);
    EXPECT_EQ(document->folderPath(), "/A");  // at once, before the walk
    ASSERT_TRUE(listener->waitForCompletions(1));
    EXPECT_THAT(listener->started(), ElementsAre("/A"));
    const auto completion = listener->completions()[0];
    EXPECT_FALSE(completion.stopped);
    ASSERT_TRUE(completion.root);
    EXPECT_EQ(completion.root->size, 111);
    EXPECT_EQ(thread.lastRootTotals()->fileCount, 3);
    EXPECT_EQ(document->folderCount(), 1);
    EXPECT_FALSE(thread.hasErrors());

    // Drilling into a scanned folder: taken from the cache, nothing is walked below it.
    tree->clearOpenedPaths();
    ASSERT_EQ(thread.startFolderScan("/A/sub", false, listener, document), 0u);
    ASSERT_TRUE(listener->waitForCompletions(2));
    EXPECT_THAT(tree->openedPaths(), ElementsAre("/A/sub"));
    EXPECT_EQ(document->folderCount(), 1);  // emptied at the start, then refilled
}

TEST_F(CFolderEnumThreadTest, NewerRequestStopsTheRunningWalkAndRunsToItsEnd) {
    tree->block("/A/sub");
    thread.startFolderScan("/A", false, listener, document);
    ASSERT_TRUE(tree->waitUntilBlocked("/A/sub", 5000));
    EXPECT_TRUE(thread.isRunning());
    thread.startFolderScan("/B", false, listener, document);
    EXPECT_FALSE(thread.isRunning());  // cleared by the submission
    tree->release("/A/sub");
    ASSERT_TRUE(listener->waitForCompletions(2));

    const auto completions = listener->completions();
    EXPECT_TRUE(completions[0].stopped);
    EXPECT_FALSE(completions[1].stopped);
    EXPECT_EQ(completions[1].root->size, 1000);
    EXPECT_THAT(listener->started(), ElementsAre("/A", "/B"));
    EXPECT_EQ(document->folderPath(), "/B");
    EXPECT_EQ(document->fileCount(), 1);
}

TEST_F(CFolderEnumThreadTest, StopEndsTheWalkWithPartialTotalsAndKeepsErrors) {
    tree->folder("/A/locked").failOpen("/A/locked", EACCES).block("/A/sub");
    thread.startFolderScan("/A", false, listener, document);
    ASSERT_TRUE(tree->waitUntilBlocked("/A/sub", 5000));
    thread.stopScan();
    EXPECT_FALSE(thread.isRunning());
    tree->release("/A/sub");
    ASSERT_TRUE(listener->waitForCompletions(1));
    const auto completion = listener->completions()[0];
    EXPECT_TRUE(completion.stopped);
    EXPECT_EQ(completion.root->size, 1);  // a.txt only: sub was stopped before its entries
    EXPECT_EQ(document->folderCount(), 0);
    ASSERT_EQ(thread.errors().size(), 1u);
    EXPECT_EQ(thread.errors()[0].path, "/A/locked");
}

TEST_F(CFolderEnumThreadTest, ErrorsOfAnAbandonedWalkDoNotLeakIntoTheNextScan) {
    // /A/sub fails to open, but only after /B was submitted.
    tree->failOpen("/A/sub", EACCES).block("/A/sub");
    thread.startFolderScan("/A", false, listener, document);
    ASSERT_TRUE(tree->waitUntilBlocked("/A/sub", 5000));
    thread.startFolderScan("/B", false, listener, document);
    tree->release("/A/sub");
    ASSERT_TRUE(listener->waitForCompletions(2));
    EXPECT_FALSE(thread.hasErrors());
}

TEST_F(CFolderEnumThreadTest, EmptyPathsAndReportScans) {
    thread.startFolderScan("", false, listener, document);
    ASSERT_TRUE(listener->waitForCompletions(1));
    EXPECT_THAT(listener->started(), ElementsAre(""));
    EXPECT_FALSE(listener->completions()[0].root);

    thread.startFolderScan("/A", false, listener, document);
    ASSERT_TRUE(listener->waitForCompletions(2));
    ASSERT_TRUE(thread.lastRootTotals());

    // A report scan frees the folder scan's root and leaves the document's path alone.
    ScanRequest request = reportRequest("/B");
    request.document = document;
    ASSERT_EQ(thread.SubmitScanRequest(std::move(request)), 0u);
    ASSERT_TRUE(listener->waitForCompletions(3));
    EXPECT_FALSE(thread.lastRootTotals());
    EXPECT_EQ(document->folderPath(), "/A");
    EXPECT_EQ(sink->resets, 1);
    EXPECT_EQ(sink->files, 1);

    ASSERT_EQ(thread.SubmitScanRequest(reportRequest("")), 0u);
    ASSERT_TRUE(listener->waitForCompletions(4));
    EXPECT_EQ(sink->resets, 2);
    EXPECT_EQ(sink->files, 0);
    EXPECT_FALSE(thread.isReportScanRunning());
}

TEST_F(CFolderEnumThreadTest, RequestWithoutListenerChangesNothing) {
    tree->folder("/A/locked").failOpen("/A/locked", EACCES);
    thread.startFolderScan("/A", false, listener, document);
    ASSERT_TRUE(listener->waitForCompletions(1));
    ASSERT_TRUE(thread.hasErrors());

    EXPECT_EQ(thread.startFolderScan("/B", false, nullptr, document), kErrorInvalidParameter);
    EXPECT_EQ(document->folderPath(), "/A");
    EXPECT_TRUE(thread.hasErrors());
    EXPECT_TRUE(thread.lastRootTotals());
}

TEST_F(CFolderEnumThreadTest, EveryRequestThatIsNotReplacedIsTakenUp) {
    for (int i = 0; i < 200; ++i) {
        thread.startFolderScan(i % 2 ? "/A" : "/B", i % 3 == 0, listener, document);
        ASSERT_TRUE(listener->waitForCompletions(static_cast<std::size_t>(i) + 1, 5000)) << i;
    }
    // A burst: only the newest must run to its end.
    for (int i = 0; i < 50; ++i)
        thread.startFolderScan("/A", true, listener, document);
    thread.startFolderScan("/B", true, listener, document);
    ASSERT_TRUE(listener->waitForCompletions(201, 5000));
    for (int spins = 0; spins < 500 && thread.hasWork(); ++spins) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const auto completions = listener->completions();
    EXPECT_LE(completions.size(), 251u);
    EXPECT_FALSE(completions.back().stopped);
    EXPECT_EQ(completions.back().root->size, 1000);
}

TEST_F(CFolderEnumThreadTest, ExitDuringAWalkIsBoundedAndSafe) {
    tree->block("/A/sub");
    thread.startFolderScan("/A", false, listener, document);
    ASSERT_TRUE(tree->waitUntilBlocked("/A/sub", 5000));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(thread.stopThread(std::chrono::milliseconds(100)));  // stuck: abandoned
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    // The walk comes back later and finishes against data that is still alive.
    tree->release("/A/sub");
    ASSERT_TRUE(listener->waitForCompletions(1));
    EXPECT_TRUE(listener->completions()[0].stopped);
}

TEST(CFolderEnumThread, ExitWaitsForAWalkThatNoticesTheStop) {
    auto tree = std::make_shared<FakeTree>();
    tree->file("/A/sub/x", 1);
    auto listener = std::make_shared<RecordingListener>();
    std::promise<void> entered;
    listener->onEntering = [&entered](const std::string&) {
        entered.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // a slow receiver
    };
    CFolderEnumThread thread(std::make_unique<test::FakeDirectoryReader>(tree));
    thread.start();
    thread.startFolderScan("/A", false, listener, std::make_shared<CTarvolinDoc>());
    entered.get_future().wait();
    EXPECT_TRUE(thread.stopThread());
    ASSERT_EQ(listener->completions().size(), 1u);
    EXPECT_TRUE(listener->completions()[0].stopped);
}

}  // namespace
}  // namespace tarvolin::scan
