#include "update/UpdateCheck.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "common/ProductInfo.h"
#include "common/Version.h"
#include "update/EventSocket.h"

namespace tarvolin::update {

// Everything the worker touches. The owner reaches it only through stop, isRunning and the
// socket's Stop.
struct UpdateCheck::State {
    EventSocket socket;
    std::string response;  // worker only

    mutable std::mutex mutex;
    std::condition_variable finishedChanged;
    ResultHandler handler;  // cleared by stop, or taken by the worker to call it
    bool finished = false;
};

UpdateCheckConfig UpdateCheckConfig::fromEnvironment(std::string* problem) {
    UpdateCheckConfig config;
    config.host = kUpdateHost;
    config.port = kUpdatePort;
    config.productVersion = kVersionText;
    std::string problems;
    if (const char* host = std::getenv("TARVOLIN_UPDATE_HOST"); host != nullptr && *host != '\0') {
        if (isHostText(host)) {
            config.host = host;
        } else {
            // Shown as C escapes: the value may hold anything, control characters included.
            std::string shown;
            for (const char c : std::string_view(host)) {
                const auto byte = static_cast<unsigned char>(c);
                if (byte >= 0x20 && byte < 0x7F && c != '\\') {
                    shown += c;
                } else {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
                    shown += escaped;
                }
            }
            problems = "TARVOLIN_UPDATE_HOST ignored, not a host name or address: " + shown;
        }
    }
    if (const char* port = std::getenv("TARVOLIN_UPDATE_PORT"); port != nullptr) {
        const std::string text = port;
        long value = 0;
        bool valid = !text.empty() && text.size() <= 5;
        for (const char c : text) {
            valid = valid && c >= '0' && c <= '9';
            if (valid) value = value * 10 + (c - '0');
        }
        if (valid && value >= 1 && value <= 65535) {
            config.port = static_cast<int>(value);
        } else {
            if (!problems.empty()) problems += '\n';
            problems += "TARVOLIN_UPDATE_PORT ignored, not a port number: " + text;
        }
    }
    if (problem != nullptr) *problem = std::move(problems);
    return config;
}

bool isHostText(std::string_view text) {
    if (text.size() > 2 && text.front() == '[' && text.back() == ']') {
        const std::string_view address = text.substr(1, text.size() - 2);
        return address.find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
    }
    if (text.empty() || text.size() > 253) return false;
    for (const char c : text) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !(c >= '0' && c <= '9') && c != '-' && c != '.') return false;
    }
    return true;
}

UpdateCheck::UpdateCheck(UpdateCheckConfig config) : m_config(std::move(config)) {}

UpdateCheck::~UpdateCheck() {
    stop(kStopWait);
}

bool UpdateCheck::start(ResultHandler onResult) {
    if (isRunning()) return false;
    if (m_thread.joinable()) m_thread.join();  // finished: its handler has returned
    // A fresh state each time: a socket once stopped stays stopped.
    m_state = std::make_shared<State>();
    m_state->handler = std::move(onResult);
    m_thread = std::thread(&UpdateCheck::run, m_state, m_config);
    return true;
}

bool UpdateCheck::stop(std::chrono::milliseconds wait) {
    if (!m_thread.joinable()) return true;
    std::unique_lock lock(m_state->mutex);
    // Under the lock: the worker calls the handler under it too, so once this is cleared the
    // handler is either done or never called.
    m_state->handler = nullptr;
    m_state->socket.Stop();
    const bool ended =
        m_state->finishedChanged.wait_for(lock, wait, [this] { return m_state->finished; });
    lock.unlock();
    if (ended) {
        m_thread.join();
    } else {
        m_thread.detach();
    }
    return ended;
}

bool UpdateCheck::isRunning() const {
    if (!m_state) return false;
    std::lock_guard lock(m_state->mutex);
    return !m_state->finished && m_state->handler != nullptr;
}

void UpdateCheck::run(std::shared_ptr<State> state, UpdateCheckConfig config) {
    const int resultCode =
        state->socket.HttpGet(config.host, config.port, kVersionDocumentPath, state->response,
                              config.timeout, config.exchangeLimit);
    UpdateCheckResult result =
        evaluateUpdateResponse(resultCode, state->socket.statusLine(), state->response,
                               config.productVersion, state->socket.failure());
    state->socket.Close();

    std::lock_guard lock(state->mutex);
    if (state->handler) {
        const ResultHandler handler = std::move(state->handler);
        state->handler = nullptr;
        handler(std::move(result));
    }
    state->finished = true;
    state->finishedChanged.notify_all();
}

}  // namespace tarvolin::update
