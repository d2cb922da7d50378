// The scan history in the window: saving after scans, the status-bar note, the Tools command
// and the compare dialog, over an in-memory tree.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTimer>
#include <QTreeView>

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/MainActions.h"
#include "drives/FixedVolumes.h"
#include "exports/ItemViewTable.h"
#include "exports/ListExport.h"
#include "history/CCompareScanDlg.h"
#include "history/FolderChangeModel.h"
#include "history/HistoryDatabase.h"
#include "history/ScanHistory.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "support/EventPump.h"
#include "support/FakeDirectoryReader.h"
#include "support/OneFixedVolume.h"
#include "support/QtPrinters.h"
#include "support/SettingsFixture.h"
#include "support/TempTree.h"
#include "ui/Options.h"
#include "views/CFolderTreeCtrl.h"

namespace tarvolin::history {
namespace {

using test::pumpUntil;

class ScanHistoryInFrameTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        tree->file("/A/a.txt", 1).file("/A/sub/s", 10).file("/A/zz/z", 100);
        engine.start();
        frame = std::make_unique<app::CMainFrame>(controller, volumes);
        frame->showFirstTime();
        frame->setScanHistory(&history);
        QObject::connect(&history, &ScanHistory::snapshotsChanged, &history,
                         [this] { ++outcomes; });
        ASSERT_TRUE(pumpUntil([&] { return outcomes == 1; }));  // what was stored already
    }
    // As the folder browser scans, and until the history has handled the result.
    void scan(const std::string& path, bool bypassCache) {
        const int before = outcomes;
        frame->folderTree()->directScan(path, bypassCache);
        ASSERT_TRUE(pumpUntil([&] { return outcomes > before && !controller.isRunning(); }));
    }
    int snapshotsOf(const std::string& root) {
        HistoryDatabase database(data.path("h.sqlite"), HistoryDatabase::Mode::ReadOnly);
        const auto counts = database.rootCounts();
        return counts.count(root) ? counts.at(root) : 0;
    }
    QAction* compareAction() const {
        return frame->actions()->action(app::command::kCompareWithEarlierScan);
    }

    std::shared_ptr<test::FakeTree> tree = std::make_shared<test::FakeTree>();
    scan::CFolderEnumThread engine{std::make_unique<test::FakeDirectoryReader>(tree)};
    std::shared_ptr<scan::CTarvolinDoc> document = std::make_shared<scan::CTarvolinDoc>();
    scan::ScanController controller{engine, document};
    test::OneFixedVolume volumes;
    test::TempTree data;
    ScanHistory history{data.path("h.sqlite")};
    std::unique_ptr<app::CMainFrame> frame;
    int outcomes = 0;
};

// A rescan after the tree changed notes the change after the status text, the Tools command
// opens, and the dialog lists the changed folders, largest first, marking the new one.
TEST_F(ScanHistoryInFrameTest, RescanNotesTheChangeAndTheDialogListsIt) {
    EXPECT_FALSE(compareAction()->isEnabled());
    scan("/A", true);
    EXPECT_EQ(frame->statusText(), QStringLiteral("Folder scanning complete"));
    EXPECT_EQ(snapshotsOf("/A"), 1);
    EXPECT_FALSE(compareAction()->isEnabled());  // only the scan's own snapshot exists

    tree->file("/A/sub/s", 1034).file("/A/new/n", 5);
    scan("/A", true);
    EXPECT_EQ(snapshotsOf("/A"), 2);
    EXPECT_TRUE(
        frame->statusText().startsWith(QStringLiteral("Folder scanning complete (+1.00 KB since ")))
        << frame->statusText().toStdString();
    QStatusTipEvent idle{QString()};
    QApplication::sendEvent(frame.get(), &idle);
    EXPECT_TRUE(frame->statusText().startsWith(QString::fromUtf8(app::kIdleText) +
                                               QStringLiteral(" (+1.00 KB since ")));
    ASSERT_TRUE(compareAction()->isEnabled());

    QStringList rows;
    int snapshots = -1;
    QByteArray exported;
    test::TempTree out;
    QObject scope;
    QTimer::singleShot(50, &scope, [&] {
        auto* dialog = qobject_cast<CCompareScanDlg*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        snapshots = dialog->snapshotCombo()->count();
        const FolderChangeModel& model = *dialog->changeModel();
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model.columnCount(); ++column)
                cells << model.index(row, column).data().toString();
            rows << cells.join(QLatin1Char('|'));
        }
        // The list exports like every other list, as shown.
        const QString csv = QString::fromStdString(out.path("changes.csv"));
        if (dialog->exportButton()->isEnabled() &&
            exports::exportListToPath(dialog, exports::ItemViewTable(*dialog->changeList()), csv)) {
            QFile file(csv);
            if (file.open(QIODevice::ReadOnly)) exported = file.readAll();
        }
        // Double-clicking a folder drills the window into it.
        emit dialog->changeList()->doubleClicked(model.index(1, 0));
    });
    compareAction()->trigger();
    EXPECT_EQ(snapshots, 1);
    EXPECT_EQ(rows, QStringList({QStringLiteral("/A|111 bytes|1.11 KB|+1.00 KB|+1"),
                                 QStringLiteral("/A/sub|10 bytes|1.00 KB|+1.00 KB|0"),
                                 QStringLiteral("/A/new|(new)|5 bytes|+5 bytes|+1")}));
    EXPECT_EQ(exported,
              "Folder,Before,After,Change,Files Change\r\n/A,111 bytes,1.11 KB,+1.00 KB,+1\r\n"
              "/A/sub,10 bytes,1.00 KB,+1.00 KB,0\r\n/A/new,(new),5 bytes,+5 bytes,+1\r\n");
    EXPECT_EQ(frame->folderTree()->currentScanPath(), "/A/sub");
}

// A drill-down answered from the cache saves nothing, and neither does any scan while
// KeepScanHistory is 0; the earlier snapshot still answers for the note.
TEST_F(ScanHistoryInFrameTest, CachedDrillDownsAndSwitchedOffHistorySaveNothing) {
    scan("/A", true);
    scan("/A/sub", false);
    EXPECT_EQ(snapshotsOf("/A/sub"), 0);
    EXPECT_TRUE(compareAction()->isEnabled());  // the snapshot of /A covers /A/sub

    ui::writeOption(ui::option::kKeepScanHistory, 0);
    tree->file("/A/a.txt", 2);
    scan("/A", true);
    EXPECT_EQ(snapshotsOf("/A"), 1);
    EXPECT_TRUE(
        frame->statusText().startsWith(QStringLiteral("Folder scanning complete (+1 bytes since ")))
        << frame->statusText().toStdString();
}

// The last result is let go as the next scan starts, not when that scan's own result replaces
// it: two snapshots of a large tree at once would raise the window's peak memory.
TEST_F(ScanHistoryInFrameTest, TheLastResultIsFreedOnceTheNextScanHasStarted) {
    scan("/A", true);
    std::weak_ptr<const FolderSnapshot> last = history.lastResult();
    ASSERT_FALSE(last.expired());

    tree->block("/A/sub");
    controller.startFolderScan("/A", true);
    ASSERT_TRUE(pumpUntil([&] { return frame->statusText() == QLatin1String("/A/sub"); }));
    EXPECT_EQ(history.lastResult(), nullptr);
    EXPECT_TRUE(last.expired());  // while the walk still waits

    tree->release("/A/sub");
    ASSERT_TRUE(pumpUntil([&] { return !controller.isRunning() && history.lastResult(); }));
}

}  // namespace
}  // namespace tarvolin::history
