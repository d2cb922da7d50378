#include "app/StartupFolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/CMainFrame.h"
#include "app/PathBar.h"
#include "drives/FixedVolumes.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "support/EventPump.h"
#include "support/SettingsFixture.h"
#include "support/TempTree.h"
#include "views/CFolderTreeCtrl.h"

namespace tarvolin::app {
namespace {

TEST(StartupFolderTest, TheFolderIsTheFirstArgumentThatIsNoOption) {
    const auto folder = [](std::initializer_list<const char*> arguments) {
        QStringList list;
        for (const char* argument : arguments)
            list << QString::fromUtf8(argument);
        return startupFolder(list).toStdString();
    };
    EXPECT_EQ(folder({"tarvolin"}), "");
    EXPECT_EQ(folder({"tarvolin", "/home/u/Downloads"}), "/home/u/Downloads");
    EXPECT_EQ(folder({"tarvolin", "--reverse", "rel/dir", "/second"}), "rel/dir");
    EXPECT_EQ(folder({"tarvolin", "--", "-odd"}), "-odd");
    EXPECT_EQ(folder({"tarvolin", "--"}), "");
    // The program's own name is never taken for a folder, even when it looks like one.
    EXPECT_EQ(folder({"/usr/bin/tarvolin"}), "");
}

class StartupScanTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        engine.start();
        frame = std::make_unique<CMainFrame>(controller, volumes);
        frame->showFirstTime();
        QObject::connect(&controller, &scan::ScanController::scanComplete, &controller,
                         [this] { ++completions; });
    }
    void TearDown() override {
        frame.reset();
        controller.shutdown();
    }

    scan::CFolderEnumThread engine;
    scan::ScanController controller{engine, std::make_shared<scan::CTarvolinDoc>()};
    drives::SystemVolumeSource volumes;
    std::unique_ptr<CMainFrame> frame;
    int completions = 0;
};

// The window comes up first; the scan of the named folder follows from the event loop, with
// the path in the path bar and the folder's totals in the views.
TEST_F(StartupScanTest, AFolderArgumentIsScannedOnceTheWindowRuns) {
    test::TempTree tree;
    tree.folder("sub");
    tree.file("sub/a", 5000);
    tree.file("b", 700);
    const QString root = QString::fromStdString(tree.root());

    scanStartupFolder(*frame, {QStringLiteral("tarvolin"), root});
    EXPECT_FALSE(controller.isRunning());
    EXPECT_EQ(completions, 0);
    ASSERT_TRUE(test::pumpUntil([&] { return completions == 1; }));

    EXPECT_EQ(frame->folderTree()->currentScanPath(), tree.root());
    EXPECT_EQ(frame->pathBar()->text(), root);
    const auto totals = controller.lastRootTotals();
    ASSERT_TRUE(totals.has_value());
    EXPECT_EQ(totals->size, 5700);
    EXPECT_EQ(totals->fileCount, 2);
    EXPECT_EQ(totals->folderCount, 1);
}

TEST_F(StartupScanTest, WithoutAFolderArgumentNothingIsScanned) {
    scanStartupFolder(*frame, {QStringLiteral("tarvolin"), QStringLiteral("--reverse")});
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(frame->folderTree()->currentScanPath().empty());
}

}  // namespace
}  // namespace tarvolin::app
