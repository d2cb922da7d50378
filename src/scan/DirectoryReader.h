// DirectoryReader: whole listings of folders, with every entry already stat'ed.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::scan {

// One entry of a listing, with what stat said of it.
struct DirEntry {
    std::uint32_t nameOffset = 0;  // into Listing::names, NUL-terminated there
    std::uint32_t nameLength = 0;
    int statError = 0;                // errno of a failed stat other than "vanished"; 0 when fine
    bool isDirectory = false;         // from stat; from the listing's type when stat failed
    bool onPseudoFileSystem = false;  // a folder mounted from a kernel pseudo file system
    bool readAhead = false;           // the walker asked for this folder to be read ahead
    std::uint32_t attributes = 0;     // kAttr* bits
    std::int64_t size = 0;            // apparent size; a symlink its own size
    std::int64_t mtime = 0;           // seconds since 1970 UTC
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// A folder's listing. The walker keeps one per level of the walk and reuses its storage, so a
// walk does not allocate per entry.
struct Listing {
    // Storage for more entries than this is given back once the listing is done with: kept,
    // every level of every walk would come to hold the largest folder it met.
    static constexpr std::size_t kEntriesKept = 64;

    std::vector<DirEntry> entries;  // name order (ListingSorter)
    std::string names;
    int openError = 0;         // errno when the folder could not be opened; nothing else set
    int readError = 0;         // errno when the listing failed part-way
    std::string lastNameRead;  // the last name the directory returned before readError
    std::uint64_t device = 0;  // the folder itself
    std::uint64_t inode = 0;
    int handle = -1;  // the reader's: its children are opened relative to it
    // Set by the walker while other threads open children through `handle`, so that the
    // reader keeps it open.
    bool shared = false;

    std::string_view name(const DirEntry& entry) const {
        return std::string_view(names).substr(entry.nameOffset, entry.nameLength);
    }
    void giveBackHugeStorage() {
        if (entries.capacity() <= kEntriesKept) return;
        std::vector<DirEntry>().swap(entries);
        std::string().swap(names);
    }
    void reset() {
        entries.clear();
        names.clear();
        openError = readError = 0;
        lastNameRead.clear();
        device = inode = 0;
        handle = -1;
        shared = false;
    }
};

// Reads folders for the walkers on the scan thread. The walker asks for the scanned folder by
// path, then for every subfolder relative to its parent's still-open listing:
//   readRoot(path) → readChild(root, entry, path/name) → … → release(child) … → release(root)
// A listing is released after all of its children. A reader may close the handle of a listing
// while it reads deeper folders and open it again when a child of it is read. Entries are stat'ed
// in the order the directory returns them and handed out in name order; entries that vanish between
// listing and stat are left out. The stop flag is tested before each entry is stat'ed; a stopped
// listing holds what was stat'ed so far.
//
// Read-ahead moves listings between readers: one reader reads a folder by path with readRoot
// and hands the listing over; the walk's reader adopts it in place of readChild, or, when no
// walk takes it, it is discarded:
//   other.readRoot(path, l) → other.handOver(l) → walk.adoptChild(parent, entry, l) … →
//   walk.release(l)
class DirectoryReader {
public:
    virtual ~DirectoryReader() = default;
    virtual void readRoot(const std::string& path, Listing& out, const std::atomic<bool>& stop) = 0;
    virtual void readChild(const Listing& parent, const DirEntry& entry, std::string_view path,
                           Listing& out, const std::atomic<bool>& stop) = 0;
    virtual void release(Listing& listing) = 0;

    // Forgets `listing`, read by readRoot, without closing it: another reader takes it.
    virtual void handOver(Listing& listing) = 0;
    // Takes a listing another reader handed over as the child `entry` of `parent`, as if
    // readChild had read it.
    virtual void adoptChild(const Listing& parent, const DirEntry& entry, Listing& listing) = 0;
    // Closes a handed-over listing that no walk took. Touches nothing but `listing`, so any
    // thread may call it.
    virtual void discard(Listing& listing) = 0;
};

}  // namespace tarvolin::scan
