#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/CliListener.h"
#include "cli/JsonWriter.h"
#include "scan/CTarvolinDoc.h"
#include "support/FakeDirectoryReader.h"
#include "support/MiniJson.h"

namespace tarvolin::cli {
namespace {

TEST(JsonQuoted, EscapesInvalidUtf8BytesSoTheyCanBeRecovered) {
    const struct {
        std::string raw;
        std::string quoted;
    } cases[] = {
        {"plain", "\"plain\""},
        {"caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80",
         "\"caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x98\x80\""},
        {"caf\xe9", "\"caf\\udce9\""},
        {"\xc3\x28", "\"\\udcc3(\""},                   // lead byte without its continuation
        {"\xc0\xaf", "\"\\udcc0\\udcaf\""},             // overlong "/"
        {"\xed\xa0\x80", "\"\\udced\\udca0\\udc80\""},  // encoded surrogate
        {"\xf4\x90\x80\x80", "\"\\udcf4\\udc90\\udc80\\udc80\""},  // above U+10FFFF
        {"a\"b\\c\nd\x01", "\"a\\\"b\\\\c\\nd\\u0001\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(jsonQuoted(c.raw), c.quoted);
        EXPECT_EQ(test::Json::parse(jsonQuoted(c.raw)).text, c.raw);  // the round trip
    }
}

TEST(CliListener, InterruptStopsTheWalkAndEndsTheWait) {
    auto tree = std::make_shared<test::FakeTree>();
    tree->file("/A/a", 1).file("/A/sub/b", 2).block("/A/sub");
    scan::CFolderEnumThread thread(std::make_unique<test::FakeDirectoryReader>(tree));
    thread.start();
    auto listener = std::make_shared<CliListener>();
    thread.startFolderScan("/A", false, listener, std::make_shared<scan::CTarvolinDoc>());
    ASSERT_TRUE(tree->waitUntilBlocked("/A/sub", 5000));
    // The stop comes first and the walk is released afterwards (wait() calls `interrupted`,
    // stops, then ticks), so the walk cannot finish its folder before it sees the stop.
    int ticks = 0;
    const bool completed = listener->wait(
        thread, [&] { return ticks >= 2; },
        [&] {
            if (++ticks == 3) tree->release("/A/sub");
        });
    EXPECT_TRUE(completed);
    EXPECT_TRUE(listener->stopped());
    EXPECT_EQ(listener->rootTotals()->size, 1);
}

}  // namespace
}  // namespace tarvolin::cli
