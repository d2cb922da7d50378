#include "exports/CGenReportDlg.h"

#include "common/AppException.h"
#include "support/EventPump.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include "exports/FolderTreeText.h"
#include "reports/ReportCollections.h"
#include "scan/CFolderEnumThread.h"
#include "support/FakeDirectoryReader.h"
#include "support/QtPrinters.h"
#include "support/SettingsFixture.h"
#include "ui/Options.h"
#include "ui/SettingsStore.h"

namespace tarvolin::exports {
namespace {

using ::testing::ElementsAre;

using tarvolin::test::pumpUntil;

std::vector<std::string> shownLines(const CGenReportDlg& dialog) {
    std::vector<std::string> lines;
    for (const QString& line : dialog.treeView()->toPlainText().split(u'\n'))
        lines.push_back(line.toStdString());
    return lines;
}

bool isBold(const QTextBlock& block) {
    return block.begin().fragment().charFormat().fontWeight() == QFont::Bold;
}

class CGenReportDlgTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        tree->file("/Data/B/b.txt", 5)
            .file("/Data/A/A1/Deep/d.txt", 7)
            .file("/Data/with space/s", 1)
            .file("/Data/top.txt", 3)
            .file("/Flat/only.txt", 1);
        engine.start();
    }

    scan::ScanRequest request(const std::string& path) {
        scan::ScanRequest result;
        result.path = path;
        result.mode = scan::ScanMode::Report;
        result.reportSink = collections;
        return result;
    }

    std::shared_ptr<test::FakeTree> tree = std::make_shared<test::FakeTree>();
    scan::CFolderEnumThread engine{std::make_unique<test::FakeDirectoryReader>(tree)};
    std::shared_ptr<reports::ReportCollections> collections =
        std::make_shared<reports::ReportCollections>();
};

TEST_F(CGenReportDlgTest, FolderLinesComeInWalkOrderUnderABoldRootLine) {
    CGenReportDlg dialog(engine, request("/Data/"), nullptr);
    dialog.show();
    ASSERT_TRUE(pumpUntil([&] { return dialog.isComplete(); }));

    const std::vector<std::string> expected{
        "+----/Data",
        "|      +----A",
        "|      |      +----A1",
        "|      |      |      +----Deep",
        "|      +----B",
        "|      +----with space",
    };
    EXPECT_EQ(shownLines(dialog), expected);
    EXPECT_EQ(dialog.lineCount(), 6);
    const QTextBlock root = dialog.treeView()->document()->firstBlock();
    EXPECT_TRUE(isBold(root));
    for (QTextBlock block = root.next(); block.isValid(); block = block.next())
        EXPECT_FALSE(isBold(block)) << block.text().toStdString();
    EXPECT_EQ(root.begin().fragment().charFormat().foreground().color(), QColor(Qt::black));
    EXPECT_EQ(folderTreeLine("Deep", 3), expected[3]);

    QByteArray file;
    for (const std::string& line : expected)
        file += QByteArray::fromStdString(line) + "\r\n";
    EXPECT_EQ(dialog.treeText(), file);
    dialog.grab().save(QStringLiteral("/tmp/reportsgui-progress-complete.png"));
}

TEST_F(CGenReportDlgTest, CompletionRefreshesTheGeneratorFirstThenOffersOkAndSave) {
    ui::writeOption(ui::option::kAutoCloseGraphScanDlg, 0);
    CGenReportDlg dialog(engine, request("/Flat"), nullptr);
    EXPECT_EQ(dialog.statusLabel()->text(), CGenReportDlg::kScanningText);
    EXPECT_FALSE(dialog.saveButton()->isEnabled());
    EXPECT_FALSE(dialog.autoCloseCheck()->isChecked());

    std::vector<std::string> seen;
    QObject::connect(&dialog, &CGenReportDlg::reportScanComplete, &dialog, [&](bool stopped) {
        seen.push_back(dialog.statusLabel()->text().toStdString());
        seen.push_back(dialog.closeButton()->text().toStdString());
        seen.push_back(stopped ? "stopped" : "whole");
        seen.push_back(std::to_string(collections->fileTypes().size()));  // filled by now
    });
    dialog.show();
    ASSERT_TRUE(pumpUntil([&] { return dialog.isComplete(); }));
    EXPECT_THAT(seen,
                ElementsAre(CGenReportDlg::kUpdatingText.toStdString(), "&Cancel", "whole", "1"));
    EXPECT_EQ(dialog.statusLabel()->text(), CGenReportDlg::kCompleteText);
    EXPECT_EQ(dialog.closeButton()->text(), QStringLiteral("Ok"));
    EXPECT_TRUE(dialog.saveButton()->isEnabled());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_THAT(shownLines(dialog), ElementsAre("+----/Flat"));  // no subfolders, root only

    dialog.autoCloseCheck()->setChecked(true);
    dialog.closeButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(ui::readOption(ui::option::kAutoCloseGraphScanDlg), 1);
    EXPECT_FALSE(ui::GetProfileString(QString::fromLatin1(ui::option::kReportDlgWindows),
                                      QString::fromLatin1(ui::option::kWindowPlacement), QString())
                     .isEmpty());
}

