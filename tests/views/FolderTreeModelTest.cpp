#include "views/FolderTreeModel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFile>

#include <climits>
#include <cstdlib>

#include <unistd.h>

#include "support/TempTree.h"
#include "views/FolderTreeNameOrder.h"
#include "views/FolderTreeTestSupport.h"

namespace tarvolin::views {
namespace {

using test::childNamed;
using test::childNames;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

constexpr std::chrono::milliseconds kWait{5000};

class FolderTreeModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.folder("home");
        // The tester reads every folder it can reach; the volumes keep it inside the temp tree.
        for (const char* name : {"root", "srv", "efi"})
            tree.folder(name);
        volumes.m_volumes = {tree.path("root"), tree.path("srv"), tree.path("efi")};
    }

    // The model under test, checked by the tester for every change it makes. The tester reads
    // every folder it sees; `checked` false leaves the model to read only what the test asks.
    FolderTreeModel& model(bool checked = true) {
        if (!m_model) {
            m_model = std::make_unique<FolderTreeModel>(volumes, tree.path("home"));
            if (checked)
                m_tester = std::make_unique<QAbstractItemModelTester>(
                    m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        }
        return *m_model;
    }
    QModelIndex listedHome() {
        const QModelIndex home = model().homeIndex();
        EXPECT_TRUE(model().ensureListed(home, kWait));
        return home;
    }

    test::TempTree tree;
    test::FixedVolumeList volumes{{}};

private:
    std::unique_ptr<FolderTreeModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

TEST_F(FolderTreeModelTest, TopItemsAreHomeThenComputerWithTheVolumesListedAtOnce) {
    FolderTreeModel& m = model();
    EXPECT_THAT(childNames(m, {}), ElementsAre("Home", "Computer"));
    const QModelIndex computer = m.computerIndex();
    EXPECT_TRUE(m.isListed(computer));
    EXPECT_FALSE(m.canFetchMore(computer));
    EXPECT_THAT(childNames(m, computer), ElementsAre(QString::fromStdString(tree.path("root")),
                                                     QString::fromStdString(tree.path("srv")),
                                                     QString::fromStdString(tree.path("efi"))));
    EXPECT_EQ(m.scanPath(computer), "");
    EXPECT_EQ(m.scanPath(m.index(1, 0, computer)), tree.path("srv"));
    EXPECT_EQ(m.scanPath(m.homeIndex()), tree.path("home"));
    // A volume shows a "+" on trust until it is read.
    EXPECT_TRUE(m.hasChildren(m.index(0, 0, computer)));

    // A volume list read again in another order moves rows; the items stay the same.
    const std::uint64_t efi = m.itemId(m.index(2, 0, computer));
    volumes.m_volumes = {tree.path("root"), tree.path("efi"), "/mnt/new"};
    const std::uint64_t data = m.itemId(m.index(1, 0, computer));
    std::vector<std::unordered_set<std::uint64_t>> removed;
    QObject::connect(&m, &FolderTreeModel::itemsRemoved, &m,
                     [&](const auto& ids) { removed.push_back(ids); });
    m.refreshChildren(computer);
    EXPECT_THAT(childNames(m, computer),
                ElementsAre(QString::fromStdString(tree.path("root")),
                            QString::fromStdString(tree.path("efi")), "/mnt/new"));
    EXPECT_EQ(m.itemId(m.index(1, 0, computer)), efi);
    EXPECT_THAT(removed, ElementsAre(UnorderedElementsAre(data)));
}

TEST_F(FolderTreeModelTest, FoldersAreListedOnExpansionOffTheUiThreadWithTheirPlusButtons) {
    tree.folder("home/withSub");
    tree.folder("home/withSub/inner");
    tree.folder("home/onlyFiles");
    tree.file("home/onlyFiles/a.txt", 10);
    tree.folder("home/empty");
    tree.folder("home/linkOnly");
    tree.folder("target");
    tree.symlink("home/linkOnly/to", tree.path("target"));
    tree.file("home/file.txt", 1);
    tree.folder("home/crowded");  // more entries than the look reads, none a folder
    for (int i = 0; i <= FolderTreeListing::kLookAheadEntries; ++i)
        tree.file("home/crowded/f" + std::to_string(i), 0);

    FolderTreeModel& m = model(false);
    const QModelIndex home = m.homeIndex();
    EXPECT_TRUE(m.hasChildren(home));
    EXPECT_EQ(m.rowCount(home), 0);
    ASSERT_TRUE(m.canFetchMore(home));

    // fetchMore only starts the worker; the rows come through the event loop.
    m.fetchMore(home);
    EXPECT_EQ(m.rowCount(home), 0);
    EXPECT_TRUE(m.isListingPending());
    ASSERT_TRUE(test::pumpUntil([&] { return !m.isListingPending(); }));
    EXPECT_THAT(childNames(m, home),
                ElementsAre("crowded", "empty", "linkOnly", "onlyFiles", "withSub"));

    struct Case {
        const char* name;
        bool plus;
    };
    for (const Case& c : {Case{"withSub", true}, Case{"onlyFiles", false}, Case{"empty", false},
                          Case{"linkOnly", true}, Case{"crowded", true}}) {
        const QModelIndex item = childNamed(m, home, c.name);
        EXPECT_EQ(m.hasChildren(item), c.plus) << c.name;
        EXPECT_FALSE(m.isListed(item)) << c.name << " read before it was expanded";
    }
    // Once read, a folder without subfolders loses the "+" it was given on trust.
    const QModelIndex crowded = childNamed(m, home, "crowded");
    ASSERT_TRUE(m.ensureListed(crowded, kWait));
    EXPECT_FALSE(m.hasChildren(crowded));
}

TEST_F(FolderTreeModelTest, HiddenFoldersAreListedDimmedAndNamesSortLikeAFileManager) {
    for (const char* name : {"a10", "a9", "A", "a2", "b", "B1", ".config", "Zeta", "x01", "x1"})
        tree.folder(std::string("home/") + name);
    FolderTreeModel& m = model();
    const QModelIndex home = listedHome();
    EXPECT_THAT(childNames(m, home),
                ElementsAre(".config", "A", "a2", "a9", "a10", "b", "B1", "x01", "x1", "Zeta"));

    const QModelIndex hidden = childNamed(m, home, ".config");
    EXPECT_TRUE(hidden.data(FolderTreeModel::HiddenRole).toBool());
    EXPECT_TRUE(hidden.data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(childNamed(m, home, "A").data(Qt::ForegroundRole).isValid());
}

TEST(FolderTreeNameOrder, ComparesLettersIgnoringCaseAndDigitsByValue) {
    const FolderTreeNameOrder order;
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    for (const Case& c :
         {Case{"file2", "file10", -1}, Case{"File10", "file9", 1}, Case{"abc", "ABD", -1},
          Case{"v1.10", "v1.9", 1}, Case{"007", "7", -1},  // same value: the raw text decides
          Case{"a", "a1", -1}, Case{"9", "a", -1}, Case{"same", "same", 0},
          Case{"Data", "data", -1}}) {
        EXPECT_EQ(order.compare(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.expected)
            << c.a << " vs " << c.b;
        EXPECT_EQ(order.compare(QString::fromUtf8(c.b), QString::fromUtf8(c.a)), -c.expected)
            << c.b << " vs " << c.a;
    }
}

TEST_F(FolderTreeModelTest, ALinkedFolderShowsTheLinkAndReadsItsTarget) {
    tree.folder("store");
    tree.folder("store/real");
    tree.folder("store/real/inside");
    tree.symlink("home/shortcut", tree.path("store/real"));
    tree.symlink("home/broken", tree.path("nowhere"));
    tree.file("store/plain", 1);
    tree.symlink("home/fileLink", tree.path("store/plain"));
    FolderTreeModel& m = model();
    const QModelIndex home = listedHome();
    EXPECT_THAT(childNames(m, home), ElementsAre("shortcut"));  // no broken or file links

    const QModelIndex link = childNamed(m, home, "shortcut");
    EXPECT_TRUE(link.data(FolderTreeModel::LinkRole).toBool());
    EXPECT_EQ(m.location(link), tree.path("home/shortcut"));
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(tree.path("store/real").c_str(), resolved), nullptr);
    EXPECT_EQ(m.scanPath(link), std::string(resolved));

    ASSERT_TRUE(m.ensureListed(link, kWait));
    const QModelIndex inside = childNamed(m, link, "inside");
    ASSERT_TRUE(inside.isValid());
    EXPECT_FALSE(inside.data(FolderTreeModel::LinkRole).toBool());
    EXPECT_EQ(m.location(inside), tree.path("home/shortcut/inside"));
    EXPECT_EQ(m.scanPath(inside), std::string(resolved) + "/inside");
}

TEST_F(FolderTreeModelTest, NamesThatAreNotUtf8AreShownDecodedAndReadWithTheirBytes) {
    const std::string name = "caf\xe9";
    tree.folder("home/" + name);
    tree.folder("home/" + name + "/deeper");
    FolderTreeModel& m = model();
    const QModelIndex home = listedHome();
    ASSERT_EQ(m.rowCount(home), 1);
    const QModelIndex item = m.index(0, 0, home);
    EXPECT_EQ(item.data().toString(), QFile::decodeName(QByteArray::fromStdString(name)));
    EXPECT_EQ(m.location(item), tree.path("home/" + name));
    ASSERT_TRUE(m.ensureListed(item, kWait));
    EXPECT_THAT(childNames(m, item), ElementsAre("deeper"));
}

TEST_F(FolderTreeModelTest, ReadingChildrenAgainKeepsSurvivorsAndDropsVanishedSubtrees) {
    for (const char* name : {"keep", "keep/sub", "gone", "gone/sub", "later"})
        tree.folder(std::string("home/") + name);
    FolderTreeModel& m = model();
    const QModelIndex home = listedHome();
    const QPersistentModelIndex keep = childNamed(m, home, "keep");
    ASSERT_TRUE(m.ensureListed(keep, kWait));
    const std::uint64_t keepId = m.itemId(keep);
    const std::uint64_t keepSubId = m.itemId(m.index(0, 0, keep));
    const QModelIndex gone = childNamed(m, home, "gone");
    ASSERT_TRUE(m.ensureListed(gone, kWait));
    const std::uint64_t goneId = m.itemId(gone);
    const std::uint64_t goneSubId = m.itemId(m.index(0, 0, gone));

    ASSERT_EQ(rmdir(tree.path("home/gone/sub").c_str()), 0);
    ASSERT_EQ(rmdir(tree.path("home/gone").c_str()), 0);
    tree.folder("home/again");
    tree.folder("home/later/now");  // looked into without a subfolder: reading again adds a "+"
    EXPECT_FALSE(m.hasChildren(childNamed(m, home, "later")));

    std::vector<std::unordered_set<std::uint64_t>> removed;
    QObject::connect(&m, &FolderTreeModel::itemsRemoved, &m,
                     [&](const auto& ids) { removed.push_back(ids); });
    m.refreshChildren(home);
    ASSERT_TRUE(test::pumpUntil([&] { return !m.isListingPending(); }));
    EXPECT_THAT(childNames(m, home), ElementsAre("again", "keep", "later"));
    EXPECT_THAT(removed, ElementsAre(UnorderedElementsAre(goneId, goneSubId)));
    EXPECT_FALSE(m.indexOfId(goneId).isValid());

    ASSERT_TRUE(keep.isValid());
    EXPECT_EQ(m.itemId(keep), keepId);
    EXPECT_TRUE(m.isListed(keep));
    EXPECT_EQ(m.itemId(m.index(0, 0, keep)), keepSubId);
    EXPECT_TRUE(m.hasChildren(childNamed(m, home, "later")));
}

}  // namespace
}  // namespace tarvolin::views
