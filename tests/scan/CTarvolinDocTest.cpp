#include "scan/CTarvolinDoc.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>
#include <tuple>

namespace tarvolin::scan {
namespace {

using ::testing::ElementsAre;

std::unique_ptr<ScanNode> node(const std::string& path, bool folder, std::int64_t size,
                               std::int64_t time, int files, int folders) {
    auto result = std::make_unique<ScanNode>(path);
    result->attributes = folder ? kAttrDirectory : 0;
    result->size = size;
    result->lastWriteTime = time;
    result->fileCount = files;
    result->folderCount = folders;
    return result;
}

class CTarvolinDocTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Folders are owned elsewhere (the cache); the test keeps them.
        folders.push_back(node("/p/gamma", true, 30, 300, 1, 7));
        folders.push_back(node("/p/alpha", true, 10, 200, 3, 8));
        folders.push_back(node("/p/Beta", true, 20, 100, 2, 9));
        for (auto& folder : folders)
            document.AddChild(folder.get());
        document.AddChild(node("/p/b.txt", false, 5, 50, 1, 0));
        document.AddChild(node("/p/A.txt", false, 6, 40, 1, 0));
    }
    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& n : document.foldersSnapshot())
            names.emplace_back(n.displayName());
        return names;
    }
    std::vector<std::string> fileNames() const {
        std::vector<std::string> names;
        for (const auto& n : document.filesSnapshot())
            names.emplace_back(n.displayName());
        return names;
    }

    std::vector<std::unique_ptr<ScanNode>> folders;
    CTarvolinDoc document;
};

TEST_F(CTarvolinDocTest, SortsFoldersAndFilesSeparatelyByEveryKey) {
    const struct {
        SortKey key;
        bool ascending;
        std::vector<std::string> folders;
        std::vector<std::string> files;
    } cases[] = {
        {SortKey::Name, true, {"alpha", "Beta", "gamma"}, {"A.txt", "b.txt"}},
        {SortKey::Name, false, {"gamma", "Beta", "alpha"}, {"b.txt", "A.txt"}},
        {SortKey::Size, true, {"alpha", "Beta", "gamma"}, {"b.txt", "A.txt"}},
        {SortKey::Size, false, {"gamma", "Beta", "alpha"}, {"A.txt", "b.txt"}},
        {SortKey::LastChange, true, {"Beta", "alpha", "gamma"}, {"A.txt", "b.txt"}},
        {SortKey::LastChange, false, {"gamma", "alpha", "Beta"}, {"b.txt", "A.txt"}},
        {SortKey::Files, true, {"gamma", "Beta", "alpha"}, {"b.txt", "A.txt"}},
        {SortKey::Folders, false, {"Beta", "alpha", "gamma"}, {"b.txt", "A.txt"}},
    };
    for (const auto& c : cases) {
        document.SortChildren(c.key, c.ascending);
        EXPECT_EQ(folderNames(), c.folders) << static_cast<int>(c.key) << c.ascending;
        EXPECT_EQ(fileNames(), c.files) << static_cast<int>(c.key) << c.ascending;
    }
}

TEST_F(CTarvolinDocTest, EqualKeysKeepTheirOrderAndOnlyKnownColumnsSort) {
    folders[0]->fileCount = folders[1]->fileCount = folders[2]->fileCount = 4;
    document.SortChildren(SortKey::Files, false);
    EXPECT_THAT(folderNames(), ElementsAre("gamma", "alpha", "Beta"));
    EXPECT_EQ(sortKeyForColumn(5), SortKey::Size);
    EXPECT_EQ(sortKeyForColumn(6), std::nullopt);
    EXPECT_EQ(sortKeyForColumn(-1), std::nullopt);
}

TEST(CTarvolinDoc, LargestFolderSizeOnlyGrowsWithFolders) {
    CTarvolinDoc document;
    auto zero = node("/p/z", true, 0, 0, 0, 0);
    auto five = node("/p/f", true, 5, 0, 0, 0);
    auto three = node("/p/t", true, 3, 0, 0, 0);
    document.AddChild(zero.get());
    EXPECT_EQ(document.largestFolderSize(), 0);
    document.AddChild(five.get());
    document.AddChild(three.get());
    document.AddChild(node("/p/file", false, 100, 0, 1, 0));
    document.AddChild(static_cast<ScanNode*>(nullptr));
    document.AddChild(std::unique_ptr<ScanNode>());
    EXPECT_EQ(document.largestFolderSize(), 5);
    EXPECT_EQ(document.folderCount(), 3);
    EXPECT_EQ(document.fileCount(), 1);

    document.ClearChildren();
    document.ClearChildren();
    EXPECT_EQ(document.largestFolderSize(), 0);
    EXPECT_EQ(document.folderCount() + document.fileCount(), 0);
    EXPECT_FALSE(document.visitFolder(0, [](const ScanNode&) {}));
    EXPECT_EQ(five->size, 5);  // clearing never frees the folders it does not own
}

// A refresh sorts while the scan thread appends: the result is the stable sort of everything
// listed, and under the lock only the newcomers are merged in (k·log n comparisons each time),
// never the whole list re-sorted.
TEST(CTarvolinDocSort, SortsOutsideTheLockWhileChildrenArrive) {
    constexpr int kListed = 100000;  // one huge folder
    constexpr int kArriving = 3000;
    CTarvolinDoc document;
    std::mt19937 random(7);
    const auto addFile = [&document](std::uint32_t value) {
        // Few distinct sizes, so that stability is tested too.
        document.AddChild(node("/p/f" + std::to_string(value), false, value % 97, 0, 1, 0));
    };
    for (int i = 0; i < kListed; ++i)
        addFile(random());
    std::vector<std::uint32_t> arriving(kArriving);
    for (auto& value : arriving)
        value = random();
    std::thread scan([&] {
        // Paced like a walk, so that children arrive during several sorts.
        for (int i = 0; i < kArriving; ++i) {
            addFile(arriving[static_cast<std::size_t>(i)]);
            if (i % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    int sorts = 0;
    for (bool sortedAfterTheEnd = false; !sortedAfterTheEnd; ++sorts) {
        sortedAfterTheEnd = document.fileCount() == kListed + kArriving;
        document.SortChildren(sorts % 2 == 0 ? SortKey::Size : SortKey::Name, sorts % 3 != 0);
    }
    scan.join();
    document.SortChildren(SortKey::Size, false);

    std::vector<ScanNode> expected = document.filesSnapshot();
    std::stable_sort(expected.begin(), expected.end(),
                     [](const ScanNode& a, const ScanNode& b) { return a.size > b.size; });
    const std::vector<ScanNode> actual = document.filesSnapshot();
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        ASSERT_EQ(actual[i].path(), expected[i].path()) << "at " << i;

    // A sort of the whole list under the lock would take about n·log2(n) = 1,700,000 comparisons
    // each time; merging in what arrived takes at most 2·log2(n) + 2 per newcomer.
    const double perNewcomer = 2 * std::log2(kListed + kArriving) + 2;
    EXPECT_LE(document.sortComparisonsUnderLock(),
              static_cast<std::uint64_t>(kArriving * perNewcomer))
        << "after " << sorts << " sorts";
}

}  // namespace
}  // namespace tarvolin::scan
