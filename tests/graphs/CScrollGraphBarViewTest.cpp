#include "graphs/CScrollGraphBarView.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "GraphTestSupport.h"
#include "common/GraphPalette.h"
#include "graphs/GraphTexts.h"

namespace tarvolin::graphs::test {
namespace {

using ::testing::ElementsAre;

QColor paletteColor(int index) {
    return QColor::fromRgba(graphPaletteColor(static_cast<std::size_t>(index)));
}

// True when some pixel of `area` is pure black: text and axis lines, never the white background,
// the grey grid or a bar of this test.
bool hasBlack(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == Qt::black) return true;
        }
    }
    return false;
}

std::vector<std::string> regionNames(const CScrollGraphBarView& view) {
    std::vector<std::string> names;
    for (const auto& region : view.hitRegions())
        names.push_back(region.name.toStdString());
    return names;
}

class CScrollGraphBarViewTest : public GraphFixture {
protected:
    // a: 300 bytes, b: 7 bytes, c: none, listed in that order.
    void scanSmallFolders() {
        tree->file("/B/a/f", 300).file("/B/b/f", 7).folder("/B/c");
        scan("/B");
    }
};

TEST_F(CScrollGraphBarViewTest, GraphHeightFollowsTheRowCountNotTheWindow) {
    tree->folder("/G0");
    addFolders("/G100", 100, 10);
    const struct {
        const char* path;
        int windowHeight;
        int height;
    } cases[] = {
        {"/G0", 300, 115},
        {"/G0", 900, 115},
        {"/G100", 200, 2615},
        {"/G100", 900, 2615},
    };
    for (const auto& c : cases) {
        scan(c.path);
        makeView(700, c.windowHeight);
        const QImage image = view->renderGraphImage();
        EXPECT_EQ(image.size(), QSize(700, c.height)) << c.path << " " << c.windowHeight;
        EXPECT_EQ(view->scrollHeight(), c.height);
    }
}

TEST_F(CScrollGraphBarViewTest, BarsAreAsLongAsTheirBytesWhenTheLargestFitsThePlot) {
    scanSmallFolders();
    makeView(800, 300);
    const QImage image = view->renderGraphImage();
    ASSERT_EQ(view->hitRegions().size(), 3u);
    const int lefts[] = {kPlotLeft, kPlotLeft, kPlotLeft};
    const int rights[] = {kPlotLeft + 300, kPlotLeft + 7, kPlotLeft + 1};  // 0 bytes: 1 pixel
    for (int row = 0; row < 3; ++row) {
        const auto& region = view->hitRegions()[static_cast<std::size_t>(row)];
        EXPECT_EQ(region.left, lefts[row]);
        EXPECT_EQ(region.right, rights[row]);
        EXPECT_EQ(region.top, rowY(row) - 10);
        EXPECT_EQ(region.bottom, rowY(row) + 10);
    }
    EXPECT_THAT(regionNames(*view), ElementsAre("a", "b", "c"));

    // The 7-byte bar: six pixels of colour from L + 1, then its shadow's last column.
    const int y = rowY(1) - 5;
    EXPECT_EQ(image.pixelColor(kPlotLeft + 1, y), paletteColor(1));
    EXPECT_EQ(image.pixelColor(kPlotLeft + 6, y), paletteColor(1));
    EXPECT_EQ(image.pixelColor(kPlotLeft + 7, y), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(image.pixelColor(kPlotLeft + 8, y), Qt::white);
    // The empty folder shows its shadow only.
    EXPECT_EQ(image.pixelColor(kPlotLeft + 1, rowY(2) - 5), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(image.pixelColor(kPlotLeft + 2, rowY(2) - 5), Qt::white);
}

TEST_F(CScrollGraphBarViewTest, HitTestingFindsBarsOnlyInsideTheirRectangles) {
    scanSmallFolders();
    makeView(800, 300);
    view->renderGraphImage();
    const struct {
        QPoint at;
        const char* name;
    } cases[] = {
        {{300, rowY(0)}, "a"},
        {{kPlotLeft, rowY(0) - 10}, "a"},  // left and top edges belong to the bar
        {{kPlotLeft + 299, rowY(0) + 9}, "a"},
        {{kPlotLeft + 300, rowY(0)}, ""},  // right edge does not
        {{300, rowY(0) + 10}, ""},         // nor the bottom one
        {{kPlotLeft, rowY(2)}, "c"},       // the one pixel of an empty folder
        {{kPlotLeft + 1, rowY(2)}, ""},
        {{100, rowY(0)}, ""},                 // label column
        {{kPlotLeft + 2, rowY(2) + 10}, ""},  // below the last bar
        {{300, 290}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(view->hitTest(c.at).toStdString(), c.name) << c.at.x() << "," << c.at.y();
    }

    QSignalSpy clicks(view.get(), &CScrollGraphBarView::barClicked);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(100, rowY(0)));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(300, rowY(2) + 15));
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(300, rowY(0)));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.takeFirst(), QVariantList({QStringLiteral("a"), false}));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(kPlotLeft + 3, rowY(1)));
    EXPECT_TRUE(clicks.contains(QVariantList({QStringLiteral("b"), true})));
}

