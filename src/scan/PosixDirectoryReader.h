// PosixDirectoryReader: listings from the kernel through openat, getdents64 and statx.
#pragma once

#include <string>
#include <vector>

#include "scan/DirectoryReader.h"
#include "scan/ListingSorter.h"

namespace tarvolin::scan {

// Used by one walk at a time on the scan thread. Subfolders are opened relative to their
// parent's descriptor, so neither PATH_MAX nor the length of the full path limits the depth.
// Nor does the open-file limit: only the walk's root and the kHeldLevels deepest open folders
// keep their descriptors (and those shared with other threads); a folder whose descriptor was
// closed is opened again from its nearest open ancestor, by name, when its next subfolder is
// read. Where the kernel lacks statx, glibc answers it with fstatat.
class PosixDirectoryReader final : public DirectoryReader {
public:
    static constexpr std::size_t kHeldLevels = 32;

    PosixDirectoryReader();
    void readRoot(const std::string& path, Listing& out, const std::atomic<bool>& stop) override;
    void readChild(const Listing& parent, const DirEntry& entry, std::string_view path,
                   Listing& out, const std::atomic<bool>& stop) override;
    void release(Listing& listing) override;
    void handOver(Listing& listing) override;
    void adoptChild(const Listing& parent, const DirEntry& entry, Listing& listing) override;
    void discard(Listing& listing) override { closeListing(listing); }
    // Touches nothing but `listing`, so any thread may call it.
    static void closeListing(Listing& listing);

private:
    // A listing this reader opened and has not released, with the name it was opened by.
    struct OpenFolder {
        Listing* listing;
        std::string name;
    };
    std::size_t placeBelow(const Listing& parent);
    void hold(Listing& listing, int fd);
    void read(int fd, Listing& out, const std::atomic<bool>& stop);
    void readEntries(int fd, Listing& out);
    void statEntries(int fd, Listing& out, const std::atomic<bool>& stop);
    bool reopen(std::size_t level);
    void forgetFrom(std::size_t level);
    void closeShallowest();

    std::vector<char> m_buffer;  // getdents64 batches, reused for every folder
    ListingSorter m_sorter;
    std::vector<OpenFolder> m_open;  // the walk's current folder and its ancestors, root first
    std::size_t m_held = 0;          // of m_open, those whose descriptor is open
};

// A folder opened by path, also when the path is longer than PATH_MAX (then one component at a
// time from "/"); -1 with errno on failure.
int openDirectoryPath(const std::string& path);

// Raises the soft limit of open descriptors to the hard limit, which costs nothing: descriptors
// also serve walks that other threads help with.
void raiseOpenFileLimit();

}  // namespace tarvolin::scan
