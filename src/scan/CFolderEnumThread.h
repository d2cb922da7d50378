// CFolderEnumThread: the one scan thread, which runs every folder walk and report walk.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "scan/ListingPrefetcher.h"
#include "scan/ScanNode.h"
#include "scan/ScanProgress.h"
#include "scan/ScanRequest.h"
#include "scan/ScanThreads.h"

namespace tarvolin::scan {

class DirectoryReader;

// Returned by SubmitScanRequest when the request names no listener.
inline constexpr std::uint32_t kErrorInvalidParameter = 87;

// Owned by the application (one per process in the program; tests make their own). Submission,
// stop and the readers below are called on the UI thread; the walks run on the thread this
// object starts. A newer request replaces one not yet taken up, and a running walk is abandoned
// through the stop flag; every request that is not replaced is taken up.
class CFolderEnumThread {
public:
    using ReaderFactory = std::function<std::unique_ptr<DirectoryReader>()>;

    // Reads the real file system with `threads` threads; 0: TARVOLIN_SCAN_THREADS, else the
    // default for the machine's cores (ScanThreads).
    explicit CFolderEnumThread(unsigned threads = 0);
    // Walks on the scan thread alone.
    explicit CFolderEnumThread(std::unique_ptr<DirectoryReader> reader);
    // Both walks share their subfolders with `helpers` threads, and `readers` threads read
    // listings ahead of every walk; each thread reads through its own reader from `makeReader`.
    // The last `spareHelpers` helpers park while the walks find their data cached.
    CFolderEnumThread(ReaderFactory makeReader, unsigned helpers, unsigned readers = 0,
                      ReadAheadAdapt adapt = {}, unsigned spareHelpers = 0);
    // Stops the thread, waiting at most kExitWait.
    ~CFolderEnumThread();
    CFolderEnumThread(const CFolderEnumThread&) = delete;
    CFolderEnumThread& operator=(const CFolderEnumThread&) = delete;

    static constexpr std::chrono::milliseconds kExitWait{5000};

    void start();
    // Sets stop and quit and waits for the thread at most `wait`. A walk stuck in the kernel
    // beyond that is abandoned (detached); everything it uses stays alive with it. True when
    // the thread ended.
    bool stopThread(std::chrono::milliseconds wait = kExitWait);

    // Queues `request`, replacing one not yet taken up and stopping a running walk. 0, or
    // kErrorInvalidParameter (nothing changed) when the request has no listener.
    [[nodiscard]] std::uint32_t SubmitScanRequest(ScanRequest request);
    // The folder scan that the folder tree and the main frame start.
    std::uint32_t startFolderScan(std::string path, bool bypassCache,
                                  std::shared_ptr<ScanListener> listener,
                                  std::shared_ptr<CTarvolinDoc> document);
    // Ends the running walk at its next entry and drops a request not yet taken up; waits for
    // nothing.
    void stopScan();

    // Set from take-up until the walk ends; cleared at once by submissions and stopScan.
    bool isRunning() const;
    bool isReportScanRunning() const;
    // A request is pending or a walk (perhaps stopped) has not ended yet.
    bool hasWork() const;

    // "Errors occurred": the error list of the current or last scan is not empty.
    bool hasErrors() const;
    std::vector<ScanError> errors() const;
    // Totals of the last completed folder scan's root; none after a take-up until the next
    // folder scan completes.
    std::optional<ScanTotals> lastRootTotals() const;
    const ScanProgress& progress() const;

private:
    struct State;
    explicit CFolderEnumThread(const ScanThreadPlan& plan);
    static void run(const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;  // shared with the thread, which may outlive this object
    std::thread m_thread;
};

}  // namespace tarvolin::scan