TEST_F(CScrollGraphBarViewTest, LongNamesAreCutAtThePlotNeverWrapped) {
    tree->folder("/L/all work and no play makes a folder name far too long for its column");
    scan("/L");
    makeView(800, 300);
    const QImage image = view->renderGraphImage();
    const int y = rowY(0);
    const int lineHeight = 16;
    // Text up to the plot's left side and none beyond it (the black axis is at L itself).
    EXPECT_TRUE(hasBlack(image, QRect(QPoint(30, y - 10), QPoint(60, y + 5))));
    EXPECT_TRUE(
        hasBlack(image, QRect(QPoint(kPlotLeft - 10, y - 10), QPoint(kPlotLeft - 1, y + 5))));
    EXPECT_FALSE(
        hasBlack(image, QRect(QPoint(kPlotLeft + 3, y - 10), QPoint(kPlotLeft + 60, y - 1))));
    // Nothing left of the label column, and no second line below the first.
    EXPECT_FALSE(hasBlack(image, QRect(QPoint(0, y - 10), QPoint(23, y + 10))));
    EXPECT_FALSE(
        hasBlack(image, QRect(QPoint(0, y - 10 + lineHeight), QPoint(kPlotLeft - 1, y + 24))));
}

TEST_F(CScrollGraphBarViewTest, NarrowPanesDrawWithoutDividingByZero) {
    scanSmallFolders();
    const struct {
        int width;
        int barRight;  // of the largest bar
    } cases[] = {
        {176, kPlotLeft + 1},  // a plot one pixel wide
        {175, kPlotLeft + 1},  // no plot at all: bars keep their one pixel
        {120, 95},             // the plot's right side lies left of its left side
        {1, 0},
    };
    for (const auto& c : cases) {
        makeView(c.width, 300);
        const QImage image = view->renderGraphImage();
        EXPECT_EQ(image.size(), QSize(c.width, CScrollGraphBarView::graphHeight(3))) << c.width;
        ASSERT_EQ(view->hitRegions().size(), 3u) << c.width;
        EXPECT_EQ(view->hitRegions()[0].right, c.barRight) << c.width;
    }
}

