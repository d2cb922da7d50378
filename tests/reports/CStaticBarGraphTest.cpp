#include "graphs/CStaticBarGraph.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include "common/GraphPalette.h"
#include "support/QtPrinters.h"

namespace tarvolin::graphs {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

GraphBand makeBand(std::int64_t value, const QString& label) {
    GraphBand band;
    band.value = value;
    band.label = label;
    band.toolTip =
        label + QStringLiteral(".bin (") + QString::number(value) + QStringLiteral(" KB)");
    return band;
}

// The bands' widths and left edges as laid out for the graph's size.
std::vector<int> widths(const CStaticBarGraph& graph) {
    std::vector<int> result;
    for (int i = 0; i < graph.bandCount(); ++i)
        result.push_back(graph.band(i).rect.width());
    return result;
}

std::vector<int> lefts(const CStaticBarGraph& graph) {
    std::vector<int> result;
    for (int i = 0; i < graph.bandCount(); ++i)
        result.push_back(graph.band(i).rect.left());
    return result;
}

TEST(CStaticBarGraph, BandWidthsFollowTheSharesWithTheOnePixelShortFactor) {
    struct Case {
        std::vector<std::int64_t> values;
        int width;
        std::vector<int> expected;  // largest first
    };
    constexpr std::int64_t kHuge = 3'000'000'000'000LL;  // beyond 32 bits, and so is the total
    const Case cases[] = {
        {{20, 50, 30}, 200, {99, 59, 39}},
        {{7}, 200, {199}},
        {{0, 0, 0}, 200, {1, 1, 1}},  // total 0: every band gets the minimum
        {{0, 0}, 1000, {9, 9}},       // 1 % of 1000 is 9 with the factor
        {{998, 2}, 1000, {997, 9}},   // 0.2 % still gets 1 %
        {{kHuge, kHuge, 2 * kHuge}, 400, {199, 99, 99}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        CStaticBarGraph graph;
        graph.resize(c.width, 30);
        for (std::size_t i = 0; i < c.values.size(); ++i)
            graph.AddBand(makeBand(c.values[i], QString::number(i)));
        EXPECT_THAT(widths(graph), ElementsAreArray(c.expected));
        std::int64_t total = 0;
        for (const std::int64_t value : c.values)
            total += value;
        EXPECT_EQ(graph.Total(), total);
    }
}

TEST(CStaticBarGraph, BandsRunFromTheLargestAndThoseBeyondTheEdgeCannotBeHit) {
    CStaticBarGraph graph;
    graph.resize(200, 30);
    graph.AddBand(makeBand(20, QStringLiteral("c")));
    graph.AddBand(makeBand(50, QStringLiteral("a")));
    graph.AddBand(makeBand(30, QStringLiteral("b")));
    EXPECT_THAT(lefts(graph), ElementsAre(0, 99, 158));
    EXPECT_EQ(graph.band(0).label, QStringLiteral("a"));
    EXPECT_EQ(graph.bandAt(QPoint(98, 10)), 0);
    EXPECT_EQ(graph.bandAt(QPoint(99, 10)), 1);
    EXPECT_EQ(graph.bandAt(QPoint(197, 10)), -1);  // 99 + 59 + 39 = 197 pixels are covered

    // 150 bands of 1 % each: the strip ends after 100 of them.
    CStaticBarGraph many;
    many.resize(1000, 30);
    for (int i = 0; i < 150; ++i)
        many.AddBand(makeBand(1, QString::number(i)));
    EXPECT_EQ(many.band(149).rect.left(), 149 * 9);
    EXPECT_EQ(many.bandAt(QPoint(999, 5)), 111);  // the last one to start inside
    EXPECT_GT(many.band(120).rect.left(), 999);

    // Clear forgets the bands; new ones are sorted again.
    graph.Clear();
    EXPECT_EQ(graph.bandCount(), 0);
    EXPECT_EQ(graph.bandAt(QPoint(10, 10)), -1);
    graph.AddBand(makeBand(1, QStringLiteral("small")));
    graph.AddBand(makeBand(9, QStringLiteral("big")));
    EXPECT_EQ(graph.band(0).label, QStringLiteral("big"));
}

TEST(CStaticBarGraph, HoveringShowsTheBandsTextAndClickingMovesTheFrame) {
    CStaticBarGraph graph;
    graph.resize(200, 30);
    graph.AddBand(makeBand(50, QStringLiteral("0")));
    graph.AddBand(makeBand(30, QStringLiteral("1")));
    graph.AddBand(makeBand(20, QStringLiteral("2")));
    graph.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));

    const QPoint overSecond(120, 15);
    QHelpEvent hover(QEvent::ToolTip, overSecond, graph.mapToGlobal(overSecond));
    QApplication::sendEvent(&graph, &hover);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_THAT(QToolTip::text().toStdString(), ::testing::HasSubstr("1.bin (30 KB)"));
    QToolTip::hideText();

    QSignalSpy clicked(&graph, &CStaticBarGraph::bandClicked);
    QTest::mouseClick(&graph, Qt::LeftButton, {}, overSecond);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.front().front().toString(), QStringLiteral("1"));
    EXPECT_FALSE(graph.band(0).selected);
    EXPECT_TRUE(graph.band(1).selected);

    QTest::mouseClick(&graph, Qt::LeftButton, {}, QPoint(10, 15));
    EXPECT_TRUE(graph.band(0).selected);
    EXPECT_FALSE(graph.band(1).selected);

    // Beyond the last band nothing happens, the frame stays.
    QTest::mouseClick(&graph, Qt::LeftButton, {}, QPoint(198, 15));
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_TRUE(graph.band(0).selected);
}

TEST(CStaticBarGraph, BandsArePaintedInPaletteOrderWithLabelsOnlyWhereTheyFit) {
    CStaticBarGraph graph;
    graph.resize(400, 30);
    graph.AddBand(makeBand(90, QStringLiteral("12")));
    graph.AddBand(makeBand(10, QStringLiteral("wide label that cannot fit")));
    const QImage image = graph.grab().toImage();
    image.save(QStringLiteral("/tmp/reportsgui-bandgraph.png"));

    const QRect first = graph.band(0).rect;
    const QRect second = graph.band(1).rect;
    EXPECT_EQ(image.pixelColor(first.left() + 5, 5), QColor::fromRgba(graphPaletteColor(0)));
    EXPECT_EQ(image.pixelColor(second.left() + 5, 5), QColor::fromRgba(graphPaletteColor(1)));
    // The first label's white box lies on the middle row of its band; the second label is too
    // wide for its band, which keeps its colour all along.
    const auto whiteOnMiddleRow = [&image](const QRect& band) {
        int white = 0;
        for (int x = band.left(); x <= band.right(); ++x)
            white += image.pixelColor(x, band.center().y()) == QColor(Qt::white) ? 1 : 0;
        return white;
    };
    EXPECT_GT(whiteOnMiddleRow(first), 0);
    EXPECT_EQ(whiteOnMiddleRow(second), 0);
    // The border.
    EXPECT_EQ(image.pixelColor(399, 15), QColor(0xA9, 0xA9, 0xA9));
}

}  // namespace
}  // namespace tarvolin::graphs
