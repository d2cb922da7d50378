#include "scan/ScanThreads.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>

namespace tarvolin::scan {
namespace {

// Walkers compete for cores with the readers and the window; beyond this they only add
// hand-overs.
constexpr unsigned kMaxWalkers = 8;

bool readRotational(const std::string& path, bool& rotational) {
    std::ifstream file(path);
    char flag = 0;
    if (!(file >> flag)) return false;
    rotational = flag == '1';
    return true;
}

}  // namespace

unsigned parseScanThreads(const std::string& text) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || next != end || value < 1 || value > kMaxScanThreads) return 0;
    return value;
}

unsigned scanThreadsFromEnvironment() {
    const char* value = std::getenv(kScanThreadsVariable);
    return value == nullptr ? 0 : parseScanThreads(value);
}

ScanThreadPlan planScanThreads(unsigned threads, unsigned cores) {
    ScanThreadPlan plan;
    const unsigned walkers = std::clamp(cores, 1u, kMaxWalkers);
    if (threads == 0) {
        plan.walkers = walkers;
        plan.readers = kDefaultScanThreads;
        return plan;
    }
    // A chosen count is what the user asked for: one thread is a plain walk in order.
    plan.chosen = true;
    plan.walkers = std::min(walkers, threads);
    plan.readers = threads > plan.walkers ? threads : 0;
    return plan;
}

bool isOnRotatingDisk(std::uint64_t device) {
    const std::string base =
        "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    bool rotational = false;
    // A partition has no queue of its own: its disk's lies one level up.
    return (readRotational(base + "/queue/rotational", rotational) ||
            readRotational(base + "/../queue/rotational", rotational)) &&
           rotational;
}

}  // namespace tarvolin::scan
