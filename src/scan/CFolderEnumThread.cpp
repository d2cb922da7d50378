#include "scan/CFolderEnumThread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "common/PathText.h"
#include "scan/CTarvolinDoc.h"
#include "scan/FolderCache.h"
#include "scan/FolderScanResult.h"
#include "scan/FolderWalker.h"
#include "scan/ListingPrefetcher.h"
#include "scan/PosixDirectoryReader.h"
#include "scan/ReportSink.h"
#include "scan/ScanListener.h"
#include "scan/ScanThreads.h"
#include "scan/SubtreePool.h"

namespace tarvolin::scan {

// Everything the thread uses. Held by the thread object and by the thread itself, so that a walk
// abandoned at exit never touches freed memory.
struct CFolderEnumThread::State {
    explicit State(std::unique_ptr<DirectoryReader> directoryReader)
        : reader(std::move(directoryReader)) {}

    std::unique_ptr<DirectoryReader> reader;

    // Hand-over: the pending request, its flag, quit, and whether a walk is under way.
    mutable std::mutex requestMutex;
    std::condition_variable requestChanged;
    ScanRequest pending;
    std::uint64_t pendingGeneration = 0;
    bool hasPending = false;
    bool quit = false;
    bool busy = false;      // a request taken up has not finished yet
    bool finished = false;  // the thread function has returned

    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
    std::atomic<ScanMode> mode{ScanMode::Folder};

    // Errors belong to the newest submission; a walk that was told to stop may still record
    // some, and those are dropped by their older generation.
    mutable std::mutex errorMutex;
    std::vector<ScanError> errors;
    std::uint64_t generation = 0;

    mutable std::mutex totalsMutex;
    std::optional<ScanTotals> rootTotals;

    ScanProgress progress;

    // Scan thread only.
    FolderCache cache;
    std::unique_ptr<ScanNode> root;
    // After the flags and the progress that they use; the pool's walks use the prefetcher.
    std::unique_ptr<ListingPrefetcher> prefetcher;
    std::unique_ptr<SubtreePool> pool;

