// UpdateCheck: fetches the version document on a worker thread of its own and hands back what
// the update check shows.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "update/UpdateCheckResult.h"

namespace tarvolin::update {

struct UpdateCheckConfig {
    std::string host;  // a name, a dotted IPv4 address or an IPv6 address in brackets
    int port = 80;
    std::chrono::milliseconds timeout{30000};  // for each wait of the send and the read
    std::string productVersion;                // the installed version, as the build states it
    // For the whole exchange, from the connect to the result: a server that trickles a byte at
    // a time never lets a single wait run out.
    std::chrono::milliseconds exchangeLimit{40000};

    // The product's update server and the build's version; TARVOLIN_UPDATE_HOST (when not
    // empty) and TARVOLIN_UPDATE_PORT (1 to 65535) override host and port. A value that is no
    // host (isHostText) or no port number is ignored and described in `problem`, if given.
    static UpdateCheckConfig fromEnvironment(std::string* problem = nullptr);
};

// A host name or address as it may go into the request: letters, digits, "-" and "." (a name
// or an IPv4 address), or an IPv6 address in brackets ("[::1]"). Anything else, such as a CR
// LF that would add header lines, is not.
bool isHostText(std::string_view text);

// Owned by the object that shows the result (a dialog, the terminal command) and driven from
// its thread; the request runs on a thread that this object starts. The worker owns its socket
// and response buffer, so stopping never waits on anything but the worker, and a worker that
// outlives its owner touches nothing of the owner's. A dialog:
//   opening:  show kUpdateInProgressText; check.start([dialog](UpdateCheckResult r) {
//                 QMetaObject::invokeMethod(dialog, [dialog, r] { dialog->showResult(r); },
//                                           Qt::QueuedConnection); });
//   closing:  check.stop();   // at most kStopWait; afterwards the handler is never called
class UpdateCheck {
public:
    // Called once, on the worker thread, unless stop() came first. It must not block and must
    // not call back into this object: it runs while stop() waits for it.
    using ResultHandler = std::function<void(UpdateCheckResult)>;

    static constexpr std::chrono::milliseconds kStopWait{10000};

    explicit UpdateCheck(UpdateCheckConfig config);
    // stop(kStopWait).
    ~UpdateCheck();
    UpdateCheck(const UpdateCheck&) = delete;
    UpdateCheck& operator=(const UpdateCheck&) = delete;

    // Starts a check unless one is running (then false). A finished check may be followed by
    // a new one.
    bool start(ResultHandler onResult);
    // Drops the result, stops the request and waits at most `wait` for the worker to end. True
    // when it ended; otherwise it is left to end on its own and its result is dropped.
    bool stop(std::chrono::milliseconds wait = kStopWait);
    // A check was started and its handler has not been called or dropped yet.
    bool isRunning() const;

private:
    struct State;
    static void run(std::shared_ptr<State> state, UpdateCheckConfig config);

    UpdateCheckConfig m_config;
    std::shared_ptr<State> m_state;  // shared with the worker, which may outlive this object
    std::thread m_thread;
};

}  // namespace tarvolin::update
