#include "app/CMainFrame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest/QTest>

#include "app/CommandIds.h"
#include "app/MainActions.h"
#include "app/PathBar.h"
#include "app/StatusMessagePane.h"
#include "drives/FixedVolumes.h"
#include "scan/CFolderEnumErrorDlg.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "support/EventPump.h"
#include "support/FakeDirectoryReader.h"
#include "support/OneFixedVolume.h"
#include "support/QtPrinters.h"
#include "support/SettingsFixture.h"
#include "support/TempTree.h"
#include "ui/CHistoryCombo.h"
#include "ui/CSmartSplitterWnd.h"
#include "ui/Options.h"
#include "ui/SettingsStore.h"
#include "views/CTarvolinView.h"

namespace tarvolin::app {
namespace {

using test::pumpUntil;

class CMainFrameTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        tree->file("/A/a.txt", 1).file("/A/sub/s", 10).file("/A/zz/z", 100);
        engine.start();
    }
    void makeFrame() {
        frame = std::make_unique<CMainFrame>(controller, volumes);
        frame->showFirstTime();
    }
    // Walks everything again: what earlier scans cached must not hide a changed tree.
    void scan(const std::string& path) {
        const int before = completions;
        controller.startFolderScan(path, true);
        ASSERT_TRUE(pumpUntil([&] { return completions > before; }));
    }
    // The text of the message box that `action` opens, which is answered at once.
    template <class Action>
    QString messageBoxText(Action&& action) {
        QString text;
        QObject scope;  // the check dies with this call when no box opened
        QTimer::singleShot(50, &scope, [&text] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->accept();
            }
        });
        action();
        return text;
    }

    std::shared_ptr<test::FakeTree> tree = std::make_shared<test::FakeTree>();
    scan::CFolderEnumThread engine{std::make_unique<test::FakeDirectoryReader>(tree)};
    std::shared_ptr<scan::CTarvolinDoc> document = std::make_shared<scan::CTarvolinDoc>();
    scan::ScanController controller{engine, document};
    test::OneFixedVolume volumes;
    std::unique_ptr<CMainFrame> frame;
    int completions = 0;
    QMetaObject::Connection counting = QObject::connect(
        &controller, &scan::ScanController::scanComplete, &controller, [this] { ++completions; });
};

TEST_F(CMainFrameTest, StatusPaneFollowsTheScanAndItsErrors) {
    makeFrame();
    EXPECT_EQ(frame->statusText(), QString::fromUtf8(kIdleText));

    tree->block("/A/sub");
    controller.startFolderScan("/A", false);
    ASSERT_TRUE(pumpUntil([&] { return frame->statusText() == QLatin1String("/A/sub"); }));
    tree->release("/A/sub");
    ASSERT_TRUE(pumpUntil([&] { return completions == 1; }));
    EXPECT_EQ(frame->statusText(), QStringLiteral("Folder scanning complete"));
    QStatusTipEvent prompt(QStringLiteral("Stop the folder scan in progress\nStop"));
    QApplication::sendEvent(frame.get(), &prompt);
    EXPECT_EQ(frame->statusText(), QStringLiteral("Stop the folder scan in progress"));

    // With errors, the notice stands in for every prompt and the idle text.
    tree->failOpen("/A/zz", EACCES);
    scan("/A");
    EXPECT_EQ(frame->statusText(), QString::fromUtf8(kErrorsNotice));
    QApplication::sendEvent(frame.get(), &prompt);
    EXPECT_EQ(frame->statusText(), QString::fromUtf8(kErrorsNotice));
    QStatusTipEvent idle{QString()};
    QApplication::sendEvent(frame.get(), &idle);
    EXPECT_EQ(frame->statusText(), QString::fromUtf8(kErrorsNotice));

    tree->failOpen("/A/zz", 0);
    scan("/A");
    EXPECT_EQ(frame->statusText(), QStringLiteral("Folder scanning complete"));
}

// The error report opens from a double-click on the message pane, and only while errors exist.
TEST_F(CMainFrameTest, DoubleClickOnTheMessageOpensTheErrorReportOnlyAfterErrors) {
    makeFrame();
    auto* pane = frame->findChild<StatusMessagePane*>();
    ASSERT_NE(pane, nullptr);
    const auto openedReport = [&] {
        int rows = -1;
        QObject scope;  // the check dies with this call when no dialog opened
        QTimer::singleShot(50, &scope, [&rows] {
            if (auto* dialog =
                    qobject_cast<scan::CFolderEnumErrorDlg*>(QApplication::activeModalWidget())) {
                rows = static_cast<int>(dialog->errors().size());
                dialog->accept();
            }
        });
        QTest::mouseDClick(pane, Qt::LeftButton);
        QApplication::processEvents();
        return rows;
    };
    scan("/A");
    EXPECT_EQ(openedReport(), -1);

    tree->failOpen("/A/sub", EACCES).failOpen("/A/zz", EIO);
    scan("/A");
    EXPECT_TRUE(pane->errorIconShown());
    EXPECT_EQ(openedReport(), 2);
}

