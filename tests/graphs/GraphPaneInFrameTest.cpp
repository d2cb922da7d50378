// The graph pane inside the main window: its commands, bar clicks and the sort order it follows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include "GraphTestSupport.h"
#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/MainActions.h"
#include "drives/FixedVolumes.h"
#include "graphs/CGraphSplitFrame.h"
#include "support/OneFixedVolume.h"
#include "views/CTarvolinView.h"
#include "views/DetailsModel.h"

namespace tarvolin::graphs::test {
namespace {

using ::testing::ElementsAre;

class GraphPaneInFrameTest : public GraphFixture {
protected:
    void SetUp() override {
        GraphFixture::SetUp();
        tree->file("/A/a.txt", 1).file("/A/sub/s", 10).file("/A/zz/z", 100);
        frame = std::make_unique<app::CMainFrame>(controller, volumes);
        frame->showFirstTime();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }
    void TearDown() override {
        frame.reset();
        GraphFixture::TearDown();
    }
    CScrollGraphBarView* graph() const { return frame->graphPane()->view(); }
    QAction* command(int id) const { return frame->actions()->action(id); }
    std::vector<std::string> barNames() const {
        std::vector<std::string> names;
        for (const auto& region : graph()->hitRegions())
            names.push_back(region.name.toStdString());
        return names;
    }
    QPoint barCentre(int row) const {
        const auto& region = graph()->hitRegions()[static_cast<std::size_t>(row)];
        return QPoint((region.left + region.right) / 2, (region.top + region.bottom) / 2);
    }

    tarvolin::test::OneFixedVolume volumes;
    std::unique_ptr<app::CMainFrame> frame;
};

TEST_F(GraphPaneInFrameTest, GraphImageCommandsNeedAListingAndNoScan) {
    const auto enabled = [this] {
        return std::make_pair(command(app::command::kGraphImageToFile)->isEnabled(),
                              command(app::command::kGraphImageToClipboard)->isEnabled());
    };
    EXPECT_EQ(enabled(), std::make_pair(false, false));
    scan("/A");
    EXPECT_EQ(enabled(), std::make_pair(true, true));

    tree->block("/A/zz");
    controller.startFolderScan("/A", true);
    ASSERT_TRUE(pumpUntil([&] { return tree->waitUntilBlocked("/A/zz", 0); }));
    EXPECT_EQ(enabled(), std::make_pair(false, false));
    bool done = false;
    QObject::connect(&controller, &scan::ScanController::scanComplete, frame.get(),
                     [&done] { done = true; });
    tree->release("/A/zz");
    ASSERT_TRUE(pumpUntil([&] { return done; }));
    EXPECT_EQ(enabled(), std::make_pair(true, true));

    QGuiApplication::clipboard()->clear();
    command(app::command::kGraphImageToClipboard)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().height(), CScrollGraphBarView::graphHeight(2));
}

TEST_F(GraphPaneInFrameTest, BarClicksSelectAndDoubleClicksOpenInTheDetailsView) {
    scan("/A");
    ASSERT_TRUE(pumpUntil([&] { return barNames() == std::vector<std::string>{"sub", "zz"}; }));
    views::CTarvolinView* details = frame->detailsView();
    QSignalSpy opened(details, &views::CTarvolinView::folderActivated);

    QTest::mouseClick(graph()->viewport(), Qt::LeftButton, {}, barCentre(1));
    EXPECT_EQ(details->cellText(details->currentIndex().row(), views::kColumnName),
              QStringLiteral("zz"));
    EXPECT_EQ(opened.count(), 0);
    QTest::mouseClick(graph()->viewport(), Qt::LeftButton, {}, barCentre(0));
    EXPECT_EQ(details->cellText(details->currentIndex().row(), views::kColumnName),
              QStringLiteral("sub"));

    QTest::mouseDClick(graph()->viewport(), Qt::LeftButton, {}, barCentre(1));
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.takeFirst().front().value<std::string>(), "/A/zz");
}

TEST_F(GraphPaneInFrameTest, TheGraphFollowsTheDetailsViewsSortOrder) {
    scan("/A");
    ASSERT_TRUE(pumpUntil([&] { return barNames() == std::vector<std::string>{"sub", "zz"}; }));
    // Size, ascending, then descending.
    frame->detailsView()->sortByHeader(views::kColumnSize);
    frame->detailsView()->sortByHeader(views::kColumnSize);
    EXPECT_TRUE(pumpUntil([&] { return barNames() == std::vector<std::string>{"zz", "sub"}; }));
}

}  // namespace
}  // namespace tarvolin::graphs::test
