// The options sheet's pages against the settings store, and what its OK changes in the frame.
#include "app/COptionsSheet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <QTreeWidget>

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/MainActions.h"
#include "app/PathBar.h"
#include "drives/FixedVolumes.h"
#include "graphs/CGraphSplitFrame.h"
#include "graphs/CScrollGraphBarView.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "support/EventPump.h"
#include "support/FakeDirectoryReader.h"
#include "support/OneFixedVolume.h"
#include "support/SettingsFixture.h"
#include "ui/CHistoryCombo.h"
#include "ui/CPropertyPage.h"
#include "ui/ColorButton.h"
#include "ui/FontFaceCombo.h"
#include "ui/Options.h"
#include "ui/SettingsStore.h"

namespace tarvolin::app {
namespace {

using ::testing::UnorderedElementsAre;

QStringList storedKeys() {
    QStringList keys = ui::openSettingsKey()->allKeys();
    keys.removeIf([](const QString& key) { return key.startsWith(QLatin1String("Tarvolin/")); });
    return keys;
}

// Every control carries its setting's name.
template <class Widget, class Option>
Widget* control(const COptionsSheet& sheet, const Option& option) {
    return sheet.findChild<Widget*>(QString::fromLatin1(option.name));
}

class OptionsSheetTest : public test::SettingsFixture {};

TEST_F(OptionsSheetTest, PagesInTheirOrderAndOnlyShownPagesWrite) {
    {
        COptionsSheet sheet;
        ASSERT_EQ(sheet.pageCount(), 4);
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Tarvolin Options"));
        QStringList captions;
        for (int i = 0; i < sheet.pageCount(); ++i)
            captions.append(sheet.page(i)->caption());
        EXPECT_EQ(captions, QStringList({"General::Settings", "Display::Attribute Colors",
                                         "Reports::Export", "Display::Graph"}));
        sheet.setActivePage(COptionsSheet::kGraphPage);
        sheet.show();
        EXPECT_EQ(sheet.activePage(), sheet.page(COptionsSheet::kGraphPage));
        sheet.accept();
    }
    // The default face is written back only where it is installed.
    QStringList graphKeys = {"GraphBackPrimary", "GraphBackSecondary", "UseGradientGraphBack",
                             "GraphGradientEffectType"};
    if (QFontDatabase::families().contains(QStringLiteral("Arial"), Qt::CaseInsensitive)) {
        graphKeys << "GraphTitleFontFaceName"
                  << "GraphLabelFontFaceName";
    }
    EXPECT_THAT(storedKeys(), ::testing::UnorderedElementsAreArray(graphKeys));
    ui::openSettingsKey()->clear();
    {
        COptionsSheet sheet;
        sheet.show();  // the General page, and only it
        sheet.accept();
    }
    EXPECT_THAT(storedKeys(),
                UnorderedElementsAre("RefreshFreq", "AutoRefresh", "HistoryCount", "ShowSplash",
                                     "ShowWelcomeScreen", "KeepScanHistory"));
    ui::openSettingsKey()->clear();
    {
        COptionsSheet sheet;
        sheet.setActivePage(COptionsSheet::kColorsPage);
        sheet.setActivePage(COptionsSheet::kExportPage);
        sheet.reject();
    }
    EXPECT_TRUE(storedKeys().isEmpty());
}

// Hand-edited values show within the controls' ranges; what the controls allow is stored.
TEST_F(OptionsSheetTest, GeneralPageShowsValuesInRangeAndStoresWhatTheControlsHold) {
    ui::writeOption(ui::option::kRefreshFreq, 0);
    ui::writeOption(ui::option::kHistoryCount, -7);
    ui::writeOption(ui::option::kKeepScanHistory, 0);
    COptionsSheet sheet;
    sheet.show();
    auto* slider = control<QSlider>(sheet, ui::option::kRefreshFreq);
    auto* count = control<QLineEdit>(sheet, ui::option::kHistoryCount);
    ASSERT_TRUE(slider && count);
    EXPECT_EQ(slider->value(), 4);
    EXPECT_EQ(count->text(), QStringLiteral("0"));
    EXPECT_EQ(count->maxLength(), 3);
    EXPECT_FALSE(control<QCheckBox>(sheet, ui::option::kKeepScanHistory)->isChecked());
    EXPECT_TRUE(control<QCheckBox>(sheet, ui::option::kShowSplash)->isChecked());

    const struct {
        int slider;
        const char* count;
        int storedFreq;
        int storedCount;
    } cases[] = {
        {slider->minimum(), "25", 1, 25},
        {slider->maximum(), "abc", 10, 0},  // not a number: no history
        {7, "-5", 7, 0},
        {3, "12x", 3, 12},
    };
    for (const auto& c : cases) {
        slider->setValue(c.slider);
        count->setText(QString::fromLatin1(c.count));
        sheet.page(COptionsSheet::kGeneralPage)->onOK();
        EXPECT_EQ(ui::readOption(ui::option::kRefreshFreq), c.storedFreq) << c.count;
        EXPECT_EQ(ui::readOption(ui::option::kHistoryCount), c.storedCount) << c.count;
    }
}

TEST_F(OptionsSheetTest, GraphPageKeepsAStoredFontThisMachineLacks) {
    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty());
    const QString installed = families.first();
    ui::writeOption(ui::option::kGraphTitleFontFaceName, QStringLiteral("No Such Face 123"));
    ui::writeOption(ui::option::kGraphLabelFontFaceName, installed.toLower());
    ui::SetRegString(QString(), QString::fromLatin1(ui::option::kGraphBackPrimary.name),
                     QStringLiteral("999:x"));
    ui::writeOption(ui::option::kGraphGradientEffectType, 9);

