// tarvolin-cli's csv, tsv and html output, read back by readers that are not ours.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "support/CsvReader.h"
#include "support/RunProcess.h"
#include "support/TempTree.h"

namespace tarvolin::cli {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

class ExportCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.folder("many, files");
        for (int i = 0; i < 1000; ++i)
            tree.file("many, files/f" + std::to_string(i), 1);
        tree.folder("say \"hi\"");
        tree.folder("<img src=x onerror=alert(1)>");
        tree.folder("two\nlines");
        tree.file("caf\xe9.txt", 10);
    }
    test::ProcessResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), TARVOLIN_CLI_PATH);
        return test::runProcess(args);
    }
    test::TempTree tree;
};

TEST_F(ExportCommandTest, ScanRowsComeBackWholeFromAnIndependentCsvReader) {
    const auto run = cli({"scan", tree.root(), "--format", "csv", "--sort", "name"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, Not(HasSubstr("\r"))) << "a terminal's lines end in \\n";
    const auto rows = test::readDelimited(run.out, ',');
    if (!rows) GTEST_SKIP() << "needs python3";
    ASSERT_EQ(rows->size(), 6u);
    EXPECT_THAT((*rows)[0],
                ElementsAre("Folder", "Size", "Last Change", "Files", "Folders", "% of Parent"));
    std::vector<std::string> names;
    for (std::size_t i = 1; i < rows->size(); ++i) {
        ASSERT_EQ((*rows)[i].size(), 6u) << (*rows)[i][0];
        names.push_back((*rows)[i][0]);
    }
    EXPECT_THAT(names, ElementsAre("<img src=x onerror=alert(1)>", "many, files", "say \"hi\"",
                                   "two\nlines", "caf\xe9.txt"));
    EXPECT_EQ((*rows)[2][3], "1,000");
    EXPECT_EQ((*rows)[2][5], "99.01 %");

    const auto tsv = cli({"scan", tree.root(), "--format", "tsv", "--no-headers", "--quote",
                          "--no-files", "--sort", "name"});
    ASSERT_EQ(tsv.exitCode, 0) << tsv.err;
    EXPECT_EQ(tsv.out.substr(0, 31), "\"<img src=x onerror=alert(1)>\"\t");
    const auto tsvRows = test::readDelimited(tsv.out, '\t');
    ASSERT_TRUE(tsvRows);
    ASSERT_EQ(tsvRows->size(), 4u);
    EXPECT_EQ((*tsvRows)[1][0], "many, files");
    EXPECT_EQ((*tsvRows)[1][3], "1,000");

    const auto report =
        cli({"report", tree.root(), "--largest", "--format", "csv", "--no-headers"});
    ASSERT_EQ(report.exitCode, 0) << report.err;
    const auto largest = test::readDelimited(report.out, ',');
    ASSERT_TRUE(largest);
    ASSERT_EQ(largest->size(), 50u);
    int commaPaths = 0;
    std::string cafePath;
    for (const auto& row : *largest) {
        ASSERT_EQ(row.size(), 4u);
        if (row[0] == "caf\xe9.txt") cafePath = row[3];
        if (row[3].find("/many, files/f") != std::string::npos) ++commaPaths;
    }
    EXPECT_EQ(cafePath, tree.path("caf\xe9.txt"));  // the largest file is listed
    EXPECT_EQ(commaPaths, 49);

    const struct {
        std::vector<std::string> args;
        const char* message;
    } refused[] = {
        {{"report", tree.root(), "--format", "csv"}, "need one of --largest"},
        {{"report", tree.root(), "--types", "--temp", "--format", "tsv"}, "need one of"},
        {{"scan", tree.root(), "--quote"}, "need --format csv or tsv"},
        {{"scan", tree.root(), "--format", "xml"}, "unknown format: xml"},
    };
    for (const auto& c : refused) {
        const auto bad = cli(c.args);
        EXPECT_EQ(bad.exitCode, 2);
        EXPECT_THAT(bad.err, HasSubstr(c.message));
    }
}

TEST_F(ExportCommandTest, HtmlWritesThePageItsStyleSheetAndPictureWithoutADisplay) {
#ifndef TARVOLIN_CLI_HTML
    GTEST_SKIP() << "built without the desktop program, so without the html command";
#endif
    const std::string page = tree.path("out/report/index.html");
    auto run = cli({"html", tree.root(), "-o", page});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string html = slurp(page);
    EXPECT_EQ(html.substr(0, 40), "<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n");
    EXPECT_THAT(html, HasSubstr("<h3>Report path - " + tree.root() + "</h3>"));
    EXPECT_THAT(html, HasSubstr("<td>&lt;img src=x onerror=alert(1)&gt;</td>"));
    EXPECT_THAT(html, Not(HasSubstr("<img src=x")));
    EXPECT_THAT(html, HasSubstr("<td>caf\xef\xbf\xbd.txt</td>"));  // not UTF-8 on disk
    EXPECT_THAT(html, HasSubstr("<td>1,000</td>"));
    EXPECT_THAT(html, HasSubstr("<th>Drive</th>"));
    EXPECT_THAT(html, HasSubstr("<img src=\"graph.jpg\">"));
    EXPECT_EQ(slurp(tree.path("out/report/graph.jpg")).substr(0, 3), "\xff\xd8\xff");
    EXPECT_THAT(slurp(tree.path("out/report/style.css")), HasSubstr("table"));

    const std::string plain = tree.path("plain/index.html");
    run = cli({"html", tree.root(), "-o", plain, "--no-drives", "--no-graph"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(slurp(plain), Not(HasSubstr("<th>Drive</th>")));
    EXPECT_THAT(slurp(plain), Not(HasSubstr("graph.jpg")));
    EXPECT_FALSE(exists(tree.path("plain/graph.jpg")));

    run = cli({"html", tree.root()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_THAT(run.err, HasSubstr("-o FILE"));
}

}  // namespace
}  // namespace tarvolin::cli
