#include "app/StallProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "app/CMainFrame.h"
#include "app/StartupFolder.h"
#include "drives/FixedVolumes.h"
#include "scan/CFolderEnumThread.h"
#include "scan/CTarvolinDoc.h"
#include "scan/ScanController.h"
#include "support/EventPump.h"
#include "support/SettingsFixture.h"
#include "support/TempTree.h"
#include "ui/Options.h"
#include "views/CFolderTreeCtrl.h"

namespace tarvolin::app {
namespace {

TEST(LatenessStatsTest, WorstAndNearestRankPercentiles) {
    LatenessStats none;
    EXPECT_EQ(none.count(), 0u);
    EXPECT_EQ(none.worst(), 0);
    EXPECT_EQ(none.percentile(99), 0);

    LatenessStats one;
    one.add(7, 3);
    EXPECT_EQ(one.percentile(1), 7);
    EXPECT_EQ(one.percentile(99), 7);

    // 1..100 in random order, taken at time 1000 + value with half of it on a core: the
    // largest sets the worst but not the 98th percentile.
    std::vector<double> values(100);
    std::iota(values.begin(), values.end(), 1.0);
    std::shuffle(values.begin(), values.end(), std::mt19937(4));
    LatenessStats stats;
    for (double v : values)
        stats.add(v, 1000 + v, v / 2);
    stats.add(100, 5000, 1);  // an equal worst later on does not move the worst's time
    EXPECT_EQ(stats.count(), 101u);
    EXPECT_EQ(stats.worst(), 100);
    EXPECT_EQ(stats.worstAt(), 1100);
    EXPECT_EQ(stats.worstCpu(), 50);
    EXPECT_EQ(stats.percentile(50), 51);  // rank ceil(50.5) = 51
    EXPECT_EQ(stats.percentile(98), 99);  // rank ceil(98.98) = 99
    EXPECT_EQ(stats.percentile(100), 100);
    EXPECT_EQ(stats.percentile(0), 1);
}

class StallProbeTest : public test::SettingsFixture {
protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        ui::writeOption(ui::option::kShowSplash, 0);
        ui::writeOption(ui::option::kShowWelcomeScreen, 0);
        engine.start();
        frame = std::make_unique<CMainFrame>(controller, volumes);
        frame->showFirstTime();
    }
    void TearDown() override {
        frame.reset();
        controller.shutdown();
    }

    scan::CFolderEnumThread engine;
    scan::ScanController controller{engine, std::make_shared<scan::CTarvolinDoc>()};
    drives::SystemVolumeSource volumes;
    std::unique_ptr<CMainFrame> frame;
};

// The whole run a benchmark drives: the scan, the drill-ins into subfolders the scan cached and
// the way back, and one report.
TEST_F(StallProbeTest, ReportsTheScanAndEachDrillInFromTheCache) {
    test::TempTree tree;
    for (const char* folder : {"big", "big/inner", "small", "other"})
        tree.folder(folder);
    tree.file("big/inner/f", 5000);
    tree.file("small/g", 10);
    tree.file("top", 1);
    QTemporaryDir out;
    const QString report = QDir(out.path()).filePath(QStringLiteral("probe.json"));
    StallProbe probe(*frame, controller, report, 5);
    int finished = 0;
    QObject::connect(&probe, &StallProbe::finished, &probe, [&] { ++finished; });

    scanStartupFolder(*frame, {QStringLiteral("tarvolin"), QString::fromStdString(tree.root())});
    ASSERT_TRUE(test::pumpUntil([&] { return finished > 0; }, 30000));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(frame->folderTree()->currentScanPath(), tree.root());  // back where it started

    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonObject scan = json[QStringLiteral("scan")].toObject();
    // At least the second after completion was watched.
    EXPECT_GT(scan[QStringLiteral("ticks")].toInt(), 0);
    EXPECT_GE(scan[QStringLiteral("duration_ms")].toDouble(), 1000);
    EXPECT_GE(scan[QStringLiteral("worst_ms")].toDouble(),
              scan[QStringLiteral("p99_ms")].toDouble());
    EXPECT_GT(json[QStringLiteral("peak_rss_kb")].toInteger(), 0);
    for (const char* list : {"drill_ins", "backs"}) {
        const QJsonArray steps = json[QLatin1String(list)].toArray();
        ASSERT_EQ(steps.size(), 3) << list;  // every subfolder, though five were asked for
        for (const auto& step : steps) {
            EXPECT_TRUE(step[QStringLiteral("completed")].toBool()) << list;
            EXPECT_TRUE(step[QStringLiteral("from_cache")].toBool()) << list;
            EXPECT_GE(step[QStringLiteral("total_ms")].toDouble(),
                      step[QStringLiteral("activate_ms")].toDouble());
        }
    }
    QStringList drilled;
    for (const auto& step : json[QStringLiteral("drill_ins")].toArray())
        drilled << step[QStringLiteral("folder")].toString();
    drilled.sort();
    EXPECT_EQ(drilled, QStringList({"big", "other", "small"}));
}

}  // namespace
}  // namespace tarvolin::app
