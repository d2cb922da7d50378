// Saving, copying, printing and reporting shown lists, with the options read from the store.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QTreeView>

#include "exports/CHtmlReport.h"
#include "exports/ItemViewTable.h"
#include "exports/ListExport.h"
#include "exports/ListPrinter.h"
#include "support/RunProcess.h"
#include "support/SettingsFixture.h"
#include "support/TempTree.h"
#include "ui/Options.h"

namespace tarvolin::exports {
namespace {

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

QString qt(const std::string& path) {
    return QString::fromStdString(path);
}

class ListExportGuiTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        model.setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
        addRow(QStringLiteral("a.txt"), QStringLiteral("1 KB"));
        addRow(QStringLiteral("b, \"c\".txt"), QStringLiteral("2 KB"));
        view.setModel(&model);
    }
    void addRow(const QString& name, const QString& size) {
        model.appendRow({new QStandardItem(name), new QStandardItem(size)});
    }
    // Runs `action` while a timer answers the message box it opens; the box's text.
    template <class Action>
    QString boxShownBy(Action&& action) {
        QString shown;
        QTimer::singleShot(0, &view, [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->accept();
            }
        });
        action();
        return shown;
    }

    QStandardItemModel model;
    QTreeView view;
    test::TempTree tree;
};

TEST_F(ListExportGuiTest, TheExtensionPicksTheSeparatorAndTheStoreShapesTheText) {
    const ItemViewTable table(view);
    ASSERT_TRUE(exportListToPath(&view, table, qt(tree.path("report.csv"))));
    EXPECT_EQ(slurp(tree.path("report.csv")),
              "Name,Size\r\na.txt,1 KB\r\n\"b, \"\"c\"\".txt\",2 KB\r\n");
    ASSERT_TRUE(exportListToPath(&view, table, qt(tree.path("report.TXT"))));
    EXPECT_EQ(slurp(tree.path("report.TXT")),
              "Name\tSize\r\na.txt\t1 KB\r\n\"b, \"\"c\"\".txt\"\t2 KB\r\n");

    ui::writeOption(ui::option::kTextIncludeColHdrs, 0);
    ui::writeOption(ui::option::kTextQuoteFields, 1);
    ASSERT_TRUE(exportListToPath(&view, table, qt(tree.path("quoted.csv"))));
    EXPECT_EQ(slurp(tree.path("quoted.csv")),
              "\"a.txt\",\"1 KB\"\r\n\"b, \"\"c\"\".txt\",\"2 KB\"\r\n");

    const QString refused = boxShownBy(
        [&] { EXPECT_FALSE(exportListToPath(&view, table, qt(tree.path("report.tsv")))); });
    EXPECT_EQ(refused, QString::fromUtf8(kUnrecognizedExportFormatText));
    EXPECT_FALSE(exists(tree.path("report.tsv")));

    // Without headers an empty list has no text: no file, and the clipboard keeps its text.
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    model.removeRows(0, model.rowCount());
    const ItemViewTable empty(view);
    EXPECT_FALSE(exportListToPath(&view, empty, qt(tree.path("empty.csv"))));
    EXPECT_FALSE(exists(tree.path("empty.csv")));
    CopyListToClipboard(empty);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));

    ui::writeOption(ui::option::kTextIncludeColHdrs, 1);
    ui::writeOption(ui::option::kTextQuoteFields, 0);
    addRow(QStringLiteral("x"), QString());
    CopyListToClipboard(ItemViewTable(view));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Name,Size\r\nx,\r\n"));
}

