#include "ui/CBusyProgressCtrl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QTimer>

#include <vector>

namespace tarvolin::ui {
namespace {

using Granularity = CBusyProgressCtrl::Granularity;
using Mode = CBusyProgressCtrl::Mode;
using Motion = CBusyProgressCtrl::Motion;

// Appends first, first±1, …, last.
void run(std::vector<int>& out, int first, int last) {
    const int step = first <= last ? 1 : -1;
    for (int i = first; i != last + step; i += step)
        out.push_back(i);
}

int activeTimers(const QObject& owner) {
    int count = 0;
    for (const QTimer* timer : owner.findChildren<QTimer*>())
        count += timer->isActive() ? 1 : 0;
    return count;
}

std::vector<int> activeIndexes(const CBusyProgressCtrl& bar) {
    std::vector<int> result;
    const auto segments = bar.segments();
    for (std::size_t i = 0; i < segments.size(); ++i)
        if (segments[i].active) result.push_back(static_cast<int>(i));
    return result;
}

TEST(CBusyProgressCtrl, StepsThroughTheRowByMotionAndGranularity) {
    struct Case {
        const char* name;
        Motion motion;
        Granularity granularity;
        std::vector<int> expected;  // positions after reset and one step each
    };
    std::vector<Case> cases;
    {
        Case bounce{"bounce", Motion::Bounce, Granularity::Whole, {}};
        run(bounce.expected, 1, 19);
        run(bounce.expected, 18, 0);
        run(bounce.expected, 1, 19);
        run(bounce.expected, 18, 17);
        cases.push_back(bounce);
        Case forward{"wrap forward", Motion::WrapForward, Granularity::Whole, {}};
        run(forward.expected, 1, 19);
        run(forward.expected, 0, 19);
        run(forward.expected, 0, 2);
        cases.push_back(forward);
        Case backward{"wrap backward", Motion::WrapBackward, Granularity::Whole, {}};
        run(backward.expected, 19, 0);
        run(backward.expected, 19, 0);
        run(backward.expected, 19, 17);
        cases.push_back(backward);
        Case fine{"bounce in sub-steps", Motion::Bounce, Granularity::SubSteps, {}};
        run(fine.expected, 1, 99);
        run(fine.expected, 98, 0);
        run(fine.expected, 1, 3);
        cases.push_back(fine);
    }
    for (const Case& c : cases) {
        // Made as the frame makes it: 10 segments first, then 20.
        CBusyProgressCtrl bar(10, 0);
        bar.setSegmentCount(20);
        bar.setRange(-100, 100);
        bar.setMode(Mode::Busy);
        bar.setMotion(c.motion);
        bar.setGranularity(c.granularity);
        bar.reset();
        std::vector<int> seen;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            bar.step();
            seen.push_back(bar.position());
        }
        EXPECT_EQ(seen, c.expected) << c.name;
    }
}

TEST(CBusyProgressCtrl, APositionLeftOutsideTheRowComesBack) {
    CBusyProgressCtrl bar(20, 0);
    bar.setPosition(15);
    bar.setSegmentCount(10);
    bar.step();
    EXPECT_EQ(bar.position(), 14);
    bar.setMotion(Motion::WrapForward);
    bar.setPosition(15);
    bar.step();
    EXPECT_EQ(bar.position(), 0);
}

TEST(CBusyProgressCtrl, RunsOnOneTimerUntilStopped) {
    CBusyProgressCtrl bar(10, 0);
    bar.setSegmentCount(20);
    bar.setStepPeriod(20);
    bar.setMode(Mode::Busy);

    bar.stop();  // not running: nothing happens
    EXPECT_EQ(bar.position(), 0);
    EXPECT_FALSE(bar.isRunning());

    bar.start();
    EXPECT_EQ(bar.position(), 1);  // the first step shows at once
    bar.start();
    EXPECT_EQ(activeTimers(bar), 1);
    EXPECT_TRUE(bar.isRunning());
    const int before = bar.position();
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar.position() >= before + 3; }, 5000));

    bar.stop();
    EXPECT_EQ(activeTimers(bar), 0);
    const int stopped = bar.position();
    QTest::qWait(100);
    EXPECT_EQ(bar.position(), stopped);

    bar.reset();
    EXPECT_EQ(bar.position(), 0);
    EXPECT_EQ(bar.direction(), 1);

    // A mode change stops the animation, and progress mode does not animate.
    bar.start();
    bar.setMode(Mode::Progress);
    EXPECT_FALSE(bar.isRunning());
    bar.start();
    EXPECT_FALSE(bar.isRunning());
}

