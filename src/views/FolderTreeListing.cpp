#include "views/FolderTreeListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <thread>

#include "common/PathText.h"

namespace tarvolin::views {
namespace {

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Follows a link, so a link to a folder counts as a folder.
bool isFolderAt(int dirFd, const char* name) {
    struct stat info {};
    return fstatat(dirFd, name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

std::string canonicalPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

}  // namespace

FolderTreeListing::FolderTreeListing(std::string path)
    : m_path(std::move(path)), m_startedAt(std::chrono::steady_clock::now()) {}

std::shared_ptr<FolderTreeListing> FolderTreeListing::start(std::string path) {
    std::shared_ptr<FolderTreeListing> listing(new FolderTreeListing(std::move(path)));
    std::thread([listing] { listing->run(); }).detach();
    return listing;
}

bool FolderTreeListing::waitForEntries(std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, wait, [this] { return m_entriesReady; });
}

bool FolderTreeListing::waitForHints(std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, wait, [this] { return m_hintsReady; });
}

bool FolderTreeListing::entriesReady() const {
    std::lock_guard lock(m_mutex);
    return m_entriesReady;
}

bool FolderTreeListing::hintsReady() const {
    std::lock_guard lock(m_mutex);
    return m_hintsReady;
}

std::vector<FolderTreeEntry> FolderTreeListing::entries() const {
    std::lock_guard lock(m_mutex);
    return m_entries;
}

int FolderTreeListing::error() const {
    std::lock_guard lock(m_mutex);
    return m_error;
}

SubfolderHint FolderTreeListing::lookForSubfolder(int parentFd, const char* name,
                                                  std::uint64_t parentDevice) {
    struct stat info {};
    if (fstatat(parentFd, name, &info, 0) != 0 || !S_ISDIR(info.st_mode)) return SubfolderHint::No;
    // Another file system may be a slow or sleeping device: its "+" costs nothing to show.
    if (static_cast<std::uint64_t>(info.st_dev) != parentDevice) return SubfolderHint::Unknown;
    const int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return SubfolderHint::No;
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return SubfolderHint::No;
    }
    SubfolderHint hint = SubfolderHint::No;
    int seen = 0;
    while (const dirent* entry = readdir(dir)) {
        if (isDotOrDotDot(entry->d_name)) continue;
        if (++seen > kLookAheadEntries) {
            hint = SubfolderHint::Unknown;
            break;
        }
        const bool folder =
            entry->d_type == DT_DIR || ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                                        isFolderAt(dirfd(dir), entry->d_name));
        if (folder) {
            hint = SubfolderHint::Yes;
            break;
        }
    }
    closedir(dir);
    return hint;
}

void FolderTreeListing::run() {
    const int fd = open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        const int error = errno;
        if (fd >= 0) close(fd);
        std::lock_guard lock(m_mutex);
        m_error = error;
        m_entriesReady = m_hintsReady = true;
        m_changed.notify_all();
        return;
    }
    struct stat self {};
    fstat(dirfd(dir), &self);

    std::vector<FolderTreeEntry> found;
    int error = 0;
    for (;;) {
        if (m_cancelled.load(std::memory_order_relaxed)) break;
        errno = 0;
        const dirent* entry = readdir(dir);
        if (entry == nullptr) {
            error = errno;  // a listing that fails part-way keeps what came before
            break;
        }
        if (isDotOrDotDot(entry->d_name)) continue;
        bool folder = entry->d_type == DT_DIR;
        bool link = entry->d_type == DT_LNK;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            if (fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
                folder = S_ISDIR(info.st_mode);
                link = S_ISLNK(info.st_mode);
            }
        }
        if (link && !isFolderAt(dirfd(dir), entry->d_name)) continue;
        if (!folder && !link) continue;
        FolderTreeEntry item;
        item.name = entry->d_name;
        item.isLink = link;
        if (link) item.target = canonicalPath(joinPath(m_path, item.name));
        found.push_back(std::move(item));
    }
    {
        std::lock_guard lock(m_mutex);
        m_entries = found;
        m_error = error;
        m_entriesReady = true;
    }
    m_changed.notify_all();

    for (auto& item : found) {
        if (m_cancelled.load(std::memory_order_relaxed)) break;
        item.hint = lookForSubfolder(dirfd(dir), item.name.c_str(), self.st_dev);
    }
    closedir(dir);
    {
        std::lock_guard lock(m_mutex);
        if (!m_cancelled.load(std::memory_order_relaxed)) m_entries = std::move(found);
        m_hintsReady = true;
    }
    m_changed.notify_all();
}

}  // namespace tarvolin::views
