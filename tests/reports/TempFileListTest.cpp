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
    };
    for (const auto& c : cases) {
        TempFileList list;
        ASSERT_TRUE(list.setMask(c.mask));
        list.offer(c.path, 1, 0);
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

    // A mask without patterns matches nothing from then on; what was kept stays.
    EXPECT_FALSE(list.setMask(",;"));
    list.offer("/d/c.tmp", 1, 3);
    EXPECT_EQ(list.matches().size(), 2u);
}

}  // namespace
}  // namespace tarvolin::reports
