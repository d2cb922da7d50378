// FakeDirectoryReader: an in-memory tree for the walkers, with failures placed on purpose.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "scan/DirectoryReader.h"
#include "scan/ListingSorter.h"

namespace tarvolin::test {

// Paths are absolute ("/T/sub/b.txt"); parents are created on demand. Children are listed in
// the order they were added (the "directory order"), which the walker must not rely on.
class FakeTree {
public:
    FakeTree& folder(const std::string& path, std::int64_t mtime = 0);
    FakeTree& file(const std::string& path, std::int64_t size, std::int64_t mtime = 0);
    FakeTree& folderSize(const std::string& path, std::int64_t size);  // st_size of a directory

    FakeTree& failOpen(const std::string& path, int error);
    // The listing of `path` returns `entries` names, then fails with `error`.
    FakeTree& failListingAfter(const std::string& path, std::size_t entries, int error);
    // Listed by its parent but gone when stat'ed.
    FakeTree& vanish(const std::string& path);
    FakeTree& failStat(const std::string& path, int error);
    FakeTree& pseudoFileSystem(const std::string& path);
    // `path` reports the device and inode of `target` (a bind mount of an ancestor, say).
    FakeTree& sameIdentityAs(const std::string& path, const std::string& target);

    // Every listing takes this long to read, like a disk that is not in the cache.
    void readDelay(std::chrono::microseconds delay) { m_readDelay = delay; }

    // readChild of `path` waits until release(path) (or the gate is dropped).
    void block(const std::string& path);
    void release(const std::string& path);
    // Waits until a reader is blocked on `path`; false after `timeoutMs`.
    bool waitUntilBlocked(const std::string& path, int timeoutMs);

    // Changing the tree while no walk runs stands for the disk changing between scans.
    std::vector<std::string> openedPaths() const;
    void clearOpenedPaths();

private:
    friend class FakeDirectoryReader;
    struct Node {
        bool isDirectory = false;
        std::int64_t size = 0;
        std::int64_t mtime = 0;
        std::uint64_t inode = 0;
        int openError = 0;
        int statError = 0;
        bool vanished = false;
        bool pseudo = false;
        std::size_t failAfter = 0;
        int failError = 0;
        std::vector<std::string> children;  // names, directory order
    };
    Node& ensure(const std::string& path, bool isDirectory);
    const Node* find(const std::string& path) const;
    void fill(const std::string& path, const Node& node, scan::Listing& out,
              const std::atomic<bool>& stop) const;
    void waitIfBlocked(const std::string& path);

    std::map<std::string, Node> m_nodes;
    std::uint64_t m_nextInode = 100;
    std::chrono::microseconds m_readDelay{0};
    mutable std::mutex m_mutex;
    std::condition_variable m_gateChanged;
    std::set<std::string> m_blocked;
    std::set<std::string> m_waiting;
    std::vector<std::string> m_opened;
};

class FakeDirectoryReader final : public scan::DirectoryReader {
public:
    explicit FakeDirectoryReader(std::shared_ptr<FakeTree> tree) : m_tree(std::move(tree)) {}
    void readRoot(const std::string& path, scan::Listing& out,
                  const std::atomic<bool>& stop) override;
    void readChild(const scan::Listing& parent, const scan::DirEntry& entry, std::string_view path,
                   scan::Listing& out, const std::atomic<bool>& stop) override;
    void release(scan::Listing& listing) override;
    void handOver(scan::Listing& listing) override;
    void adoptChild(const scan::Listing& parent, const scan::DirEntry& entry,
                    scan::Listing& listing) override;
    void discard(scan::Listing& listing) override { listing.handle = -1; }

    int openListings() const { return m_open; }

private:
    void read(const std::string& path, scan::Listing& out, const std::atomic<bool>& stop);
    std::shared_ptr<FakeTree> m_tree;
    scan::ListingSorter m_sorter;
    int m_open = 0;  // listings handed out and not yet released
};

}  // namespace tarvolin::test
