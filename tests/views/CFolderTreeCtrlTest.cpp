#include "views/CFolderTreeCtrl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QSignalSpy>
#include <QTest>

#include <climits>
#include <cstdlib>

#include <unistd.h>

#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "support/FakeDirectoryReader.h"
#include "support/SettingsFixture.h"
#include "support/TempTree.h"
#include "ui/Options.h"
#include "views/FolderTreeModel.h"
#include "views/FolderTreeTestSupport.h"

namespace tarvolin::views {
namespace {

using test::childNamed;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Pair;

using Find = CFolderTreeCtrl::Find;

constexpr std::chrono::milliseconds kWait{5000};

// A find followed until it ends, as the user sees it once the listings on the way are in.
Find findAndWait(CFolderTreeCtrl& tree, const std::string& path, bool fromRoot) {
    QSignalSpy failed(&tree, &CFolderTreeCtrl::findFailed);
    const Find result = tree.findAndSelect(path, fromRoot);
    if (result != Find::Pending) return result;
    EXPECT_TRUE(test::pumpUntil([&] { return !tree.isFindPending(); }));
    return failed.isEmpty() ? Find::Selected : Find::Missing;
}

std::string canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// A real tree under /tmp as the home folder, "/" as the one volume, and a scan controller over a
// real scan thread whose reader serves `fake` (paths it does not hold fail to open, which only
// records an error). The model's own checks run in FolderTreeModelTest: here the tester would
// read the real "/" ten levels deep.
class CFolderTreeCtrlTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        engine.start();
        tree.folder("home");
    }

    CFolderTreeCtrl& view() {
        if (!m_view) {
            m_view = std::make_unique<CFolderTreeCtrl>(controller, volumes, nullptr, home());
            QObject::connect(
                m_view.get(), &CFolderTreeCtrl::scanSubmitted, m_view.get(),
                [this](const std::string& path, bool bypass) { scans.emplace_back(path, bypass); });
            m_view->resize(500, 700);
            m_view->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(m_view.get()));
        }
        return *m_view;
    }
    FolderTreeModel& model() { return view().folderModel(); }
    std::string home() const { return tree.path("home"); }

    // The item of a folder below home, read and expanded on the way.
    QModelIndex homeItem(const std::string& relative) {
        QModelIndex item = model().homeIndex();
        std::size_t from = 0;
        while (from < relative.size()) {
            const std::size_t end = std::min(relative.find('/', from), relative.size());
            EXPECT_TRUE(model().ensureListed(item, kWait));
            view().expand(item);
            item = childNamed(model(), item,
                              QString::fromStdString(relative.substr(from, end - from)));
            from = end + 1;
        }
        return item;
    }
    QPoint labelPoint(const QModelIndex& item) {
        const QRect rect = view().visualRect(item);
        return QPoint(rect.left() + 10, rect.center().y());
    }
    void click(const QPoint& pos) {
        QTest::mouseClick(view().viewport(), Qt::LeftButton, Qt::NoModifier, pos);
    }
    std::vector<std::string> historyPaths() {
        std::vector<std::string> paths;
        for (const auto& entry : view().history().entries())
            paths.push_back(entry.path);
        return paths;
    }
    std::string selectedLocation() { return model().location(view().selectedIndex()); }

    test::TempTree tree;
    std::shared_ptr<test::FakeTree> fake = std::make_shared<test::FakeTree>();
    scan::CFolderEnumThread engine{std::make_unique<test::FakeDirectoryReader>(fake)};
    scan::ScanController controller{engine, std::make_shared<scan::CTarvolinDoc>()};
    test::FixedVolumeList volumes{{"/"}};
    std::vector<std::pair<std::string, bool>> scans;

private:
    std::unique_ptr<CFolderTreeCtrl> m_view;
};

