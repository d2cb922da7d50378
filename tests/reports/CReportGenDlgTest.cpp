#include "reports/CReportGenDlg.h"
#include "support/EventPump.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/MainActions.h"
#include "drives/FixedVolumes.h"
#include "graphs/CStaticBarGraph.h"
#include "reports/CFileTypeReportDlg.h"
#include "reports/CLargestFilesReport.h"
#include "reports/COldestFilesReport.h"
#include "reports/CPropPageTempFiles.h"
#include "reports/CReportPropSheetEmb.h"
#include "reports/ReportCollections.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "support/OneFixedVolume.h"
#include "support/QtPrinters.h"
#include "support/SettingsFixture.h"
#include "support/TempTree.h"
#include "ui/CHistoryCombo.h"
#include "ui/Options.h"
#include "views/CFolderTreeCtrl.h"

namespace tarvolin::reports {
namespace {

using ::testing::ElementsAre;

QString text(const std::string& bytes) {
    return QString::fromStdString(bytes);
}

using tarvolin::test::pumpUntil;

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
    ui::CHistoryCombo stored;
    stored.addEntry(QStringLiteral("/older"));
    stored.addEntry(QStringLiteral("/latest"));
    stored.saveHistory(QString::fromLatin1(ui::option::kReportPathHistory));

    const auto fromTemp = open(QStringLiteral("/given"), 3);
    EXPECT_EQ(fromTemp->pathCombo()->currentText(), QStringLiteral("/given"));
    EXPECT_EQ(fromTemp->sheet()->currentIndex(), 3);
    EXPECT_EQ(fromTemp->sheet()->tabText(3), QStringLiteral("Temporary Files"));
    EXPECT_EQ(fromTemp->pathCombo()->count(), 2);

    auto plain = open(QString());
    EXPECT_EQ(plain->pathCombo()->currentText(), QStringLiteral("/latest"));
    EXPECT_EQ(plain->sheet()->currentIndex(), 0);
    EXPECT_TRUE(plain->startButton()->isDefault());
    EXPECT_FALSE(plain->printButton()->isEnabled());
    EXPECT_FALSE(plain->exportButton()->isEnabled());
    for (int page = 0; page < CReportPropSheetEmb::kPageCount; ++page)
        EXPECT_EQ(rows(plain->sheet()->page(page)), 0);

    // Each list keeps its column widths under its own name.
    plain->sheet()->largestFiles()->list()->setColumnWidth(3, 333);
    plain->sheet()->tempFiles()->list()->setColumnWidth(0, 111);
    plain.reset();
    EXPECT_EQ(ui::readOption(ui::option::kLargestFilesListCols), QStringLiteral("140,45,75,333"));
    EXPECT_EQ(ui::readOption(ui::option::kOldestFilesListCols), QStringLiteral("140,75,125,200"));
    EXPECT_EQ(ui::readOption(ui::option::kFileClassListCols), QStringLiteral("300,75,80,85"));
    EXPECT_EQ(ui::readOption(ui::option::kTempFilesListCols), QStringLiteral("111,70,320"));
    const auto again = open(QString());
    EXPECT_EQ(again->sheet()->largestFiles()->list()->columnWidth(3), 333);
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
    ui::writeOption(ui::option::kAutoCloseGraphScanDlg, 1);
    ui::writeOption(ui::option::kTempFileMask, QStringLiteral(".dat"));
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
    // A completed report scan makes the pages' lists printable and exportable.
    EXPECT_TRUE(dialog->printButton()->isEnabled());
    EXPECT_TRUE(dialog->exportButton()->isEnabled());

    // A file passes the check; its scan finds nothing, and every page is emptied.
    dialog->pathCombo()->setEditText(text(tree.path("a.dat")));
    ASSERT_TRUE(dialog->startScan());
    for (int page = 0; page < CReportPropSheetEmb::kPageCount; ++page)
        EXPECT_EQ(rows(sheet.page(page)), 0) << page;
    EXPECT_EQ(dialog->pathCombo()->count(), 2);
}

TEST_F(CReportGenDlgTest, CloseSavesTheHistoryAndForgetsFileTypesEscapeKeepsBoth) {
    ui::writeOption(ui::option::kAutoCloseGraphScanDlg, 1);
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

// Each Reports command opens the generator on its page with the folder browser's path.
TEST_F(CReportGenDlgTest, ReportCommandsOpenTheGeneratorOnTheirPageWithTheBrowsersPath) {
    scan::ScanController controller(engine, std::make_shared<scan::CTarvolinDoc>());
    test::OneFixedVolume volumes;
    app::CMainFrame frame(controller, volumes);
    frame.showFirstTime();
    frame.folderTree()->findAndSelect(tree.path("sub"), true);
    ASSERT_TRUE(pumpUntil([&] {
        return frame.folderTree()->currentScanPath() == tree.path("sub") && !engine.hasWork();
    }));

    struct Case {
        int command;
        int page;
    };
    const Case cases[] = {
        {app::command::kLargestFiles, 0}, {app::command::kReports, 0},
        {app::command::kOldestFiles, 1},  {app::command::kFileTypes, 2},
        {app::command::kTempFiles, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        int page = -1;
        QString path;
        QTimer::singleShot(0, &frame, [&] {
            if (auto* dialog = qobject_cast<CReportGenDlg*>(QApplication::activeModalWidget())) {
                page = dialog->sheet()->currentIndex();
                path = dialog->pathCombo()->currentText();
                dialog->reject();
            }
        });
        QAction* action = frame.actions()->action(c.command);
        ASSERT_TRUE(action->isEnabled());
        action->trigger();
        EXPECT_EQ(page, c.page);
        EXPECT_EQ(path, text(tree.path("sub")));
    }
    controller.shutdown();
}

}  // namespace
}  // namespace tarvolin::reports
