#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/CliListener.h"
#include "scan/CTarvolinDoc.h"
#include "support/FakeDirectoryReader.h"

namespace tarvolin::cli {
namespace {

TEST(CliListener, InterruptStopsTheWalkAndEndsTheWait) {
    auto tree = std::make_shared<test::FakeTree>();
    tree->file("/A/a", 1).file("/A/sub/b", 2).block("/A/sub");
    scan::CFolderEnumThread thread(std::make_unique<test::FakeDirectoryReader>(tree));
    thread.start();
    auto listener = std::make_shared<CliListener>();
    thread.startFolderScan("/A", false, listener, std::make_shared<scan::CTarvolinDoc>());
    ASSERT_TRUE(tree->waitUntilBlocked("/A/sub", 5000));
    // The stop comes first and the walk is released afterwards (wait() calls `interrupted`,
    // stops, then ticks), so the walk cannot finish its folder before it sees the stop.
    int ticks = 0;
    const bool completed = listener->wait(
        thread, [&] { return ticks >= 2; },
        [&] {
            if (++ticks == 3) tree->release("/A/sub");
        });
    EXPECT_TRUE(completed);
    EXPECT_TRUE(listener->stopped());
    EXPECT_EQ(listener->rootTotals()->size, 1);
}

}  // namespace
}  // namespace tarvolin::cli
