#include "support/LocalHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace tarvolin::test {
namespace {

// A socket bound to 127.0.0.1 on a port the kernel picks; its port goes to `port`.
int boundSocket(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(address.sin_port);
    return fd;
}

void setNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

}  // namespace

LocalHttpServer::LocalHttpServer(std::string reply, Behaviour behaviour)
    : m_reply(std::move(reply)), m_behaviour(behaviour) {
    m_listener = boundSocket(m_port);
    // A small receive buffer (inherited by every connection) keeps what a client can push at
    // a server that stops reading to a few megabytes.
    const int receiveBuffer = 65536;
    setsockopt(m_listener, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    if (listen(m_listener, 8) != 0 || pipe(m_stopPipe) != 0) {
        throw std::runtime_error("listen failed");
    }
    m_thread = std::thread(&LocalHttpServer::run, this);
}

LocalHttpServer::~LocalHttpServer() {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(m_stopPipe[1], &byte, 1);
    m_thread.join();
    close(m_listener);
    close(m_stopPipe[0]);
    close(m_stopPipe[1]);
}

std::vector<std::string> LocalHttpServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

bool LocalHttpServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_requests.size() >= count; });
}

int LocalHttpServer::closedByClient() const {
    std::lock_guard lock(m_mutex);
    return m_closedByClient;
}

bool LocalHttpServer::waitForClientCloses(int count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_closedByClient >= count; });
}

// True when `fd` is readable; false on stop or after `timeoutMs` (-1: no limit).
bool LocalHttpServer::waitReadable(int fd, int timeoutMs) const {
    pollfd fds[2] = {{m_stopPipe[0], POLLIN, 0}, {fd, POLLIN, 0}};
    while (poll(fds, 2, timeoutMs) < 0) {
        if (errno != EINTR) return false;
    }
    return fds[0].revents == 0 && fds[1].revents != 0;
}

bool LocalHttpServer::stopRequested() const {
    pollfd fd{m_stopPipe[0], POLLIN, 0};
    return poll(&fd, 1, 0) > 0;
}

void LocalHttpServer::run() {
    while (waitReadable(m_listener, -1)) {
        const int connection = accept(m_listener, nullptr, nullptr);
        if (connection < 0) continue;
        setNonBlocking(connection);
        serve(connection);
        close(connection);
    }
}

void LocalHttpServer::serve(int connection) {
    std::string request;
    char buffer[65536];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 &&
           waitReadable(connection, 5000)) {
        const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        m_changed.notify_all();
    }
    if (m_behaviour == Behaviour::ResetAfterRequest) {
        const linger resetOnClose{1, 0};
        setsockopt(connection, SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof resetOnClose);
        return;
    }

    // Sends until done, stopped or the client is gone; false when the client is gone.
    auto sendAll = [&](const char* data, std::size_t size) {
        pollfd fds[2] = {{m_stopPipe[0], POLLIN, 0}, {connection, POLLOUT, 0}};
        while (size > 0) {
            const ssize_t sent = send(connection, data, size, MSG_NOSIGNAL);
            if (sent > 0) {
                data += sent;
                size -= static_cast<std::size_t>(sent);
            } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                return false;
            } else if (poll(fds, 2, -1) < 0 || fds[0].revents != 0) {
                return true;
            }
        }
        return true;
    };

    bool clientClosed = false;
    if (m_behaviour == Behaviour::Trickle) {
        for (std::size_t i = 0; i < m_reply.size() && !clientClosed && !stopRequested(); ++i) {
            clientClosed = !sendAll(m_reply.data() + i, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    } else {
        clientClosed = !sendAll(m_reply.data(), m_reply.size());
    }
    if (m_behaviour == Behaviour::Endless) {
        const std::string chunk(65536, 'x');
        while (!clientClosed && !stopRequested()) {
            clientClosed = !sendAll(chunk.data(), chunk.size());
        }
    } else if (m_behaviour == Behaviour::Silent) {
        // Reads nothing more, so that a client's send can run into a full buffer. A client
        // whose unsent bytes stay queued never gets its close through, so a newer connection
        // ends this one.
        pollfd fds[3] = {
            {m_stopPipe[0], POLLIN, 0}, {connection, POLLRDHUP, 0}, {m_listener, POLLIN, 0}};
        while (poll(fds, 3, -1) < 0 && errno == EINTR) {
        }
        clientClosed = fds[0].revents == 0 && fds[1].revents != 0;
    } else if (!clientClosed) {
        // Closing with the client's bytes unread would reset the connection and could discard
        // the reply, so end the sending side and wait for the client to close.
        shutdown(connection, SHUT_WR);
        while (waitReadable(connection, -1)) {
            const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                clientClosed = true;
                break;
            }
        }
    }
    if (clientClosed) {
        std::lock_guard lock(m_mutex);
        ++m_closedByClient;
        m_changed.notify_all();
    }
}

RefusingPort::RefusingPort() {
    m_socket = boundSocket(m_port);
}

RefusingPort::~RefusingPort() {
    close(m_socket);
}

UnansweredPort::UnansweredPort() {
    m_listener = boundSocket(m_port);
    // A backlog of 0 holds one connection; the filler takes that place.
    if (listen(m_listener, 0) != 0) throw std::runtime_error("listen failed");
    m_filler = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(m_port));
    if (connect(m_filler, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("filler connect failed");
    }
}

UnansweredPort::~UnansweredPort() {
    close(m_filler);
    close(m_listener);
}

}  // namespace tarvolin::test
