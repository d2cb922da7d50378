// FolderTreeListing: one folder's subfolders, read on a worker thread for the folder tree.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tarvolin::views {

// Whether a folder holds a subfolder, from a cheap look that stops at the first one.
enum class SubfolderHint : std::uint8_t { Unknown, Yes, No };

struct FolderTreeEntry {
    std::string name;     // bytes as the directory returns them
    bool isLink = false;  // a symbolic link to a folder
    std::string target;   // canonical path of the link's folder, when isLink
    SubfolderHint hint = SubfolderHint::Unknown;
};

// Shared by the worker thread that fills it and the model that polls it; whichever lets go last
// frees it. The worker runs in two steps: the folder's entries (names and link targets), then a
// look into each subfolder for a first subfolder of its own. The model takes the entries as soon
// as it must and the hints when they are there, so a slow look never holds the rows back.
class FolderTreeListing {
public:
    // Starts a detached worker on `path`. A worker stuck on a dead mount keeps only this object.
    static std::shared_ptr<FolderTreeListing> start(std::string path);

    // A look reads at most this many entries of a subfolder; beyond that the answer is Unknown.
    static constexpr int kLookAheadEntries = 4096;

    const std::string& path() const { return m_path; }
    std::chrono::steady_clock::time_point startedAt() const { return m_startedAt; }

    // Blocks the caller at most `wait`; true once the entries (or the hints) are there.
    bool waitForEntries(std::chrono::milliseconds wait);
    bool waitForHints(std::chrono::milliseconds wait);
    bool entriesReady() const;
    bool hintsReady() const;
    // Entries with their hints when the hints are ready, else with Unknown hints.
    std::vector<FolderTreeEntry> entries() const;
    int error() const;  // errno of a failed listing, 0 otherwise

    // The worker stops at its next entry; what it has is dropped by the model anyway.
    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }

    // The look for one subfolder `name` of the open folder `parentFd` (on device `parentDevice`):
    // a folder on another file system is not read (Unknown), one that cannot be opened has No.
    static SubfolderHint lookForSubfolder(int parentFd, const char* name,
                                          std::uint64_t parentDevice);

private:
    explicit FolderTreeListing(std::string path);
    void run();

    const std::string m_path;
    const std::chrono::steady_clock::time_point m_startedAt;
    std::atomic<bool> m_cancelled{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<FolderTreeEntry> m_entries;
    bool m_entriesReady = false;
    bool m_hintsReady = false;
    int m_error = 0;
};

}  // namespace tarvolin::views
