// LocalHttpServer: a tiny HTTP server on 127.0.0.1 for the update check tests, and ports that
// refuse or never answer a connection.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarvolin::test {

// Serves one connection at a time on its own thread, started by the constructor and stopped
// by the destructor. For each connection it reads the request (up to the blank line), records
// its bytes, then acts as the current behaviour says.
class LocalHttpServer {
public:
    enum class Behaviour {
        Reply,    // send the reply bytes, then close
        Silent,   // read no more, answer nothing; hold the connection until the client closes
                  // it or a newer connection comes
        Endless,  // send the reply bytes, then bytes without end until the client closes
        ResetAfterRequest,  // reset the connection instead of answering
        Trickle,  // send the reply one byte every 20 ms, then close (holds a 150-byte reply 3 s)
    };

    explicit LocalHttpServer(std::string reply = {}, Behaviour behaviour = Behaviour::Reply);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int port() const { return m_port; }
    std::vector<std::string> requests() const;
    // False when `count` requests did not arrive within `timeout`.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
    // Connections whose client closed its end while the server was still serving them.
    int closedByClient() const;
    // False when `count` closes by the client did not happen within `timeout`.
    bool waitForClientCloses(int count, std::chrono::milliseconds timeout) const;

private:
    void run();
    void serve(int connection);
    bool waitReadable(int fd, int timeoutMs) const;
    bool stopRequested() const;

    std::string m_reply;
    Behaviour m_behaviour;
    int m_listener = -1;
    int m_port = 0;
    int m_stopPipe[2] = {-1, -1};
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_requests;
    int m_closedByClient = 0;
    std::thread m_thread;
};

// A port on 127.0.0.1 that refuses connections: bound, never listening, held while it lives.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};

// A port on 127.0.0.1 whose accept queue is full, so the kernel drops further connection
// attempts and a connect waits until its time-out.
class UnansweredPort {
public:
    UnansweredPort();
    ~UnansweredPort();
    int port() const { return m_port; }

private:
    int m_listener = -1;
    int m_filler = -1;
    int m_port = 0;
};

}  // namespace tarvolin::test
