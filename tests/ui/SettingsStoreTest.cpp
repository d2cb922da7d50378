#include "ui/SettingsStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QLoggingCategory>
#include <QStringList>

#include <string>
#include <vector>

#include "support/SettingsFixture.h"
#include "ui/Options.h"

namespace tarvolin::ui {
namespace {

using SettingsStoreTest = test::SettingsFixture;

struct LoggedLine {
    std::string category;
    QString text;
    bool operator==(const LoggedLine&) const = default;
};
std::vector<LoggedLine> loggedLines;

void recordMessage(QtMsgType, const QMessageLogContext& context, const QString& message) {
    loggedLines.push_back({context.category != nullptr ? context.category : "", message});
}

QString fileText() {
    QFile file(openSettingsKey()->fileName());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST_F(SettingsStoreTest, EmptyStoreGivesEveryReaderItsDefault) {
    EXPECT_EQ(readOption(option::kDetailListSortCol), -1);
    EXPECT_EQ(readOption(option::kRefreshFreq), 4);
    EXPECT_EQ(readOption(option::kAutoCloseGraphScanDlg), 0);
    EXPECT_EQ(readOption(option::kTempFileMask),
              QStringLiteral("/temp;/tmp/;.tmp;~.;.~;.old;.chk"));
    EXPECT_EQ(readOption(option::kWindowPos), QString());
    EXPECT_EQ(readOption(option::kFileColorHidden), QColor(0, 0, 127));
    EXPECT_EQ(readOption(option::kGraphBackSecondary), QColor(95, 158, 160));
    EXPECT_EQ(GetRegInt(QStringLiteral("ComboHistory/PathHistory"), QStringLiteral("X"), 7u), 7u);
    // Nothing is written back by reading.
    EXPECT_TRUE(openSettingsKey()->allKeys().isEmpty());
}

TEST_F(SettingsStoreTest, IntegersKeepTheLow32BitsOfTheStoredNumber) {
    const struct {
        const char* stored;
        std::uint32_t expected;
    } cases[] = {
        {"-1", 0xFFFFFFFFu},
        {"4294967295", 0xFFFFFFFFu},
        {"4294967296", 0u},
        {"-2147483648", 0x80000000u},
        {" 42 ", 42u},
        {"12abc", 99u},  // not a number: the default
        {"abc", 99u},
        {"", 99u},
        {"99999999999999999999", 99u},
    };
    for (const auto& c : cases) {
        SetRegString(QString(), QStringLiteral("Value"), QString::fromLatin1(c.stored));
        EXPECT_EQ(GetRegInt(QString(), QStringLiteral("Value"), 99u), c.expected) << c.stored;
    }
}

TEST_F(SettingsStoreTest, IntegersAreWrittenSignedToTheTemporaryConfigFile) {
    ASSERT_TRUE(SetRegInt(QString(), QStringLiteral("DetailListSortCol"), 0xFFFFFFFFu));
    EXPECT_EQ(openSettingsKey()->fileName(),
              qEnvironmentVariable("XDG_CONFIG_HOME") + "/Brelland/Tarvolin.conf");
    EXPECT_TRUE(fileText().contains(QStringLiteral("DetailListSortCol=-1")))
        << fileText().toStdString();
    EXPECT_EQ(readOption(option::kDetailListSortCol), -1);
}

// The readers' reasons for falling back are developer diagnostics: nothing reaches the output
// until the category is enabled.
TEST_F(SettingsStoreTest, IntReaderExplainsItsFallbackOnlyInItsEnabledLogCategory) {
    const auto readAll = [] {
        openSettingsKey()->clear();
        GetRegInt(QString(), QStringLiteral("AutoRefresh"), 1);  // the key holds nothing yet
        SetRegString(QString(), QStringLiteral("Other"), QStringLiteral("1"));
        GetRegInt(QString(), QStringLiteral("AutoRefresh"), 1);
        SetRegString(QString(), QStringLiteral("AutoRefresh"), QStringLiteral("yes"));
        GetRegInt(QString(), QStringLiteral("AutoRefresh"), 1);
        GetRegInt(QString(), QStringLiteral("Other"), 1);  // succeeds: silent
    };
    loggedLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    readAll();
    EXPECT_THAT(loggedLines, ::testing::IsEmpty());

    QLoggingCategory::setFilterRules(QStringLiteral("tarvolin.settings.debug=true"));
    readAll();
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    const std::string category = "tarvolin.settings";
    EXPECT_THAT(loggedLines, ::testing::ElementsAre(
                                 LoggedLine{category, "Failed to open reg key during GetRegInt"},
                                 LoggedLine{category, "Failed to query reg key during GetRegInt"},
                                 LoggedLine{category, "Failed to query reg key during GetRegInt"}));
}

TEST_F(SettingsStoreTest, StringsIgnoreTheStoredType) {
    SetRegInt(QString(), QStringLiteral("Number"), 5);
    EXPECT_EQ(GetRegString(QString(), QStringLiteral("Number"), QStringLiteral("d")), "5");
    // What the file back end reads from an unquoted a,b written by hand.
    openSettingsKey()->setValue(QStringLiteral("Cols"), QStringList{"300", "100"});
    EXPECT_EQ(GetRegString(QString(), QStringLiteral("Cols"), QString()), "300,100");
}

TEST_F(SettingsStoreTest, ColoursNeedThreeNumbersAndKeepTheirLowBytes) {
    const QColor fallback(0, 0, 127);
    const struct {
        const char* stored;
        QColor expected;
    } cases[] = {
        {"0:0", fallback},
        {"300", fallback},
        {"", fallback},
        {"10:x:20", QColor(10, 0, 20)},
        {"300:256:-1", QColor(44, 0, 255)},
        {"1::2:::3", QColor(1, 2, 3)},  // runs of separators count as one
        {"5:6:7:8", QColor(5, 6, 7)},
        {" 9:10 :11x", QColor(9, 10, 11)},
    };
    for (const auto& c : cases) {
        SetRegString(QString(), QStringLiteral("FileColorHidden"), QString::fromLatin1(c.stored));
        EXPECT_EQ(readOption(option::kFileColorHidden), c.expected) << c.stored;
    }
    writeOption(option::kFileColorHidden, QColor(255, 0, 128));
    EXPECT_EQ(readOption(option::kFileColorHidden), QColor(255, 0, 128));
    EXPECT_EQ(stored(QStringLiteral("FileColorHidden")).toString(), "255:0:128");
}

}  // namespace
}  // namespace tarvolin::ui
