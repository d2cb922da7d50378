// ScanProgress: running counts of a walk, sampled by whoever shows progress.
#pragma once

#include <atomic>
#include <cstdint>

namespace tarvolin::scan {

// Written by the walker once per folder read, read from any thread; display only.
struct ScanProgress {
    std::atomic<std::uint64_t> folders{0};
    std::atomic<std::uint64_t> files{0};

    void reset() {
        folders.store(0, std::memory_order_relaxed);
        files.store(0, std::memory_order_relaxed);
    }
};

}  // namespace tarvolin::scan
