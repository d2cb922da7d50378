// What the main window shows once it is up: the splash, then the welcome wizard, as the
// options say; and the wizard from the Help menu.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <QtTest/QTest>

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/MainActions.h"
#include "drives/FixedVolumes.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "support/EventPump.h"
#include "support/FakeDirectoryReader.h"
#include "support/OneFixedVolume.h"
#include "support/SettingsFixture.h"
#include "ui/Options.h"
#include "views/CTarvolinView.h"
#include "welcome/CGDIPlusSplashWnd.h"
#include "welcome/CPropSheetWelcome.h"

namespace tarvolin::app {
namespace {

using test::pumpUntil;

welcome::CGDIPlusSplashWnd* shownSplash() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* splash = qobject_cast<welcome::CGDIPlusSplashWnd*>(widget);
            splash && splash->isVisible())
            return splash;
    }
    return nullptr;
}

class StartUpTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        engine.start();
        frame = std::make_unique<CMainFrame>(controller, volumes);
        frame->showFirstTime();
        // Every wizard that opens is counted and cancelled.
        connect = QObject::connect(&watch, &QTimer::timeout, &watch, [this] {
            if (auto* wizard =
                    qobject_cast<welcome::CPropSheetWelcome*>(QApplication::activeModalWidget())) {
                ++wizards;
                onWizard(*wizard);
                wizard->reject();
            }
        });
        watch.start(10);
    }
    void TearDown() override {
        watch.stop();
        frame.reset();
    }

    std::shared_ptr<test::FakeTree> tree = std::make_shared<test::FakeTree>();
    scan::CFolderEnumThread engine{std::make_unique<test::FakeDirectoryReader>(tree)};
    std::shared_ptr<scan::CTarvolinDoc> document = std::make_shared<scan::CTarvolinDoc>();
    scan::ScanController controller{engine, document};
    test::OneFixedVolume volumes;
    std::unique_ptr<CMainFrame> frame;
    QTimer watch;
    QMetaObject::Connection connect;
    int wizards = 0;
    std::function<void(welcome::CPropSheetWelcome&)> onWizard = [](auto&) {};
};

TEST_F(StartUpTest, WelcomeFollowsTheOptionsWithOrWithoutASplash) {
    const QString picture = QString::fromLatin1(welcome::CGDIPlusSplashWnd::kPicture);
    const struct {
        int splash;
        int welcome;
        const char* picture;  // nullptr: the program's own
        int wizards;
    } cases[] = {
        {0, 1, nullptr, 1},
        {0, 0, nullptr, 0},
        {1, 1, "/no/such/picture.png", 1},  // no splash to wait for: the wizard at once
        {1, 0, "/no/such/picture.png", 0},
    };
    for (const auto& c : cases) {
        ui::writeOption(ui::option::kShowSplash, c.splash);
        ui::writeOption(ui::option::kShowWelcomeScreen, c.welcome);
        wizards = 0;
        frame->startUp(c.picture ? QString::fromLatin1(c.picture) : picture);
        pumpUntil([&] { return wizards > 0; }, 500);
        EXPECT_EQ(wizards, c.wizards) << c.splash << c.welcome << c.picture;
        EXPECT_EQ(shownSplash(), nullptr);
    }
}

TEST_F(StartUpTest, ClickingTheSplashBringsTheWizardAtOnce) {
    ui::writeOption(ui::option::kShowSplash, 1);
    frame->startUp(QString::fromLatin1(welcome::CGDIPlusSplashWnd::kPicture));
    welcome::CGDIPlusSplashWnd* splash = shownSplash();
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->size(), splash->image().size());
    EXPECT_EQ(splash->size(), QSize(480, 300));
    pumpUntil([] { return false; }, 200);
    EXPECT_EQ(wizards, 0);
    QTest::mouseClick(splash, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return wizards == 1; }, 1000));
    EXPECT_EQ(shownSplash(), nullptr);
}

// The Details View page's box acts on the view at once; the menu's check mark follows.
TEST_F(StartUpTest, HelpShowWelcomeOpensTheWizardWhoseFilesBoxDrivesTheView) {
    ui::writeOption(ui::option::kShowWelcomeScreen, 1);
    onWizard = [](welcome::CPropSheetWelcome& wizard) {
        EXPECT_TRUE(wizard.showWelcomeBox()->isChecked());
        ASSERT_TRUE(wizard.showFilesBox()->isChecked());
        wizard.showFilesBox()->click();
    };
    QAction* showWelcome = frame->actions()->action(command::kShowWelcome);
    EXPECT_TRUE(showWelcome->isEnabled());
    showWelcome->trigger();
    EXPECT_EQ(wizards, 1);
    EXPECT_EQ(ui::readOption(ui::option::kShowFolderFiles), 0);
    EXPECT_FALSE(frame->detailsView()->showFiles());
    EXPECT_FALSE(frame->actions()->action(command::kShowFiles)->isChecked());
    EXPECT_EQ(ui::readOption(ui::option::kShowWelcomeScreen), 1);  // cancelled: not written
}

}  // namespace
}  // namespace tarvolin::app
