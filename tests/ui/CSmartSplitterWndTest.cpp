#include "ui/CSmartSplitterWnd.h"

#include <gtest/gtest.h>

#include <QSplitterHandle>
#include <QTest>
#include <QWidget>

#include <vector>

namespace tarvolin::ui {
namespace {

// A 400-pixel bar: the grip spans x 140 to 255.
const QPoint kOnGrip(197, 4);
const QPoint kBesideGrip(20, 4);

class CSmartSplitterWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        splitter.addWidget(new QWidget);
        splitter.addWidget(new QWidget);
        splitter.resize(400, 308);
        splitter.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&splitter));
        splitter.setSizes({200, 100});
        QObject::connect(&splitter, &CSmartSplitterWnd::collapsedChanged, &splitter,
                         [this](bool collapsed) { signalled.push_back(collapsed); });
    }
    QSplitterHandle* bar() const { return splitter.handle(1); }
    void click(QPoint point) { QTest::mouseClick(bar(), Qt::LeftButton, {}, point); }
    void drag(QPoint from, int dy) {
        QTest::mousePress(bar(), Qt::LeftButton, {}, from);
        QTest::mouseMove(bar(), from + QPoint(0, dy));
        QTest::mouseRelease(bar(), Qt::LeftButton, {}, from + QPoint(0, dy));
    }

    CSmartSplitterWnd splitter;
    std::vector<bool> signalled;
};

TEST_F(CSmartSplitterWndTest, SecondGripClickReturnsTheLowerPaneToItsHeight) {
    click(kBesideGrip);
    EXPECT_FALSE(splitter.isCollapsed());
    click(kOnGrip);
    EXPECT_TRUE(splitter.isCollapsed());
    EXPECT_EQ(splitter.sizes(), QList<int>({300, 0}));
    click(kOnGrip);
    EXPECT_FALSE(splitter.isCollapsed());
    EXPECT_EQ(splitter.sizes(), QList<int>({200, 100}));
    EXPECT_EQ(signalled, std::vector<bool>({true, false}));
}

TEST_F(CSmartSplitterWndTest, DraggingFromTheGripMovesTheBarInstead) {
    drag(kOnGrip, -40);
    EXPECT_FALSE(splitter.isCollapsed());
    EXPECT_EQ(splitter.sizes(), QList<int>({160, 140}));
}

TEST_F(CSmartSplitterWndTest, AfterADragCollapsedMeansTheLowerPaneIsShut) {
    click(kOnGrip);
    drag(kBesideGrip, -120);  // the user pulls the collapsed pane open
    EXPECT_FALSE(splitter.isCollapsed());
    EXPECT_EQ(splitter.sizes(), QList<int>({180, 120}));
    drag(kBesideGrip, 150);  // and pushes it shut again by hand
    EXPECT_TRUE(splitter.isCollapsed());
    click(kOnGrip);  // so the grip brings it back rather than collapsing it once more
    EXPECT_FALSE(splitter.isCollapsed());
    EXPECT_GT(splitter.sizes().value(1), 0);
    EXPECT_EQ(signalled, std::vector<bool>({true, false, true, false}));
}

}  // namespace
}  // namespace tarvolin::ui