TEST_F(CScrollGraphBarViewTest, TheTransparentPaletteEntryShowsOnlyTheShadow) {
    addFolders("/P", 132, 100);
    scan("/P");
    makeView(800, 300);
    const QImage image = view->renderGraphImage();
    // The bar's top pixel row lies above its shadow.
    EXPECT_EQ(image.pixelColor(200, rowY(130) - 10), paletteColor(130));
    EXPECT_EQ(image.pixelColor(200, rowY(131) - 10), Qt::white);
    EXPECT_EQ(image.pixelColor(200, rowY(131) - 5), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(image.pixelColor(200, rowY(0) - 10), paletteColor(0));
}

TEST_F(CScrollGraphBarViewTest, ScanStartDropsSubtitleAndHitRegionsAndAStoppedScanShowsNoTotal) {
    makeView(800, 300);
    scanSmallFolders();
    EXPECT_EQ(view->statusText(), QStringLiteral("307 bytes"));
    EXPECT_FALSE(view->statusFlag());
    view->renderGraphImage();
    ASSERT_EQ(view->hitTest(QPoint(300, rowY(0))), QStringLiteral("a"));

    tree->block("/B/a");
    controller.startFolderScan("/B", true);
    ASSERT_TRUE(pumpUntil([&] { return tree->waitUntilBlocked("/B/a", 0); }));
    EXPECT_TRUE(view->hitRegions().empty());
    EXPECT_EQ(view->hitTest(QPoint(300, rowY(0))), QString());
    EXPECT_EQ(view->statusText(), QString());
    EXPECT_EQ(view->scrollHeight(), 0);

    bool done = false;
    QObject::connect(&controller, &scan::ScanController::scanComplete, view.get(),
                     [&done] { done = true; });
    controller.stopScan();
    tree->release("/B/a");
    ASSERT_TRUE(pumpUntil([&] { return done; }));
    EXPECT_TRUE(view->statusFlag());
}

TEST_F(CScrollGraphBarViewTest, KeysScrollAndClicksHitTheScrolledRows) {
    addFolders("/K", 100, 10);
    scan("/K");
    makeView(700, 300);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    QScrollBar* bar = view->verticalScrollBar();
    ASSERT_TRUE(pumpUntil([&] { return bar->maximum() == 2615 - 300; }));
    const struct {
        Qt::Key key;
        int value;
    } steps[] = {
        {Qt::Key_Down, 25},   {Qt::Key_PageDown, 325}, {Qt::Key_Up, 300},   {Qt::Key_End, 2315},
        {Qt::Key_Down, 2315}, {Qt::Key_Home, 0},       {Qt::Key_PageUp, 0},
    };
    for (const auto& step : steps) {
        QTest::keyClick(view.get(), step.key);
        EXPECT_EQ(bar->value(), step.value) << step.key;
    }

    // Ten rows down, the first visible row is d010; only the visible rows were read.
    bar->setValue(CScrollGraphBarView::kRowPitch * 10);
    ASSERT_TRUE(pumpUntil([&] { return view->hitTest(QPoint(kPlotLeft + 5, rowY(0))) == "d010"; }));
    EXPECT_LT(view->hitRegions().size(), 20u);

    // The next folder is shown from its top, before anything of it is drawn.
    int valueAtStart = -1;
    QObject::connect(&controller, &scan::ScanController::scanStarting, view.get(),
                     [&] { valueAtStart = bar->value(); });
    scan("/K");
    EXPECT_EQ(valueAtStart, 0);
}

TEST_F(CScrollGraphBarViewTest, FontsKeepTheirPixelSizeAtAnyResolution) {
    qreal heights[3] = {};
    int i = 0;
    for (const int dpi : {72, 96, 192}) {
        QImage image(10, 10, QImage::Format_RGB888);
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        QPainter painter(&image);
        const QFont font = CScrollGraphView::graphFont(QStringLiteral("Arial"), 11, true, painter);
        heights[i++] = QFontMetricsF(font, &image).height();
    }
    EXPECT_NEAR(heights[0], heights[1], 0.5);
    EXPECT_NEAR(heights[2], heights[1], 0.5);
}

// A stored face draws as itself where installed; else the nearest installed sans-serif face
// stands in, so the default Arial never turns into a serif or a fixed-width face.
TEST(GraphFontTest, StoredFaceDrawsWhenInstalledElseASansSerifStandsIn) {
    QImage image(10, 10, QImage::Format_RGB888);
    QPainter painter(&image);
    const QStringList installed = QFontDatabase::families();
    for (const QString& family :
         {QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Mono")}) {
        if (!installed.contains(family)) continue;
        EXPECT_EQ(QFontInfo(CScrollGraphView::graphFont(family, 9, false, painter)).family(),
                  family);
    }
    for (const QString& missing : {QStringLiteral("Arial"), QStringLiteral("No Such Face 42")}) {
        if (installed.contains(missing, Qt::CaseInsensitive)) continue;
        const QString used =
            QFontInfo(CScrollGraphView::graphFont(missing, 9, false, painter)).family();
        EXPECT_TRUE(installed.contains(used)) << missing.toStdString() << " " << used.toStdString();
        EXPECT_FALSE(used.contains(QLatin1String("Serif")) || used.contains(QLatin1String("Mono")))
            << missing.toStdString() << " " << used.toStdString();
    }
}

TEST(GraphTexts, TitleTakesTheBrowserPathOnlyForTheSameFolder) {
    const struct {
        const char* browser;
        const char* document;
        const char* title;
    } cases[] = {
        {"/data", "/data", "/data"},
        {"/data/", "/data", "/data/"},
        {"/data2", "/data", "/data"},   // merely begins with the document's path
        {"/x/data", "/data", "/data"},  // merely contains it
        {"/data//", "/data", "/data"},
        {"", "/data", "/data"},
        {"/data", "", ""},
        {"/", "/", "/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(graphTitlePath(c.browser, c.document), c.title) << c.browser << " " << c.document;
    }
}

}  // namespace
}  // namespace tarvolin::graphs::test
