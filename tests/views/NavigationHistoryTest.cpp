#include "views/NavigationHistory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarvolin::views {
namespace {

// Removing entries: the position follows its entry, or falls back to the nearest earlier one.
TEST(NavigationHistory, RemovalKeepsThePositionInsideTheList) {
    struct Case {
        std::vector<std::uint64_t> visits;
        int backSteps;
        std::unordered_set<std::uint64_t> removed;
        std::vector<std::uint64_t> kept;
        int position;
    };
    const Case cases[] = {
        {{1, 2, 3, 4}, 1, {4}, {1, 2, 3}, 2},     // position's entry survives
        {{1, 2, 3, 4}, 0, {4}, {1, 2, 3}, 2},     // current removed: the one before
        {{1, 2, 3, 4}, 2, {1, 2}, {3, 4}, 0},     // current and everything before removed
        {{1, 2, 3, 4}, 3, {1}, {2, 3, 4}, 0},     // position 0 removed
        {{1, 2, 3, 4}, 0, {1, 2, 3, 4}, {}, -1},  // all gone
        {{1, 2, 1, 3}, 0, {1}, {2, 3}, 1},        // an item visited twice goes twice
        {{1, 2, 3}, 1, {9}, {1, 2, 3}, 1},        // nothing of it removed
    };
    for (const Case& c : cases) {
        NavigationHistory history;
        for (const std::uint64_t item : c.visits)
            history.record(item, "/p" + std::to_string(item), 10);
        for (int i = 0; i < c.backSteps; ++i)
            history.stepBack();
        history.removeItems(c.removed);
        std::vector<std::uint64_t> kept;
        for (const auto& entry : history.entries())
            kept.push_back(entry.item);
        EXPECT_EQ(kept, c.kept);
        EXPECT_EQ(history.position(), c.position);
        EXPECT_GE(history.position(), kept.empty() ? -1 : 0);
        EXPECT_LT(history.position(), static_cast<int>(kept.size()));
    }
}

}  // namespace
}  // namespace tarvolin::views