TEST_F(CFolderTreeCtrlTest, ClicksOnAnItemScanItAndKeyboardSelectionDoesNot) {
    tree.folder("home/a");
    tree.folder("home/b");
    tree.folder("home/b/inner");
    const QModelIndex a = homeItem("a");
    const QModelIndex b = homeItem("b");
    int navigation = 0;
    QObject::connect(&view(), &CFolderTreeCtrl::navigationChanged, &view(), [&] { ++navigation; });

    click(labelPoint(a));
    EXPECT_THAT(scans, ElementsAre(Pair(tree.path("home/a"), false)));
    EXPECT_EQ(view().currentScanPath(), tree.path("home/a"));
    EXPECT_EQ(view().currentItemName(), "a");
    EXPECT_TRUE(view().canUp());
    EXPECT_GT(navigation, 0);

    click(labelPoint(a));  // the folder already shown
    const QRect rowB = view().visualRect(b);
    click(QPoint(view().viewport()->width() - 4, rowB.center().y()));          // beside the label
    click(QPoint(rowB.left() - view().indentation() / 2, rowB.center().y()));  // the "+" button
    EXPECT_EQ(scans.size(), 1u);
    EXPECT_TRUE(view().isExpanded(b));

    view().setFocus();
    QTest::keyClick(&view(), Qt::Key_Up);  // back to a, which is what the scan shows
    EXPECT_EQ(view().selectedIndex(), a);
    click(labelPoint(a));
    EXPECT_EQ(scans.size(), 1u);

    QTest::keyClick(&view(), Qt::Key_Down);
    EXPECT_EQ(view().selectedIndex(), b);
    EXPECT_EQ(scans.size(), 1u);
    click(labelPoint(b));  // selected by keyboard but never scanned
    EXPECT_THAT(scans,
                ElementsAre(Pair(tree.path("home/a"), false), Pair(tree.path("home/b"), false)));
    EXPECT_THAT(historyPaths(), ElementsAre(tree.path("home/a"), tree.path("home/b")));
}

