#include "ui/CHistoryCombo.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "support/SettingsFixture.h"
#include "ui/SettingsStore.h"

namespace tarvolin::ui {
namespace {

using CHistoryComboTest = test::SettingsFixture;

const QString kList = QStringLiteral("PathHistory");

QStringList entries(const CHistoryCombo& combo) {
    QStringList result;
    for (int index = 0; index < combo.count(); ++index)
        result.append(combo.entryText(index));
    return result;
}

QStringList storedNames() {
    const auto settings = openSettingsKey();
    settings->beginGroup(QStringLiteral("ComboHistory/PathHistory"));
    QStringList names = settings->childKeys();
    names.sort();
    return names;
}

void fill(CHistoryCombo& combo, int count) {
    for (int index = 0; index < count; ++index)
        combo.addEntry(QStringLiteral("/data/%1").arg(index, 2, 10, QChar(u'0')));
}

TEST_F(CHistoryComboTest, SavingAShorterHistoryLeavesOnlyItsValues) {
    CHistoryCombo combo;
    fill(combo, 5);
    combo.saveHistory(kList);
    combo.clear();
    fill(combo, 3);
    combo.saveHistory(kList);
    EXPECT_EQ(storedNames(), QStringList({"PathHistory0", "PathHistory1", "PathHistory2"}));
    EXPECT_EQ(stored(QStringLiteral("ComboHistory/PathHistory/PathHistory0")).toString(),
              "/data/02");

    CHistoryCombo loaded;
    loaded.loadHistory(kList);
    EXPECT_EQ(entries(loaded), QStringList({"/data/02", "/data/01", "/data/00"}));
    EXPECT_EQ(loaded.currentText(), "/data/02");
}

TEST_F(CHistoryComboTest, LongHistoryComesBackInItsOwnOrder) {
    CHistoryCombo combo;
    fill(combo, 12);
    combo.saveHistory(kList);
    CHistoryCombo loaded;
    loaded.loadHistory(kList);
    EXPECT_EQ(entries(loaded), entries(combo));
    EXPECT_EQ(loaded.entryText(10), "/data/01");
}

TEST_F(CHistoryComboTest, AddingReplacesThePrefixMatchAndKeepsTheMaximum) {
    const struct {
        QStringList before;
        int maximum;
        const char* added;
        QStringList after;
    } cases[] = {
        {{"/x", "/Data/old"}, 20, "/data", {"/data", "/x"}},
        {{"/a/1", "/a/2"}, 20, "/a", {"/a", "/a/2"}},  // only the first match goes
        {{"/x", "/y"}, 20, "/y", {"/y", "/x"}},
        {{"/x", "/longer"}, 20, "/long/", {"/long/", "/x", "/longer"}},
        {{"/1", "/2", "/3"}, 3, "/4", {"/4", "/1", "/2"}},
        {{"/1", "/2"}, 20, "", {"/1", "/2"}},
    };
    for (const auto& c : cases) {
        CHistoryCombo combo;
        combo.setMaxEntries(c.maximum);
        combo.addItems(c.before);
        combo.addEntry(QString::fromLatin1(c.added));
        EXPECT_EQ(entries(combo), c.after) << c.added;
        if (!QString::fromLatin1(c.added).isEmpty()) {
            EXPECT_EQ(combo.currentIndex(), 0);
        }
    }
}

}  // namespace
}  // namespace tarvolin::ui
