#include "cli/CheckUpdateCommand.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>

#include "common/Version.h"
#include "support/LocalHttpServer.h"

namespace tarvolin::cli {
namespace {

using test::LocalHttpServer;

// Runs the command with the update server taken from the environment; returns the exit code
// and fills what it printed.
int runWithServer(const std::string& host, const std::string& port,
                  const std::vector<std::string_view>& arguments, std::string& out,
                  std::string& errors) {
    setenv("TARVOLIN_UPDATE_HOST", host.c_str(), 1);
    setenv("TARVOLIN_UPDATE_PORT", port.c_str(), 1);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> outFile(std::tmpfile(), &std::fclose);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> errorFile(std::tmpfile(), &std::fclose);
    const int code = runCheckUpdateCommand(arguments, outFile.get(), errorFile.get());
    unsetenv("TARVOLIN_UPDATE_HOST");
    unsetenv("TARVOLIN_UPDATE_PORT");
    for (auto [file, text] :
         {std::pair{outFile.get(), &out}, std::pair{errorFile.get(), &errors}}) {
        std::rewind(file);
        text->clear();
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text->append(buffer, got);
    }
    return code;
}

TEST(CheckUpdateCommandTest, PrintsTheStatusAndBothVersionsAndExitsByTheOutcome) {
    const std::string unknown = "Installed version: Unknown\nLatest version: Unknown\n";
    const struct {
        std::optional<std::string> reply;  // none: nothing listens (the port is refused)
        const char* port;                  // overrides the server's port when set
        int exitCode;
        std::string out;
        const char* errors;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\n\r\n<VersionInfo><CurrentVersion>2.2.0.1</CurrentVersion>"
         "<DownloadLink>https://d</DownloadLink><WhatsNewLink>https://n</WhatsNewLink>"
         "</VersionInfo>",
         nullptr, 0,
         std::string("Update check completed successfully\nInstalled version: ") + kVersionText +
             "\nLatest version: 2.2.0.1\n",
         ""},
        {"HTTP/1.0 200 OK\r\n\r\n<VersionInfo/>", nullptr, 1,
         "Error during update check: invalid version file\nReason: not a version document\n" +
             unknown,
         ""},
        // A reason phrase with an escape sequence is not passed to the terminal as it is.
        {"HTTP/1.0 503 Busy\x1b[2J now\r\n\r\n", nullptr, 1,
         "Error during update check: Busy?[2J now\nReason: HTTP status 503\n" + unknown, ""},
        {std::nullopt, nullptr, 1,
         "Update check failed! Please try again later.\nReason: connection refused\n" + unknown,
         ""},
        {"", "http", 1,
         "Update check failed! Please try again later.\nReason: host not found\n" + unknown,
         "TARVOLIN_UPDATE_PORT ignored, not a port number: http\n"},
    };
    for (const auto& c : cases) {
        std::optional<LocalHttpServer> server;
        std::optional<test::RefusingPort> refusing;
        int port;
        if (c.reply) {
            port = server.emplace(*c.reply).port();
        } else {
            port = refusing.emplace().port();
        }
        // With the port ignored the check goes to port 80 of a host that cannot be resolved.
        const std::string host = c.port != nullptr ? "no-such-host.invalid" : "127.0.0.1";
        std::string out, errors;
        EXPECT_EQ(
            runWithServer(host, c.port != nullptr ? c.port : std::to_string(port), {}, out, errors),
            c.exitCode)
            << c.out;
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(errors, c.errors);
    }
}

TEST(CheckUpdateCommandTest, RejectsArguments) {
    std::string out, errors;
    EXPECT_EQ(runWithServer("no such host", "80", {"--now"}, out, errors), 2);
    EXPECT_EQ(out, "");
    EXPECT_EQ(errors, "unexpected argument: --now\n");
}

}  // namespace
}  // namespace tarvolin::cli
