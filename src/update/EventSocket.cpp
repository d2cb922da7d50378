#include "update/EventSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/Version.h"

namespace tarvolin::update {
namespace {

using Clock = std::chrono::steady_clock;

bool setFlags(int fd, bool nonBlocking) {
    const int fdFlags = fcntl(fd, F_GETFD);
    const int statusFlags = fcntl(fd, F_GETFL);
    if (fdFlags < 0 || statusFlags < 0) return false;
    return fcntl(fd, F_SETFD, fdFlags | FD_CLOEXEC) == 0 &&
           (!nonBlocking || fcntl(fd, F_SETFL, statusFlags | O_NONBLOCK) == 0);
}

bool wouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

// The value of the first Content-Length line of `header` (the status line and header lines,
// each ending in CR LF); none when there is none or it is no plain decimal number.
std::optional<std::size_t> contentLength(std::string_view header) {
    constexpr std::string_view kName = "content-length:";
    for (std::size_t line = header.find("\r\n"); line != std::string_view::npos;) {
        line += 2;
        const std::size_t lineEnd = header.find("\r\n", line);
        if (lineEnd == std::string_view::npos) break;
        std::string_view text = header.substr(line, lineEnd - line);
        line = lineEnd;
        if (text.size() < kName.size()) continue;
        bool matches = true;
        for (std::size_t i = 0; i < kName.size() && matches; ++i) {
            const char c = text[i];
            matches = (c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) == kName[i];
        }
        if (!matches) continue;
        text.remove_prefix(kName.size());
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        if (text.empty() || text.size() > 15) return std::nullopt;
        std::size_t value = 0;
        for (const char c : text) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + static_cast<std::size_t>(c - '0');
        }
        return value;
    }
    return std::nullopt;
}

}  // namespace

EventSocket::EventSocket() {
    int fds[2];
    if (pipe(fds) != 0) {
        m_lastResult = errno;
        return;
    }
    m_stopRead = fds[0];
    m_stopWrite = fds[1];
    setFlags(m_stopRead, true);
    setFlags(m_stopWrite, true);
}

EventSocket::~EventSocket() {
    Close();
    if (m_stopRead != -1) close(m_stopRead);
    if (m_stopWrite != -1) close(m_stopWrite);
}

void EventSocket::Close() {
    // -1, not 0, marks "no socket": descriptor 0 is a valid socket when stdin is closed.
    if (m_socket == -1) return;
    shutdown(m_socket, SHUT_RDWR);
    close(m_socket);
    m_socket = -1;
}

int EventSocket::Create() {
    Close();
    // Without the stop pipe no wait could be cut short, so no request may start.
    if (m_stopRead == -1) return kHttpSocketFailed;
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_socket == -1) {
        m_lastResult = errno;
        return kHttpSocketFailed;
    }
    if (!setFlags(m_socket, true)) {
        m_lastResult = errno;
        Close();
        return kHttpSocketFailed;
    }
    return kHttpOk;
}

void EventSocket::Stop() {
    if (m_stopWrite == -1) return;
    const char byte = 1;
    // A full pipe is already signalled; nothing else can go wrong that a retry would mend.
    [[maybe_unused]] const ssize_t written = write(m_stopWrite, &byte, 1);
}

EventSocket::Wait EventSocket::waitFor(short events, std::chrono::milliseconds timeout) {
    const auto deadline =
        std::min(Clock::now() + std::max(timeout, std::chrono::milliseconds(0)), m_deadline);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const int pollTimeout =
            static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, INT_MAX));
        pollfd fds[2] = {{m_stopRead, POLLIN, 0}, {m_socket, events, 0}};
        const int ready = poll(fds, 2, pollTimeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            m_lastResult = errno;
            return Wait::Failed;
        }
        // Stop comes first, also when the socket is ready at the same moment.
        if (fds[0].revents != 0) return Wait::Stopped;
        if (fds[1].revents & POLLNVAL) return Wait::Failed;
        if (fds[1].revents != 0) return Wait::Ready;
        if (ready == 0 && Clock::now() >= deadline) return Wait::TimedOut;
    }
}

