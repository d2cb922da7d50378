#include "common/FileOperations.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include "common/MountTable.h"
#include "common/PathText.h"

namespace tarvolin {
namespace {

// Closes a descriptor on every path out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

std::string realPathOf(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

std::string environmentPath(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

bool isMountPoint(const std::string& path) {
    const std::string parent = parentPath(path);
    struct stat own {};
    struct stat above {};
    // A link is removed as a link, so what it points to does not matter here.
    if (!parent.empty() && ::lstat(path.c_str(), &own) == 0 && S_ISDIR(own.st_mode) &&
        ::stat(parent.c_str(), &above) == 0 && own.st_dev != above.st_dev)
        return true;
    // Bind mounts keep their parent's device; only the table knows them.
    const std::string resolved = realPathOf(path);
    for (const MountEntry& mount : readMountTable()) {
        if (mount.mountPoint == path || (!resolved.empty() && mount.mountPoint == resolved))
            return true;
    }
    return false;
}

// Removes `name` inside the open folder `parentFd`; `device` is the device of the tree being
// removed, which the removal never leaves.
int removeEntry(int parentFd, const char* name, dev_t device, bool& removedAny) {
    struct stat status {};
    if (::fstatat(parentFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    if (!S_ISDIR(status.st_mode)) {
        if (::unlinkat(parentFd, name, 0) != 0) return errno;
        removedAny = true;
        return 0;
    }
    if (status.st_dev != device) return EXDEV;

    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno;
    DIR* folder = ::fdopendir(fd);
    if (folder == nullptr) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    // Names are taken first: removing entries while reading the folder may skip some.
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view child(entry->d_name);
        if (child != "." && child != "..") names.emplace_back(child);
    }
    int firstError = 0;
    for (const std::string& child : names) {
        const int error = removeEntry(::dirfd(folder), child.c_str(), device, removedAny);
        if (firstError == 0) firstError = error;
    }
    ::closedir(folder);
    if (firstError != 0) return firstError;
    if (::unlinkat(parentFd, name, AT_REMOVEDIR) != 0) return errno;
    removedAny = true;
    return 0;
}

// Percent-encodes everything but unreserved characters and "/", as trash info files want.
std::string percentEncoded(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
            c == '/') {
            text += c;
        } else {
            text += '%';
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
        }
    }
    return text;
}

std::string deletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[32] = {};
    if (::localtime_r(&now, &local) != nullptr)
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// Moves `path` into the trash folder `trash` (with files/ and info/ below it, created when
// missing). `infoPath` is what the info file records: absolute for the home trash, relative to
// the file system's top for a top-folder trash.
int moveIntoTrash(const std::string& path, const std::string& trash, const std::string& infoPath) {
    for (const std::string& folder : {trash, trash + "/files", trash + "/info"}) {
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    }
    const std::string name(displayNameOf(path));
    const std::string text = "[Trash Info]\nPath=" + percentEncoded(infoPath) +
                             "\nDeletionDate=" + deletionDate() + "\n";
    for (int attempt = 1; attempt < 10000; ++attempt) {
        const std::string entry = attempt == 1 ? name : name + "." + std::to_string(attempt);
        const std::string info = trash + "/info/" + entry + ".trashinfo";
        // The info file is created exclusively: it reserves the name in the trash.
        FileDescriptor fd(::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.get() < 0) {
            if (errno == EEXIST) continue;
            return errno;
        }
        const bool written =
            ::write(fd.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
        const bool closed = ::close(fd.release()) == 0;
        int error = written && closed ? 0 : (errno != 0 ? errno : EIO);
        if (error == 0 && ::rename(path.c_str(), (trash + "/files/" + entry).c_str()) != 0)
            error = errno;
        if (error != 0) ::unlink(info.c_str());
        return error;
    }
    return EEXIST;
}

// The top folder of the file system that holds `path`: the highest ancestor on its device.
std::string fileSystemTop(const std::string& path, dev_t device) {
    std::string top = path;
    for (std::string up = parentPath(top); !up.empty(); up = parentPath(up)) {
        struct stat status {};
        if (::stat(up.c_str(), &status) != 0 || status.st_dev != device) break;
        top = up;
    }
    return top;
}

// $top/.Trash/UID when the administrator made a sticky, non-link .Trash there, else
// $top/.Trash-UID.
std::string topFolderTrash(const std::string& top) {
    const std::string uid = std::to_string(::getuid());
    const std::string shared = joinPath(top, ".Trash");
    struct stat status {};
    if (::lstat(shared.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
        (status.st_mode & S_ISVTX) != 0)
        return shared + "/" + uid;
    return joinPath(top, ".Trash-" + uid);
}

int removePathInto(const std::string& path, bool& removedAny) {
    const std::string target = trimTrailingSeparator(path);
    const std::string parent = parentPath(target);
    if (parent.empty()) return EINVAL;
    FileDescriptor parentFd(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parentFd.get() < 0) return errno;
    const std::string name(displayNameOf(target));
    struct stat status {};
    if (::fstatat(parentFd.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    return removeEntry(parentFd.get(), name.c_str(), status.st_dev, removedAny);
}

}  // namespace

std::string parentPath(const std::string& path) {
    const std::string trimmed = trimTrailingSeparator(path);
    if (trimmed == "/") return {};
    const std::size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : trimmed.substr(0, slash);
}

bool isProtectedPath(const std::string& path, const std::string& home) {
    const std::string target = trimTrailingSeparator(path);
    if (target.empty() || target == "/") return true;
    const std::string ownHome = home.empty() ? environmentPath("HOME") : home;
    for (const std::string& candidate : {ownHome, realPathOf(ownHome)}) {
        // The home folder, or a folder that holds it.
        if (!candidate.empty() && isAtOrBelow(trimTrailingSeparator(candidate), target))
            return true;
    }
    return isMountPoint(target);
}

int removePath(const std::string& path, bool* removedAny) {
    bool removed = false;
    const int error = removePathInto(path, removed);
    if (removedAny != nullptr) *removedAny = removed;
    return error;
}

int moveToTrash(const std::string& path) {
    const char* xdgDataHome = std::getenv("XDG_DATA_HOME");
    std::string dataHome = environmentPath("XDG_DATA_HOME");
    // A relative data folder would put the trash where nobody looks for it.
    if (xdgDataHome != nullptr && xdgDataHome[0] != '\0' && dataHome.empty()) return ENOENT;
    if (dataHome.empty()) {
        const std::string home = environmentPath("HOME");
        // Without a home there is no trash anyone would look in.
        if (home.empty()) return ENOENT;
        dataHome = joinPath(home, ".local/share");
    }
    // The data folder may not exist yet on a new account.
    for (std::size_t at = 1; at <= dataHome.size(); ++at) {
        if (at == dataHome.size() || dataHome[at] == '/') {
            if (::mkdir(dataHome.substr(0, at).c_str(), 0700) != 0 && errno != EEXIST) return errno;
        }
    }

    const std::string target = trimTrailingSeparator(path);
    struct stat item {};
    struct stat data {};
    if (::lstat(target.c_str(), &item) != 0) return errno;
    if (::stat(dataHome.c_str(), &data) != 0) return errno;
    if (item.st_dev == data.st_dev) return moveIntoTrash(target, dataHome + "/Trash", target);

    const std::string top = fileSystemTop(target, item.st_dev);
    const std::string relative =
        top == "/" ? target.substr(1) : target.substr(std::min(target.size(), top.size() + 1));
    return moveIntoTrash(target, topFolderTrash(top), relative);
}

}  // namespace tarvolin
