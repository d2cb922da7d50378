#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>

#include <memory>
#include <vector>

#include "support/SettingsFixture.h"
#include "ui/CSmartFrameWnd.h"
#include "ui/ColumnWidths.h"
#include "ui/SettingsStore.h"

namespace tarvolin::ui {
namespace {

using WindowPersistenceTest = test::SettingsFixture;

const QString kValue = QStringLiteral("WindowPos");

TEST_F(WindowPersistenceTest, PlacementNeedsExactlyTenNumbers) {
    const struct {
        const char* stored;
        bool loads;
    } cases[] = {
        {"0,1,-1,-1,-1,-1,10,10,500,400", true},
        {"0,1,-1,-1,-1,-1,10,10,500", false},
        {"0,1,-1,-1,-1,-1,10,10,500,400,7", false},
        // Flags and show command are unsigned, as written; "%u" also reads a negative number.
        {"2147483648,4294967295,-1,-1,-1,-1,10,10,500,400", true},
        {"-1,-2147483648,-1,-1,-1,-1,10,10,500,400", true},
        {"4294967296,1,-1,-1,-1,-1,10,10,500,400", false},
        {"0,1,-1,-1,-1,-1,10,10,500,2147483648", false},
        {"0,1,-1,-1,-1,-1,10,10,500,4x0", false},
        {"", false},
    };
    CSmartFrameWnd frame;
    for (const auto& c : cases) {
        SetRegString(QString(), kValue, QString::fromLatin1(c.stored));
        EXPECT_EQ(frame.loadPlacement(kValue).has_value(), c.loads) << c.stored;
    }
}

TEST_F(WindowPersistenceTest, PlacementRestoresAndSavesTheWindow) {
    const struct {
        const char* stored;
        QRect geometry;  // empty: maximised
        const char* saved;
    } cases[] = {
        {"0,1,-1,-1,-1,-1,10,10,500,400", QRect(10, 10, 490, 390), "0,1,-1,-1,-1,-1,10,10,500,400"},
        {"0,5,-1,-1,-1,-1,20,30,420,330", QRect(20, 30, 400, 300), "0,1,-1,-1,-1,-1,20,30,420,330"},
        {"0,3,-1,-1,-1,-1,10,10,500,400", QRect(), "0,3,-1,-1,-1,-1,10,10,500,400"},
    };
    for (const auto& c : cases) {
        SetRegString(QString(), kValue, QString::fromLatin1(c.stored));
        CSmartFrameWnd frame;
        const auto placement = frame.loadPlacement(kValue);
        ASSERT_TRUE(placement) << c.stored;
        frame.applyPlacement(*placement);
        EXPECT_TRUE(frame.isVisible()) << c.stored;
        EXPECT_EQ(frame.isMaximized(), c.geometry.isEmpty()) << c.stored;
        if (!c.geometry.isEmpty()) {
            EXPECT_EQ(frame.geometry(), c.geometry) << c.stored;
        }
        frame.savePlacement(kValue);
        EXPECT_EQ(GetRegString(QString(), kValue, QString()), c.saved) << c.stored;
    }
}

TEST_F(WindowPersistenceTest, MinimisedWindowIsSavedToComeBackShown) {
    CSmartFrameWnd frame;
    frame.setGeometry(40, 50, 300, 200);
    frame.showMinimized();
    frame.savePlacement(kValue);
    EXPECT_EQ(GetRegString(QString(), kValue, QString()), "0,5,-1,-1,-1,-1,40,50,340,250");
}

// Off every screen, crossed, larger than the desktop, or edges further apart than an int holds.
TEST_F(WindowPersistenceTest, RectangleOffEveryScreenIsNotApplied) {
    for (const char* stored :
         {"0,1,-1,-1,-1,-1,50000,50000,50400,50300", "0,1,-1,-1,-1,-1,300,300,100,100",
          "0,1,-1,-1,-1,-1,-100000,-100000,100000,100000",
          "0,1,-1,-1,-1,-1,-2147483648,-2147483648,2147483647,2147483647"}) {
        CSmartFrameWnd frame;
        frame.setGeometry(60, 70, 320, 240);
        SetRegString(QString(), kValue, QString::fromLatin1(stored));
        frame.applyPlacement(*frame.loadPlacement(kValue));
        EXPECT_TRUE(frame.isVisible()) << stored;
        EXPECT_EQ(frame.geometry(), QRect(60, 70, 320, 240)) << stored;
    }
}

class ColumnWidthsTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        view.setModel(model.get());
    }
    std::vector<int> load(const char* stored) {
        std::vector<int> widths;
        for (int column = 0; column < 4; ++column)
            view.header()->resizeSection(column, 111);
        SetRegString(QString(), QStringLiteral("Cols"), QString::fromLatin1(stored));
        loadColumnWidths(view.header(), QStringLiteral("Cols"));
        for (int column = 0; column < view.header()->count(); ++column)
            widths.push_back(view.header()->sectionSize(column));
        return widths;
    }

    std::unique_ptr<QStandardItemModel> model = std::make_unique<QStandardItemModel>(1, 4);
    QTreeView view;
};

TEST_F(ColumnWidthsTest, StoredWidthsGoToTheColumnsInOrder) {
    // Widths are 16-bit; garbage, 0 and negative widths leave the column as it was.
    const struct {
        const char* stored;
        std::vector<int> expected;
    } cases[] = {
        {"200,,50", {200, 50, 111, 111}},        {"abc,70", {111, 70, 111, 111}},
        {"40,50,60,70,80,90", {40, 50, 60, 70}}, {"", {111, 111, 111, 111}},
        {"-5,70000,0", {111, 4464, 111, 111}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(load(c.stored), c.expected) << c.stored;
}

TEST_F(ColumnWidthsTest, SavedWidthsRoundTripAndSurviveALostModel) {
    load("300,111,75");
    saveColumnWidths(view.header(), QStringLiteral("Cols"));
    EXPECT_EQ(GetRegString(QString(), QStringLiteral("Cols"), QString()), "300,111,75,111");

    model.reset();  // the header has no sections left
    saveColumnWidths(view.header(), QStringLiteral("Cols"));
    saveColumnWidths(nullptr, QStringLiteral("Cols"));
    EXPECT_EQ(GetRegString(QString(), QStringLiteral("Cols"), QString()), "300,111,75,111");
}

}  // namespace
}  // namespace tarvolin::ui
