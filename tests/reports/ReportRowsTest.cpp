#include "reports/ReportRows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include "support/TempTree.h"

namespace tarvolin::reports {
namespace {

using ::testing::ElementsAre;

template <class Row, class Field>
std::vector<Field> column(const std::vector<Row>& rows, Field Row::*field) {
    std::vector<Field> out;
    for (const Row& row : rows)
        out.push_back(row.*field);
    return out;
}

TEST(ReportRowsTest, LargestRowsAreNumberedInHeapOrderAndSortNumerically) {
    LargestFiles list;
    for (int i = 0; i < 60; ++i)
        list.offer(1000 * (i % 17) + i, "/d/f" + std::to_string(i) + ".bin");
    auto rows = largestFileRows(list.entries());
    ASSERT_EQ(rows.size(), 50u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(rows[i].numberText, std::to_string(i));
    const auto sizes = column(rows, &LargestFileRow::size);
    EXPECT_EQ(rows.front().size, *std::min_element(sizes.begin(), sizes.end()));
    EXPECT_EQ(rows.front().fileName, rows.front().fullPath.substr(3));

    // The first click on a column sorts descending, the second ascending.
    SortState sort(false);
    sort.click(static_cast<int>(LargestColumn::Size));
    sortRows(rows, LargestColumn::Size, sort.ascending());
    EXPECT_TRUE(std::is_sorted(rows.rbegin(), rows.rend(),
                               [](const auto& a, const auto& b) { return a.size < b.size; }));
    sort.click(static_cast<int>(LargestColumn::Number));
    sort.click(static_cast<int>(LargestColumn::Number));
    ASSERT_TRUE(sort.ascending());
    sortRows(rows, LargestColumn::Number, sort.ascending());
    EXPECT_EQ(rows[9].numberText, "9");
    EXPECT_EQ(rows[10].numberText, "10");  // not "10" between "1" and "2"
}

TEST(ReportRowsTest, FileTypeFilterComparesTheTotalOfATypeIn64Bits) {
    std::vector<FileTypeEntry> entries = {
        {"", "", 0, 3},                  // files of 0 bytes
        {".a", "A", 3 * 40 * 1024, 3},   // three files of 40 KB
        {".b", "B", 100 * 1024 - 1, 1},  // just below 100 KB
        {".c", "C", 100 * 1024, 1},      // exactly 100 KB
        {".d", "D", 3ULL << 30, 1},      // 3 GiB = 3,145,728 KB
        {".e", "E", 900 * 1024, 0},      // met in an earlier scan only
        {".f", "F", 1536 * 1024, 2},     // 1.5 MB
    };
    const auto extensions = [&](FileTypeFilter filter) {
        return column(fileTypeRows(entries, filter), &FileTypeRow::extension);
    };
    EXPECT_THAT(extensions({false, 0}), ElementsAre("", ".a", ".b", ".c", ".d", ".f"));
    EXPECT_THAT(extensions({true, 100}), ElementsAre(".a", ".c", ".d", ".f"));
    EXPECT_THAT(extensions({true, -5}), ElementsAre("", ".a", ".b", ".c", ".d", ".f"));
    EXPECT_THAT(extensions({true, 3'000'000}), ElementsAre(".d"));  // beyond 2,097,151 KB
    EXPECT_THAT(extensions({true, INT64_MAX}), ElementsAre());

    auto rows = fileTypeRows(entries);
    EXPECT_EQ(rows[1].countText, "3");
    EXPECT_EQ(rows[1].spaceText, "120 KB");
    entries[4].total = 900 * 1024;  // 900 KB sorts below 1.5 MB, whatever the texts say
    rows = fileTypeRows(entries);
    sortRows(rows, FileTypeColumn::Space, false);
    EXPECT_THAT(column(rows, &FileTypeRow::extension),
                ElementsAre(".f", ".d", ".a", ".c", ".b", ""));
}

TEST(ReportRowsTest, TextColumnsSortIgnoringCaseAndStably) {
    std::vector<TempFileEntry> entries = {
        {"/d/b.tmp", 3, 3}, {"/d/A.tmp", 3, 1}, {"/e/a.tmp", 3, 2}, {"/d/C.tmp", 3, 1}};
    auto rows = tempFileRows(entries);
    EXPECT_THAT(column(rows, &TempFileRow::fileName),
                ElementsAre("b.tmp", "A.tmp", "a.tmp", "C.tmp"));
    SortState sort(true);  // the temp list starts ascending
    sort.click(static_cast<int>(TempColumn::FileName));
    sortRows(rows, TempColumn::FileName, sort.ascending());
    EXPECT_THAT(column(rows, &TempFileRow::fullPath),
                ElementsAre("/d/A.tmp", "/e/a.tmp", "/d/b.tmp", "/d/C.tmp"));
    sortRows(rows, TempColumn::Size, true);  // the smallest first, equal sizes keep their order
    EXPECT_THAT(column(rows, &TempFileRow::fullPath),
                ElementsAre("/d/A.tmp", "/d/C.tmp", "/e/a.tmp", "/d/b.tmp"));
}

// The oldest list reads sizes at refresh: a link keeps its own size, a file gone since the
// scan shows 0 bytes. Only a path with nothing left at it counts as gone.
TEST(ReportRowsTest, OldestRowsReadSizesAgainAndGoneMeansNothingLeft) {
    test::TempTree tree;
    tree.file("kept", 5000);
    tree.symlink("link", "kept");
    tree.symlink("dangling", "missing");
    const auto rows = oldestFileRows(
        {{-100, tree.path("kept")}, {-50, tree.path("link")}, {7, tree.path("gone")}});
    EXPECT_THAT(column(rows, &OldestFileRow::size), ElementsAre(5000, 4, 0));
    EXPECT_EQ(rows[2].sizeText, "0 bytes");
    EXPECT_EQ(rows[0].time, -100);

    EXPECT_FALSE(fileIsGone(tree.path("kept")));
    EXPECT_FALSE(fileIsGone(tree.path("dangling")));
    EXPECT_TRUE(fileIsGone(tree.path("gone")));
    EXPECT_TRUE(fileIsGone(tree.path("kept/below")));
}

}  // namespace
}  // namespace tarvolin::reports
