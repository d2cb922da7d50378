#include "scan/PosixDirectoryReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "scan/ScanNode.h"

namespace tarvolin::scan {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr unsigned kStatMask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_INO;

// Kernel pseudo file systems: counted where they are mounted below the scanned folder, never
// entered (walking /proc or /sys yields nothing a user can free, and may never end).
bool isPseudoFileSystem(long type) {
    switch (static_cast<unsigned long>(type) & 0xffffffffUL) {
        case 0x9fa0:      // proc
        case 0x62656572:  // sysfs
        case 0x27e0eb:    // cgroup
        case 0x63677270:  // cgroup2
        case 0x64626720:  // debugfs
        case 0x74726163:  // tracefs
        case 0x73636673:  // securityfs
        case 0x6165676c:  // pstore
        case 0xcafe4a11:  // bpf
        case 0x62656570:  // configfs
        case 0xde5e81e4:  // efivarfs
        case 0x1cd1:      // devpts
        case 0x19800202:  // mqueue
        case 0x42494e4d:  // binfmt_misc
        case 0x6e736673:  // nsfs
        case 0x65735543:  // fusectl
        case 0xf97cff8c:  // selinuxfs
        case 0x958458f6:  // hugetlbfs
        case 0x0187:      // autofs
            return true;
        default:
            return false;
    }
}

bool onPseudoFileSystem(int dirFd, const char* name) {
    const int fd = openat(dirFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct statfs info {};
    const bool pseudo = fstatfs(fd, &info) == 0 && isPseudoFileSystem(info.f_type);
    close(fd);
    return pseudo;
}

std::uint32_t attributesOf(unsigned mode, std::uint64_t statxAttributes, const char* name) {
    std::uint32_t attributes = 0;
    if (S_ISDIR(mode)) attributes |= kAttrDirectory;
    if (S_ISLNK(mode)) attributes |= kAttrReparsePoint;
    if (S_ISCHR(mode) || S_ISBLK(mode) || S_ISSOCK(mode) || S_ISFIFO(mode)) {
        attributes |= kAttrSystem;
    }
    if ((mode & S_IWUSR) == 0) attributes |= kAttrReadOnly;
    if (name[0] == '.') attributes |= kAttrHidden;
    if (statxAttributes & STATX_ATTR_COMPRESSED) attributes |= kAttrCompressed;
    return attributes;
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

int openDirectoryPath(const std::string& path) {
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (path.size() < PATH_MAX || path.empty() || path[0] != '/') {
        return open(path.c_str(), kFlags);
    }
    int fd = open("/", kFlags);
    std::size_t start = 1;
    std::string component;
    while (fd >= 0 && start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        component.assign(path, start, end - start);
        start = end + 1;
        if (component.empty()) continue;
        const int next = openat(fd, component.c_str(), kFlags);
        const int savedErrno = errno;
        close(fd);
        errno = savedErrno;
        fd = next;
    }
    return fd;
}

namespace {

constexpr int kChildFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

}  // namespace

PosixDirectoryReader::PosixDirectoryReader() : m_buffer(kBufferSize) {}

void PosixDirectoryReader::readRoot(const std::string& path, Listing& out,
                                    const std::atomic<bool>& stop) {
    out.reset();
    m_open.clear();
    m_held = 0;
    const int fd = openDirectoryPath(path);
    if (fd < 0) {
        out.openError = errno;
        return;
    }
    struct stat self {};
    if (fstat(fd, &self) == 0) {
        out.device = self.st_dev;
        out.inode = self.st_ino;
    }
    m_open.push_back(OpenFolder{&out, std::string()});
    read(fd, out, stop);
}

// Where a child of `parent` goes in the walk's chain of open folders: 0 when `parent` is
// another reader's, which stays open while this walk starts below it.
std::size_t PosixDirectoryReader::placeBelow(const Listing& parent) {
    std::size_t level = m_open.size();
    while (level > 0 && m_open[level - 1].listing != &parent)
        --level;
    if (level == 0) {
        m_open.clear();
        m_held = 0;
    } else {
        forgetFrom(level);  // what lay below `parent` was released
    }
    return level;
}

void PosixDirectoryReader::readChild(const Listing& parent, const DirEntry& entry,
                                     std::string_view /*path*/, Listing& out,
                                     const std::atomic<bool>& stop) {
    out.reset();
    const char* name = parent.names.data() + entry.nameOffset;
    const std::size_t level = placeBelow(parent);
    int fd;
    if (level == 0) {
        fd = openat(parent.handle, name, kChildFlags);
    } else {
        Listing& above = *m_open[level - 1].listing;
        fd = above.handle >= 0 || reopen(level - 1) ? openat(above.handle, name, kChildFlags) : -1;
    }
    if (fd < 0) {
        out.openError = errno;
        return;
    }
    out.device = entry.device;
    out.inode = entry.inode;
    m_open.push_back(OpenFolder{&out, std::string(name, entry.nameLength)});
    read(fd, out, stop);
}

void PosixDirectoryReader::adoptChild(const Listing& parent, const DirEntry& entry,
                                      Listing& listing) {
    placeBelow(parent);
    m_open.push_back(OpenFolder{&listing, std::string(parent.name(entry))});
    hold(listing, listing.handle);
}

void PosixDirectoryReader::handOver(Listing& listing) {
    for (std::size_t level = m_open.size(); level > 0; --level) {
        if (m_open[level - 1].listing != &listing) continue;
        forgetFrom(level - 1);
        return;
    }
}

void PosixDirectoryReader::read(int fd, Listing& out, const std::atomic<bool>& stop) {
    hold(out, fd);
    readEntries(fd, out);
    statEntries(fd, out, stop);
}

void PosixDirectoryReader::hold(Listing& listing, int fd) {
    listing.handle = fd;
    if (fd >= 0 && ++m_held > kHeldLevels + 1) closeShallowest();
}

void PosixDirectoryReader::release(Listing& listing) {
    for (std::size_t level = m_open.size(); level > 0; --level) {
        if (m_open[level - 1].listing != &listing) continue;
        forgetFrom(level - 1);
        break;
    }
    closeListing(listing);
}

void PosixDirectoryReader::forgetFrom(std::size_t level) {
    for (std::size_t below = level; below < m_open.size(); ++below) {
        if (m_open[below].listing->handle >= 0) --m_held;
    }
    m_open.resize(level);
}

// Opens the folder at `level` again from its nearest open ancestor (the root always is), and
// makes sure it is still the folder that was listed. False with errno set when it is not.
bool PosixDirectoryReader::reopen(std::size_t level) {
    std::size_t from = level;
    while (m_open[from].listing->handle < 0)
        --from;
    int fd = m_open[from].listing->handle;
    for (std::size_t next = from + 1; next <= level; ++next) {
        const int opened = openat(fd, m_open[next].name.c_str(), kChildFlags);
        const int savedErrno = errno;
        if (next > from + 1) close(fd);
        errno = savedErrno;
        if (opened < 0) return false;
        fd = opened;
    }
    Listing& listing = *m_open[level].listing;
    struct stat self {};
    if (fstat(fd, &self) != 0 || self.st_dev != listing.device || self.st_ino != listing.inode) {
        close(fd);
        errno = ENOENT;  // moved or replaced since it was listed
        return false;
    }
    hold(listing, fd);
    return true;
}

// The shallowest descriptors are the ones needed last: the walk comes back to them only after
// everything below them is done.
void PosixDirectoryReader::closeShallowest() {
    for (std::size_t level = 1; level + 1 < m_open.size(); ++level) {
        Listing& listing = *m_open[level].listing;
        if (listing.handle < 0 || listing.shared) continue;
        closeListing(listing);
        --m_held;
        return;
    }
}

void PosixDirectoryReader::closeListing(Listing& listing) {
    if (listing.handle >= 0) close(listing.handle);
    listing.handle = -1;
}

void PosixDirectoryReader::readEntries(int fd, Listing& out) {
    for (;;) {
        const ssize_t read = getdents64(fd, m_buffer.data(), m_buffer.size());
        if (read == 0) return;
        if (read < 0) {
            if (errno == EINTR) continue;
            out.readError = errno;
            if (!out.entries.empty()) out.lastNameRead = out.name(out.entries.back());
            return;
        }
        for (ssize_t offset = 0; offset < read;) {
            const auto* record = reinterpret_cast<const dirent64*>(m_buffer.data() + offset);
            offset += record->d_reclen;
            const char* name = record->d_name;
            if (isDotOrDotDot(name)) continue;
            DirEntry entry;
            entry.nameOffset = static_cast<std::uint32_t>(out.names.size());
            entry.nameLength = static_cast<std::uint32_t>(std::strlen(name));
            entry.isDirectory = record->d_type == DT_DIR;
            out.names.append(name, entry.nameLength + 1);  // with its NUL, for openat
            out.entries.push_back(entry);
        }
    }
}

void PosixDirectoryReader::statEntries(int fd, Listing& out, const std::atomic<bool>& stop) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < out.entries.size(); ++i) {
        if (stop.load(std::memory_order_relaxed)) break;
        // Written in place; entries that vanished close up behind.
        if (kept != i) out.entries[kept] = out.entries[i];
        DirEntry& entry = out.entries[kept];
        const char* name = out.names.data() + entry.nameOffset;
        struct statx info;  // filled by the kernel; zeroing 256 bytes per entry shows up
        if (statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatMask, &info) != 0) {
            if (errno == ENOENT) continue;  // vanished since the listing: skipped silently
            entry.statError = errno;
            entry.attributes =
                (entry.isDirectory ? kAttrDirectory : 0) | (name[0] == '.' ? kAttrHidden : 0);
        } else {
            entry.isDirectory = S_ISDIR(info.stx_mode);
            entry.attributes = attributesOf(info.stx_mode, info.stx_attributes, name);
            entry.size = static_cast<std::int64_t>(info.stx_size);
            entry.mtime = info.stx_mtime.tv_sec;
            entry.device = makedev(info.stx_dev_major, info.stx_dev_minor);
            entry.inode = info.stx_ino;
            entry.onPseudoFileSystem =
                entry.isDirectory && entry.device != out.device && onPseudoFileSystem(fd, name);
        }
        ++kept;
    }
    out.entries.resize(kept);
    m_sorter.sortByName(out);
}

void raiseOpenFileLimit() {
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace tarvolin::scan