    COptionsSheet sheet;
    sheet.setActivePage(COptionsSheet::kGraphPage);
    auto* title = control<ui::FontFaceCombo>(sheet, ui::option::kGraphTitleFontFaceName);
    auto* label = control<ui::FontFaceCombo>(sheet, ui::option::kGraphLabelFontFaceName);
    ASSERT_TRUE(title && label);
    EXPECT_EQ(title->currentIndex(), -1);
    EXPECT_EQ(label->faceName(), installed);
    EXPECT_EQ(control<ui::ColorButton>(sheet, ui::option::kGraphBackPrimary)->color(),
              ui::option::kGraphBackPrimary.defaultValue);
    EXPECT_EQ(control<QComboBox>(sheet, ui::option::kGraphGradientEffectType)->currentIndex(), 0);
    control<ui::ColorButton>(sheet, ui::option::kGraphBackSecondary)->setColor(QColor(1, 2, 3));
    sheet.accept();

    EXPECT_EQ(ui::readOption(ui::option::kGraphTitleFontFaceName),
              QStringLiteral("No Such Face 123"));
    EXPECT_EQ(ui::readOption(ui::option::kGraphLabelFontFaceName), installed);
    EXPECT_EQ(ui::readOption(ui::option::kGraphBackSecondary), QColor(1, 2, 3));
    EXPECT_EQ(ui::GetRegString(QString(), QStringLiteral("GraphBackPrimary"), QString()),
              QStringLiteral("255:255:255"));
    EXPECT_EQ(ui::readOption(ui::option::kGraphGradientEffectType), 0);
}

class OptionsInFrameTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        engine.start();
        frame = std::make_unique<CMainFrame>(controller, volumes);
        frame->showFirstTime();
    }
    // Runs `open`, and `edit` on the options sheet it opens; the sheet is then confirmed.
    // The page the sheet showed first, or -1 when no sheet opened.
    template <class Open, class Edit>
    int withSheet(Open&& open, Edit&& edit) {
        int page = -1;
        QObject scope;
        QTimer::singleShot(50, &scope, [&] {
            auto* sheet = qobject_cast<COptionsSheet*>(QApplication::activeModalWidget());
            if (sheet == nullptr) return;
            for (int i = 0; i < sheet->pageCount(); ++i) {
                if (sheet->activePage() == sheet->page(i)) page = i;
            }
            edit(*sheet);
            sheet->accept();
        });
        open();
        return page;
    }

    std::shared_ptr<test::FakeTree> tree = std::make_shared<test::FakeTree>();
    scan::CFolderEnumThread engine{std::make_unique<test::FakeDirectoryReader>(tree)};
    std::shared_ptr<scan::CTarvolinDoc> document = std::make_shared<scan::CTarvolinDoc>();
    scan::ScanController controller{engine, document};
    test::OneFixedVolume volumes;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(OptionsInFrameTest, ToolsOptionsOpensGeneralAndCustomiseOpensGraph) {
    QAction* options = frame->actions()->action(command::kOptions);
    EXPECT_TRUE(options->isEnabled());
    EXPECT_EQ(withSheet([&] { options->trigger(); }, [](COptionsSheet&) {}),
              COptionsSheet::kGeneralPage);
    QAction* customise = frame->graphPane()->action(graphs::CGraphSplitFrame::kCustomizeGraph);
    EXPECT_TRUE(customise->isEnabled());
    EXPECT_EQ(withSheet([&] { customise->trigger(); }, [](COptionsSheet&) {}),
              COptionsSheet::kGraphPage);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// OK makes the new colours visible in the graph at once.
TEST_F(OptionsInFrameTest, OkRepaintsTheGraphWithTheNewBackground) {
    graphs::CScrollGraphBarView* graph = frame->graphPane()->view();
    const QImage before = graph->renderGraphImage();
    ASSERT_FALSE(before.isNull());
    EXPECT_NE(before.pixelColor(2, before.height() - 2), QColor(200, 30, 40));
    withSheet(
        [&] { frame->graphPane()->action(graphs::CGraphSplitFrame::kCustomizeGraph)->trigger(); },
        [](COptionsSheet& sheet) {
            control<ui::ColorButton>(sheet, ui::option::kGraphBackPrimary)
                ->setColor(QColor(200, 30, 40));
            control<QCheckBox>(sheet, ui::option::kUseGradientGraphBack)->setChecked(false);
        });
    const QImage after = graph->renderGraphImage();
    EXPECT_EQ(after.pixelColor(2, after.height() - 2), QColor(200, 30, 40));
    EXPECT_EQ(after.pixelColor(after.width() - 2, 2), QColor(200, 30, 40));
}

// A lowered count empties the path history and nothing else; a raised one keeps it.
TEST_F(OptionsInFrameTest, LoweringHistoryCountThroughTheSheetEmptiesThePathHistory) {
    ui::SetRegString(QStringLiteral("ComboHistory/ReportPathHistory"),
                     QStringLiteral("ReportPathHistory0"), QStringLiteral("/r"));
    frame->pathBar()->addToHistory(QStringLiteral("/p"), 10);
    QAction* options = frame->actions()->action(command::kOptions);
    const auto setCount = [&](const char* text) {
        withSheet([&] { options->trigger(); },
                  [text](COptionsSheet& sheet) {
                      control<QLineEdit>(sheet, ui::option::kHistoryCount)
                          ->setText(QString::fromLatin1(text));
                  });
    };
    setCount("20");
    EXPECT_EQ(frame->pathBar()->combo()->count(), 1);
    setCount("19");
    EXPECT_EQ(frame->pathBar()->combo()->count(), 0);
    EXPECT_EQ(ui::GetRegString(QStringLiteral("ComboHistory/ReportPathHistory"),
                               QStringLiteral("ReportPathHistory0"), QString()),
              QStringLiteral("/r"));
}

}  // namespace
}  // namespace tarvolin::app
