#include "reports/CReportGenDlg.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/CHistoryCombo.h"
#include "app/Options.h"
#include "graphs/CStaticBarGraph.h"
#include "reports/CFileTypeReportDlg.h"
#include "reports/CLargestFilesReport.h"
#include "reports/COldestFilesReport.h"
#include "reports/CPropPageTempFiles.h"
#include "reports/CReportPropSheetEmb.h"
#include "reports/ReportCollections.h"
#include "scan/CFolderEnumThread.h"
#include "support/QtPrinters.h"
#include "support/SettingsFixture.h"
#include "support/TempTree.h"

namespace tarvolin::reports {
namespace {

using ::testing::ElementsAre;

QString text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

int rows(const CPropertyPageBase* page) {
    return page->reportList()->model()->rowCount();
}

class CReportGenDlgTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        tree.file("a.dat", 4096);
        tree.folder("sub");
        tree.file("sub/b.dat", 8192);
        tree.file("sub/c.txt", 100);
        tree.file("sub/old.tmp", 1);
        engine.start();
    }

    // Opens the generator on the temp files page with `path`.
    std::unique_ptr<CReportGenDlg> open(const QString& path, int page = 0) {
        return std::make_unique<CReportGenDlg>(engine, collections, page, path);
    }

    test::TempTree tree;
    scan::CFolderEnumThread engine;
    std::shared_ptr<ReportCollections> collections = std::make_shared<ReportCollections>();
};

TEST_F(CReportGenDlgTest, OpensOnTheCommandsPageWithTheGivenPathOrTheLatestHistoryEntry) {
    app::CHistoryCombo stored;
    stored.addEntry(QStringLiteral("/older"));
    stored.addEntry(QStringLiteral("/latest"));
    stored.saveHistory(QString::fromLatin1(app::option::kReportPathHistory));

    const auto fromTemp = open(QStringLiteral("/given"), 3);
    EXPECT_EQ(fromTemp->pathCombo()->currentText(), QStringLiteral("/given"));
    EXPECT_EQ(fromTemp->sheet()->currentIndex(), 3);
    EXPECT_EQ(fromTemp->sheet()->tabText(3), QStringLiteral("Temporary Files"));
    EXPECT_EQ(fromTemp->pathCombo()->count(), 2);

    const auto plain = open(QString());
    EXPECT_EQ(plain->pathCombo()->currentText(), QStringLiteral("/latest"));
    EXPECT_EQ(plain->sheet()->currentIndex(), 0);
    EXPECT_TRUE(plain->startButton()->isDefault());
    EXPECT_FALSE(plain->printButton()->isEnabled());
    EXPECT_FALSE(plain->exportButton()->isEnabled());
    for (int page = 0; page < CReportPropSheetEmb::kPageCount; ++page)
        EXPECT_EQ(rows(plain->sheet()->page(page)), 0);
}

TEST_F(CReportGenDlgTest, StartScanRefusesAnEmptyOrMissingPath) {
    const auto dialog = open(QString());
    dialog->show();
    struct Case {
        QString typed;
        QString message;
    };
    const Case cases[] = {
        {QString(), CReportGenDlg::kNoPathText},
        {text(tree.path("missing")), CReportGenDlg::kMissingPathText},
    };
    for (const Case& c : cases) {
        dialog->pathCombo()->setEditText(c.typed);
        QString shown;
        QTimer::singleShot(0, dialog.get(), [&shown] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->accept();
            }
        });
        EXPECT_FALSE(dialog->startScan());
        EXPECT_EQ(shown, c.message);
        EXPECT_EQ(dialog->pathCombo()->count(), 0);  // nothing entered the history
    }
}

TEST_F(CReportGenDlgTest, AScanFillsEveryPageAndTheHistoryKeepsTheTextAsTyped) {
    app::writeOption(app::option::kAutoCloseGraphScanDlg, 1);
    app::writeOption(app::option::kTempFileMask, QStringLiteral(".dat"));
    const auto dialog = open(text(tree.root() + "/"));
    dialog->show();
    ASSERT_TRUE(dialog->startScan());  // returns once the progress window closed by itself

    const CReportPropSheetEmb& sheet = *dialog->sheet();
    EXPECT_EQ(rows(sheet.largestFiles()), 4);
    EXPECT_EQ(rows(sheet.oldestFiles()), 4);
    EXPECT_EQ(rows(sheet.fileTypes()), 3);  // .dat, .tmp, .txt
    // The mask came from the settings store, as nothing had given the collections one.
    EXPECT_EQ(rows(sheet.tempFiles()), 2);
    EXPECT_EQ(sheet.largestFiles()->graph()->bandCount(), 4);
    const QModelIndex first = sheet.largestFiles()->list()->model()->index(0, 3);
    EXPECT_TRUE(first.data().toString().startsWith(text(tree.root() + "/")));
    EXPECT_FALSE(first.data().toString().contains(QStringLiteral("//")));
    EXPECT_EQ(dialog->pathCombo()->itemText(0), text(tree.root() + "/"));
    EXPECT_FALSE(dialog->printButton()->isEnabled());

    // A file passes the check; its scan finds nothing, and every page is emptied.
    dialog->pathCombo()->setEditText(text(tree.path("a.dat")));
    ASSERT_TRUE(dialog->startScan());
    for (int page = 0; page < CReportPropSheetEmb::kPageCount; ++page)
        EXPECT_EQ(rows(sheet.page(page)), 0) << page;
    EXPECT_EQ(dialog->pathCombo()->count(), 2);
}

TEST_F(CReportGenDlgTest, CloseSavesTheHistoryAndForgetsFileTypesEscapeKeepsBoth) {
    app::writeOption(app::option::kAutoCloseGraphScanDlg, 1);
    const QString historyKey = QStringLiteral("ComboHistory/ReportPathHistory/ReportPathHistory0");
    {
        const auto dialog = open(text(tree.root()));
        dialog->show();
        ASSERT_TRUE(dialog->startScan());
        dialog->reject();  // Escape or the close box
    }
    EXPECT_FALSE(stored(historyKey).isValid());
    EXPECT_EQ(collections->fileTypes().size(), 3u);
    {
        const auto dialog = open(text(tree.root()));
        // Reopened: empty pages, though the collections still hold the last results.
        EXPECT_EQ(rows(dialog->sheet()->largestFiles()), 0);
        dialog->show();
        ASSERT_TRUE(dialog->startScan());
        dialog->closeButton()->click();
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
    }
    EXPECT_EQ(stored(historyKey).toString(), text(tree.root()));
    EXPECT_TRUE(collections->fileTypes().empty());
    EXPECT_EQ(collections->largestFiles().size(), 4u);  // kept until the next scan
}

}  // namespace
}  // namespace tarvolin::reports