TEST_F(CMainFrameTest, PathBarRefusesWhatIsNotAFolderAndKeepsAHistory) {
    test::TempTree real;
    real.file("file.txt", 3);
    makeFrame();
    EXPECT_EQ(messageBoxText(
                  [&] { frame->navigateToPath(QString::fromStdString(real.path("missing"))); }),
              QStringLiteral("The path entered does not exist or is currently inaccessible."));
    EXPECT_EQ(messageBoxText(
                  [&] { frame->navigateToPath(QString::fromStdString(real.path("file.txt"))); }),
              QStringLiteral("The path entered is not a folder."));

    ui::writeOption(ui::option::kHistoryCount, 3);
    PathBar* bar = frame->pathBar();
    for (const char* path : {"/Data/old", "/data", "/p1", "/p2", "/p3"}) {
        bar->addToHistory(QString::fromUtf8(path), 3);
    }
    // "/data" begins "/Data/old" ignoring case, so it is not added; three entries are kept.
    ASSERT_EQ(bar->combo()->count(), 3);
    EXPECT_EQ(bar->combo()->itemText(0), QStringLiteral("/p3"));
    EXPECT_EQ(bar->combo()->itemText(2), QStringLiteral("/p1"));
    bar->addToHistory(QStringLiteral("/e"), 0);
    EXPECT_EQ(bar->combo()->count(), 3);
}

TEST_F(CMainFrameTest, UpdateCheckPromptsAndTipsWithItsOwnTexts) {
    makeFrame();
    QAction* check = frame->actions()->action(command::kUpdateCheck);
    ASSERT_NE(check, nullptr);
    check->showStatusText(frame.get());
    EXPECT_EQ(frame->statusText(), QStringLiteral("Check for updates"));
    QToolButton* button = nullptr;
    for (QToolBar* bar : frame->findChildren<QToolBar*>()) {
        if (auto* found = qobject_cast<QToolButton*>(bar->widgetForAction(check))) button = found;
    }
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Update Check"));
}

TEST_F(CMainFrameTest, ClosingSavesTheWindowStateWithTheGraphPaneExpanded) {
    makeFrame();
    scan("/A");
    frame->splitter()->setUpperPaneHeight(200);
    const int expandedHeight = frame->splitter()->upperPaneHeight();
    frame->splitter()->toggleLowerPane();
    ASSERT_TRUE(frame->splitter()->isCollapsed());
    frame->close();

    EXPECT_THAT(ui::readOption(ui::option::kWindowPos).toStdString(),
                ::testing::StartsWith("0,1,"));
    EXPECT_FALSE(ui::GetProfileBinary(QString::fromUtf8(ui::option::kBarState)).isEmpty());
    EXPECT_EQ(ui::readOption(ui::option::kSplitterSizeCur), expandedHeight);
    EXPECT_EQ(ui::GetRegString(QStringLiteral("ComboHistory/PathHistory"),
                               QStringLiteral("PathHistory0"), QString()),
              QStringLiteral("/A"));
}

TEST_F(CMainFrameTest, LoweringTheHistoryCountEmptiesOnlyThePathHistory) {
    ui::SetRegString(QStringLiteral("ComboHistory/ReportPathHistory"),
                     QStringLiteral("ReportPathHistory0"), QStringLiteral("/r"));
    makeFrame();
    frame->pathBar()->addToHistory(QStringLiteral("/p"), 10);
    frame->pathBar()->combo()->saveHistory(QString::fromUtf8(ui::option::kPathHistory));
    ui::writeOption(ui::option::kHistoryCount, 5);
    frame->applyOptions();
    EXPECT_EQ(frame->pathBar()->combo()->count(), 0);
    EXPECT_EQ(ui::GetRegString(QStringLiteral("ComboHistory/PathHistory"),
                               QStringLiteral("PathHistory0"), QStringLiteral("gone")),
              QStringLiteral("gone"));
    EXPECT_EQ(ui::GetRegString(QStringLiteral("ComboHistory/ReportPathHistory"),
                               QStringLiteral("ReportPathHistory0"), QString()),
              QStringLiteral("/r"));
}

