#include "update/CUpdateCheckDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>

#include "support/LocalHttpServer.h"

namespace tarvolin::update {
namespace {

using test::LocalHttpServer;

UpdateCheckConfig localServer(int port) {
    UpdateCheckConfig config;
    config.host = "127.0.0.1";
    config.port = port;
    config.timeout = std::chrono::milliseconds(2000);
    config.productVersion = "2, 1, 0, 5";
    return config;
}

bool waitForResult(const CUpdateCheckDlg& dialog) {
    QElapsedTimer timer;
    timer.start();
    while (dialog.checking() && timer.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return !dialog.checking();
}

TEST(CUpdateCheckDlg, ShowsWhatTheServerAnswers) {
    const std::string valid =
        "HTTP/1.0 200 OK\r\n\r\n<VersionInfo><CurrentVersion>2.2.0.1</CurrentVersion>"
        "<DownloadLink>https://www.tarvolin.example/get</DownloadLink>"
        "<WhatsNewLink>javascript:alert(1)</WhatsNewLink></VersionInfo>";
    const struct {
        std::string reply;
        const char* status;
        const char* installed;
        const char* latest;
        bool download;
    } cases[] = {
        {valid, "Update check completed successfully", "2.1.0.5", "2.2.0.1", true},
        {"HTTP/1.0 404 Not Found\r\n\r\n", "Error during update check: Not Found", "Unknown",
         "Unknown", false},
        {"HTTP/1.0 200 OK\r\n\r\n<VersionInfo><CurrentVersion>2</CurrentVersion>"
         "<DownloadLink>http://d</DownloadLink></VersionInfo>",
         "Error during update check: invalid version file", "Unknown", "Unknown", false},
    };
    for (const auto& c : cases) {
        LocalHttpServer server(c.reply);
        CUpdateCheckDlg dialog(localServer(server.port()));
        EXPECT_EQ(dialog.statusText(), QStringLiteral("Update check in progress..."));
        EXPECT_FALSE(dialog.downloadButton()->isEnabled());
        ASSERT_TRUE(waitForResult(dialog)) << c.status;
        EXPECT_EQ(dialog.statusText(), QString::fromUtf8(c.status));
        EXPECT_EQ(dialog.installedVersion(), QString::fromUtf8(c.installed));
        EXPECT_EQ(dialog.latestVersion(), QString::fromUtf8(c.latest));
        EXPECT_EQ(dialog.downloadButton()->isEnabled(), c.download);
        EXPECT_FALSE(dialog.whatsNewButton()->isEnabled());  // never a link that is not http(s)
    }

    test::RefusingPort refusing;
    CUpdateCheckDlg offline(localServer(refusing.port()));
    ASSERT_TRUE(waitForResult(offline));
    EXPECT_EQ(offline.statusText(), QStringLiteral("Update check failed! Please try again later."));
    EXPECT_EQ(offline.latestVersion(), QStringLiteral("Unknown"));
}

// The dialog's check is bounded as a whole too: a server trickling a valid document byte by
// byte ends as a failure once the exchange limit has passed.
TEST(CUpdateCheckDlg, ATricklingServerEndsInAFailureAtTheExchangeLimit) {
    LocalHttpServer trickling(
        "HTTP/1.0 200 OK\r\n\r\n<VersionInfo><CurrentVersion>2.2.0.1</CurrentVersion>"
        "<DownloadLink>https://d</DownloadLink><WhatsNewLink>https://n</WhatsNewLink>"
        "</VersionInfo>",
        LocalHttpServer::Behaviour::Trickle);
    UpdateCheckConfig config = localServer(trickling.port());
    config.exchangeLimit = std::chrono::milliseconds(300);
    CUpdateCheckDlg dialog(config);
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(waitForResult(dialog));
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Update check failed! Please try again later."));
}

TEST(CUpdateCheckDlg, ClosingWhileTheServerIsSilentReturnsAtOnce) {
    LocalHttpServer silent("", LocalHttpServer::Behaviour::Silent);
    QElapsedTimer timer;
    {
        CUpdateCheckDlg dialog(localServer(silent.port()));
        ASSERT_TRUE(silent.waitForRequests(1, std::chrono::seconds(5)));
        timer.start();
        dialog.reject();
        EXPECT_FALSE(dialog.checking());
    }
    QApplication::processEvents();  // a late result, if any, finds the dialog gone
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_TRUE(silent.waitForClientCloses(1, std::chrono::seconds(2)));
}

}  // namespace
}  // namespace tarvolin::update
