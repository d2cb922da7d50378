#include "drives/CDriveSpaceListCtrl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "drives/FixedVolumes.h"

namespace tarvolin::drives {
namespace {

using ::testing::ElementsAre;

// Volumes in the order given; a volume without space fails its query.
class FakeVolumes : public VolumeSource {
public:
    std::vector<std::pair<std::string, std::optional<DiskSpace>>> volumes;

    std::vector<std::string> fixedVolumes() const override {
        std::vector<std::string> paths;
        for (const auto& volume : volumes)
            paths.push_back(volume.first);
        return paths;
    }
    std::optional<DiskSpace> freeSpace(const std::string& path) const override {
        for (const auto& volume : volumes)
            if (volume.first == path) return volume.second;
        return std::nullopt;
    }
    std::uint64_t clusterSize(const std::string&) const override { return 4096; }
};

class CDriveSpaceListCtrlTest : public ::testing::Test {
protected:
    // Creates the list over `source` with a model tester watching every refresh.
    void create() {
        list = std::make_unique<CDriveSpaceListCtrl>(source);
        tester = std::make_unique<QAbstractItemModelTester>(
            list->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    std::vector<std::string> rowTexts(int column) const {
        std::vector<std::string> texts;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            texts.push_back(list->model()->index(row, column).data().toString().toStdString());
        return texts;
    }

    FakeVolumes source;
    std::unique_ptr<CDriveSpaceListCtrl> list;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(CDriveSpaceListCtrlTest, ShowsEveryVolumeInOrderWithItsSpace) {
    source.volumes = {
        {"/", DiskSpace{12345678912, 100000000000}},
        {"/data", std::nullopt},
        {"/empty", DiskSpace{0, 0}},
        {"/home/zo\xc3\xab", DiskSpace{1023, 2048}},
    };
    create();

    const QAbstractItemModel& model = *list->model();
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Drive");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Total Space");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "Free Space");
    EXPECT_THAT(rowTexts(0), ElementsAre("/", "/data", "/empty", "/home/zo\xc3\xab"));
    EXPECT_THAT(rowTexts(1), ElementsAre("93.1 GB", "Unknown", "0 bytes", "2.00 KB"));
    EXPECT_THAT(rowTexts(2),
                ElementsAre("11.4 GB (12%)", "Unknown", "0 bytes (0%)", "1023 bytes (49%)"));
    EXPECT_EQ(list->volumePath(3), "/home/zo\xc3\xab");
    EXPECT_EQ(list->volumePath(4), "");
    for (int row = 0; row < model.rowCount(); ++row)
        EXPECT_FALSE(model.index(row, 0).data(Qt::DecorationRole).isNull()) << row;
}

TEST_F(CDriveSpaceListCtrlTest, TheFreeSpaceColumnEndsAtTheRightEdge) {
    source.volumes = {{"/", DiskSpace{1, 2}}};
    create();
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    for (const int width : {300, 180, 520}) {
        list->resize(width, 150);
        QCoreApplication::processEvents();
        EXPECT_EQ(list->columnWidth(0), 50);
        EXPECT_EQ(list->columnWidth(1), 75);
        EXPECT_EQ(list->columnWidth(0) + list->columnWidth(1) + list->columnWidth(2),
                  list->viewport()->width())
            << width;
    }
    list->horizontalHeader()->resizeSection(0, 90);  // the user widens the first column
    EXPECT_EQ(list->columnWidth(0) + list->columnWidth(1) + list->columnWidth(2),
              list->viewport()->width());
}

TEST_F(CDriveSpaceListCtrlTest, TooltipsNameTheVolumeOrExplainThePane) {
    source.volumes = {{"/srv/storage/archive", DiskSpace{1, 2}}};
    create();
    list->resize(300, 150);
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    const auto tipAt = [&](int column) {
        const QPoint at = list->visualRect(list->model()->index(0, column)).center();
        QHelpEvent event(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(list->viewport(), &event);
        return QToolTip::text();
    };
    EXPECT_EQ(tipAt(0), "/srv/storage/archive");
    EXPECT_EQ(tipAt(2), "Drive space calculations are automatically refreshed every few seconds.");
}

TEST_F(CDriveSpaceListCtrlTest, RefreshFollowsTheVolumesAndKeepsTheSelectedOne) {
    source.volumes = {{"/", DiskSpace{10, 100}}, {"/home", DiskSpace{20, 100}}};
    create();
    list->selectRow(1);
    ASSERT_EQ(list->selectedPath(), "/home");

    // A volume mounted ahead of the selected one, and new figures.
    source.volumes = {
        {"/", DiskSpace{10, 100}}, {"/data", DiskSpace{5, 100}}, {"/home", DiskSpace{30, 100}}};
    list->refresh();
    EXPECT_THAT(rowTexts(0), ElementsAre("/", "/data", "/home"));
    EXPECT_THAT(rowTexts(2), ElementsAre("10 bytes (10%)", "5 bytes (5%)", "30 bytes (30%)"));
    EXPECT_EQ(list->selectedPath(), "/home");
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1);

    list->refresh();  // nothing changed
    EXPECT_EQ(list->selectedPath(), "/home");

    // The selected volume goes away; another takes its row, but not the selection.
    source.volumes = {
        {"/", DiskSpace{10, 100}}, {"/data", DiskSpace{5, 100}}, {"/srv", DiskSpace{1, 100}}};
    list->refresh();
    EXPECT_THAT(rowTexts(0), ElementsAre("/", "/data", "/srv"));
    EXPECT_EQ(list->selectedPath(), "");

    source.volumes.clear();
    list->refresh();
    EXPECT_EQ(list->model()->rowCount(), 0);
}

TEST_F(CDriveSpaceListCtrlTest, NoVolumesLeaveThePaneEmptyAcrossRefreshes) {
    create();
    EXPECT_EQ(list->model()->rowCount(), 0);
    list->refresh();
    EXPECT_EQ(list->model()->rowCount(), 0);
    // Refreshed by its own timer, every five seconds.
    const auto timers = list->findChildren<QTimer*>();
    EXPECT_TRUE(std::any_of(timers.begin(), timers.end(), [](const QTimer* timer) {
        return timer->isActive() && timer->interval() == 5000;
    }));
}

TEST_F(CDriveSpaceListCtrlTest, AContextMenuIsRequestedOnlyForASelectedVolume) {
    source.volumes = {{"/", DiskSpace{10, 100}}, {"/home", DiskSpace{20, 100}}};
    create();
    std::vector<std::pair<std::string, QPoint>> requests;
    QObject::connect(
        list.get(), &CDriveSpaceListCtrl::contextMenuRequested, list.get(),
        [&](const std::string& path, const QPoint& at) { requests.emplace_back(path, at); });
    QContextMenuEvent nothingSelected(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(105, 205));
    QCoreApplication::sendEvent(list->viewport(), &nothingSelected);
    EXPECT_TRUE(requests.empty());

    list->selectRow(1);
    QContextMenuEvent onHome(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(105, 205));
    QCoreApplication::sendEvent(list->viewport(), &onHome);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].first, "/home");
    EXPECT_EQ(requests[0].second, QPoint(105, 205));
}

}  // namespace
}  // namespace tarvolin::drives
