// EventSocket: one TCP connection for one HTTP/1.0 GET, every wait of which Stop cuts short.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

#include "update/HttpStatusLine.h"

namespace tarvolin::update {

// Result codes of every operation; 0 is success.
inline constexpr int kHttpOk = 0;
inline constexpr int kHttpConnectFailed = 769;
inline constexpr int kHttpHostNotFound = 770;
inline constexpr int kHttpTransferFailed = 771;
inline constexpr int kHttpTransferTimedOut = 772;
inline constexpr int kHttpStopped = 775;
inline constexpr int kHttpSocketFailed = 776;
inline constexpr int kHttpConnectTimedOut = 777;
inline constexpr int kHttpConnectRefused = 778;
inline constexpr int kHttpBadStatusLine = 780;

// A response that grows beyond this is abandoned (771): the document is a few hundred bytes,
// and a server that streams without end must not exhaust memory.
inline constexpr std::size_t kMaxResponseBytes = 1024 * 1024;

// Why the last operation failed, in more detail than its result code (771 covers several).
enum class HttpFailure {
    None,
    HostNotFound,
    Refused,
    TimedOut,     // a wait, or the whole exchange, ran out of time
    ClosedEarly,  // the peer closed or reset before the response was complete
    TooLarge,
    Stopped,
    Other,
};

// Owned by the thread that makes the request, which runs every operation but Stop; Stop may
// come from any thread at any time while the object lives. One object serves one request:
//   Create → Connect → SendAll → read until the server closes → parse the status line,
// which HttpGet does in one call. Once stopped, every later wait ends at once.
class EventSocket {
public:
    EventSocket();
    virtual ~EventSocket();
    EventSocket(const EventSocket&) = delete;
    EventSocket& operator=(const EventSocket&) = delete;

    // HttpGet connects with this time-out whatever time-out it is given.
    static constexpr std::chrono::milliseconds kConnectTimeout{30000};
    static constexpr std::chrono::milliseconds kNoExchangeLimit = std::chrono::milliseconds::max();

    virtual void Close();
    // Waits at most `timeout` for each chunk; 775 stopped, 772 timed out, 771 on a failure or
    // when the peer closes before `size` bytes came.
    virtual int ReceiveExact(char* buffer, std::size_t size, std::chrono::milliseconds timeout);
    // 775 stopped, 772 when the peer takes nothing for `timeout`, 771 on a failure.
    virtual int SendAll(const char* data, std::size_t length, std::chrono::milliseconds timeout);
    // A dotted IPv4 `host`, or an IPv6 address in brackets ("[::1]"), is used as it is; a name
    // is looked up first (770 when unknown). 775 stopped, 777 timed out, 778 refused, 769 any
    // other failure.
    virtual int Connect(const std::string& host, int port, std::chrono::milliseconds timeout);
    // Closes a socket left from an earlier call first. 776 when no socket can be had.
    virtual int Create();
    // Thread-safe and lasting: ends the current wait and every later one.
    virtual void Stop();

    // GET `path` from `host`:`port` and append the whole response, headers included, to
    // `response` (what came before a failure stays there). `timeout` bounds each wait of the
    // send and of the read, which also ends with 771 when stopped or after kMaxResponseBytes;
    // `exchangeLimit` bounds everything from the connect to the end of the response, however
    // slowly a server trickles. The response ends when the server closes the connection, or
    // once as many body bytes as its Content-Length says have come (fewer before a close: 771).
    // 0 when a status line was read (whatever its code), 780 when there is none.
    int HttpGet(const std::string& host, int port, const std::string& path, std::string& response,
                std::chrono::milliseconds timeout,
                std::chrono::milliseconds exchangeLimit = kNoExchangeLimit);

    // Set by a successful HttpGet.
    const HttpStatusLine& statusLine() const { return m_status; }
    // errno of the last failing call (the getaddrinfo code for a look-up), for diagnosis only.
    int lastResult() const { return m_lastResult; }
    // Of the last failing operation; None after a success.
    HttpFailure failure() const { return m_failure; }

private:
    enum class Wait { Ready, Stopped, TimedOut, Failed };
    Wait waitFor(short events, std::chrono::milliseconds timeout);
    int readResponse(std::string& response, std::chrono::milliseconds timeout);
    int fail(int result, HttpFailure failure) {
        m_failure = failure;
        return result;
    }

    int m_socket = -1;
    int m_lastResult = 0;
    HttpFailure m_failure = HttpFailure::None;
    // Every wait ends by then; HttpGet sets it, the single operations have none.
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
    // Stop writes a byte into the pipe and nothing reads it, so the read end stays readable
    // and every poll on it returns at once from then on.
    int m_stopRead = -1;
    int m_stopWrite = -1;
    HttpStatusLine m_status;
};

}  // namespace tarvolin::update
