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
    const auto deadline = Clock::now() + std::max(timeout, std::chrono::milliseconds(0));
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
    if (m_socket == -1 || port < 1 || port > 65535) return kHttpConnectFailed;
    m_peer = {};
    m_peer.sin_family = AF_INET;
    m_peer.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_aton(host.c_str(), &m_peer.sin_addr) == 0) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        // The look-up cannot be interrupted; a stop that came meanwhile is honoured below.
        const int error = getaddrinfo(host.c_str(), nullptr, &hints, &found);
        if (error != 0 || found == nullptr || found->ai_addr == nullptr) {
            if (found != nullptr) freeaddrinfo(found);
            m_lastResult = error;
            return kHttpHostNotFound;
        }
        m_peer.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    }

    if (connect(m_socket, reinterpret_cast<const sockaddr*>(&m_peer), sizeof m_peer) != 0 &&
        errno != EINPROGRESS && errno != EINTR) {
        m_lastResult = errno;
        if (errno == ECONNREFUSED) return kHttpConnectRefused;
        if (errno == ETIMEDOUT) return kHttpConnectTimedOut;
        return kHttpConnectFailed;
    }
    // Waited on even after an immediate success, so that a stop always wins.
    switch (waitFor(POLLOUT, timeout)) {
        case Wait::Stopped:
            return kHttpStopped;
        case Wait::TimedOut:
            return kHttpConnectTimedOut;
        case Wait::Failed:
            return kHttpConnectFailed;
        case Wait::Ready:
            break;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    if (error == 0) return kHttpOk;
    m_lastResult = error;
    if (error == ETIMEDOUT) return kHttpConnectTimedOut;
    if (error == ECONNREFUSED) return kHttpConnectRefused;
    return kHttpConnectFailed;
}

int EventSocket::SendAll(const char* data, std::size_t length, std::chrono::milliseconds timeout) {
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
            return kHttpTransferFailed;
        }
        switch (waitFor(POLLOUT, timeout)) {
            case Wait::Stopped:
                return kHttpStopped;
            case Wait::TimedOut:
                return kHttpTransferTimedOut;
            case Wait::Failed:
                return kHttpTransferFailed;
            case Wait::Ready:
                break;
        }
    }
    return kHttpOk;
}

int EventSocket::ReceiveExact(char* buffer, std::size_t size, std::chrono::milliseconds timeout) {
    std::size_t offset = 0;
    while (offset < size) {
        switch (waitFor(POLLIN, timeout)) {
            case Wait::Stopped:
                return kHttpStopped;
            case Wait::TimedOut:
                return kHttpTransferTimedOut;
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
            return kHttpTransferFailed;
        }
    }
    return kHttpOk;
}

int EventSocket::readResponse(std::string& response, std::chrono::milliseconds timeout) {
    std::size_t received = 0;
    char chunk[4096];
    for (;;) {
        // Every wait is bounded and can be stopped: a server that keeps the connection open
        // without sending must not hold the request for ever.
        if (waitFor(POLLIN, timeout) != Wait::Ready) return kHttpTransferFailed;
        const ssize_t got = recv(m_socket, chunk, sizeof chunk, 0);
        if (got == 0) return kHttpOk;
        if (got < 0) {
            if (errno == EINTR || wouldBlock(errno)) continue;
            m_lastResult = errno;
            return kHttpTransferFailed;
        }
        const std::size_t count = static_cast<std::size_t>(got);
        if (count > kMaxResponseBytes - received) {
            response.append(chunk, kMaxResponseBytes - received);
            return kHttpTransferFailed;
        }
        response.append(chunk, count);
        received += count;
    }
}

int EventSocket::HttpGet(const std::string& host, int port, const std::string& path,
                         std::string& response, std::chrono::milliseconds timeout) {
    m_status = {};
    int result = Create();
    if (result != kHttpOk) return result;
    result = Connect(host, port, kConnectTimeout);
    if (result != kHttpOk) return result;

    // Exactly these bytes: the port never goes into Host, and no other header is sent.
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: " + host +
                                "\r\nUser-Agent: " + kProductName + "\r\n\r\n";
    result = SendAll(request.data(), request.size(), timeout);
    if (result != kHttpOk) return result;
    result = readResponse(response, timeout);
    if (result != kHttpOk) return result;
    return parseHttpStatusLine(response, m_status) ? kHttpOk : kHttpBadStatusLine;
}

}  // namespace tarvolin::update
