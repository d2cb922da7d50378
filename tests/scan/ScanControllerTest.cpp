#include "scan/ScanController.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <thread>

#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/GuiScanListener.h"
#include "support/EventPump.h"
#include "support/FakeDirectoryReader.h"

namespace tarvolin::scan {
namespace {

using ::testing::ElementsAre;

using test::pumpUntil;

class ScanControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree->file("/A/a.txt", 1).file("/A/sub/s", 10).file("/A/sub/deep/d", 100).file("/A/z/x", 5);
        engine.start();
    }

    std::shared_ptr<test::FakeTree> tree = std::make_shared<test::FakeTree>();
    scan::CFolderEnumThread engine{std::make_unique<test::FakeDirectoryReader>(tree)};
    std::shared_ptr<scan::CTarvolinDoc> document = std::make_shared<scan::CTarvolinDoc>();
};

TEST_F(ScanControllerTest, SignalsArriveInOrderWhileTheWalkWaitsForTheUi) {
    ScanController controller(engine, document);
    std::vector<std::string> events;
    QObject::connect(&controller, &ScanController::scanStarting, &controller,
                     [&](const QString& path) {
                         // The walk has not opened anything yet and the old rows are gone.
                         events.push_back("start " + path.toStdString() + " opened " +
                                          std::to_string(tree->openedPaths().size()) + " rows " +
                                          std::to_string(document->folderCount()));
                     });
    QObject::connect(&controller, &ScanController::enteringFolder, &controller,
                     [&](const QString& path) { events.push_back("enter " + path.toStdString()); });
    QObject::connect(&controller, &ScanController::scanComplete, &controller, [&](bool stopped) {
        const auto totals = controller.lastRootTotals();
        events.push_back(std::string("complete ") + (stopped ? "stopped " : "") +
                         std::to_string(totals ? totals->size : -1));
    });

    controller.startFolderScan("/A", false);
    ASSERT_TRUE(
        pumpUntil([&] { return !events.empty() && events.back().rfind("complete", 0) == 0; }));
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), "start /A opened 0 rows 0");
    EXPECT_EQ(events[events.size() - 2], "enter /A/z");  // coalesced: the latest folder last
    EXPECT_EQ(events.back(), "complete 116");
    EXPECT_EQ(document->folderCount(), 2);

    // The next scan empties the document before its handler runs.
    events.clear();
    controller.startFolderScan("/A/sub", false);
    ASSERT_TRUE(
        pumpUntil([&] { return !events.empty() && events.back().rfind("complete", 0) == 0; }));
    EXPECT_THAT(events, ElementsAre("start /A/sub opened 4 rows 0", "complete 110"));
}

TEST_F(ScanControllerTest, AWindowThatNeverAnswersCannotHoldTheWalk) {
    {
        ScanController controller(engine, document);
        bool handled = false;
        QObject::connect(&controller, &ScanController::scanStarting, &controller,
                         [&] { handled = true; });
        controller.startFolderScan("/A", false);
        // The UI thread does not run its loop: the walk waits in scanStarting until the
        // controller goes away, then carries on without the window.
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        EXPECT_TRUE(tree->openedPaths().empty());
        controller.shutdown();
        EXPECT_FALSE(handled);
    }
    QCoreApplication::processEvents();  // the queued calls find the listener detached
    EXPECT_FALSE(engine.hasWork());
}

TEST(GuiScanListener, ReportLinesKeepWalkOrderInBatchesBeforeTheEnd) {
    QObject context;
    std::vector<std::string> lines;
    int batches = 0;
    bool completed = false;
    std::size_t linesAtCompletion = 0;
    GuiScanListener::Handlers handlers;
    handlers.reportFolders = [&](std::vector<ReportFolderLine> batch) {
        ++batches;
        for (auto& line : batch)
            lines.push_back(line.name + "@" + std::to_string(line.depth));
    };
    handlers.reportComplete = [&](bool) {
        completed = true;
        linesAtCompletion = lines.size();
    };
    auto listener = std::make_shared<GuiScanListener>(&context, std::move(handlers));
    std::thread walker([&] {
        for (int i = 0; i < 20000; ++i)
            listener->reportFolderEntered("f" + std::to_string(i), i % 7);
        listener->reportComplete(false);
    });
    ASSERT_TRUE(pumpUntil([&] { return completed; }));
    walker.join();
    ASSERT_EQ(lines.size(), 20000u);
    EXPECT_EQ(linesAtCompletion, 20000u);
    for (int i = 0; i < 20000; i += 997)
        EXPECT_EQ(lines[i], "f" + std::to_string(i) + "@" + std::to_string(i % 7));
    EXPECT_LT(batches, 20000);
    listener->detach();
}

}  // namespace
}  // namespace tarvolin::scan
