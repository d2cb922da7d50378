// PosixDirectoryReader: listings from the kernel through openat, getdents64 and statx.
#pragma once

#include <vector>

#include "scan/DirectoryReader.h"
#include "scan/ListingSorter.h"

namespace tarvolin::scan {

// Used by one walk at a time on the scan thread. Subfolders are opened relative to their
// parent's descriptor, so neither PATH_MAX nor the length of the full path limits the depth.
// Where the kernel lacks statx, glibc answers it with fstatat.
class PosixDirectoryReader final : public DirectoryReader {
public:
    PosixDirectoryReader();
    void readRoot(const std::string& path, Listing& out, const std::atomic<bool>& stop) override;
    void readChild(const Listing& parent, const DirEntry& entry, std::string_view path,
                   Listing& out, const std::atomic<bool>& stop) override;
    void release(Listing& listing) override { closeListing(listing); }
    // Touches nothing but `listing`, so any thread may call it.
    static void closeListing(Listing& listing);

private:
    void readEntries(int fd, Listing& out);
    void statEntries(int fd, Listing& out, const std::atomic<bool>& stop);

    std::vector<char> m_buffer;  // getdents64 batches, reused for every folder
    ListingSorter m_sorter;
};

// Raises the soft limit of open descriptors to the hard limit: a walk keeps one descriptor
// open per level of depth.
void raiseOpenFileLimit();

}  // namespace tarvolin::scan
