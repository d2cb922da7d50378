// The tree-navigated sheet, the font combo and the colour button of the option pages.
#include "ui/CTreePropSheet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTreeWidget>

#include "ui/CPropertyPage.h"
#include "ui/ColorButton.h"
#include "ui/FontFaceCombo.h"

namespace tarvolin::ui {
namespace {

using ::testing::ElementsAre;

// Records what the sheet asks of it in a log shared by all pages.
class LoggingPage final : public CPropertyPage {
public:
    LoggingPage(const QString& caption, QStringList& log) : CPropertyPage(caption), m_log(log) {}
    void onOK() override { m_log.append(QStringLiteral("ok ") + caption()); }

protected:
    void onInitDialog() override { m_log.append(QStringLiteral("init ") + caption()); }

private:
    QStringList& m_log;
};

class TreePropSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* caption : {"General::Settings", "Display::Attribute Colors",
                                    "Reports::Export", "Display::Graph"}) {
            sheet.addPage(new LoggingPage(QString::fromLatin1(caption), log));
        }
    }
    QStringList log;
    CTreePropSheet sheet{QStringLiteral("Options"), QStringLiteral("TreePropSheetTestWnd")};
};

TEST_F(TreePropSheetTest, CaptionsShareBranchesAndABranchAsksForAChild) {
    QTreeWidget* tree = sheet.tree();
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    QTreeWidgetItem* display = tree->topLevelItem(1);
    EXPECT_EQ(display->text(0), QStringLiteral("Display"));
    ASSERT_EQ(display->childCount(), 2);
    EXPECT_EQ(display->child(0)->text(0), QStringLiteral("Attribute Colors"));
    EXPECT_EQ(display->child(1)->text(0), QStringLiteral("Graph"));

    tree->setCurrentItem(display);
    EXPECT_EQ(sheet.activePage(), nullptr);
    EXPECT_EQ(sheet.branchText(), QStringLiteral("Please select a child item of 'Display'."));
    tree->setCurrentItem(display->child(1));
    EXPECT_EQ(sheet.activePage(), sheet.page(3));
    EXPECT_TRUE(sheet.branchText().isEmpty());
}

// Only pages that were shown are loaded and written back, each loaded once however often it is
// shown, written in the order they were added.
TEST_F(TreePropSheetTest, OkWritesOnlyPagesThatWereShownAndCancelWritesNothing) {
    sheet.setActivePage(3);
    sheet.setActivePage(0);
    sheet.setActivePage(3);
    EXPECT_THAT(log, ElementsAre("init Display::Graph", "init General::Settings"));
    log.clear();
    sheet.accept();
    EXPECT_THAT(log, ElementsAre("ok General::Settings", "ok Display::Graph"));
    EXPECT_EQ(sheet.result(), QDialog::Accepted);

    QStringList otherLog;
    CTreePropSheet cancelled(QStringLiteral("Options"), QStringLiteral("TreePropSheetTestWnd"));
    cancelled.addPage(new LoggingPage(QStringLiteral("A::B"), otherLog));
    cancelled.addPage(new LoggingPage(QStringLiteral("A::C"), otherLog));
    cancelled.show();  // without a start page the first one shows
    cancelled.reject();
    EXPECT_THAT(otherLog, ElementsAre("init A::B"));
}

TEST(FontFaceComboTest, ExactNameBeatsPrefixIgnoringCaseAndUnknownSelectsNothing) {
    FontFaceCombo combo(nullptr, {QStringLiteral("Arial Black"), QStringLiteral("Arial"),
                                  QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif")});
    const struct {
        const char* stored;
        const char* selected;  // "" for none
    } cases[] = {
        {"arial", "Arial"},  // exact, although "Arial Black" comes first and begins with it
        {"ARIAL BLACK", "Arial Black"},
        {"dejavu", "DejaVu Sans"},  // the first that begins with it
        {"DejaVu Serif", "DejaVu Serif"},
        {"Garamond", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(combo.selectFace(QString::fromLatin1(c.stored)), *c.selected != '\0') << c.stored;
        EXPECT_EQ(combo.faceName(), QString::fromLatin1(c.selected)) << c.stored;
        // What is stored stays in sight, greyed, when nothing matches it.
        EXPECT_EQ(combo.placeholderText(),
                  *c.selected != '\0' ? QString() : QString::fromLatin1(c.stored))
            << c.stored;
    }
}

class ScriptedColorButton final : public ColorButton {
public:
    QColor answer;
    QColor offered;

protected:
    QColor chooseColor(const QColor& initial) override {
        offered = initial;
        return answer;
    }
};

TEST(ColorButtonTest, ThePickerStartsOnTheColourAndCancelKeepsIt) {
    ScriptedColorButton button;
    button.setColor(QColor(10, 20, 30));
    QSignalSpy changed(&button, &ColorButton::colorChanged);

    button.answer = QColor(200, 100, 50);
    button.click();
    EXPECT_EQ(button.offered, QColor(10, 20, 30));
    EXPECT_EQ(button.color(), QColor(200, 100, 50));
    ASSERT_EQ(changed.count(), 1);

    button.answer = QColor();  // cancelled
    button.click();
    EXPECT_EQ(button.color(), QColor(200, 100, 50));
    EXPECT_EQ(changed.count(), 1);
}

}  // namespace
}  // namespace tarvolin::ui
