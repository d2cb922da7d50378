#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <map>

#include "graphs/CStaticBarGraph.h"
#include "reports/CFileTypeReportDlg.h"
#include "reports/CLargestFilesReport.h"
#include "reports/COldestFilesReport.h"
#include "reports/CPropPageTempFiles.h"
#include "reports/ReportCollections.h"
#include "support/QtPrinters.h"
#include "support/SettingsFixture.h"
#include "support/TempTree.h"
#include "support/Unremovable.h"
#include "ui/Options.h"
#include "views/DateText.h"
#include "views/ItemActions.h"
#include "views/ItemContextMenu.h"
#include "views/ItemOperations.h"

namespace tarvolin::reports {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Tester = QAbstractItemModelTester;

void feed(ReportCollections& collections, const std::string& path, std::int64_t size,
          std::int64_t time = 1'000'000'000) {
    const std::string_view view(path);
    scan::ReportFile file;
    file.path = view;
    file.nameOffset = view.rfind('/') + 1;
    file.name = view.substr(file.nameOffset);
    file.size = size;
    file.lastWriteTime = time;
    collections.addFile(file);
}

// A column's texts, top to bottom, as the list shows them.
std::vector<std::string> column(const QAbstractItemView& view, int col) {
    std::vector<std::string> texts;
    const QAbstractItemModel& model = *view.model();
    for (int row = 0; row < model.rowCount(); ++row)
        texts.push_back(model.index(row, col).data().toString().toStdString());
    return texts;
}

std::vector<int> selectedRows(const QAbstractItemView& view) {
    std::vector<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void clickHeader(ReportListBase& list, int section) {
    QTest::mouseClick(list.header()->viewport(), Qt::LeftButton, {},
                      QPoint(list.header()->sectionViewportPosition(section) + 5, 5));
}

class FakeActions final : public views::ItemActions {
public:
    bool confirm(QWidget*, const QString&, const QString&) override { return true; }
    void showError(QWidget*, const QString&, const QString& text) override {
        errors.push_back(text.toStdString());
    }
    bool openUrl(const QUrl& url) override {
        opened.push_back(url.toLocalFile().toStdString());
        return true;
    }
    void copyText(const QString& text) override { copied = text.toStdString(); }

    std::vector<std::string> errors;
    std::vector<std::string> opened;
    std::string copied;
};

// Right-clicks the list's first selected row and picks `command` from the menu that opens.
void runContextCommand(ReportListBase& list, views::ItemContextMenu::Command command) {
    bool picked = false;
    QTimer::singleShot(0, &list, [&picked, command] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        for (QAction* action : menu->actions()) {
            if (action->text() != views::ItemContextMenu::commandText(command)) continue;
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            picked = true;
            return;
        }
        menu->close();
    });
    const QRect row = list.visualRect(list.model()->index(list.firstSelectedRow(), 0));
    QContextMenuEvent event(QContextMenuEvent::Mouse, row.center(),
                            list.viewport()->mapToGlobal(row.center()));
    QApplication::sendEvent(list.viewport(), &event);
    EXPECT_TRUE(picked) << "the menu did not offer the command";
}

// Answers the next message box with `button` and records its text.
void answerNextBox(QObject* context, QString* text, QMessageBox::StandardButton button) {
    QTimer::singleShot(0, context, [text, button] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            *text = box->text();
            box->button(button)->click();
        }
    });
}

// Confirms the next message box with the Enter key, so its default button answers, and records
// its text and icon.
void pressEnterOnNextBox(QObject* context, QString* text, QMessageBox::Icon* icon) {
    QTimer::singleShot(0, context, [text, icon] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            *text = box->text();
            *icon = box->icon();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
}

class ReportPagesTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        views::ItemActions::install(actions);
    }
    void TearDown() override { views::ItemActions::install(nullptr); }

    ReportCollections collections;
    std::shared_ptr<FakeActions> actions = std::make_shared<FakeActions>();
    test::TempTree tree;
};