    void recordError(std::uint64_t requestGeneration, std::uint32_t code, std::string path) {
        std::lock_guard lock(errorMutex);
        if (requestGeneration != generation) return;
        errors.push_back(ScanError{code, std::move(path), {}});
    }
};

CFolderEnumThread::CFolderEnumThread(unsigned threads)
    : CFolderEnumThread(planScanThreads(threads != 0 ? threads : scanThreadsFromEnvironment(),
                                        std::thread::hardware_concurrency())) {}

CFolderEnumThread::CFolderEnumThread(const ScanThreadPlan& plan)
    : CFolderEnumThread([] { return std::make_unique<PosixDirectoryReader>(); }, plan.walkers - 1,
                        plan.readers, ReadAheadAdapt{.toRotatingDisk = true, .toCachedData = true},
                        plan.spareWalkers) {}

CFolderEnumThread::CFolderEnumThread(std::unique_ptr<DirectoryReader> reader)
    : m_state(std::make_shared<State>(std::move(reader))) {}

CFolderEnumThread::CFolderEnumThread(ReaderFactory makeReader, unsigned helpers, unsigned readers,
                                     ReadAheadAdapt adapt, unsigned spareHelpers)
    : m_state(std::make_shared<State>(makeReader())) {
    if (readers > 0) {
        m_state->prefetcher =
            std::make_unique<ListingPrefetcher>(readers, makeReader, m_state->stop, adapt);
    }
    if (helpers > 0) {
        SubtreePool::DiskReadMeter meter;
        if (spareHelpers > 0) {
            meter = [](std::uint64_t device) -> std::optional<std::uint64_t> {
                if (!blockReadsAreCounted(device)) return std::nullopt;
                return ListingPrefetcher::blocksReadByThisThread();
            };
        }
        m_state->pool = std::make_unique<SubtreePool>(helpers, std::move(makeReader), m_state->stop,
                                                      m_state->progress, m_state->prefetcher.get(),
                                                      spareHelpers, std::move(meter));
    }
}

CFolderEnumThread::~CFolderEnumThread() {
    stopThread(kExitWait);
}

void CFolderEnumThread::start() {
    if (m_thread.joinable()) return;
    m_thread = std::thread(&CFolderEnumThread::run, m_state);
}

bool CFolderEnumThread::stopThread(std::chrono::milliseconds wait) {
    if (!m_thread.joinable()) return true;
    std::unique_lock lock(m_state->requestMutex);
    m_state->running = false;
    m_state->hasPending = false;
    m_state->stop = true;
    m_state->quit = true;
    m_state->requestChanged.notify_all();
    const bool ended =
        m_state->requestChanged.wait_for(lock, wait, [this] { return m_state->finished; });
    lock.unlock();
    if (ended) {
        m_thread.join();
    } else {
        m_thread.detach();
    }
    return ended;
}

std::uint32_t CFolderEnumThread::SubmitScanRequest(ScanRequest request) {
    if (!request.listener) return kErrorInvalidParameter;
    State& state = *m_state;
    request.path = trimTrailingSeparator(request.path);
    if (request.mode == ScanMode::Folder && request.document) {
        request.document->setFolderPath(request.path);
    }
    std::uint64_t generation;
    {
        std::lock_guard lock(state.errorMutex);
        state.errors.clear();
        generation = ++state.generation;
    }
    {
        // Under the hand-over lock, so that a take-up either happens before this (and its walk
        // sees the stop) or takes this request instead.
        std::lock_guard lock(state.requestMutex);
        state.stop = true;
        state.running = false;
        state.pending = std::move(request);
        state.pendingGeneration = generation;
        state.hasPending = true;
    }
    state.requestChanged.notify_all();
    return 0;
}

std::uint32_t CFolderEnumThread::startFolderScan(std::string path, bool bypassCache,
                                                 std::shared_ptr<ScanListener> listener,
                                                 std::shared_ptr<CTarvolinDoc> document) {
    ScanRequest request;
    request.path = std::move(path);
    request.listener = std::move(listener);
    request.mode = ScanMode::Folder;
    request.bypassCache = bypassCache;
    request.document = std::move(document);
    return SubmitScanRequest(std::move(request));
}

void CFolderEnumThread::stopScan() {
    std::lock_guard lock(m_state->requestMutex);
    m_state->stop = true;
    m_state->running = false;
    m_state->hasPending = false;
    m_state->pending = {};
}

bool CFolderEnumThread::isRunning() const {
    return m_state->running;
}

bool CFolderEnumThread::isReportScanRunning() const {
    return m_state->running && m_state->mode == ScanMode::Report;
}

bool CFolderEnumThread::hasWork() const {
    std::lock_guard lock(m_state->requestMutex);
    return m_state->hasPending || m_state->busy;
}

bool CFolderEnumThread::hasErrors() const {
    std::lock_guard lock(m_state->errorMutex);
    return !m_state->errors.empty();
}

std::vector<ScanError> CFolderEnumThread::errors() const {
    std::lock_guard lock(m_state->errorMutex);
    return m_state->errors;
}

std::optional<ScanTotals> CFolderEnumThread::lastRootTotals() const {
    std::lock_guard lock(m_state->totalsMutex);
    return m_state->rootTotals;
}

const ScanProgress& CFolderEnumThread::progress() const {
    return m_state->progress;
}

void CFolderEnumThread::run(const std::shared_ptr<State>& shared) {
    yieldCoresToOtherThreads();
    State& state = *shared;
    std::uint64_t generation = 0;
    FolderWalker walker(
        *state.reader, &state.cache, state.stop,
        [&state, &generation](std::uint32_t code, std::string path) {
            state.recordError(generation, code, std::move(path));
        },
        state.progress, state.pool.get(), state.prefetcher.get());

    for (;;) {
        ScanRequest request;
        {
            std::unique_lock lock(state.requestMutex);
            state.busy = false;
            state.requestChanged.wait(lock, [&state] { return state.quit || state.hasPending; });
            if (state.quit) break;
            request = std::move(state.pending);
            state.pending = {};
            generation = state.pendingGeneration;
            state.hasPending = false;
            state.busy = true;
            state.stop = false;
            state.mode = request.mode;
            state.running = true;
        }
        state.root.reset();
        {
            std::lock_guard lock(state.totalsMutex);
            state.rootTotals.reset();
        }
        state.progress.reset();
        ScanListener& listener = *request.listener;

        if (request.mode == ScanMode::Folder) {
            listener.scanStarting(request.path);
            // The listener empties the document; emptying it here too keeps the cache from
            // freeing nodes the document still lists, whatever the listener did.
            if (request.document) request.document->ClearChildren();
            FolderCache::Use use;
            if (!request.path.empty()) {
                state.cache.recordUse(&use);
                state.root = walker.WalkFolder(request.path, listener, request.document.get(), true,
                                               request.bypassCache, !request.cacheListedOnly);
                state.cache.recordUse(nullptr);
            }
            state.running = false;
            if (state.root) {
                std::lock_guard lock(state.totalsMutex);
                state.rootTotals =
                    ScanTotals{state.root->size, state.root->fileCount, state.root->folderCount};
            }
            const bool stopped = state.stop;
            listener.scanComplete(stopped, state.root.get());
            if (!stopped && state.root) {
                // Nothing walked below the root: its subfolders, or the root itself as a
                // subfolder of an earlier walk, were known already.
                const bool fromCache = !request.bypassCache && use.kept.empty() &&
                                       (!use.taken.empty() || state.cache.Lookup(request.path));
                listener.folderScanResult(
                    FolderScanResult(*state.root, state.cache, use, fromCache));
            }
        } else if (request.mode == ScanMode::Report) {
            if (request.reportSink) request.reportSink->reset();
            if (!request.path.empty()) {
                walker.WalkReportFolder(request.path, 0, listener, request.reportSink.get());
            }
            state.running = false;
            listener.reportComplete(state.stop);
        }
        state.running = false;
    }

    std::lock_guard lock(state.requestMutex);
    state.running = false;
    state.busy = false;
    state.finished = true;
    state.requestChanged.notify_all();
}

}  // namespace tarvolin::scan
