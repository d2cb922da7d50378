#include "ui/CResizableDialog.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "support/SettingsFixture.h"
#include "ui/SettingsStore.h"

namespace tarvolin::ui {
namespace {

using CResizableDialogTest = test::SettingsFixture;

const QString kSection = QStringLiteral("FolderErrorDlgWnd");

class ErrorReport : public CResizableDialog {
public:
    ErrorReport() : CResizableDialog(kSection) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QListWidget);
        layout->addWidget(new QPushButton(QStringLiteral("&Close")), 0, Qt::AlignRight);
    }
};

QString storedRect() {
    return ui::GetProfileString(kSection, QStringLiteral("WindowPlacement"), QString());
}

TEST_F(CResizableDialogTest, RectangleComesBackAtTheNextOpening) {
    QSize initial;
    {
        ErrorReport dialog;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        initial = dialog.size();
        EXPECT_EQ(dialog.minimumSize(), initial);
        dialog.setGeometry(QRect(QPoint(30, 40), initial + QSize(150, 100)));
        dialog.reject();
    }
    const QRect expected(QPoint(30, 40), initial + QSize(150, 100));
    EXPECT_EQ(
        storedRect(),
        QStringLiteral("30,40,%1,%2,1,0").arg(30 + expected.width()).arg(40 + expected.height()));
    ErrorReport again;
    again.show();
    EXPECT_EQ(again.geometry(), expected);
    EXPECT_EQ(again.minimumSize(), initial);  // the minimum is the layout's, not the stored size
}

TEST_F(CResizableDialogTest, OnlySixNumbersOnAScreenAreRestored) {
    QRect plain;
    {
        ErrorReport dialog;
        dialog.show();
        plain = dialog.geometry();
    }
    for (const char* text : {"30,40,500,400,1", "30,40,500,400,1,0,0", "30,40,5x0,400,1,0",
                             "50000,50000,50400,50300,1,0", ""}) {
        ui::WriteProfileString(kSection, QStringLiteral("WindowPlacement"),
                               QString::fromLatin1(text));
        ErrorReport dialog;
        dialog.show();
        EXPECT_EQ(dialog.geometry(), plain) << text;
    }
}

}  // namespace
}  // namespace tarvolin::ui
