#include "reports/TopFileList.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarvolin::reports {
namespace {

// At the boundary of a full list a strictly worse file is dropped and a file equal to the worst
// kept replaces exactly that one (ties in walk order: see ReportCollectionsTest).
TEST(TopFileListTest, FullListDropsWorseFilesAndLetsAnEqualOneReplaceTheWorst) {
    LargestFiles largest;
    OldestFiles oldest;
    for (int i = 0; i < 50; ++i) {
        largest.offer(1000 + i, "/d/f" + std::to_string(i));
        oldest.offer(-1000 - i, "/d/f" + std::to_string(i));  // before 1970, like any time
    }
    largest.offer(999, "/d/worse");
    oldest.offer(-999, "/d/worse");
    largest.offer(1000, "/d/later");
    oldest.offer(-1000, "/d/later");

    EXPECT_EQ(largest.entries().front().path, "/d/later");
    EXPECT_EQ(oldest.entries().front().path, "/d/later");
    const auto gone = [](const auto& e) { return e.path == "/d/f0" || e.path == "/d/worse"; };
    EXPECT_EQ(largest.entries().size(), 50u);
    EXPECT_TRUE(std::none_of(largest.entries().begin(), largest.entries().end(), gone));
    EXPECT_TRUE(std::none_of(oldest.entries().begin(), oldest.entries().end(), gone));
}

}  // namespace
}  // namespace tarvolin::reports