TEST_F(ListExportGuiTest, TheTypedExtensionWinsOverTheChosenFilter) {
    const ItemViewTable table(view);
    const std::string typed = tree.path("report.csv");
    QTimer::singleShot(0, &view, [&typed] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectNameFilter(QStringLiteral("Tab-separated values (*.txt)"));
        dialog->selectFile(QString::fromStdString(typed));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    ExportListToFile(&view, table);
    EXPECT_EQ(slurp(typed).substr(0, 11), "Name,Size\r\n");
}

// The text of pages first..last of a PDF, through poppler's pdftotext; empty when missing.
std::string pdfText(const std::string& pdf, int first, int last) {
    const auto run = test::runProcess(
        {"/usr/bin/pdftotext", "-f", std::to_string(first), "-l", std::to_string(last), pdf, "-"});
    return run.exitCode == 0 ? run.out : std::string();
}

int pdfPages(const std::string& pdf) {
    const auto run = test::runProcess({"/usr/bin/pdfinfo", pdf});
    const auto at = run.out.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(run.out.substr(at + 6));
}

void setUpPdf(QPrinter& printer, const std::string& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    printer.setPageSize(QPageSize(QPageSize::A4));
}

TEST_F(ListExportGuiTest, FiveHundredRowsFillWholePagesWithHeaderTitlesAndFooter) {
    if (!exists("/usr/bin/pdftotext") || !exists("/usr/bin/pdfinfo"))
        GTEST_SKIP() << "needs poppler-utils";
    CellTable table({"File Name", "Size"});
    for (int row = 0; row < 500; ++row)
        table.addRow({"row " + std::to_string(row) + ".dat", std::to_string(row) + " KB"});
    const std::string pdf = tree.path("list.pdf");
    QPrinter printer(QPrinter::ScreenResolution);
    setUpPdf(printer, pdf);
    ASSERT_TRUE(printListOn(printer, table, {200, 80}, 96 / 25.4, QStringLiteral("Job")));

    const std::string first = pdfText(pdf, 1, 1);
    for (const char* expected : {"Tarvolin", "Page 1", "File Name", "Size", "row 0.dat", "0 KB",
                                 "row 1.dat", "Brelland", "https://www.tarvolin.example/"})
        EXPECT_NE(first.find(expected), std::string::npos) << expected << " in\n" << first;
    int perPage = 0;
    while (first.find("row " + std::to_string(perPage) + ".dat") != std::string::npos)
        ++perPage;
    EXPECT_EQ(first.find("row " + std::to_string(perPage) + ".dat"), std::string::npos);
    ASSERT_GT(perPage, 30) << "9-point rows on A4";
    ASSERT_LT(perPage, 90);
    const int pages = (500 + perPage - 1) / perPage;
    EXPECT_EQ(pdfPages(pdf), pages);
    const std::string last = pdfText(pdf, pages, pages);
    EXPECT_NE(last.find("Page " + std::to_string(pages)), std::string::npos);
    EXPECT_NE(last.find("row 499.dat"), std::string::npos);
    EXPECT_NE(last.find("File Name"), std::string::npos) << "titles on every page";
}

TEST_F(ListExportGuiTest, AWideListPrintsInPassesThatRepeatTheFirstColumn) {
    if (!exists("/usr/bin/pdftotext")) GTEST_SKIP() << "needs poppler-utils";
    CellTable table({"File Name", "#", "Size", "Full Path"});
    table.addRow({"a.iso", "0", "4.00 GB", "/data/a.iso"});
    const std::string pdf = tree.path("wide.pdf");
    QPrinter printer(QPrinter::ScreenResolution);
    setUpPdf(printer, pdf);
    // A4 gives a budget of 400 to 530 screen pixels, whatever the margins: Size crosses it.
    ASSERT_TRUE(printListOn(printer, table, {200, 45, 400, 300}, 96 / 25.4));
    EXPECT_EQ(pdfPages(pdf), 2);
    const std::string first = pdfText(pdf, 1, 1);
    const std::string second = pdfText(pdf, 2, 2);
    for (const char* text : {"File Name", "#", "Size", "4.00 GB"})
        EXPECT_NE(first.find(text), std::string::npos) << text;
    EXPECT_EQ(first.find("Full Path"), std::string::npos);
    for (const char* text : {"File Name", "a.iso", "Full Path", "/data/a.iso", "Page 2"})
        EXPECT_NE(second.find(text), std::string::npos) << text;
    EXPECT_EQ(second.find("4.00 GB"), std::string::npos);
}

// Page 1 of a PDF as grey pixels at 72 dpi (one pixel per point), through poppler's pdftoppm.
struct GreyPage {
    int width = 0;
    int height = 0;
    std::string pixels;
    bool dark(int x, int y) const {
        return static_cast<unsigned char>(pixels[static_cast<std::size_t>(y * width + x)]) < 128;
    }
};
GreyPage renderFirstPage(const std::string& pdf) {
    const std::string prefix = pdf + "-page";
    test::runProcess({"/usr/bin/pdftoppm", "-gray", "-r", "72", "-f", "1", "-l", "1", pdf, prefix});
    std::ifstream in(prefix + "-1.pgm", std::ios::binary);
    GreyPage page;
    std::string magic;
    int maximum = 0;
    in >> magic >> page.width >> page.height >> maximum;
    in.get();
    page.pixels.resize(static_cast<std::size_t>(page.width * page.height));
    in.read(page.pixels.data(), static_cast<std::streamsize>(page.pixels.size()));
    if (magic != "P5" || !in) return {};
    return page;
}

TEST_F(ListExportGuiTest, ALongCellIsClippedAtItsColumnNotWrappedOrSpilled) {
    if (!exists("/usr/bin/pdftoppm")) GTEST_SKIP() << "needs poppler-utils";
    CellTable table({"A", "B"});
    table.addRow(
        {"WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW", ""});
    table.addRow({"second", ""});
    const std::string pdf = tree.path("clip.pdf");
    QPrinter printer(QPrinter::ScreenResolution);
    setUpPdf(printer, pdf);
    ASSERT_TRUE(printListOn(printer, table, {100, 100}, 96 / 25.4));
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
    const GreyPage page = renderFirstPage(pdf);
    ASSERT_GT(page.width, 0) << "pdftoppm gave no page";

    // The rule below the titles is the first line that is dark across most of the page.
    const int left = static_cast<int>(area.left()) + 1;
    const int right = static_cast<int>(area.right()) - 1;
    const int middle = static_cast<int>(area.left() + area.width() / 2);
    int rule = -1;
    for (int y = 0; y < page.height && rule < 0; ++y) {
        int dark = 0;
        for (int x = left; x < right; ++x)
            dark += page.dark(x, y) ? 1 : 0;
        if (dark > (right - left) * 8 / 10) rule = y;
    }
    ASSERT_GT(rule, 0);
    // The rows below: the long name fills its own column and nothing of it reaches column B;
    // the second row sits one line below the first, so the name was not wrapped.
    const auto darkIn = [&](int x0, int x1, int y0, int y1) {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                count += page.dark(x, y) ? 1 : 0;
        return count;
    };
    const int line = 11;  // 9-point text
    EXPECT_GT(darkIn(left, middle - 6, rule + 2, rule + 14 + line), 0);
    EXPECT_GT(darkIn(middle - 40, middle - 6, rule + 2, rule + 14 + line), 0)
        << "filled up to the gap";
    EXPECT_EQ(darkIn(middle, right, rule + 2, rule + 14 + 3 * line), 0)
        << "nothing beyond the cell";
    EXPECT_GT(darkIn(left, left + 40, rule + 14 + line, rule + 14 + 2 * line), 0)
        << "the second row right below the first";
}

TEST_F(ListExportGuiTest, TheReportFollowsTheStoredOptions) {
    QStandardItemModel driveModel;
    driveModel.setHorizontalHeaderLabels({QStringLiteral("Drive"), QStringLiteral("Total")});
    driveModel.appendRow({new QStandardItem(QStringLiteral("/")), new QStandardItem("9 GB")});
    QTableView drives;
    drives.setModel(&driveModel);
    int graphs = 0;
    HtmlReportSources sources;
    sources.path = "/data";
    sources.drives = &drives;
    sources.details = &view;
    sources.drawGraph = [&graphs](const std::string& path) {
        ++graphs;
        std::ofstream(path) << "jpeg";
        return true;
    };
    ui::writeOption(ui::option::kReportIncludeDriveSpace, 0);
    ui::writeOption(ui::option::kReportIncludeGraphImage, 0);
    ASSERT_TRUE(writeHtmlReportFiles(qt(tree.path("off.html")), sources));
    const std::string off = slurp(tree.path("off.html"));
    EXPECT_EQ(off.find("<th>Drive</th>"), std::string::npos);
    EXPECT_EQ(off.find("graph.jpg"), std::string::npos);
    EXPECT_NE(off.find("<td>b, &quot;c&quot;.txt</td>"), std::string::npos);
    EXPECT_EQ(graphs, 0);

    ui::writeOption(ui::option::kReportIncludeDriveSpace, 1);
    ui::writeOption(ui::option::kReportIncludeGraphImage, 1);
    ASSERT_TRUE(writeHtmlReportFiles(qt(tree.path("on.html")), sources));
    const std::string on = slurp(tree.path("on.html"));
    EXPECT_NE(on.find("<th>Drive</th>\r\n<th>Total</th>"), std::string::npos);
    EXPECT_NE(on.find("<img src=\"graph.jpg\">"), std::string::npos);
    EXPECT_EQ(graphs, 1);
    EXPECT_TRUE(exists(tree.path("graph.jpg")));
}

}  // namespace
}  // namespace tarvolin::exports
