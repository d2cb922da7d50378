#include "update/EventSocket.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <thread>

#include "support/ChildProcess.h"
#include "support/LocalHttpServer.h"

namespace tarvolin::update {
namespace {

using namespace std::chrono_literals;
using test::LocalHttpServer;
using Clock = std::chrono::steady_clock;

constexpr char kPath[] = "/versioninfo.xml";

TEST(EventSocketTest, HttpGetReadsTheStatusLineOfWhateverTheServerAnswers) {
    const struct {
        const char* reply;
        int result;
        int status;
        const char* reason;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n<VersionInfo/>", kHttpOk, 200, "OK"},
        {"HTTP/1.1 404 Not Found\r\n\r\n", kHttpOk, 404, "Not Found"},
        {"HTTP/1.0 200\r\n\r\n", kHttpBadStatusLine, 0, ""},  // no reason phrase
        {"HTTP/1.0 200 OK\n\nno carriage return", kHttpBadStatusLine, 0, ""},
        {"", kHttpBadStatusLine, 0, ""},
    };
    for (const auto& c : cases) {
        LocalHttpServer server(c.reply);
        EventSocket socket;
        std::string response;
        EXPECT_EQ(socket.HttpGet("127.0.0.1", server.port(), kPath, response, 2s), c.result)
            << c.reply;
        EXPECT_EQ(response, c.reply);  // headers and body stay in the response
        if (c.result == kHttpOk) {
            EXPECT_EQ(socket.statusLine().code, c.status);
            EXPECT_EQ(socket.statusLine().reason, c.reason);
        }
    }
}

TEST(EventSocketTest, SendsExactlyTheRequestBytesWithoutAPortInHost) {
    for (const std::string host : {"127.0.0.1", "localhost"}) {
        LocalHttpServer server("HTTP/1.0 200 OK\r\n\r\n");
        EventSocket socket;
        std::string response;
        ASSERT_EQ(socket.HttpGet(host, server.port(), kPath, response, 2s), kHttpOk) << host;
        ASSERT_EQ(server.requests().size(), 1u);
        EXPECT_EQ(server.requests()[0], "GET /versioninfo.xml HTTP/1.0\r\nHost: " + host +
                                            "\r\nUser-Agent: Tarvolin\r\n\r\n");
    }
}

TEST(EventSocketTest, ConnectionFailuresHaveTheirOwnCodes) {
    test::RefusingPort refusing;
    const struct {
        const char* host;
        int port;
        int result;
    } cases[] = {
        {"127.0.0.1", refusing.port(), kHttpConnectRefused},
        {"no such host", 80, kHttpHostNotFound},  // rejected by the resolver without a query
        {"127.0.0.1", 0, kHttpConnectFailed},
    };
    for (const auto& c : cases) {
        EventSocket socket;
        std::string response;
        EXPECT_EQ(socket.HttpGet(c.host, c.port, kPath, response, 2s), c.result) << c.host;
    }
}

TEST(EventSocketTest, ResponseIsCappedAtOneMebibyte) {
    const std::string header = "HTTP/1.0 200 OK\r\n\r\n";
    const std::string exact = header + std::string(kMaxResponseBytes - header.size(), 'x');
    const struct {
        std::string reply;
        LocalHttpServer::Behaviour behaviour;
        int result;
    } cases[] = {
        {exact, LocalHttpServer::Behaviour::Reply, kHttpOk},
        {exact + "x", LocalHttpServer::Behaviour::Reply, kHttpTransferFailed},
        {header, LocalHttpServer::Behaviour::Endless, kHttpTransferFailed},
    };
    for (const auto& c : cases) {
        LocalHttpServer server(c.reply, c.behaviour);
        EventSocket socket;
        std::string response;
        EXPECT_EQ(socket.HttpGet("127.0.0.1", server.port(), kPath, response, 2s), c.result);
        EXPECT_EQ(response.size(), kMaxResponseBytes);
    }
}

// Each operation against a peer that takes and sends nothing ends by its time-out or by a
// Stop from another thread, whichever comes first.
TEST(EventSocketTest, WaitsOnASilentPeerEndByTimeOutOrStop) {
    const std::string bulk(32 << 20, 'x');  // more than the socket buffers hold
    char byte;
    std::string response;
    const struct {
        const char* name;
        std::function<int(EventSocket&, int port, std::chrono::milliseconds)> operation;
        int onTimeOut;
        int onStop;
    } cases[] = {
        {"send",
         [&](EventSocket& s, int port, auto timeout) {
             if (s.Create() != kHttpOk || s.Connect("127.0.0.1", port, 2s) != kHttpOk) return -1;
             return s.SendAll(bulk.data(), bulk.size(), timeout);
         },
         kHttpTransferTimedOut, kHttpStopped},
        {"receive",
         [&](EventSocket& s, int port, auto timeout) {
             const std::string request = "GET / HTTP/1.0\r\n\r\n";
             if (s.Create() != kHttpOk || s.Connect("127.0.0.1", port, 2s) != kHttpOk ||
                 s.SendAll(request.data(), request.size(), 2s) != kHttpOk) {
                 return -1;
             }
             return s.ReceiveExact(&byte, 1, timeout);
         },
         kHttpTransferTimedOut, kHttpStopped},
        {"read response",
         [&](EventSocket& s, int port, auto timeout) {
             return s.HttpGet("127.0.0.1", port, kPath, response, timeout);
         },
         kHttpTransferFailed, kHttpTransferFailed},
    };
    for (const auto& c : cases) {
        LocalHttpServer server("", LocalHttpServer::Behaviour::Silent);
        {
            EventSocket socket;
            const auto start = Clock::now();
            EXPECT_EQ(c.operation(socket, server.port(), 200ms), c.onTimeOut) << c.name;
            EXPECT_GE(Clock::now() - start, 200ms) << c.name;
        }
        EventSocket socket;
        // Once the server has the request, every step left ends in a wait that sees the stop.
        std::thread stopper([&] {
            server.waitForRequests(2, 2s);
            socket.Stop();
        });
        const auto start = Clock::now();
        EXPECT_EQ(c.operation(socket, server.port(), 30s), c.onStop) << c.name;
        EXPECT_LT(Clock::now() - start, 5s) << c.name;
        stopper.join();
    }
}

TEST(EventSocketTest, ConnectToAPeerThatNeverAnswersEndsByTimeOutOrStop) {
    test::UnansweredPort unanswered;
    {
        EventSocket socket;
        ASSERT_EQ(socket.Create(), kHttpOk);
        EXPECT_EQ(socket.Connect("127.0.0.1", unanswered.port(), 200ms), kHttpConnectTimedOut);
    }
    {
        // HttpGet connects with its fixed 30 s time-out; only the stop ends it early.
        EventSocket socket;
        std::thread stopper([&] {
            std::this_thread::sleep_for(100ms);
            socket.Stop();
        });
        std::string response;
        const auto start = Clock::now();
        EXPECT_EQ(socket.HttpGet("127.0.0.1", unanswered.port(), kPath, response, 30s),
                  kHttpStopped);
        EXPECT_LT(Clock::now() - start, 5s);
        stopper.join();
    }
    {
        // A stop is lasting: a request started afterwards does not even reach a live server.
        LocalHttpServer server("HTTP/1.0 200 OK\r\n\r\n");
        EventSocket socket;
        socket.Stop();
        std::string response;
        EXPECT_EQ(socket.HttpGet("127.0.0.1", server.port(), kPath, response, 2s), kHttpStopped);
        EXPECT_TRUE(response.empty());
    }
}

TEST(EventSocketTest, SendingToAPeerThatHasGoneGivesAnErrorNotSigpipe) {
    LocalHttpServer server("", LocalHttpServer::Behaviour::ResetAfterRequest);
    EventSocket socket;
    const std::string request = "GET / HTTP/1.0\r\n\r\n";
    ASSERT_EQ(socket.Create(), kHttpOk);
    ASSERT_EQ(socket.Connect("127.0.0.1", server.port(), 2s), kHttpOk);
    ASSERT_EQ(socket.SendAll(request.data(), request.size(), 2s), kHttpOk);
    char byte;
    EXPECT_EQ(socket.ReceiveExact(&byte, 1, 2s), kHttpTransferFailed);  // the reset
    // The connection is gone now, so this send fails with EPIPE, which would raise SIGPIPE.
    EXPECT_EQ(socket.SendAll("x", 1, 2s), kHttpTransferFailed);
    EXPECT_EQ(socket.lastResult(), EPIPE);
}

TEST(EventSocketTest, CloseReleasesASocketOnDescriptorZero) {
    const std::string answer = test::runInChild([] {
        EventSocket socket;  // its stop pipe first, so that the socket gets the freed 0
        close(0);
        if (socket.Create() != kHttpOk) return std::string("Create failed");
        if (fcntl(0, F_GETFD) == -1) return std::string("SKIP: the socket did not get 0");
        socket.Close();
        return fcntl(0, F_GETFD) == -1 && errno == EBADF ? std::string()
                                                         : std::string("descriptor 0 still open");
    });
    if (answer.rfind("SKIP", 0) == 0) GTEST_SKIP() << answer;
    EXPECT_EQ(answer, "");
}

// A server that sends a byte at a time never lets one wait run out; the exchange as a whole
// still ends. A Content-Length ends the response even while the server holds the connection;
// a close before that many bytes is a failure.
TEST(EventSocketTest, TheExchangeIsBoundedAndContentLengthEndsTheBody) {
    LocalHttpServer trickling("HTTP/1.0 200 OK\r\n\r\n" + std::string(130, 'x'),
                              LocalHttpServer::Behaviour::Trickle);
    EventSocket slow;
    std::string response;
    const auto start = Clock::now();
    EXPECT_EQ(slow.HttpGet("127.0.0.1", trickling.port(), kPath, response, 2s, 400ms),
              kHttpTransferFailed);
    EXPECT_EQ(slow.failure(), HttpFailure::TimedOut);
    EXPECT_LT(Clock::now() - start, 1500ms);

    const std::string body = "<VersionInfo/>";
    const struct {
        std::string reply;
        LocalHttpServer::Behaviour behaviour;
        int result;
        HttpFailure failure;
        std::string response;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nCONTENT-length:  14 \r\n\r\n" + body,
         LocalHttpServer::Behaviour::Silent, kHttpOk, HttpFailure::None,
         "HTTP/1.0 200 OK\r\nCONTENT-length:  14 \r\n\r\n" + body},
        {"HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\n" + body, LocalHttpServer::Behaviour::Silent,
         kHttpOk, HttpFailure::None, "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\n<Ver"},
        {"HTTP/1.0 200 OK\r\nContent-Length: 99\r\n\r\n" + body, LocalHttpServer::Behaviour::Reply,
         kHttpTransferFailed, HttpFailure::ClosedEarly,
         "HTTP/1.0 200 OK\r\nContent-Length: 99\r\n\r\n" + body},
        {"HTTP/1.0 200 OK\r\nContent-Length: 99999999\r\n\r\n", LocalHttpServer::Behaviour::Silent,
         kHttpTransferFailed, HttpFailure::TooLarge,
         "HTTP/1.0 200 OK\r\nContent-Length: 99999999\r\n\r\n"},
    };
    for (const auto& c : cases) {
        LocalHttpServer server(c.reply, c.behaviour);
        EventSocket socket;
        response.clear();
        EXPECT_EQ(socket.HttpGet("127.0.0.1", server.port(), kPath, response, 2s), c.result)
            << c.reply;
        EXPECT_EQ(socket.failure(), c.failure) << c.reply;
        EXPECT_EQ(response, c.response);
    }

    // An IPv6 address in brackets is used as it is.
    const int probe = socket(AF_INET6, SOCK_STREAM, 0);
    if (probe < 0) GTEST_SKIP() << "no IPv6 here";
    close(probe);
    test::RefusingPort refusing;  // IPv4 only: nothing listens on [::1] at that port
    EventSocket six;
    EXPECT_EQ(six.HttpGet("[::1]", refusing.port(), kPath, response, 2s), kHttpConnectRefused);
    EXPECT_EQ(six.HttpGet("[::1", refusing.port(), kPath, response, 2s), kHttpHostNotFound);
}

}  // namespace
}  // namespace tarvolin::update
