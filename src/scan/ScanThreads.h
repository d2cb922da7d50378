// ScanThreads: how many threads a scan reads the disk with.
#pragma once

#include <cstdint>
#include <string>

namespace tarvolin::scan {

// A rotating disk seeks between requests: more of them in flight than the walkers' own only
// make it seek more, so there nothing is read ahead.
inline constexpr unsigned kRotatingDiskThreads = 0;
inline constexpr unsigned kMaxScanThreads = 256;
inline constexpr const char* kScanThreadsVariable = "TARVOLIN_SCAN_THREADS";

// `text` as a thread count: 1..kMaxScanThreads, else 0.
unsigned parseScanThreads(const std::string& text);
// TARVOLIN_SCAN_THREADS as a thread count; 0 when unset or not a valid count.
unsigned scanThreadsFromEnvironment();

// How a scan with `threads` threads (0: the default) splits them: walkers go through the entries
// (the scan thread and pool helpers, eight per core and at most 16), readers only read ahead.
// Walkers block in the kernel on a cold disk just as readers do, and hand each other whole
// subfolders rather than single listings, so by default there are only walkers: with eight of
// them, 16 readers made a cold scan of a million files 15-20% slower, on a virtual disk and on
// a non-rotating loop device alike. Threads beyond the walkers are only what a user asks for,
// and at most 32 of them.
// Walkers beyond the cores are spares: they only walk while the walks read the disk.
struct ScanThreadPlan {
    unsigned walkers = 1;
    unsigned spareWalkers = 0;  // of `walkers`
    unsigned readers = 0;
};
ScanThreadPlan planScanThreads(unsigned threads, unsigned cores);

// Lets every other thread of the machine, the window's first, take a core before the calling
// one: scan threads outnumber the cores, and a window that waits for a core stalls.
void yieldCoresToOtherThreads();

// Whether the block device `device` (st_dev) is a rotating disk, where requests in flight make
// the head seek back and forth; false when unknown (no such device, a network or memory file
// system).
bool isOnRotatingDisk(std::uint64_t device);

// Whether reads of the file system on `device` (st_dev) show in a thread's block-read count:
// only those of a block device do. Network, FUSE and memory file systems, and some that span
// disks, have device numbers of major 0, and their reads never show.
bool blockReadsAreCounted(std::uint64_t device);

}  // namespace tarvolin::scan