TEST_F(ReportPagesTest, LargestRowsAreNumberedInHeapOrderAndNumberSortsAsANumber) {
    for (int i = 1; i <= 12; ++i)
        feed(collections, tree.path("f" + std::to_string(i)), i * 1024);
    CLargestFilesReport page(collections);
    Tester tester(page.list()->model(), Tester::FailureReportingMode::Fatal);
    page.resize(700, 500);
    page.show();
    EXPECT_EQ(page.list()->model()->rowCount(), 0);  // nothing before a refresh
    page.refreshReport();

    std::vector<std::string> numbers;
    for (int i = 0; i < 12; ++i)
        numbers.push_back(std::to_string(i));
    EXPECT_THAT(column(*page.list(), 1), ElementsAreArray(numbers));
    EXPECT_EQ(column(*page.list(), 2).front(), "1.00 KB");  // the smallest of the heap first
    std::vector<std::string> heapPaths;
    for (const FileSizeEntry& entry : collections.largestFiles())
        heapPaths.push_back(entry.path);
    EXPECT_THAT(column(*page.list(), 3), ElementsAreArray(heapPaths));

    // "#": descending first, then ascending, both by value (10 after 9).
    clickHeader(*page.list(), 1);
    EXPECT_THAT(column(*page.list(), 1),
                ElementsAre("11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "0"));
    clickHeader(*page.list(), 1);
    EXPECT_THAT(column(*page.list(), 1), ElementsAreArray(numbers));
    EXPECT_EQ(page.list()->sortColumn(), 1);

    // Size: the largest first; a refresh keeps the chosen order and builds the bands from it.
    clickHeader(*page.list(), 2);
    page.refreshReport();
    EXPECT_EQ(column(*page.list(), 0).front(), "f12");
    ASSERT_EQ(page.graph()->bandCount(), 12);
    for (int i = 0; i < 12; ++i) {
        const QString expectedLabel =
            page.list()->model()->index(i, 1).data().toString();  // list order = value order
        EXPECT_EQ(page.graph()->band(i).label, expectedLabel);
    }
    EXPECT_EQ(page.graph()->band(0).toolTip, QStringLiteral("f12 (12.0 KB)"));
    EXPECT_EQ(page.graph()->band(0).value, 12);
}

TEST_F(ReportPagesTest, ClickingABandSelectsOnlyTheRowOfItsNumber) {
    for (int i = 1; i <= 5; ++i)
        feed(collections, tree.path("file" + std::to_string(i)), i * 100 * 1024);
    CLargestFilesReport page(collections);
    page.resize(700, 500);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    page.refreshReport();
    clickHeader(*page.list(), 0);  // re-sorted: rows no longer in "#" order
    page.list()->selectAll();

    graphs::CStaticBarGraph& graph = *page.graph();
    for (int band = 0; band < graph.bandCount(); ++band) {
        SCOPED_TRACE(band);
        QTest::mouseClick(&graph, Qt::LeftButton, {}, graph.band(band).rect.center());
        const std::vector<int> rows = selectedRows(*page.list());
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(page.list()->model()->index(rows.front(), 1).data().toString(),
                  graph.band(band).label);
        EXPECT_EQ(page.list()->currentIndex().row(), rows.front());
    }
    page.selectRowNumbered(QStringLiteral("no such number"));
    EXPECT_TRUE(selectedRows(*page.list()).empty());
    page.grab().save(QStringLiteral("/tmp/reportsgui-largest-page.png"));
}

// Over a band its file shows; anywhere else on the graph, also before any scan, the page's help.
TEST_F(ReportPagesTest, BandingGraphTipIsTheFileOverABandAndTheHelpElsewhere) {
    CLargestFilesReport page(collections);
    page.resize(700, 500);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    graphs::CStaticBarGraph& graph = *page.graph();
    const auto tipAt = [&graph](const QPoint& pos) {
        QToolTip::hideText();  // which takes effect a little later
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
        QHelpEvent hover(QEvent::ToolTip, pos, graph.mapToGlobal(pos));
        QApplication::sendEvent(&graph, &hover);
        return QToolTip::isVisible() ? QToolTip::text() : QStringLiteral("(none)");
    };
    const QPoint middle = graph.rect().center();
    EXPECT_EQ(tipAt(middle), CLargestFilesReport::kGraphHelp);

    feed(collections, tree.path("only"), 100 * 1024);
    page.refreshReport();
    ASSERT_EQ(graph.bandCount(), 1);
    EXPECT_THAT(tipAt(middle).toStdString(), ::testing::HasSubstr("only"));
    // A single band is one pixel short of the right edge.
    EXPECT_EQ(tipAt(QPoint(graph.width() - 1, middle.y())), CLargestFilesReport::kGraphHelp);
    QToolTip::hideText();
}

TEST_F(ReportPagesTest, OldestRowsReadTheSizeAgainAndShowTheLocalDate) {
    tree.file("kept", 300);
    tree.file("grown", 10);
    feed(collections, tree.path("kept"), 300, 86'400 * 400);
    feed(collections, tree.path("grown"), 10, -86'400 * 3);  // before 1970
    feed(collections, tree.path("gone"), 999, 86'400 * 5);
    ASSERT_EQ(::truncate(tree.path("grown").c_str(), 5000), 0);

    COldestFilesReport page(collections);
    Tester tester(page.list()->model(), Tester::FailureReportingMode::Fatal);
    page.refreshReport();
    ASSERT_EQ(page.list()->model()->rowCount(), 3);
    std::map<std::string, std::pair<std::string, std::string>> shown;  // name: size, date
    const std::vector<std::string> names = column(*page.list(), 0);
    const std::vector<std::string> sizes = column(*page.list(), 1);
    const std::vector<std::string> dates = column(*page.list(), 2);
    for (std::size_t i = 0; i < names.size(); ++i)
        shown[names[i]] = {sizes[i], dates[i]};
    EXPECT_EQ(shown["kept"].first, "300 bytes");
    EXPECT_EQ(shown["grown"].first, "4.88 KB");
    EXPECT_EQ(shown["gone"].first, "0 bytes");
    EXPECT_EQ(shown["grown"].second, views::localDateText(-86'400 * 3).toStdString());
    EXPECT_FALSE(shown["grown"].second.empty());

    // Date: the newest first on the first click.
    clickHeader(*page.list(), 2);
    EXPECT_THAT(column(*page.list(), 0), ElementsAre("kept", "gone", "grown"));
}

TEST_F(ReportPagesTest, FileTypesFilterComparesTypeTotalsInSixtyFourBits) {
    feed(collections, tree.path("old.gone"), 1);
    collections.reset();  // ".gone" stays as a key without files
    for (const char* name : {"a.dat", "b.dat", "c.dat"})
        feed(collections, tree.path(name), 40 * 1024);
    feed(collections, tree.path("one.bin"), 100 * 1024);
    feed(collections, tree.path("almost.mid"), 99 * 1024);
    feed(collections, tree.path("disk.big"), 5LL << 30);
    feed(collections, tree.path("README"), 1);

    CFileTypeReportDlg page(collections);
    Tester tester(page.list()->model(), Tester::FailureReportingMode::Fatal);
    struct Case {
        bool enabled;
        QString minimum;
        std::vector<std::string> extensions;
    };
    const std::vector<std::string> all{"", ".big", ".bin", ".dat", ".mid"};
    const Case cases[] = {
        {false, QStringLiteral("100"), all},
        {true, QStringLiteral("100"), {".big", ".bin", ".dat"}},  // 3 x 40 KB pass together
        {true, QStringLiteral("-5"), all},
        {true, QStringLiteral("abc"), all},               // reads as 0
        {true, QStringLiteral("3000000"), {".big"}},      // beyond 2,097,151 KB
        {true, QStringLiteral(" 5242880 KB"), {".big"}},  // exactly 5 GiB
        {true, QStringLiteral("5242881"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.minimum.toStdString());
        page.filterCheck()->setChecked(c.enabled);
        page.setMinimumText(c.minimum);
        page.refreshButton()->click();
        EXPECT_THAT(column(*page.list(), 1), ElementsAreArray(c.extensions));
    }

    // Space sorts by the exact totals: 5 GiB, 120 KB, 100 KB, 99 KB, 1 byte.
    page.filterCheck()->setChecked(false);
    page.refreshReport();
    clickHeader(*page.list(), 3);
    EXPECT_THAT(column(*page.list(), 1), ElementsAre(".big", ".dat", ".bin", ".mid", ""));
    EXPECT_THAT(column(*page.list(), 2), ElementsAre("1", "3", "1", "1", "1"));
}

TEST_F(ReportPagesTest, FileTypesFilterControlsAndTheirStoredValues) {
    feed(collections, tree.path("a.dat"), 10 * 1024);
    feed(collections, tree.path("b.bin"), 1024);
    ui::writeOption(ui::option::kFileTypeReportMinFileSize, 5);
    ui::writeOption(ui::option::kFileTypeReportMinFileSizeFilter, 0);
    {
        CFileTypeReportDlg page(collections);
        EXPECT_EQ(page.minimumEdit()->text(), QStringLiteral("5"));
        EXPECT_FALSE(page.filterCheck()->isChecked());
        EXPECT_FALSE(page.minimumEdit()->isEnabled());
        page.show();
        // Clicking the box refreshes with the filter and enables the number.
        QTest::mouseClick(page.filterCheck(), Qt::LeftButton);
        EXPECT_TRUE(page.minimumEdit()->isEnabled());
        EXPECT_THAT(column(*page.list(), 1), ElementsAre(".dat"));
        // A new number alone changes nothing until Refresh.
        page.setMinimumText(QStringLiteral("0"));
        EXPECT_THAT(column(*page.list(), 1), ElementsAre(".dat"));
        page.refreshButton()->click();
        EXPECT_THAT(column(*page.list(), 1), ElementsAre(".bin", ".dat"));
        // The arrows step within -32767..32767.
        page.setMinimumText(QStringLiteral("32766"));
        page.minimumEdit()->stepBy(5);
        EXPECT_EQ(page.minimumEdit()->text(), QStringLiteral("32767"));
        page.setMinimumText(QStringLiteral("4000000000"));
    }
    EXPECT_EQ(ui::readOption(ui::option::kFileTypeReportMinFileSizeFilter), 1);
    EXPECT_EQ(ui::readOption(ui::option::kFileTypeReportMinFileSize), 2147483647);
}

TEST_F(ReportPagesTest, TempMaskIsStoredAndParsedWhenTheEditIsLeftAndDefaultsApplyAtOnce) {
    CPropPageTempFiles page(collections);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    EXPECT_EQ(page.maskEdit()->text(), QString::fromLatin1(kDefaultTempFileMask));
    const auto labels = page.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](const QLabel* label) {
        return label->text() ==
               QStringLiteral(
                   "&Filenames containing one of these (semicolon-delimited) patterns "
                   "are considered temp files:");
    }));

    page.maskEdit()->setText(QStringLiteral(";;.LOG,, .Bak;"));
    emit page.maskEdit()->editingFinished();
    EXPECT_EQ(ui::readOption(ui::option::kTempFileMask), QStringLiteral(";;.LOG,, .Bak;"));
    EXPECT_THAT(collections.tempFilePatterns(), ElementsAre(".log", " .bak"));

    QString boxText;
    answerNextBox(&page, &boxText, QMessageBox::Ok);
    page.maskEdit()->setText(QStringLiteral(";,;"));
    emit page.maskEdit()->editingFinished();
    EXPECT_EQ(boxText, CPropPageTempFiles::kNoValidEntries);
    EXPECT_TRUE(collections.tempFilePatterns().empty());

    // No: nothing changes. Yes, the default answer: the default mask, stored and in effect for
    // the next scan.
    answerNextBox(&page, &boxText, QMessageBox::No);
    page.defaultsButton()->click();
    EXPECT_EQ(boxText, CPropPageTempFiles::kReplaceQuestion);
    EXPECT_EQ(page.maskEdit()->text(), QStringLiteral(";,;"));
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    boxText.clear();
    pressEnterOnNextBox(&page, &boxText, &icon);
    page.defaultsButton()->click();
    EXPECT_EQ(boxText, CPropPageTempFiles::kReplaceQuestion);
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(page.maskEdit()->text(), QString::fromLatin1(kDefaultTempFileMask));
    EXPECT_EQ(ui::readOption(ui::option::kTempFileMask), QString::fromLatin1(kDefaultTempFileMask));
    EXPECT_EQ(collections.tempFilePatterns(), parseTempFileMask(kDefaultTempFileMask));
    feed(collections, tree.path("x.tmp"), 1);
    EXPECT_EQ(collections.tempFiles().size(), 1u);
}

TEST_F(ReportPagesTest, DeleteRemovesOnlyTheRowsWhoseFileIsGoneAndTheyStayGone) {
    for (const char* name : {"a.tmp", "b.tmp", "c.tmp", "d.tmp"}) {
        tree.file(name, 10);
        feed(collections, tree.path(name), 10);
    }
    CPropPageTempFiles page(collections);
    Tester tester(page.list()->model(), Tester::FailureReportingMode::Fatal);
    page.resize(700, 500);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    page.refreshReport();
    ASSERT_EQ(page.list()->model()->rowCount(), 4);

    // Copy Path is not a delete: every row stays.
    page.list()->selectAll();
    runContextCommand(*page.list(), views::ItemContextMenu::Command::CopyPath);
    EXPECT_EQ(page.list()->model()->rowCount(), 4);

    {
        test::Unremovable lock(tree.path("c.tmp"));
        if (!lock.applied()) GTEST_SKIP() << "this file system cannot keep a file from removal";
        page.list()->selectionModel()->clearSelection();
        for (int row : {0, 2, 3}) {
            page.list()->selectionModel()->select(
                page.list()->model()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        runContextCommand(*page.list(), views::ItemContextMenu::Command::Delete);
    }
    EXPECT_THAT(column(*page.list(), 0), ElementsAre("b.tmp", "c.tmp"));
    EXPECT_EQ(actions->errors.size(), 1u);
    std::vector<std::string> kept;
    for (const TempFileEntry& entry : collections.tempFiles())
        kept.push_back(entry.path);
    EXPECT_THAT(kept, ElementsAre(tree.path("b.tmp"), tree.path("c.tmp")));
    // Re-sorting cannot bring them back.
    clickHeader(*page.list(), 2);
    clickHeader(*page.list(), 2);
    EXPECT_EQ(page.list()->model()->rowCount(), 2);
}

TEST_F(ReportPagesTest, DoubleClickOpensTheFirstSelectedFileTipsShowCutTextsAndDeleteEmpties) {
    tree.file("big", 2000);
    tree.file("small", 1000);
    feed(collections, tree.path("big"), 2000);
    feed(collections, tree.path("small"), 1000);
    CLargestFilesReport page(collections);
    page.resize(700, 500);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    page.refreshReport();
    ReportListBase& list = *page.list();
    list.selectAll();
    emit list.doubleClicked(list.model()->index(1, 0));
    ASSERT_EQ(actions->opened.size(), 1u);
    EXPECT_EQ(actions->opened.back(), tree.path("small"));  // row 0, the smaller in heap order

    // A cell too narrow for its text shows all of it on hover; one wide enough shows nothing.
    list.setColumnWidth(3, 40);
    const QRect path = list.visualRect(list.model()->index(0, 3));
    QHelpEvent narrow(QEvent::ToolTip, path.center(), list.viewport()->mapToGlobal(path.center()));
    QApplication::sendEvent(list.viewport(), &narrow);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_THAT(QToolTip::text().toStdString(), ::testing::HasSubstr(tree.path("small")));
    const QRect size = list.visualRect(list.model()->index(0, 2));
    QHelpEvent wide(QEvent::ToolTip, size.center(), list.viewport()->mapToGlobal(size.center()));
    QApplication::sendEvent(list.viewport(), &wide);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));  // hides late

    list.selectAll();
    runContextCommand(list, views::ItemContextMenu::Command::Delete);
    EXPECT_EQ(list.model()->rowCount(), 0);
    EXPECT_TRUE(fileIsGone(tree.path("big")));
}

}  // namespace
}  // namespace tarvolin::reports
