#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "common/ErrorText.h"
#include "common/NameOrder.h"
#include "common/PathText.h"
#include "common/SizeText.h"

namespace tarvolin {
namespace {

TEST(SizeText, FollowsTheShortSizeFormat) {
    const struct {
        std::int64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},
        {309, "309 bytes"},
        {1023, "1023 bytes"},
        {1024, "1.00 KB"},
        {10191, "9.95 KB"},
        {100353, "98.0 KB"},
        {1022286, "998 KB"},
        {1046862, "0.99 MB"},
        {1048574619, "999 MB"},
        {1073741775, "0.99 GB"},
        {1099511627776, "1.00 TB"},
        {INT64_C(1152921504606846976), "1.00 EB"},
        {INT64_MAX, "7.99 EB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatSize(c.bytes), c.text) << c.bytes;
}

TEST(SizeText, GroupsCountsByThousands) {
    EXPECT_EQ(formatCount(0), "0");
    EXPECT_EQ(formatCount(999), "999");
    EXPECT_EQ(formatCount(1000), "1,000");
    EXPECT_EQ(formatCount(1234567), "1,234,567");
    EXPECT_EQ(formatCount(-1234), "-1,234");
    EXPECT_EQ(formatCount(INT64_MIN), "-9,223,372,036,854,775,808");
}

TEST(PathText, JoinsAndNamesWithoutDoubleSeparators) {
    EXPECT_EQ(joinPath("/", "etc"), "/etc");
    EXPECT_EQ(joinPath("/data", "a\\b"), "/data/a\\b");
    EXPECT_EQ(displayNameOf("/data/Photos"), "Photos");
    EXPECT_EQ(displayNameOf("/"), "/");
    EXPECT_EQ(nameLengthOf("relative"), 8);
    EXPECT_EQ(nameLengthOf("/data/"), 0);
    EXPECT_EQ(trimTrailingSeparator("/data/"), "/data");
    EXPECT_EQ(trimTrailingSeparator("/data//"), "/data/");
    EXPECT_EQ(trimTrailingSeparator("/"), "/");
}

TEST(PathText, MakesArgumentsAbsoluteAndClean) {
    EXPECT_EQ(absoluteCleanPath("sub/./x/", "/home/u"), "/home/u/sub/x");
    EXPECT_EQ(absoluteCleanPath("../..", "/home/u"), "/");
    EXPECT_EQ(absoluteCleanPath("/../a//b/..", "/ignored"), "/a");
    EXPECT_EQ(absoluteCleanPath(".", "/"), "/");
}

TEST(NameOrder, FoldsOnlyAsciiLettersAndBreaksTiesByBytes) {
    EXPECT_LT(compareNames("alpha", "Beta"), 0);
    EXPECT_LT(compareNames("Beta", "gamma"), 0);
    EXPECT_GT(compareNames("B", "a_"), 0);     // raw "B" < "a", folded "b" > "a"
    EXPECT_LT(compareNames("ABC", "abc"), 0);  // tie after folding: raw bytes decide
    EXPECT_GT(compareNames("abc", "ABC"), 0);
    EXPECT_LT(compareNames("ab", "abc"), 0);
    EXPECT_LT(compareNames("z", "\xc3\xa9"), 0);  // bytes above 0x7f compare unsigned
    EXPECT_EQ(compareNames("same", "same"), 0);
}

TEST(ErrorText, UsesTheSystemTextOrUnknown) {
    EXPECT_EQ(systemErrorText(EACCES), "Permission denied");
    EXPECT_EQ(systemErrorText(987654), "Unknown error");
}

}  // namespace
}  // namespace tarvolin
