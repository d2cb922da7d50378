#include "reports/TempFileList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarvolin::reports {
namespace {

using ::testing::ElementsAre;

TEST(TempFileListTest, MaskSplitsAtRunsOfSeparatorsAndKeepsSpaces) {
    EXPECT_THAT(parseTempFileMask(";;.log,,.tmp;"), ElementsAre(".log", ".tmp"));
    EXPECT_THAT(parseTempFileMask(" .log;.BAK"), ElementsAre(" .log", ".bak"));
    EXPECT_THAT(parseTempFileMask(";,;"), ElementsAre());
    EXPECT_THAT(parseTempFileMask(kDefaultTempFileMask),
                ElementsAre("/temp", "/tmp/", ".tmp", "~.", ".~", ".old", ".chk"));
}

TEST(TempFileListTest, MatchesAnySubstringIgnoringCase) {
    const struct {
        const char* mask;
        const char* path;
        bool matches;
    } cases[] = {
        {kDefaultTempFileMask, "/tmp/x", true},
        {kDefaultTempFileMask, "/var/tmp/x", true},
        {kDefaultTempFileMask, "/home/a/temp/y", true},
        {kDefaultTempFileMask, "/home/a/Templates/b.doc", true},
        {kDefaultTempFileMask, "/home/a/data.TMP/inner.txt", true},
        {kDefaultTempFileMask, "/home/a/report~.doc", true},
        {kDefaultTempFileMask, "/home/a/file.~doc", true},
        {kDefaultTempFileMask, "/home/a/attempt/x", false},  // "temp" but not "/temp"
        {kDefaultTempFileMask, "/home/a/tmp", false},        // "/tmp" without the "/" after it
        {kDefaultTempFileMask, "/home/a/notes.txt", false},
        {".BAK", "/data/old.bak", true},
        {" .log", "/data/a .log", true},
        {" .log", "/data/a.log", false},
        {"\xC3\x89T\xC3\x89", "/d/\xC3\xA9t\xC3\xA9", false},  // only A-Z fold, never bytes of É
        {"a/TEMP.t", "/home/a/temp.txt", true},  // begins in the folder, ends in the name
        {"me/a/t", "/home/a/temp.txt", true},
    };
    for (const auto& c : cases) {
        TempFileList list;
        ASSERT_TRUE(list.setMask(c.mask));
        const std::string path = c.path;
        list.offer(path, 1, path.rfind('/') + 1);
        EXPECT_EQ(list.matches().size(), c.matches ? 1u : 0u) << c.mask << " / " << c.path;
    }
}

TEST(TempFileListTest, KeepsEachMatchOnceInOfferOrderUntilRemoved) {
    TempFileList list;
    ASSERT_FALSE(list.maskParsed());  // the built-in default is in effect, but not handed over
    ASSERT_TRUE(list.setMask(".tmp;.old"));
    EXPECT_TRUE(list.maskParsed());
    list.offer("/d/b.old.tmp", 5, 3);  // matches both patterns
    list.offer("/d/plain", 1, 3);
    list.offer("/d/a.tmp", 7, 3);
    list.offer("/d/a.tmp", 8, 3);  // another name for the same path (a second walk)
    ASSERT_EQ(list.matches().size(), 3u);
    EXPECT_EQ(list.matches()[0].path, "/d/b.old.tmp");
    EXPECT_EQ(list.matches()[1].size, 7);

    EXPECT_EQ(list.remove({"/d/a.tmp", "/d/unknown"}), 1u);  // the first with that path only
    ASSERT_EQ(list.matches().size(), 2u);
    EXPECT_EQ(list.matches()[1].size, 8);

    // A new mask applies from the next file on, in the same folder too; a mask without
    // patterns matches nothing. What was kept stays.
    ASSERT_TRUE(list.setMask("/D/"));
    list.offer("/d/c", 1, 3);
    ASSERT_TRUE(list.setMask(".zip"));
    list.offer("/d/e", 1, 3);
    EXPECT_FALSE(list.setMask(",;"));
    list.offer("/d/c.tmp", 1, 3);
    ASSERT_EQ(list.matches().size(), 3u);
    EXPECT_EQ(list.matches()[2].path, "/d/c");
}

}  // namespace
}  // namespace tarvolin::reports
