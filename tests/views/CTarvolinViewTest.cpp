#include "views/CTarvolinView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLocale>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolTip>

#include <memory>

#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "support/EventPump.h"
#include "support/FakeDirectoryReader.h"
#include "support/RecordingListener.h"
#include "support/SettingsFixture.h"
#include "ui/Options.h"
#include "views/DateText.h"
#include "views/DetailsModel.h"
#include "views/ItemActions.h"

namespace tarvolin::views {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using test::pumpUntil;

// Records what the view hands to the desktop instead of opening anything.
class FakeActions final : public ItemActions {
public:
    bool confirm(QWidget*, const QString&, const QString&) override { return true; }
    void showError(QWidget*, const QString&, const QString&) override {}
    bool openUrl(const QUrl& url) override {
        opened.push_back(url.toEncoded().toStdString());
        return true;
    }
    void copyText(const QString&) override {}
    std::vector<std::string> opened;
};

class CTarvolinViewTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        // Three folders whose five keys order them five different ways, and two files.
        tree->file("/T/A/f1", 50).folder("/T/A/s1").folder("/T/A", 200);
        tree->file("/T/b/x1", 4).file("/T/b/x2", 3).file("/T/b/x3", 3).folder("/T/b", 300);
        tree->file("/T/c/s1/y1", 15).file("/T/c/s2/y2", 15).folder("/T/c", 100);
        tree->file("/T/a.txt", 5, 50).file("/T/Z.txt", 1, 60);
        tree->file("/P/only/f", 40);
        tree->folder("/E/empty");
        engine.start();
        ItemActions::install(actions);
    }
    void TearDown() override {
        view.reset();
        ItemActions::install(nullptr);
        document->ClearChildren();
    }

    CTarvolinView& makeView() {
        view.reset();
        view = std::make_unique<CTarvolinView>(controller);
        view->resize(900, 300);
        tester = std::make_unique<QAbstractItemModelTester>(
            &view->detailsModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        return *view;
    }
    void scan(const std::string& path) {
        bool done = false;
        const auto connection = QObject::connect(&controller, &scan::ScanController::scanComplete,
                                                 &controller, [&] { done = true; });
        controller.startFolderScan(path, false);
        ASSERT_TRUE(pumpUntil([&] { return done; }));
        QObject::disconnect(connection);
    }
    std::vector<std::string> column(int columnIndex) const {
        std::vector<std::string> texts;
        for (int row = 0; row < view->rowCount(); ++row)
            texts.push_back(view->cellText(row, columnIndex).toStdString());
        return texts;
    }
    void clickHeader(int section) {
        QHeaderView* header = view->header();
        const QPoint at(header->sectionViewportPosition(section) + 20, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    std::shared_ptr<test::FakeTree> tree = std::make_shared<test::FakeTree>();
    scan::CFolderEnumThread engine{std::make_unique<test::FakeDirectoryReader>(tree)};
    std::shared_ptr<scan::CTarvolinDoc> document = std::make_shared<scan::CTarvolinDoc>();
    scan::ScanController controller{engine, document};
    std::shared_ptr<FakeActions> actions = std::make_shared<FakeActions>();
    std::unique_ptr<CTarvolinView> view;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(CTarvolinViewTest, FirstStartListsFoldersThenFilesInScanOrderWithTheirTexts) {
    makeView();
    EXPECT_EQ(view->sortColumnSetting(), -1);
    scan("/T");
    EXPECT_EQ(view->sortColumnSetting(), -1);
    EXPECT_EQ(view->sortColumn(), -1);  // no arrow
    EXPECT_THAT(column(kColumnName), ElementsAre("A", "b", "c", "a.txt", "Z.txt"));
    EXPECT_THAT(column(kColumnSize),
                ElementsAre("50 bytes", "10 bytes", "30 bytes", "5 bytes", "1 bytes"));
    EXPECT_THAT(column(kColumnFiles), ElementsAre("1", "3", "2", "1", "1"));
    EXPECT_THAT(column(kColumnFolders), ElementsAre("1", "0", "2", "0", "0"));
    // 96 bytes in all.
    EXPECT_THAT(column(kColumnShare),
                ElementsAre("52.08 %", "10.42 %", "31.25 %", "5.21 %", "1.04 %"));
    EXPECT_EQ(view->cellText(0, kColumnLastChange), localDateText(200));

    EXPECT_EQ(view->rowPath(4), "/T/Z.txt");
    EXPECT_EQ(view->rowPath(5), "");
}

TEST_F(CTarvolinViewTest, HeaderClicksSortEachColumnAndFlipOnlyOnTheSameColumn) {
    makeView();
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    scan("/T");
    QSignalSpy sorted(view.get(), &CTarvolinView::sortChanged);

    struct Case {
        int column;
        std::vector<std::string> ascending;  // folders, then files
        bool filesDiffer;                    // the two files have different keys
    };
    // Passes run in this order and each ends ascending, which settles the order of ties.
    const Case cases[] = {
        {kColumnName, {"A", "b", "c", "a.txt", "Z.txt"}, true},
        {kColumnSize, {"b", "c", "A", "Z.txt", "a.txt"}, true},
        {kColumnLastChange, {"c", "A", "b", "a.txt", "Z.txt"}, true},
        {kColumnFiles, {"A", "c", "b", "a.txt", "Z.txt"}, false},
        {kColumnFolders, {"b", "A", "c", "a.txt", "Z.txt"}, false},
        {kColumnShare, {"b", "c", "A", "Z.txt", "a.txt"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        // A new column keeps the direction, which every pass leaves ascending.
        clickHeader(c.column);
        EXPECT_EQ(view->sortColumn(), c.column);  // arrow and shading
        EXPECT_TRUE(view->sortAscending());
        EXPECT_THAT(column(kColumnName), ElementsAreArray(c.ascending));

        clickHeader(c.column);
        EXPECT_FALSE(view->sortAscending());
        const auto names = column(kColumnName);
        ASSERT_EQ(names.size(), 5u);
        // Folders stay before files in either direction.
        EXPECT_THAT(std::vector<std::string>(names.begin(), names.begin() + 3),
                    ElementsAre(c.ascending[2], c.ascending[1], c.ascending[0]));
        if (c.filesDiffer) {
            EXPECT_EQ(names[3], c.ascending[4]);
        }
        clickHeader(c.column);
    }
    EXPECT_EQ(sorted.count(), 18);

    // Size twice, then Files: Files keeps the flipped (descending) direction.
    clickHeader(kColumnSize);
    clickHeader(kColumnSize);
    clickHeader(kColumnFiles);
    EXPECT_FALSE(view->sortAscending());
    EXPECT_THAT(column(kColumnName), ElementsAre("b", "c", "A", "a.txt", "Z.txt"));
}

TEST_F(CTarvolinViewTest, AHeaderClickOnAnEmptyDocumentChangesNothing) {
    makeView();
    QSignalSpy sorted(view.get(), &CTarvolinView::sortChanged);
    view->sortByHeader(kColumnSize);
    EXPECT_EQ(view->sortColumnSetting(), -1);
    EXPECT_EQ(view->sortColumn(), -1);
    EXPECT_EQ(sorted.count(), 0);
    view.reset();
    EXPECT_FALSE(stored("DetailListSortCol").isValid());
    EXPECT_FALSE(stored("DetailListSortDir").isValid());
    EXPECT_EQ(stored("ShowFolderFiles").toInt(), 1);
}

TEST_F(CTarvolinViewTest, SortStateAndShowFilesAreWrittenAtDestructionAndReadAtConstruction) {
    makeView();
    scan("/T");
    view->setShowFiles(false);
    view->sortByHeader(kColumnFiles);
    view->sortByHeader(kColumnFiles);
    view->header()->resizeSection(kColumnSize, 140);
    view.reset();
    EXPECT_EQ(stored("DetailListSortCol").toInt(), kColumnFiles);
    EXPECT_EQ(stored("DetailListSortDir").toInt(), 0);
    EXPECT_EQ(stored("ShowFolderFiles").toInt(), 0);
    EXPECT_EQ(stored("TarvolinViewCols").toString(), "300,140,125,75,75,100");
    EXPECT_EQ(document->folderCount(), 0);  // the view empties the document as it goes

    makeView();
    EXPECT_EQ(view->sortColumnSetting(), kColumnFiles);
    EXPECT_EQ(view->sortColumn(), kColumnFiles);  // the arrow is there before any scan
    EXPECT_FALSE(view->sortAscending());
    EXPECT_FALSE(view->showFiles());
    EXPECT_EQ(view->columnWidth(kColumnSize), 140);
    scan("/T");
    EXPECT_THAT(column(kColumnName), ElementsAre("b", "c", "A"));
}

TEST_F(CTarvolinViewTest, ShowFilesAppendsTheFilesAfterAllFoldersInDocumentOrder) {
    makeView();
    scan("/T");
    view->setShowFiles(false);
    EXPECT_THAT(column(kColumnName), ElementsAre("A", "b", "c"));
    EXPECT_EQ(view->cellText(3, kColumnName), "");  // beyond the rows
    view->toggleShowFiles();
    EXPECT_TRUE(view->showFiles());
    EXPECT_THAT(column(kColumnName), ElementsAre("A", "b", "c", "a.txt", "Z.txt"));
}

TEST_F(CTarvolinViewTest, RowsFollowTheDocumentOnlyAtRefreshAndNeverReadPastIt) {
    makeView();
    tree->block("/T/c");
    controller.startFolderScan("/T", false);
    // The walk first waits for the view to drop its rows.
    ASSERT_TRUE(pumpUntil([&] { return tree->waitUntilBlocked("/T/c", 0); }));
    EXPECT_EQ(view->rowCount(), 0);  // A and b are listed, but no refresh came yet
    EXPECT_EQ(document->folderCount(), 2);
    EXPECT_TRUE(view->canStopScan());
    EXPECT_FALSE(view->canPrintOrExport());
    view->refreshView();
    // a.txt was met between b and c; it still comes after the folders.
    EXPECT_THAT(column(kColumnName), ElementsAre("A", "b", "a.txt"));
    // No root totals while the scan runs.
    EXPECT_THAT(column(kColumnShare), ElementsAre("", "", ""));
    tree->release("/T/c");
    ASSERT_TRUE(pumpUntil([&] { return view->rowCount() == 5; }));  // refreshed at completion
    EXPECT_FALSE(view->canStopScan());
    EXPECT_TRUE(view->canPrintOrExport());

    // Whatever empties the document, a row past its counts reads as nothing.
    document->ClearChildren();
    EXPECT_EQ(view->rowCount(), 5);
    EXPECT_EQ(view->cellText(0, kColumnName), "");
    EXPECT_FALSE(view->detailsModel().index(0, 0).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(view->detailsModel().index(0, 0).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(view->rowNode(0).has_value());
    view->refreshView();
    EXPECT_EQ(view->rowCount(), 0);
}

TEST_F(CTarvolinViewTest, ShareOfParentTexts) {
    makeView();
    scan("/P");
    EXPECT_THAT(column(kColumnShare), ElementsAre("100.00 %"));
    scan("/E");
    EXPECT_THAT(column(kColumnShare), ElementsAre("0.00 %"));

    // A report scan leaves no folder root behind: the share goes blank, the rows stay.
    auto listener = std::make_shared<test::RecordingListener>();
    scan::ScanRequest request;
    request.path = "/P";
    request.mode = scan::ScanMode::Report;
    request.listener = listener;
    ASSERT_EQ(engine.SubmitScanRequest(std::move(request)), 0u);
    ASSERT_TRUE(listener->waitForCompletions(1));
    EXPECT_EQ(view->cellText(0, kColumnName), "empty");
    EXPECT_EQ(view->cellText(0, kColumnShare), "");
}

TEST_F(CTarvolinViewTest, NameColourFollowsAttributePrecedenceAndReloads) {
    using namespace ui::option;
    ui::writeOption(kFileColorNormal, QColor(1, 1, 1));
    ui::writeOption(kFileColorHidden, QColor(2, 2, 2));
    ui::writeOption(kFileColorReadOnly, QColor(3, 3, 3));
    ui::writeOption(kFileColorCompressed, QColor(4, 4, 4));
    ui::writeOption(kFileColorSystem, QColor(5, 5, 5));
    makeView();

    struct Case {
        std::uint32_t attributes;
        QColor expected;
    };
    const Case cases[] = {
        {scan::kAttrHidden | scan::kAttrReadOnly | scan::kAttrCompressed | scan::kAttrSystem,
         QColor(2, 2, 2)},
        {scan::kAttrReadOnly | scan::kAttrCompressed | scan::kAttrSystem, QColor(3, 3, 3)},
        {scan::kAttrCompressed | scan::kAttrSystem, QColor(4, 4, 4)},
        {scan::kAttrSystem, QColor(5, 5, 5)},
        {scan::kAttrReparsePoint, QColor(1, 1, 1)},
    };
    std::vector<std::unique_ptr<scan::ScanNode>> folders;
    for (const Case& c : cases) {
        folders.push_back(
            std::make_unique<scan::ScanNode>("/X/f" + std::to_string(folders.size())));
        folders.back()->attributes = c.attributes | scan::kAttrDirectory;
        document->AddChild(folders.back().get());
    }
    view->refreshView();
    const auto colour = [&](int row, int columnIndex) {
        return view->detailsModel()
            .index(row, columnIndex)
            .data(Qt::ForegroundRole)
            .value<QBrush>()
            .color();
    };
    for (int row = 0; row < static_cast<int>(std::size(cases)); ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(colour(row, kColumnName), cases[row].expected);
        for (int other = kColumnSize; other < kColumnCount; ++other)
            EXPECT_EQ(colour(row, other), QColor(1, 1, 1));  // only the name is coloured
    }
    ui::writeOption(kFileColorHidden, QColor(9, 9, 9));
    EXPECT_EQ(colour(0, kColumnName), QColor(2, 2, 2));  // kept until asked to reload
    view->reloadColors();
    EXPECT_EQ(colour(0, kColumnName), QColor(9, 9, 9));
    view.reset();  // empties the document before the nodes go
}

TEST_F(CTarvolinViewTest, SelectByNamePrefersTheExactNameAndOpensOnRequest) {
    tree->folder("/N/Data").folder("/N/data").file("/N/DATA.bin", 1);
    makeView();
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    scan("/N");
    ASSERT_THAT(column(kColumnName), ElementsAre("Data", "data", "DATA.bin"));
    const auto selected = [&] {
        const auto rows = view->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.front().row() : -1;
    };
    QSignalSpy activated(view.get(), &CTarvolinView::folderActivated);

    view->selectByName("data", false);
    EXPECT_EQ(selected(), 1);
    view->selectByName("DATA", false);
    EXPECT_EQ(selected(), 0);  // no exact match: the first one ignoring case
    view->selectByName("nothing", true);
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(activated.count(), 0);

    view->selectByName("data", true);
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.front().front().value<std::string>(), "/N/data");
    view->selectByName("data.BIN", true);
    EXPECT_EQ(selected(), 2);
    EXPECT_THAT(actions->opened, ElementsAre("file:///N/DATA.bin"));

    // A double-click on a folder row asks for the folder, too.
    const QRect row0 = view->visualRect(view->detailsModel().index(0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row0.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, row0.center());
    ASSERT_EQ(activated.count(), 2);
    EXPECT_EQ(activated.back().front().value<std::string>(), "/N/Data");
}

TEST_F(CTarvolinViewTest, EmptyTextsFollowTheScanAndTheHeaderIsDisabledWhileEmpty) {
    makeView();
    EXPECT_EQ(view->currentEmptyText(),
              QStringLiteral("There are no items to display.                   "));
    EXPECT_FALSE(view->header()->isEnabled());

    tree->block("/T/A");
    controller.startFolderScan("/T", false);
    // The walk first waits for the view to drop its rows.
    ASSERT_TRUE(pumpUntil([&] { return tree->waitUntilBlocked("/T/A", 0); }));
    view->refreshView();
    EXPECT_EQ(view->rowCount(), 0);
    EXPECT_EQ(view->currentEmptyText(),
              QStringLiteral("Report generation is in progress. Please wait..."));
    EXPECT_FALSE(view->header()->isEnabled());
    view->stopScan();
    EXPECT_FALSE(view->canStopScan());
    tree->release("/T/A");
    ASSERT_TRUE(pumpUntil([&] { return !engine.hasWork(); }));
    QCoreApplication::processEvents();

    scan("/T");
    EXPECT_TRUE(view->header()->isEnabled());
    scan("/E/empty");
    EXPECT_EQ(view->rowCount(), 0);
    EXPECT_FALSE(view->header()->isEnabled());
    EXPECT_EQ(view->currentEmptyText(),
              QStringLiteral("There are no items to display.                   "));
}

// A cell cut by its column shows its whole text as a tip; a cell that fits shows none.
TEST_F(CTarvolinViewTest, CutCellsShowTheirWholeTextAsATip) {
    const std::string longName = "a folder whose name is longer than its column <b>";
    tree->file("/L/" + longName + "/f", 7);
    makeView();
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    scan("/L");
    view->header()->resizeSection(kColumnName, 60);
    view->header()->resizeSection(kColumnLastChange, 20);
    view->header()->resizeSection(kColumnSize, 150);
    const auto tipAt = [&](int column) {
        QToolTip::hideText();  // which takes effect a little later
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
        const QRect cell = view->visualRect(view->model()->index(0, column));
        QHelpEvent hover(QEvent::ToolTip, cell.center(),
                         view->viewport()->mapToGlobal(cell.center()));
        QCoreApplication::sendEvent(view->viewport(), &hover);
        return QToolTip::isVisible()
                   ? QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText()
                   : QStringLiteral("(none)");
    };
    EXPECT_EQ(tipAt(kColumnName), QString::fromStdString(longName));
    EXPECT_EQ(tipAt(kColumnLastChange), view->cellText(0, kColumnLastChange));
    EXPECT_EQ(tipAt(kColumnSize), QStringLiteral("(none)"));
    QToolTip::hideText();
}

TEST_F(CTarvolinViewTest, ADropHandsOnTheFirstPathWhateverItsLength) {
    makeView();
    QSignalSpy dropped(view.get(), &CTarvolinView::pathDropped);
    const QString longPath = "/data/" + QString(300, u'x') + "/folder";
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(longPath), QUrl::fromLocalFile("/second")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view->viewport(), &drop);
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.front().front().toString(), longPath);

    QMimeData text;
    text.setText("not a path");
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view->viewport(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

// Without a locale the date reads like the terminal's and fits the default column; a locale
// gives its own short form. Midnight shows the date alone either way.
TEST(DateText, ShortLocaleFormOrIsoWithoutALocaleAndTheDateAloneAtMidnight) {
    const QDate day(2021, 3, 4);
    const auto at = [&](int hour, int minute) {
        return QDateTime(day, QTime(hour, minute)).toSecsSinceEpoch();
    };
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(localDateText(at(0, 0)), QStringLiteral("2021-03-04"));
    EXPECT_EQ(localDateText(at(14, 35)), QStringLiteral("2021-03-04 14:35"));

    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    EXPECT_EQ(localDateText(at(0, 0)), german.toString(day, QLocale::ShortFormat));
    EXPECT_EQ(localDateText(at(14, 35)),
              german.toString(QDateTime(day, QTime(14, 35)), QLocale::ShortFormat));
    QLocale::setDefault(saved);
}

}  // namespace
}  // namespace tarvolin::views
