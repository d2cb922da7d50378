#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "exports/JsonWriter.h"
#include "exports/TextTable.h"
#include "support/MiniJson.h"

namespace tarvolin::exports {
namespace {

TEST(JsonQuoted, EscapesInvalidUtf8BytesSoTheyCanBeRecovered) {
    const struct {
        std::string raw;
        std::string quoted;
    } cases[] = {
        {"plain", "\"plain\""},
        {"caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80",
         "\"caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80\""},
        {"caf\xe9", "\"caf\\udce9\""},
        {"\xc3\x28", "\"\\udcc3(\""},                   // lead byte without its continuation
        {"\xc0\xaf", "\"\\udcc0\\udcaf\""},             // overlong "/"
        {"\xed\xa0\x80", "\"\\udced\\udca0\\udc80\""},  // encoded surrogate
        {"\xf4\x90\x80\x80", "\"\\udcf4\\udc90\\udc80\\udc80\""},  // above U+10FFFF
        {"a\"b\\c\nd\x01", "\"a\\\"b\\\\c\\nd\\u0001\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(jsonQuoted(c.raw), c.quoted);
        EXPECT_EQ(test::Json::parse(jsonQuoted(c.raw)).text, c.raw);  // the round trip
    }
}

TEST(TextTable, PadsByCharactersAndCutsOnlyThePaddingAtLineEnds) {
    const std::vector<std::vector<std::string_view>> rows = {
        {"Name", "Size", "Path"},
        {"caf\xc3\xa9", "1", "/x/caf\xc3\xa9"},  // five characters in six bytes
        {"trailing  ", "22", ""},                // a name's own blanks are kept
        {},                                      // an empty line
        {"", "333", "/long/path"},
    };
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    writeTextTable(out, {Align::Left, Align::Right, Align::Left}, rows.size(),
                   [&](std::size_t row, std::vector<std::string_view>& cells) {
                       cells.assign(rows[row].begin(), rows[row].end());
                   });
    std::fclose(out);
    const std::string text(buffer, size);
    std::free(buffer);
    EXPECT_EQ(text,
              "Name        Size  Path\n"
              "caf\xc3\xa9           1  /x/caf\xc3\xa9\n"
              "trailing      22\n"
              "\n"
              "             333  /long/path\n");
}

}  // namespace
}  // namespace tarvolin::exports