TEST_F(CGenReportDlgTest, WithAutoCloseTheWindowClosesByItselfAfterTheRefresh) {
    ui::writeOption(ui::option::kAutoCloseGraphScanDlg, 1);
    CGenReportDlg dialog(engine, request("/Data"), nullptr);
    EXPECT_TRUE(dialog.autoCloseCheck()->isChecked());
    int completions = 0;
    QObject::connect(&dialog, &CGenReportDlg::reportScanComplete, &dialog, [&] { ++completions; });
    dialog.show();
    ASSERT_TRUE(pumpUntil([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.lineCount(), 6);
    EXPECT_EQ(ui::readOption(ui::option::kAutoCloseGraphScanDlg), 1);  // stays on
}

TEST_F(CGenReportDlgTest, CancelStopsTheWalkAndNothingArrivesAfterwards) {
    tree->block("/Data/B");
    CGenReportDlg dialog(engine, request("/Data"), nullptr);
    int completions = 0;
    QObject::connect(&dialog, &CGenReportDlg::reportScanComplete, &dialog, [&] { ++completions; });
    dialog.show();
    ASSERT_TRUE(tree->waitUntilBlocked("/Data/B", 5000));
    EXPECT_EQ(dialog.closeButton()->text(), QStringLiteral("&Cancel"));
    dialog.closeButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(engine.isRunning());
    const int lines = dialog.lineCount();

    tree->release("/Data/B");
    ASSERT_TRUE(pumpUntil([&] { return !engine.hasWork(); }));
    QApplication::processEvents();
    EXPECT_EQ(completions, 0);
    EXPECT_EQ(dialog.lineCount(), lines);
    EXPECT_FALSE(dialog.isComplete());
}

TEST_F(CGenReportDlgTest, SaveWritesEveryLineWithCrLfAndReportsFailures) {
    CGenReportDlg dialog(engine, request("/Data"), nullptr);
    dialog.show();
    ASSERT_TRUE(pumpUntil([&] { return dialog.isComplete(); }));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString fileName = folder.filePath(QStringLiteral("dirtree.txt"));
    QFile old(fileName);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));  // longer than the tree: the save replaces it whole
    old.close();

    dialog.saveTreeText(fileName);
    QFile saved(fileName);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes, dialog.treeText());
    EXPECT_TRUE(bytes.startsWith("+----/Data\r\n|      +----A\r\n"));
    EXPECT_TRUE(bytes.endsWith("|      +----with space\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 6);
    EXPECT_EQ(bytes.count('\n'), 6);

    try {
        dialog.saveTreeText(folder.filePath(QStringLiteral("missing/dirtree.txt")));
        ADD_FAILURE() << "a file in a missing folder was reported as saved";
    } catch (const CAppException& error) {
        EXPECT_FALSE(error.message().empty());
    }
}

// The walk appends its lines without waiting for the view; every line arrives, in order.
TEST_F(CGenReportDlgTest, AHundredThousandFoldersAllArriveInOrder) {
    constexpr int kTop = 400;
    constexpr int kInner = 249;  // 400 + 400 * 249 = 100,000 folders
    for (int i = 0; i < kTop; ++i) {
        const std::string top = "/Big/d" + std::to_string(1000 + i);
        for (int j = 0; j < kInner; ++j)
            tree->folder(top + "/e" + std::to_string(1000 + j));
    }
    CGenReportDlg dialog(engine, request("/Big"), nullptr);
    dialog.resize(600, 400);
    dialog.show();
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(pumpUntil([&] { return dialog.isComplete(); }, 60000));
    std::cout << "[          ] 100,000 folder lines shown in " << timer.elapsed() << " ms\n";
    EXPECT_EQ(dialog.lineCount(), 100'001);
    const QTextDocument& document = *dialog.treeView()->document();
    EXPECT_EQ(document.blockCount(), 100'001);
    EXPECT_EQ(document.findBlockByNumber(1).text(), QStringLiteral("|      +----d1000"));
    EXPECT_EQ(document.findBlockByNumber(2).text(), QStringLiteral("|      |      +----e1000"));
    EXPECT_EQ(document.lastBlock().text(), QStringLiteral("|      |      +----e1248"));
    EXPECT_EQ(document.findBlockByNumber(100'000 - 249).text(),
              QStringLiteral("|      +----d1399"));
}

}  // namespace
}  // namespace tarvolin::exports
