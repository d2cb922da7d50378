#include "scan/CFolderEnumErrorDlg.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <string>
#include <vector>

#include "support/SettingsFixture.h"
#include "ui/CSmartListCtrl.h"
#include "ui/SettingsStore.h"

namespace tarvolin::scan {
namespace {

using ::testing::ElementsAre;
using CFolderEnumErrorDlgTest = test::SettingsFixture;

std::vector<std::string> column(const CFolderEnumErrorDlg& dialog, int col) {
    std::vector<std::string> texts;
    const QAbstractItemModel* model = dialog.list()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts.push_back(model->index(row, col).data().toString().toStdString());
    return texts;
}

QPushButton* closeButton(const CFolderEnumErrorDlg& dialog) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == "&Close") return button;
    return nullptr;
}

const std::vector<ScanError> kErrors = {
    {EACCES, "/srv/locked", ""},
    {987654, "/srv/odd", ""},
    {ELOOP, "/home/zo\xc3\xab/loop", "stale text"},
};

TEST_F(CFolderEnumErrorDlgTest, ListsEveryErrorInOrderWithTheSystemText) {
    for (int opening = 0; opening < 2; ++opening) {  // the second opening shows the same rows
        CFolderEnumErrorDlg dialog(kErrors);
        EXPECT_EQ(dialog.windowTitle(), "Folder Scan Error Report");
        const QAbstractItemModel* model = dialog.list()->model();
        EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Path");
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Error text");
        EXPECT_THAT(column(dialog, 0),
                    ElementsAre("/srv/locked", "/srv/odd", "/home/zo\xc3\xab/loop"));
        EXPECT_THAT(column(dialog, 1),
                    ElementsAre("Permission denied (code: 13)", "Unknown error (code: 987654)",
                                "Too many levels of symbolic links (code: 40)"));
        EXPECT_EQ(dialog.errors()[2].message, "Too many levels of symbolic links");
        EXPECT_EQ(dialog.list()->columnWidth(0), 200);
        EXPECT_EQ(dialog.list()->columnWidth(1), 200);
    }
}

TEST_F(CFolderEnumErrorDlgTest, AnEmptyReportShowsTheEmptyText) {
    CFolderEnumErrorDlg dialog({});
    EXPECT_EQ(dialog.list()->model()->rowCount(), 0);
    EXPECT_EQ(dialog.list()->emptyText(),
              "There are no items to display." + QString(19, QLatin1Char(' ')));
}

TEST_F(CFolderEnumErrorDlgTest, CloseAcceptsAndTheListStretchesWithTheDialog) {
    CFolderEnumErrorDlg dialog(kErrors);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QPushButton* close = closeButton(dialog);
    ASSERT_NE(close, nullptr);
    const QSize list = dialog.list()->size();
    const QPoint fromCorner = QPoint(dialog.width(), dialog.height()) - close->geometry().topLeft();
    const QSize button = close->size();

    dialog.resize(dialog.size() + QSize(120, 80));
    QTest::qWait(0);
    EXPECT_EQ(dialog.list()->size(), list + QSize(120, 80));
    EXPECT_EQ(QPoint(dialog.width(), dialog.height()) - close->geometry().topLeft(), fromCorner);
    EXPECT_EQ(close->size(), button);

    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(CFolderEnumErrorDlgTest, RectangleAndColumnWidthsComeBack) {
    QRect placed;
    {
        CFolderEnumErrorDlg dialog(kErrors);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        placed = QRect(QPoint(40, 30), dialog.size() + QSize(100, 60));
        dialog.setGeometry(placed);
        dialog.list()->setColumnWidth(0, 150);
        dialog.list()->setColumnWidth(1, 260);
        closeButton(dialog)->click();
    }
    EXPECT_EQ(ui::GetRegString(QString(), QStringLiteral("EnumErrorReportList"), QString()),
              "150,260");
    EXPECT_EQ(ui::GetProfileString(QStringLiteral("FolderErrorDlgWnd"),
                                   QStringLiteral("WindowPlacement"), QString()),
              QStringLiteral("40,30,%1,%2,1,0").arg(40 + placed.width()).arg(30 + placed.height()));

    CFolderEnumErrorDlg again(kErrors);
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(again.geometry(), placed);
    EXPECT_EQ(again.list()->columnWidth(0), 150);
    EXPECT_EQ(again.list()->columnWidth(1), 260);
}

}  // namespace
}  // namespace tarvolin::scan
