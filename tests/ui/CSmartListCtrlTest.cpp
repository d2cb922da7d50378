#include "ui/CSmartListCtrl.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QTest>

#include <memory>

#include "support/SettingsFixture.h"
#include "ui/SettingsStore.h"

namespace tarvolin::ui {
namespace {

class CSmartListCtrlTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        list = std::make_unique<CSmartListCtrl>();
        list->setModel(&model);
        list->setEmptyText(QStringLiteral("There are no items to display."));
        list->resize(400, 200);
    }
    void addRow() {
        model.appendRow({new QStandardItem("a"), new QStandardItem("b"), new QStandardItem("c")});
    }
    // The colour in the middle of row 0, near the right end of `column` (past its short text).
    QColor cellBackground(int column) {
        const QImage image = list->viewport()->grab().toImage();
        const QRect row = list->visualRect(model.index(0, column));
        return image.pixelColor(
            list->columnViewportPosition(column) + list->columnWidth(column) - 4, row.center().y());
    }

    QStandardItemModel model{0, 3};
    std::unique_ptr<CSmartListCtrl> list;
};

TEST_F(CSmartListCtrlTest, HeaderIsDisabledExactlyWhileTheListIsEmpty) {
    EXPECT_FALSE(list->header()->isEnabled());
    addRow();
    EXPECT_TRUE(list->header()->isEnabled());
    model.removeRows(0, 1);
    EXPECT_FALSE(list->header()->isEnabled());
    addRow();
    model.setRowCount(0);
    EXPECT_FALSE(list->header()->isEnabled());
}

TEST_F(CSmartListCtrlTest, OnlyTheSortColumnIsShaded) {
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Midlight, QColor(200, 10, 10));
    list->setPalette(palette);
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    addRow();

    list->setSortArrow(1, 1);
    EXPECT_EQ(cellBackground(1), QColor(200, 10, 10));
    EXPECT_EQ(cellBackground(0), QColor(Qt::white));
    list->setSortArrow(-1, 0);  // ignored
    EXPECT_EQ(list->sortColumn(), 1);
    list->setSortArrow(2, 0);
    EXPECT_EQ(cellBackground(1), QColor(Qt::white));
    EXPECT_EQ(cellBackground(2), QColor(200, 10, 10));
    list->removeSortArrow(2);
    EXPECT_EQ(list->sortColumn(), -1);
    EXPECT_EQ(cellBackground(2), QColor(Qt::white));
}

TEST_F(CSmartListCtrlTest, WidthsLoadedByNameAreSavedWhenTheListGoes) {
    SetRegString(QString(), QStringLiteral("LargestFilesListCols"), QStringLiteral("50,60,70"));
    list->loadColumnWidths(QStringLiteral("LargestFilesListCols"));
    EXPECT_EQ(list->columnWidth(1), 60);
    list->header()->resizeSection(1, 90);
    list.reset();
    EXPECT_EQ(GetRegString(QString(), QStringLiteral("LargestFilesListCols"), QString()),
              "50,90,70");
}

}  // namespace
}  // namespace tarvolin::ui