TEST(CBusyProgressCtrl, ResetReturnsToTheStartOfEachMotion) {
    CBusyProgressCtrl bar(20, 0);
    for (int i = 0; i < 25; ++i)
        bar.step();  // now going back down
    ASSERT_EQ(bar.direction(), -1);
    bar.reset();
    EXPECT_EQ(bar.position(), 0);
    EXPECT_EQ(bar.direction(), 1);

    bar.setMotion(Motion::WrapBackward);
    bar.reset();
    EXPECT_EQ(bar.position(), 20);
    EXPECT_EQ(bar.direction(), -1);
    bar.setGranularity(Granularity::SubSteps);
    bar.reset();
    EXPECT_EQ(bar.position(), 100);

    bar.setMode(Mode::Progress);
    bar.setRange(-100, 100);
    bar.reset();
    EXPECT_EQ(bar.position(), -100);
    EXPECT_EQ(bar.direction(), 1);
}

TEST(CBusyProgressCtrl, SegmentsShareTheWidthLessTheGaps) {
    CBusyProgressCtrl bar(10, 3);
    bar.resize(210, 12);  // 10 segments of 20 pixels, each followed by a 1-pixel gap
    const auto segments = bar.segments();
    ASSERT_EQ(segments.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(segments[i].rect, QRect(i * 21, 0, 20, 12)) << i;
    EXPECT_THAT(activeIndexes(bar), ::testing::ElementsAre(3));

    // Fractional widths (4.25 pixels here) accumulate without drift up to the right edge.
    bar.setSegmentCount(20);
    bar.resize(105, 12);
    const auto narrow = bar.segments();
    EXPECT_EQ(narrow[10].rect.left(), 52);
    EXPECT_EQ(narrow.back().rect.left(), 99);
    EXPECT_EQ(narrow.back().rect.right(), 103);
}

TEST(CBusyProgressCtrl, FillsAPrefixWithAPartialSegment) {
    struct Case {
        const char* name;
        Mode mode;
        int minimum, maximum, position;
        int active;   // segments 0 .. active-1 lit
        int partial;  // width in the next segment
    };
    const Case cases[] = {
        {"progress 55 of 0-100", Mode::Progress, 0, 100, 55, 5, 10},
        {"progress counts from the minimum", Mode::Progress, -100, 100, 0, 5, 0},
        {"progress 25 of -100-100", Mode::Progress, -100, 100, -25, 3, 15},
        {"partial stays inside the border", Mode::Progress, 0, 1000, 999, 9, 18},
        {"progress past the maximum", Mode::Progress, 0, 100, 130, 10, 0},
        {"progress below the minimum", Mode::Progress, 0, 100, -5, 0, 0},
        {"empty range", Mode::Progress, 50, 50, 50, 0, 0},
        {"busy in sub-steps", Mode::Busy, 0, 100, 37, 7, 8},  // 37 of 50 steps
    };
    for (const Case& c : cases) {
        CBusyProgressCtrl bar(10, 0);
        bar.resize(210, 12);
        bar.setMode(c.mode);
        bar.setGranularity(Granularity::SubSteps);
        bar.setRange(c.minimum, c.maximum);
        bar.setPosition(c.position);
        const auto segments = bar.segments();
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(segments[i].active, i < c.active) << c.name << " segment " << i;
            EXPECT_EQ(segments[i].partialWidth, i == c.active ? c.partial : 0)
                << c.name << " segment " << i;
        }
    }
}

TEST(CBusyProgressCtrl, PaintsTheSegmentsItComputes) {
    CBusyProgressCtrl bar(10, 0);
    bar.resize(210, 12);
    bar.setMode(Mode::Progress);
    bar.setPosition(55);
    const QImage image = bar.grab().toImage();
    const auto colors = bar.colors();
    EXPECT_EQ(image.pixelColor(4 * 21 + 10, 6), colors.activeFill);
    EXPECT_EQ(image.pixelColor(4 * 21, 6), colors.activeBorder);
    EXPECT_EQ(image.pixelColor(5 * 21 + 5, 6), colors.activeFill);  // the partial fill
    EXPECT_EQ(image.pixelColor(5 * 21 + 15, 6), colors.segmentFill);
    EXPECT_EQ(image.pixelColor(5 * 21 - 1, 6), colors.background);  // the gap
}

}  // namespace
}  // namespace tarvolin::ui
