#include "update/UpdateCheck.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "support/LocalHttpServer.h"
#include "update/EventSocket.h"

namespace tarvolin::update {
namespace {

using namespace std::chrono_literals;
using test::LocalHttpServer;

constexpr char kDocument[] =
    "<VersionInfo>\n"
    "  <CurrentVersion>2.2.0.1</CurrentVersion>\n"
    "  <DownloadLink>https://www.tarvolin.example/download</DownloadLink>\n"
    "  <WhatsNewLink>http://www.tarvolin.example/news</WhatsNewLink>\n"
    "</VersionInfo>\n";

std::string ok(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + body;
}

TEST(UpdateCheckTest, ResultFollowsTheOutcomeOfTheRequest) {
    const std::string noWhatsNew =
        "<VersionInfo><CurrentVersion>2</CurrentVersion><DownloadLink>http://d</DownloadLink>"
        "</VersionInfo>";
    const std::string localLinks =
        "<VersionInfo><CurrentVersion>3</CurrentVersion><DownloadLink>file:///bin/sh"
        "</DownloadLink><WhatsNewLink>HTTPS://n</WhatsNewLink></VersionInfo>";
    const struct {
        int resultCode;
        std::string response;
        const char* productVersion;
        UpdateCheckState state;
        const char* statusText;
        const char* installed;
        const char* latest;
        const char* download;
        const char* whatsNew;
    } cases[] = {
        {kHttpOk, ok(kDocument), "2, 1, 0, 5", UpdateCheckState::Done, kUpdateCompletedText,
         "2.1.0.5", "2.2.0.1", "https://www.tarvolin.example/download",
         "http://www.tarvolin.example/news"},
        {kHttpOk, ok(kDocument), "", UpdateCheckState::Done, kUpdateCompletedText, "Unknown",
         "2.2.0.1", "https://www.tarvolin.example/download", "http://www.tarvolin.example/news"},
        {kHttpOk, ok(localLinks), "1.0", UpdateCheckState::Done, kUpdateCompletedText, "1.0", "3",
         "", "HTTPS://n"},
        {kHttpConnectRefused, "", "1.0", UpdateCheckState::Failed,
         "Update check failed! Please try again later.", "Unknown", "Unknown", "", ""},
        {kHttpOk, "HTTP/1.0 404 Not Found\r\n\r\n" + std::string(kDocument), "1.0",
         UpdateCheckState::Failed, "Error during update check: Not Found", "Unknown", "Unknown", "",
         ""},
        {kHttpOk, "HTTP/1.0 199 Early\r\n\r\n", "1.0", UpdateCheckState::Failed,
         "Error during update check: Early", "Unknown", "Unknown", "", ""},
        {kHttpOk, "HTTP/1.0 300 Choices\r\n\r\n", "1.0", UpdateCheckState::Failed,
         "Error during update check: Choices", "Unknown", "Unknown", "", ""},
        {kHttpOk, ok(noWhatsNew), "1.0", UpdateCheckState::Failed,
         "Error during update check: invalid version file", "Unknown", "Unknown", "", ""},
        {kHttpOk, "HTTP/1.0 200 OK\r\n" + std::string(kDocument), "1.0",  // no blank line
         UpdateCheckState::Failed, "Error during update check: invalid version file", "Unknown",
         "Unknown", "", ""},
    };
    for (const auto& c : cases) {
        HttpStatusLine status;
        parseHttpStatusLine(c.response, status);
        const UpdateCheckResult result =
            evaluateUpdateResponse(c.resultCode, status, c.response, c.productVersion);
        SCOPED_TRACE(c.response);
        EXPECT_EQ(result.state, c.state);
        EXPECT_EQ(result.statusText, c.statusText);
        EXPECT_EQ(result.installedVersion, c.installed);
        EXPECT_EQ(result.latestVersion, c.latest);
        EXPECT_EQ(result.downloadLink, c.download);
        EXPECT_EQ(result.whatsNewLink, c.whatsNew);
    }
}

UpdateCheckConfig configFor(int port, std::chrono::milliseconds timeout = 30s) {
    return UpdateCheckConfig{"127.0.0.1", port, timeout, "2, 1, 0, 5"};
}

TEST(UpdateCheckTest, WorkerFetchesTheDocumentAndHandsOverTheResult) {
    LocalHttpServer server(ok(kDocument));
    UpdateCheck check(configFor(server.port()));
    std::promise<UpdateCheckResult> delivered;
    ASSERT_TRUE(check.start([&](UpdateCheckResult r) { delivered.set_value(std::move(r)); }));
    auto future = delivered.get_future();
    ASSERT_EQ(future.wait_for(5s), std::future_status::ready);
    const UpdateCheckResult result = future.get();
    EXPECT_EQ(result.statusText, kUpdateCompletedText);
    EXPECT_EQ(result.installedVersion, "2.1.0.5");
    EXPECT_EQ(result.latestVersion, "2.2.0.1");
    EXPECT_EQ(result.downloadLink, "https://www.tarvolin.example/download");
    EXPECT_TRUE(check.stop(1s));
    EXPECT_FALSE(check.isRunning());
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].rfind("GET /versioninfo.xml HTTP/1.0\r\n", 0), 0u);
}

TEST(UpdateCheckTest, StoppingEndsTheRequestAtOnceAndDropsTheResult) {
    for (const auto wait : {2000ms, 0ms}) {
        LocalHttpServer server("", LocalHttpServer::Behaviour::Silent);
        auto calls = std::make_shared<std::atomic<int>>(0);
        {
            UpdateCheck check(configFor(server.port()));
            check.start([calls](UpdateCheckResult) { ++*calls; });
            ASSERT_TRUE(server.waitForRequests(1, 5s));
            EXPECT_TRUE(check.isRunning());
            EXPECT_FALSE(check.start([](UpdateCheckResult) {}));  // one check at a time
            const auto start = std::chrono::steady_clock::now();
            const bool ended = check.stop(wait);
            EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
            if (wait > 0ms) {
                EXPECT_TRUE(ended);
            }
            EXPECT_FALSE(check.isRunning());
        }
        // Even a worker left to end on its own closes its connection and never reports.
        EXPECT_TRUE(server.waitForClientCloses(1, 5s)) << wait.count();
        EXPECT_EQ(*calls, 0) << wait.count();
    }
}

TEST(UpdateCheckTest, DestroyingARunningCheckStopsIt) {
    LocalHttpServer server("", LocalHttpServer::Behaviour::Silent);
    const auto start = std::chrono::steady_clock::now();
    {
        UpdateCheck check(configFor(server.port()));
        check.start([](UpdateCheckResult) {});
        ASSERT_TRUE(server.waitForRequests(1, 5s));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_TRUE(server.waitForClientCloses(1, 5s));
}

}  // namespace
}  // namespace tarvolin::update
