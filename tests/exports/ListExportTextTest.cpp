// The delimited text and the HTML table of a list, and the print passes cut from its widths.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "exports/ListExportText.h"
#include "exports/ListHtmlTable.h"
#include "exports/PrintLayout.h"
#include "scan/DetailsRows.h"
#include "support/CsvReader.h"

namespace tarvolin::exports {
namespace {

using ::testing::ElementsAre;

CellTable nameSizeTable() {
    CellTable table({"Name", "Size"});
    table.addRow({"a.txt", "1 KB"});
    table.addRow({"b.txt", "2 KB"});
    return table;
}

TEST(ListExportTextTest, LinesFollowTheOptionsAndOnlyFieldsThatNeedItAreQuoted) {
    const CellTable table = nameSizeTable();
    ExportTextOptions options;
    options.lineEnd = "\r\n";
    EXPECT_EQ(ListExportText(table, options), "Name,Size\r\na.txt,1 KB\r\nb.txt,2 KB\r\n");
    options.quoteFields = true;
    EXPECT_EQ(ListExportText(table, options),
              "\"Name\",\"Size\"\r\n\"a.txt\",\"1 KB\"\r\n\"b.txt\",\"2 KB\"\r\n");

    CellTable awkward({"Files", "Name"});
    awkward.addRow({"1,234", "say \"hi\""});
    awkward.addRow({"", "two\nlines"});
    awkward.addRow({"tab\there", "cr\rhere"});
    options = {};
    EXPECT_EQ(ListExportText(awkward, options),
              "Files,Name\n\"1,234\",\"say \"\"hi\"\"\"\n,\"two\nlines\"\n"
              "tab\there,\"cr\rhere\"\n");
    options.separator = "\t";
    EXPECT_EQ(ListExportText(awkward, options),
              "Files\tName\n1,234\t\"say \"\"hi\"\"\"\n\t\"two\nlines\"\n"
              "\"tab\there\"\t\"cr\rhere\"\n");

    CellTable empty({"Name", "Size"});
    options = {};
    EXPECT_EQ(ListExportText(empty, options), "Name,Size\n");
    options.includeHeaders = false;
    EXPECT_EQ(ListExportText(empty, options), "");
}

TEST(ListExportTextTest, AnIndependentCsvReaderGetsEveryCellBackWhole) {
    CellTable table({"Folder", "Files", "Note"});
    const std::vector<std::vector<std::string>> rows = {
        {"plain", "1,234", ""},
        {"comma, inside", "\"quoted\"", "line\nbreak"},
        {"crlf\r\nend", "tab\tin", "caf\xc3\xa9 \xe2\x82\xac"},
        {"\"", ",", "\xff raw byte"},
    };
    for (const auto& row : rows)
        table.addRow(row);
    std::vector<std::vector<std::string>> expected{{"Folder", "Files", "Note"}};
    expected.insert(expected.end(), rows.begin(), rows.end());
    for (const char separator : {',', '\t'}) {
        for (const bool quote : {false, true}) {
            ExportTextOptions options;
            const std::string separatorText(1, separator);
            options.separator = separatorText;
            options.lineEnd = "\r\n";
            options.quoteFields = quote;
            const auto read = test::readDelimited(ListExportText(table, options), separator);
            if (!read) GTEST_SKIP() << "needs python3";
            EXPECT_EQ(*read, expected) << "separator " << int(separator) << " quote " << quote;
        }
    }
}

TEST(ListHtmlTableTest, CellsAreEscapedEmptyOnesAreNbspAndInvalidUtf8IsReplaced) {
    CellTable table({"Folder", "A&B"});
    table.addRow({"<img src=x onerror=alert(1)>", ""});
    table.addRow({"caf\xc3\xa9 \"q\"", "\xff\xc0\xaf\xed\xa0\x80ok\xf0\x9f\x98\x80"});
    std::string html = "before";
    ListHtmlTable(table, html);
    EXPECT_EQ(html,
              "before\r\n<TABLE>\r\n<tr>\r\n<th>Folder</th>\r\n<th>A&amp;B</th>\r\n</tr>\r\n"
              "<tr>\r\n<td>&lt;img src=x onerror=alert(1)&gt;</td>\r\n<td>&nbsp;</td>\r\n"
              "</tr>\r\n<tr>\r\n<td>caf\xc3\xa9 &quot;q&quot;</td>\r\n"
              "<td>\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"
              "ok\xf0\x9f\x98\x80</td>\r\n</tr>\r\n</TABLE>\r\n");
    // A sequence cut off at the end of the text is not valid either.
    EXPECT_EQ(htmlEscaped("x\xe2\x82"), "x\xef\xbf\xbd\xef\xbf\xbd");
}

TEST(PrintLayoutTest, PassesRepeatTheFirstColumnAndKeepTheColumnThatCrossedTheBudget) {
    // The largest files list: File Name, #, Size, Full Path.
    const std::vector<int> widths{140, 45, 75, 280};
    EXPECT_THAT(columnPasses(widths, 400), ElementsAre(ElementsAre(0, 1, 2, 3)));
    EXPECT_THAT(columnPasses(widths, 250), ElementsAre(ElementsAre(0, 1, 2), ElementsAre(0, 3)));
    EXPECT_THAT(columnPasses(widths, 10),
                ElementsAre(ElementsAre(0, 1), ElementsAre(0, 2), ElementsAre(0, 3)));
    EXPECT_TRUE(columnPasses({300}, 1000).empty());

    const BandText band = splitBandText(
        "a\x1F\x1F"
        "b\x1F"
        "centre\x1E"
        "right\x1E\x1E");
    EXPECT_EQ(band.left,
              "a\x1F"
              "b");
    EXPECT_EQ(band.centre, "centre");
    EXPECT_EQ(band.right, "right\x1E");
}

TEST(DetailsRowsTest, RowTextsAndTheShareOfTheParent) {
    scan::ScanNode node;
    node.path = "/data/all";
    node.nameLength = 3;
    node.size = 2048;
    node.fileCount = 1234;
    node.folderCount = 5;
    node.lastWriteTime = 86400;
    const auto date = [](std::int64_t seconds) { return std::to_string(seconds); };
    EXPECT_THAT(scan::detailsRowTexts(node, 2048, +date),
                ElementsAre("all", "2.00 KB", "86400", "1,234", "5", "100.00 %"));
    EXPECT_EQ(scan::detailsRowTexts(node, std::nullopt, +date)[scan::kColumnShare], "");
    EXPECT_EQ(scan::shareOfParentText(0, 0), "0.00 %");
    EXPECT_EQ(scan::shareOfParentText(1, 3), "33.33 %");
}

}  // namespace
}  // namespace tarvolin::exports