int EventSocket::Connect(const std::string& host, int port, std::chrono::milliseconds timeout) {
    m_failure = HttpFailure::Other;
    if (m_socket == -1 || port < 1 || port > 65535) return kHttpConnectFailed;
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof(sockaddr_in);
    auto& peer4 = reinterpret_cast<sockaddr_in&>(peer);
    peer4.sin_family = AF_INET;
    peer4.sin_port = htons(static_cast<std::uint16_t>(port));
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        auto& peer6 = reinterpret_cast<sockaddr_in6&>(peer);
        peer6.sin6_family = AF_INET6;
        peer6.sin6_port = htons(static_cast<std::uint16_t>(port));
        peerLength = sizeof(sockaddr_in6);
        if (inet_pton(AF_INET6, host.substr(1, host.size() - 2).c_str(), &peer6.sin6_addr) != 1) {
            return fail(kHttpHostNotFound, HttpFailure::HostNotFound);
        }
        // Create made an IPv4 socket.
        const int socket6 = socket(AF_INET6, SOCK_STREAM, IPPROTO_TCP);
        if (socket6 == -1 || !setFlags(socket6, true)) {
            m_lastResult = errno;
            if (socket6 != -1) close(socket6);
            return kHttpConnectFailed;
        }
        Close();
        m_socket = socket6;
    } else if (inet_aton(host.c_str(), &peer4.sin_addr) == 0) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        // The look-up cannot be interrupted; a stop that came meanwhile is honoured below.
        const int error = getaddrinfo(host.c_str(), nullptr, &hints, &found);
        if (error != 0 || found == nullptr || found->ai_addr == nullptr) {
            if (found != nullptr) freeaddrinfo(found);
            m_lastResult = error;
            return fail(kHttpHostNotFound, HttpFailure::HostNotFound);
        }
        peer4.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    }

    if (connect(m_socket, reinterpret_cast<const sockaddr*>(&peer), peerLength) != 0 &&
        errno != EINPROGRESS && errno != EINTR) {
        m_lastResult = errno;
        if (errno == ECONNREFUSED) return fail(kHttpConnectRefused, HttpFailure::Refused);
        if (errno == ETIMEDOUT) return fail(kHttpConnectTimedOut, HttpFailure::TimedOut);
        return kHttpConnectFailed;
    }
    // Waited on even after an immediate success, so that a stop always wins.
    switch (waitFor(POLLOUT, timeout)) {
        case Wait::Stopped:
            return fail(kHttpStopped, HttpFailure::Stopped);
        case Wait::TimedOut:
            return fail(kHttpConnectTimedOut, HttpFailure::TimedOut);
        case Wait::Failed:
            return kHttpConnectFailed;
        case Wait::Ready:
            break;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    if (error == 0) return fail(kHttpOk, HttpFailure::None);
    m_lastResult = error;
    if (error == ETIMEDOUT) return fail(kHttpConnectTimedOut, HttpFailure::TimedOut);
    if (error == ECONNREFUSED) return fail(kHttpConnectRefused, HttpFailure::Refused);
    return kHttpConnectFailed;
}

int EventSocket::SendAll(const char* data, std::size_t length, std::chrono::milliseconds timeout) {
    m_failure = HttpFailure::Other;
    std::size_t offset = 0;
    while (offset < length) {
        // MSG_NOSIGNAL: a peer that has gone away must give an error, not SIGPIPE.
        const ssize_t sent = send(m_socket, data + offset, length - offset, MSG_NOSIGNAL);
        if (sent > 0) {
            offset += static_cast<std::size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent == 0 || !wouldBlock(errno)) {
            m_lastResult = sent == 0 ? 0 : errno;
            return fail(kHttpTransferFailed, sent < 0 && (errno == EPIPE || errno == ECONNRESET)
                                                 ? HttpFailure::ClosedEarly
                                                 : HttpFailure::Other);
        }
        switch (waitFor(POLLOUT, timeout)) {
            case Wait::Stopped:
                return fail(kHttpStopped, HttpFailure::Stopped);
            case Wait::TimedOut:
                return fail(kHttpTransferTimedOut, HttpFailure::TimedOut);
            case Wait::Failed:
                return kHttpTransferFailed;
            case Wait::Ready:
                break;
        }
    }
    return fail(kHttpOk, HttpFailure::None);
}

