#include "reports/FileTypeTable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "reports/MimeFileTypeName.h"

namespace tarvolin::reports {
namespace {

TEST(FileTypeTableTest, ExtensionIsTheTextFromTheLastDotOfTheName) {
    const struct {
        const char* name;
        const char* extension;
    } cases[] =
        {
            {"archive.tar.gz", ".gz"}, {"README", ""},
            {".bashrc", ".bashrc"},    {"file.", "."},
            {"a.TXT", ".TXT"},         {"dir.d/plain", ""},
            {"x.d\\name", ".d\\name"},  // "\" is an ordinary character
        };
    for (const auto& c : cases)
        EXPECT_EQ(fileExtension(c.name), c.extension) << c.name;
}

TEST(FileTypeTableTest, CountsPerCaseSensitiveKeyAndKeepsKeysOverAReset) {
    int lookups = 0;
    FileTypeTable table([&lookups](std::string_view extension) {
        ++lookups;
        return "type of " + std::string(extension);
    });
    table.add("a.TXT", 10);
    table.add("b.txt", 20);
    table.add("README", 1);
    table.add("c.txt", 5LL << 30);  // 5 GiB counts in full
    const auto entries = table.entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].extension, "");  // byte order, the empty key first
    EXPECT_EQ(entries[1].extension, ".TXT");
    EXPECT_EQ(entries[1].count, 1);
    EXPECT_EQ(entries[2].extension, ".txt");
    EXPECT_EQ(entries[2].count, 2);
    EXPECT_EQ(entries[2].total, (5ULL << 30) + 20);
    EXPECT_EQ(entries[2].typeName, "type of .txt");

    // A reset keeps the keys and their names with nothing counted; empty forgets them.
    table.reset();
    table.add("d.txt", 7);
    EXPECT_EQ(lookups, 3);
    EXPECT_EQ(table.entries()[1].count, 0);
    EXPECT_EQ(table.entries()[2].total, 7u);
    table.empty();
    table.add("d.txt", 7);
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(lookups, 4);
}

TEST(FileTypeTableTest, MimeNamesAreFoundForKnownExtensionsOnly) {
    EXPECT_THAT(mimeFileTypeName(".txt"), ::testing::Not(::testing::IsEmpty()));
    EXPECT_EQ(mimeFileTypeName(".TXT"), mimeFileTypeName(".txt"));
    EXPECT_EQ(mimeFileTypeName(""), "");
    EXPECT_EQ(mimeFileTypeName("."), "");
    EXPECT_EQ(mimeFileTypeName(".no-such-type-qq"), "");
}

}  // namespace
}  // namespace tarvolin::reports