TEST_F(CFolderTreeCtrlTest, HistoryKeepsItsCountAndDropsTheForwardBranch) {
    for (const char* name : {"a", "b", "c", "d", "e"})
        tree.folder(std::string("home/") + name);
    // Letters visit home/<letter> through the path bar, "<" is Back, ">" Forward, a digit sets
    // "HistoryCount", "-" sets it to -5.
    struct Case {
        int historyCount;
        const char* steps;
        const char* entries;
        int position;
        const char* shown;  // the folder of the last scan
    };
    const Case cases[] = {
        {10, "abc<<d", "ad", 1, "d"}, {3, "abcde", "cde", 2, "e"}, {0, "ab", "", -1, "b"},
        {-5, "ab", "", -1, "b"},      {10, "aa", "a", 0, "a"},     {10, "abc<<>", "abc", 1, "b"},
        {10, "abc2d", "cd", 1, "d"},  {10, "ab<<<", "ab", 0, "a"}, {10, "ab>", "ab", 1, "b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        ui::writeOption(ui::option::kHistoryCount, c.historyCount);
        CFolderTreeCtrl tree(controller, volumes, nullptr, home());
        std::string lastScan;
        QObject::connect(&tree, &CFolderTreeCtrl::scanSubmitted, &tree,
                         [&](const std::string& path, bool) { lastScan = path; });
        for (const char* step = c.steps; *step != '\0'; ++step) {
            if (*step == '<')
                tree.back();
            else if (*step == '>')
                tree.forward();
            else if (*step >= '0' && *step <= '9')
                ui::writeOption(ui::option::kHistoryCount, *step - '0');
            else
                ASSERT_EQ(Find::Selected,
                          findAndWait(tree, this->tree.path(std::string("home/") + *step), true));
        }
        std::vector<std::string> expected;
        for (const char* entry = c.entries; *entry != '\0'; ++entry)
            expected.push_back(this->tree.path(std::string("home/") + *entry));
        std::vector<std::string> entries;
        for (const auto& entry : tree.history().entries())
            entries.push_back(entry.path);
        EXPECT_THAT(entries, ElementsAreArray(expected));
        EXPECT_EQ(tree.history().position(), c.position);
        EXPECT_EQ(lastScan, this->tree.path(std::string("home/") + c.shown));
        EXPECT_EQ(tree.canBack(), c.position > 0);
        EXPECT_EQ(tree.canForward(), c.position != -1 && c.position + 1 < int(expected.size()));
    }
}

TEST_F(CFolderTreeCtrlTest, UpRefreshAndComputerScanWhatTheirItemsStandFor) {
    tree.folder("home/a");
    tree.folder("home/a/b");
    EXPECT_FALSE(view().canUp());
    EXPECT_FALSE(view().canRefresh());
    EXPECT_FALSE(view().canBack());

    ASSERT_EQ(Find::Selected, findAndWait(view(), tree.path("home/a/b"), true));
    view().up();
    EXPECT_EQ(selectedLocation(), tree.path("home/a"));
    view().up();
    EXPECT_EQ(view().selectedIndex(), model().homeIndex());
    EXPECT_FALSE(view().canUp());
    EXPECT_TRUE(view().canRefresh());

    const std::size_t before = scans.size();
    view().refresh();
    EXPECT_THAT(std::vector(scans.begin() + before, scans.end()), ElementsAre(Pair(home(), true)));

    ASSERT_EQ(Find::Selected, findAndWait(view(), "/", true));
    EXPECT_EQ(view().selectedIndex().parent(), model().computerIndex());
    view().up();  // from a volume to Computer, which has no path
    EXPECT_EQ(view().selectedIndex(), model().computerIndex());
    EXPECT_EQ(scans.back(), std::make_pair(std::string(), false));
    EXPECT_EQ(view().currentScanPath(), "");
    EXPECT_THAT(historyPaths(),
                ElementsAre(tree.path("home/a/b"), tree.path("home/a"), home(), "/", ""));
}

TEST_F(CFolderTreeCtrlTest, ComputerStartsAScanThatEndsWithoutWalking) {
    std::vector<std::string> events;
    QObject::connect(
        &controller, &scan::ScanController::scanStarting, &controller,
        [&](const QString& path) { events.push_back("start [" + path.toStdString() + "]"); });
    QObject::connect(&controller, &scan::ScanController::scanComplete, &controller,
                     [&](bool) { events.push_back("complete"); });
    click(labelPoint(model().computerIndex()));
    EXPECT_THAT(scans, ElementsAre(Pair("", false)));
    ASSERT_TRUE(test::pumpUntil([&] { return events.size() == 2; }));
    EXPECT_THAT(events, ElementsAre("start []", "complete"));
    EXPECT_TRUE(fake->openedPaths().empty());
}

TEST_F(CFolderTreeCtrlTest, RefreshWalksOnceWithTheCacheBypassed) {
    tree.folder("home/a");
    tree.folder("home/a/sub");
    fake->file(tree.path("home/a/sub/f"), 10);
    int completed = 0;
    QObject::connect(&controller, &scan::ScanController::scanComplete, &controller,
                     [&](bool) { ++completed; });
    const auto walkOnce = [&](auto&& action) {
        fake->clearOpenedPaths();
        const int target = completed + 1;
        action();
        EXPECT_TRUE(test::pumpUntil([&] { return completed == target; }));
        return fake->openedPaths();
    };

    walkOnce([&] { ASSERT_EQ(Find::Selected, findAndWait(view(), tree.path("home/a"), true)); });
    // The same folder again without the flag comes from the cache below its own listing.
    EXPECT_THAT(walkOnce([&] { view().directScan(tree.path("home/a"), false); }),
                ElementsAre(tree.path("home/a")));
    const std::size_t before = scans.size();
    EXPECT_THAT(walkOnce([&] { view().refresh(); }),
                ElementsAre(tree.path("home/a"), tree.path("home/a/sub")));
    EXPECT_THAT(std::vector(scans.begin() + before, scans.end()),
                ElementsAre(Pair(tree.path("home/a"), true)));
    EXPECT_EQ(completed, 3);
}

TEST_F(CFolderTreeCtrlTest, FindAndSelectMatchesWholeComponentsExactPathFirst) {
    for (const char* name : {"docs", "docs/sub", "Data", "data", "dat", "dat/x"})
        tree.folder(std::string("home/") + name);
    tree.folder("other");
    tree.folder("other/deep");
    tree.symlink("home/aloop", home());  // leads back into home, ahead of every other folder
    const auto topOf = [&](QModelIndex item) {
        while (item.parent().isValid())
            item = item.parent();
        return item;
    };

    struct Case {
        std::string path;
        std::string found;         // location of the selected item, "" when nothing matches
        std::string scanned = {};  // when not the same
    };
    const Case cases[] = {
        {tree.path("home/docs/sub"), tree.path("home/docs/sub")},
        {tree.path("home/data"), tree.path("home/data")},
        {tree.path("home/Data/"), tree.path("home/Data")},
        {tree.path("home/DATA"),
         tree.path("home/Data")},  // no exact match: the first ignoring case
        {tree.path("home/DOCS/Sub"), tree.path("home/docs/sub")},
        {tree.path("home/missing"), ""},
        {tree.path("home/docs/sub/x"), ""},
        {tree.path("home/aloop/docs"), tree.path("home/aloop/docs"),
         canonical(tree.path("home/docs"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::size_t before = scans.size();
        const bool found = findAndWait(view(), c.path, true) == Find::Selected;
        EXPECT_EQ(found, !c.found.empty());
        if (!found) {
            EXPECT_EQ(scans.size(), before);
            continue;
        }
        EXPECT_EQ(selectedLocation(), c.found);
        EXPECT_EQ(topOf(view().selectedIndex()), model().homeIndex());
        EXPECT_TRUE(view().isExpanded(view().selectedIndex().parent()));
        EXPECT_EQ(scans.back().first, c.scanned.empty() ? c.found : c.scanned);
    }
    // "dat" begins like "data" but is another folder: it was never read on the way.
    EXPECT_FALSE(model().isListed(homeItem("dat")));

    // Outside the home folder the walk goes through Computer and "/".
    ASSERT_EQ(Find::Selected, findAndWait(view(), tree.path("other/deep"), true));
    EXPECT_EQ(selectedLocation(), tree.path("other/deep"));
    EXPECT_EQ(topOf(view().selectedIndex()), model().computerIndex());
}

TEST_F(CFolderTreeCtrlTest, DrillInFindsTheChildOfTheScannedFolder) {
    tree.folder("home/docs");
    tree.folder("home/docs/sub");
    tree.folder("home/zz");
    ASSERT_EQ(Find::Selected, findAndWait(view(), tree.path("home/docs"), true));
    ASSERT_EQ(Find::Selected, findAndWait(view(), tree.path("home/docs/sub"), false));
    EXPECT_EQ(selectedLocation(), tree.path("home/docs/sub"));
    view().back();

    // The keyboard moved the selection away from the folder the list shows.
    view().selectionModel()->setCurrentIndex(homeItem("zz"), QItemSelectionModel::ClearAndSelect);
    ASSERT_EQ(Find::Selected, findAndWait(view(), tree.path("home/docs/sub"), false));
    EXPECT_EQ(selectedLocation(), tree.path("home/docs/sub"));
    EXPECT_THAT(historyPaths(), ElementsAre(tree.path("home/docs"), tree.path("home/docs/sub")));
}

// The window never waits for a folder on the way: the find returns while the listings run and
// selects the item when the last one is in. Once every folder is read it selects at once.
TEST_F(CFolderTreeCtrlTest, FindReturnsBeforeTheListingsAndSelectsWhenTheyAreIn) {
    for (const char* name : {"home/a", "home/a/b", "home/a/b/c", "home/z"})
        tree.folder(name);
    const std::string target = tree.path("home/a/b/c");

    EXPECT_EQ(view().findAndSelect(target, true), Find::Pending);
    EXPECT_FALSE(model().isListed(model().homeIndex()));  // not even the first folder's rows
    EXPECT_FALSE(view().selectedIndex().isValid());
    EXPECT_TRUE(scans.empty());

    ASSERT_TRUE(test::pumpUntil([&] { return !view().isFindPending(); }));
    EXPECT_EQ(selectedLocation(), target);
    EXPECT_TRUE(view().isExpanded(view().selectedIndex().parent()));
    EXPECT_THAT(scans, ElementsAre(Pair(target, false)));
    EXPECT_FALSE(model().isListed(homeItem("z")));  // off the way, never read

    EXPECT_EQ(view().findAndSelect(tree.path("home/a"), true), Find::Selected);
    EXPECT_EQ(selectedLocation(), tree.path("home/a"));
    EXPECT_EQ(view().findAndSelect(tree.path("home/a/b"), false), Find::Selected);
    EXPECT_EQ(selectedLocation(), tree.path("home/a/b"));
    EXPECT_THAT(historyPaths(), ElementsAre(target, tree.path("home/a"), tree.path("home/a/b")));
}

// A path that no listing holds ends in one status-bar text once every folder that could hold it
// is read; the selection and the history stay.
TEST_F(CFolderTreeCtrlTest, AFindThatReachesNoItemSaysSo) {
    for (const char* name : {"home/a", "home/a/b", "home/keep"})
        tree.folder(name);
    ASSERT_EQ(Find::Selected, findAndWait(view(), tree.path("home/keep"), true));
    QSignalSpy failed(&view(), &CFolderTreeCtrl::findFailed);
    const std::string missing = tree.path("home/a/b/gone/deeper");

    EXPECT_EQ(view().findAndSelect(missing, false), Find::Pending);
    ASSERT_TRUE(test::pumpUntil([&] { return !view().isFindPending(); }));
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.front().front().toString(),
              QStringLiteral("Folder not found: ") + QString::fromStdString(missing));
    EXPECT_TRUE(model().isListed(homeItem("a/b")));
    EXPECT_EQ(selectedLocation(), tree.path("home/keep"));
    EXPECT_THAT(historyPaths(), ElementsAre(tree.path("home/keep")));
    EXPECT_EQ(scans.size(), 1u);

    // Everything on the way is read now: the miss is told before the call returns.
    EXPECT_EQ(view().findAndSelect(missing, true), Find::Missing);
    EXPECT_EQ(failed.count(), 2);
    // Asked to, a miss scans the path itself instead, still without touching the selection.
    EXPECT_EQ(view().findAndSelect(missing, true, CFolderTreeCtrl::FindMiss::ScanDirectly),
              Find::Missing);
    EXPECT_EQ(failed.count(), 2);
    EXPECT_EQ(scans.back(), std::make_pair(missing, false));
    EXPECT_EQ(selectedLocation(), tree.path("home/keep"));
}

// While a find waits the user may move on, and the tree may change under it.
TEST_F(CFolderTreeCtrlTest, APendingFindGivesWayToWhatHappensMeanwhile) {
    for (const char* name : {"home/a", "home/a/deep", "home/b", "vol", "vol/x"})
        tree.folder(name);
    volumes.m_volumes = {"/", tree.path("vol")};
    QSignalSpy failed(&view(), &CFolderTreeCtrl::findFailed);
    const auto settle = [&] {
        return test::pumpUntil(
            [&] { return !view().isFindPending() && !model().isListingPending(); });
    };

    // A newer find replaces the one still waiting.
    EXPECT_EQ(view().findAndSelect(tree.path("home/a/deep"), true), Find::Pending);
    EXPECT_EQ(view().findAndSelect(tree.path("home/b"), true), Find::Pending);
    ASSERT_TRUE(settle());
    EXPECT_EQ(selectedLocation(), tree.path("home/b"));
    EXPECT_THAT(scans, ElementsAre(Pair(tree.path("home/b"), false)));

    // So does any scan handed over meanwhile, here from a click.
    EXPECT_EQ(view().findAndSelect(tree.path("home/a/deep"), true), Find::Pending);
    click(labelPoint(model().homeIndex()));
    ASSERT_TRUE(settle());
    EXPECT_EQ(view().selectedIndex(), model().homeIndex());
    EXPECT_THAT(historyPaths(), ElementsAre(tree.path("home/b"), home()));

    // The folder waited for goes ("/" leaves the volumes): the walk goes on without it and finds
    // the path in the other volume that holds it.
    EXPECT_EQ(view().findAndSelect(tree.path("vol/x"), true), Find::Pending);
    volumes.m_volumes = {tree.path("vol")};
    model().refreshChildren(model().computerIndex());
    ASSERT_TRUE(settle());
    EXPECT_EQ(selectedLocation(), tree.path("vol/x"));
    EXPECT_EQ(view().selectedIndex().parent().parent(), model().computerIndex());
    EXPECT_TRUE(failed.isEmpty());
}

TEST_F(CFolderTreeCtrlTest, ALinkedFolderScansItsTargetAndFindsItsChildren) {
    tree.folder("store");
    tree.folder("store/real");
    tree.folder("store/real/inside");
    tree.symlink("home/ln", tree.path("store/real"));
    const std::string target = canonical(tree.path("store/real"));

    click(labelPoint(homeItem("ln")));
    EXPECT_THAT(scans, ElementsAre(Pair(target, false)));
    EXPECT_EQ(view().currentScanPath(), target);

    // Drill-in names the child by the scanned path; the path bar may name it through the link.
    ASSERT_EQ(Find::Selected, findAndWait(view(), target + "/inside", false));
    EXPECT_EQ(selectedLocation(), tree.path("home/ln/inside"));
    EXPECT_EQ(scans.back().first, target + "/inside");
    view().up();
    ASSERT_EQ(Find::Selected, findAndWait(view(), tree.path("home/ln/inside"), true));
    EXPECT_EQ(selectedLocation(), tree.path("home/ln/inside"));
}

TEST_F(CFolderTreeCtrlTest, RemovedFoldersLeaveTheHistoryWithThePositionInsideIt) {
    for (const char* name : {"a", "b", "c"})
        tree.folder(std::string("home/") + name);
    for (const char* name : {"a", "b", "c"})
        ASSERT_EQ(Find::Selected,
                  findAndWait(view(), tree.path(std::string("home/") + name), true));
    view().back();
    ASSERT_EQ(view().history().position(), 1);

    ASSERT_EQ(rmdir(tree.path("home/b").c_str()), 0);
    ASSERT_EQ(rmdir(tree.path("home/c").c_str()), 0);
    const std::size_t before = scans.size();
    view().refreshChildrenOf(home());  // home is not selected: nothing is scanned
    ASSERT_TRUE(test::pumpUntil([&] { return !model().isListingPending(); }));
    EXPECT_THAT(historyPaths(), ElementsAre(tree.path("home/a")));
    EXPECT_EQ(view().history().position(), 0);
    EXPECT_FALSE(view().canBack());
    EXPECT_FALSE(view().canForward());
    EXPECT_EQ(scans.size(), before);

    // Reading the selected folder's children again scans it again, from the cache.
    tree.folder("home/a/new");
    ASSERT_EQ(Find::Selected, findAndWait(view(), tree.path("home/a"), true));
    ASSERT_TRUE(model().ensureListed(view().selectedIndex(), kWait));
    view().refreshChildrenOf(tree.path("home/a/"));
    EXPECT_EQ(scans.back(), std::make_pair(tree.path("home/a"), false));
}

TEST_F(CFolderTreeCtrlTest, ContextMenuNamesTheItemWhereItSits) {
    tree.folder("store");
    tree.symlink("home/ln", tree.path("store"));
    std::vector<std::string> requested;
    QObject::connect(&view(), &CFolderTreeCtrl::contextMenuRequested, &view(),
                     [&](const std::string& path, const QPoint&) { requested.push_back(path); });
    const auto rightClick = [&](const QPoint& pos) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view().viewport()->mapToGlobal(pos));
        QCoreApplication::sendEvent(view().viewport(), &event);
    };
    const QModelIndex link = homeItem("ln");
    rightClick(labelPoint(link));
    rightClick(QPoint(view().viewport()->width() - 4, view().visualRect(link).center().y()));
    rightClick(labelPoint(model().computerIndex()));
    rightClick(labelPoint(model().index(0, 0, model().computerIndex())));
    EXPECT_THAT(requested, ElementsAre(tree.path("home/ln"), "/"));
    EXPECT_TRUE(scans.empty());
}

}  // namespace
}  // namespace tarvolin::views