// A settings file edited by hand: every broken value reads as its default and the window works.
TEST_F(CMainFrameTest, HandEditedSettingsGiveAWorkingWindowWithDefaultsForWhatIsBroken) {
    const QString fileName = ui::openSettingsKey()->fileName();
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(fileName).path()));
        QFile file(fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(R"([General]
AutoRefresh=@Variant(\0\0\0\x7f\0\0\0\x5QJunk\0)
RefreshFreq=-5
HistoryCount=99999999999999999999
ShowFolderFiles=yes
DetailListSortCol=2147483647
DetailListSortDir=@ByteArray(\xff\0)
SplitterSizeCur=2147483647
WindowPos="0,1,-1,-1,-1,-1,-2147483648,-2147483648,2147483647,2147483647"
TarvolinViewCols="-5,,99999999999,abc,0,\x1"
FileColorNormal=300:-1
FileColorHidden=@ByteArray(\xff\xfe\0)
FileColorReadOnly=@Invalid()
GraphBackPrimary=::::
GraphBackSecondary=1:2:3:4:5
UseGradientGraphBack=2
GraphGradientEffectType=-2147483648
GraphTitleFontFaceName=
GraphLabelFontFaceName=@Variant(\0\0\0\xff)
TempFileMask=";;,"
FileTypeReportMinFileSize=-1
LargestFilesListCols=32767,32767,32767,32767

[ComboHistory]
PathHistory\PathHistory0=/A
PathHistory\PathHistory2=/A/sub
PathHistory\PathHistory3=
PathHistory\PathHistory12=/A/zz
PathHistory\PathHistoryX=/junk
PathHistory\PathHistory4=/A
ReportPathHistory\ReportPathHistory5=/A

[Tarvolin]
BarState=@ByteArray(junk\0\xff)
)"));
    }
    makeFrame();
    scan("/A");

    EXPECT_TRUE(frame->isVisible());
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    EXPECT_TRUE(desktop.contains(frame->geometry().center())) << frame->geometry().width();
    EXPECT_LE(frame->width(), desktop.width());
    EXPECT_EQ(frame->detailsView()->model()->rowCount(), 3);
    for (int column = 0; column < frame->detailsView()->header()->count(); ++column)
        EXPECT_GT(frame->detailsView()->header()->sectionSize(column), 0) << column;
    // Entries by their number, gaps closed; empty and misnamed ones left out.
    QStringList history;
    for (int i = 0; i < frame->pathBar()->combo()->count(); ++i)
        history.append(frame->pathBar()->combo()->itemText(i));
    EXPECT_EQ(history, (QStringList{"/A", "/A/sub", "/A/zz"}));

    EXPECT_EQ(ui::readOption(ui::option::kFileColorNormal),
              ui::option::kFileColorNormal.defaultValue);
    EXPECT_EQ(ui::readOption(ui::option::kFileColorHidden),
              ui::option::kFileColorHidden.defaultValue);
    EXPECT_EQ(ui::readOption(ui::option::kFileColorReadOnly),
              ui::option::kFileColorReadOnly.defaultValue);
    EXPECT_EQ(ui::readOption(ui::option::kAutoRefresh), ui::option::kAutoRefresh.defaultValue);
    EXPECT_EQ(ui::readOption(ui::option::kDetailListSortDir),
              ui::option::kDetailListSortDir.defaultValue);

    // The report generator reads its own values.
    bool generatorShown = false;
    QTimer::singleShot(100, frame.get(), [&generatorShown] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            generatorShown = dialog->isVisible() && dialog->width() > 0;
            dialog->close();
        }
    });
    frame->actions()->action(command::kLargestFiles)->trigger();
    EXPECT_TRUE(generatorShown);
    frame->close();
}

// While a scan runs the list grows on the refresh ticks, and only on them.
TEST_F(CMainFrameTest, RefreshTicksFollowTheOptions) {
    for (const int autoRefresh : {1, 0}) {
        ui::writeOption(ui::option::kAutoRefresh, autoRefresh);
        ui::writeOption(ui::option::kRefreshFreq, 0);  // clamped to one second
        makeFrame();
        QAbstractItemModel* rows = frame->detailsView()->model();
        tree->block("/A/zz");
        controller.startFolderScan("/A", true);
        // The walk waits for the window at its start, so the loop runs while it gets there.
        ASSERT_TRUE(pumpUntil([&] { return tree->waitUntilBlocked("/A/zz", 0); }));
        pumpUntil([] { return false; }, 1400);
        EXPECT_EQ(rows->rowCount() > 0, autoRefresh == 1) << autoRefresh;
        tree->release("/A/zz");
        ASSERT_TRUE(pumpUntil([&] { return completions == (autoRefresh ? 1 : 2); }));
        EXPECT_EQ(rows->rowCount(), 3);
        frame.reset();
    }
}

}  // namespace
}  // namespace tarvolin::app