int EventSocket::ReceiveExact(char* buffer, std::size_t size, std::chrono::milliseconds timeout) {
    m_failure = HttpFailure::Other;
    std::size_t offset = 0;
    while (offset < size) {
        switch (waitFor(POLLIN, timeout)) {
            case Wait::Stopped:
                return fail(kHttpStopped, HttpFailure::Stopped);
            case Wait::TimedOut:
                return fail(kHttpTransferTimedOut, HttpFailure::TimedOut);
            case Wait::Failed:
                return kHttpTransferFailed;
            case Wait::Ready:
                break;
        }
        const ssize_t got = recv(m_socket, buffer + offset, size - offset, 0);
        if (got > 0) {
            offset += static_cast<std::size_t>(got);
        } else if (got == 0 || (errno != EINTR && !wouldBlock(errno))) {
            m_lastResult = got == 0 ? 0 : errno;
            return fail(kHttpTransferFailed, got == 0 || errno == ECONNRESET
                                                 ? HttpFailure::ClosedEarly
                                                 : HttpFailure::Other);
        }
    }
    return fail(kHttpOk, HttpFailure::None);
}

int EventSocket::readResponse(std::string& response, std::chrono::milliseconds timeout) {
    m_failure = HttpFailure::Other;
    const std::size_t start = response.size();  // the caller's text before this response
    std::size_t received = 0;
    // Once the header has ended: where the response ends by its Content-Length, if it has one.
    bool headerRead = false;
    std::optional<std::size_t> end;
    char chunk[4096];
    for (;;) {
        // Every wait is bounded and can be stopped: a server that keeps the connection open
        // without sending must not hold the request for ever.
        switch (waitFor(POLLIN, timeout)) {
            case Wait::Stopped:
                return fail(kHttpTransferFailed, HttpFailure::Stopped);
            case Wait::TimedOut:
                return fail(kHttpTransferFailed, HttpFailure::TimedOut);
            case Wait::Failed:
                return kHttpTransferFailed;
            case Wait::Ready:
                break;
        }
        const ssize_t got = recv(m_socket, chunk, sizeof chunk, 0);
        if (got == 0) {
            if (end && received < *end) return fail(kHttpTransferFailed, HttpFailure::ClosedEarly);
            return fail(kHttpOk, HttpFailure::None);
        }
        if (got < 0) {
            if (errno == EINTR || wouldBlock(errno)) continue;
            m_lastResult = errno;
            return fail(kHttpTransferFailed,
                        errno == ECONNRESET ? HttpFailure::ClosedEarly : HttpFailure::Other);
        }
        const std::size_t count = static_cast<std::size_t>(got);
        if (count > kMaxResponseBytes - received) {
            response.append(chunk, kMaxResponseBytes - received);
            return fail(kHttpTransferFailed, HttpFailure::TooLarge);
        }
        response.append(chunk, count);
        received += count;
        if (!headerRead) {
            const std::string_view text = std::string_view(response).substr(start);
            // Searched from a little before the new bytes: the blank line may span two chunks.
            const std::size_t from = received - count > 3 ? received - count - 3 : 0;
            const std::size_t blank = text.find("\r\n\r\n", from);
            if (blank != std::string_view::npos) {
                headerRead = true;
                if (const auto length = contentLength(text.substr(0, blank + 2))) {
                    if (*length > kMaxResponseBytes - (blank + 4)) {
                        return fail(kHttpTransferFailed, HttpFailure::TooLarge);
                    }
                    end = blank + 4 + *length;
                }
            }
        }
        if (end && received >= *end) {
            response.resize(start + *end);  // a server that says more than it counted
            return fail(kHttpOk, HttpFailure::None);
        }
    }
}

int EventSocket::HttpGet(const std::string& host, int port, const std::string& path,
                         std::string& response, std::chrono::milliseconds timeout,
                         std::chrono::milliseconds exchangeLimit) {
    m_status = {};
    m_deadline =
        exchangeLimit == kNoExchangeLimit ? Clock::time_point::max() : Clock::now() + exchangeLimit;
    int result = Create();
    if (result != kHttpOk) return fail(result, HttpFailure::Other);
    result = Connect(host, port, kConnectTimeout);
    if (result != kHttpOk) return result;

    // Exactly these bytes: the port never goes into Host, and no other header is sent.
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: " + host +
                                "\r\nUser-Agent: " + kProductName + "\r\n\r\n";
    result = SendAll(request.data(), request.size(), timeout);
    if (result != kHttpOk) return result;
    result = readResponse(response, timeout);
    if (result != kHttpOk) return result;
    if (parseHttpStatusLine(response, m_status)) return kHttpOk;
    return fail(kHttpBadStatusLine, HttpFailure::Other);
}

}  // namespace tarvolin::update
