// The splash window and the welcome wizard.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest/QTest>

#include "support/EventPump.h"
#include "support/SettingsFixture.h"
#include "ui/Options.h"
#include "welcome/CGDIPlusSplashWnd.h"
#include "welcome/CGDIPlusStatic.h"
#include "welcome/CPropSheetWelcome.h"

namespace tarvolin::welcome {
namespace {

using test::pumpUntil;

const QString kSplash = QString::fromLatin1(CGDIPlusSplashWnd::kPicture);

// The follow-up comes once, after the time or at the first click, and the window goes away.
TEST(SplashTest, ClosesOnceOnItsTimeOrAtAClickCentredOnItsOwner) {
    QWidget owner;
    owner.setGeometry(100, 80, 1000, 700);
    owner.show();
    for (const bool click : {false, true}) {
        CGDIPlusSplashWnd* splash =
            CGDIPlusSplashWnd::showSplash(&owner, kSplash, click ? 60000 : 100);
        ASSERT_NE(splash, nullptr);
        EXPECT_TRUE(splash->isVisible());
        EXPECT_EQ(splash->size(), splash->image().size());
        EXPECT_EQ(splash->geometry().center(), owner.frameGeometry().center());
        QSignalSpy closed(splash, &CGDIPlusSplashWnd::closed);
        QPointer<CGDIPlusSplashWnd> alive(splash);
        if (click) {
            QTest::mouseClick(splash, Qt::LeftButton);
            QTest::mouseClick(splash, Qt::LeftButton);
            EXPECT_EQ(closed.count(), 1);
        } else {
            EXPECT_EQ(closed.count(), 0);
            ASSERT_TRUE(pumpUntil([&] { return closed.count() > 0; }, 2000));
        }
        ASSERT_TRUE(pumpUntil([&] { return alive.isNull(); }, 2000)) << click;
        EXPECT_EQ(closed.count(), 1);
    }
}

TEST(SplashTest, NothingShowsWithoutOwnerTimeOrReadablePicture) {
    QWidget owner;
    const QString broken = QDir::temp().filePath(QStringLiteral("tarvolin-broken-splash.png"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    EXPECT_EQ(CGDIPlusSplashWnd::showSplash(nullptr, kSplash, 5000), nullptr);
    EXPECT_EQ(CGDIPlusSplashWnd::showSplash(&owner, kSplash, 0), nullptr);
    EXPECT_EQ(CGDIPlusSplashWnd::showSplash(&owner, QStringLiteral("/no/such.png"), 5000), nullptr);
    EXPECT_EQ(CGDIPlusSplashWnd::showSplash(&owner, broken, 5000), nullptr);
    QFile::remove(broken);
    EXPECT_TRUE(owner.findChildren<CGDIPlusSplashWnd*>().isEmpty());
}

class WelcomeWizardTest : public test::SettingsFixture {};

TEST_F(WelcomeWizardTest, SevenPagesWithTheirHeadingsTextsAndRealPictures) {
    CPropSheetWelcome wizard({});
    EXPECT_EQ(wizard.windowTitle(), QStringLiteral("Welcome to Tarvolin"));
    ASSERT_EQ(wizard.pageIds().size(), CPropSheetWelcome::kPageCount);
    const char* headings[] = {
        "Welcome to Tarvolin!", "Folder Browser", "Drive Space", "Details View",
        "Graph View",           "File Reports",   "Finished"};
    const int pictures[] = {1, 1, 1, 1, 1, 2, 0};
    for (int i = 0; i < CPropSheetWelcome::kPageCount; ++i) {
        const QString text = CPropSheetWelcome::pageText(i);
        EXPECT_TRUE(text.startsWith(
            QStringLiteral(
                "<b><font face=\"arial\" size=\"+6\" color=\"blue\">%1</font></b><br><br>")
                .arg(QString::fromLatin1(headings[i]))))
            << i;
        EXPECT_FALSE(wizard.page(i)->findChildren<QLabel*>().isEmpty());
        const auto shown = wizard.pictures(i);
        ASSERT_EQ(shown.size(), pictures[i]) << i;
        for (const CGDIPlusStatic* picture : shown) {
            EXPECT_TRUE(picture->isLoaded()) << i;
            EXPECT_GE(picture->image().width(), 100) << i;
        }
    }
    // Mended wording.
    EXPECT_TRUE(CPropSheetWelcome::pageText(1).contains(
        QStringLiteral("folders or hard drives anywhere on your system")));
    EXPECT_TRUE(CPropSheetWelcome::pageText(3).contains(
        QStringLiteral("the number of files and subfolders")));
    // The welcome picture is drawn at its own size from the corner.
    const CGDIPlusStatic* intro = wizard.pictures(CPropSheetWelcome::kIntroPage).front();
    EXPECT_EQ(intro->size(), intro->image().size());
}

TEST_F(WelcomeWizardTest, FilesBoxWritesAtEachClickAndFinishWritesTheWelcomeBox) {
    std::vector<bool> handed;
    {
        CPropSheetWelcome wizard([&handed](bool show) { handed.push_back(show); });
        EXPECT_TRUE(wizard.showFilesBox()->isChecked());  // default 1
        // A first run: the closing page's box starts unticked.
        EXPECT_FALSE(wizard.showWelcomeBox()->isChecked());
        wizard.showFilesBox()->click();
        EXPECT_EQ(ui::readOption(ui::option::kShowFolderFiles), 0);
        wizard.showFilesBox()->click();
        EXPECT_EQ(ui::readOption(ui::option::kShowFolderFiles), 1);
        EXPECT_EQ(handed, (std::vector<bool>{false, true}));
        wizard.show();
        wizard.accept();  // Finish
    }
    EXPECT_EQ(ui::readOption(ui::option::kShowWelcomeScreen), 0);

    {
        CPropSheetWelcome wizard({});
        EXPECT_FALSE(wizard.showWelcomeBox()->isChecked());
        wizard.showWelcomeBox()->setChecked(true);
        wizard.show();
        wizard.accept();
    }
    EXPECT_EQ(ui::readOption(ui::option::kShowWelcomeScreen), 1);
    {
        CPropSheetWelcome wizard({});
        EXPECT_TRUE(wizard.showWelcomeBox()->isChecked());
        wizard.showWelcomeBox()->setChecked(false);
        wizard.show();
        wizard.reject();  // Cancel writes nothing
    }
    EXPECT_EQ(ui::readOption(ui::option::kShowWelcomeScreen), 1);
}

}  // namespace
}  // namespace tarvolin::welcome
