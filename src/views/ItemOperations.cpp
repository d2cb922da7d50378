#include "views/ItemOperations.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include <dirent.h>

#include "common/PathText.h"

namespace tarvolin::views {
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

std::string readWholeFile(const char* path) {
    FileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
    std::string text;
    if (fd.get() < 0) return text;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    return text;
}

std::string realPathOf(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
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
    const std::vector<std::string> points = mountPointsOf(readWholeFile("/proc/self/mounts"));
    const std::string resolved = realPathOf(path);
    for (const std::string& point : points) {
        if (point == path || (!resolved.empty() && point == resolved)) return true;
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

// The freedesktop home trash, written byte for byte, for names that Qt's string paths cannot
// carry. Only an item on the data folder's own file system can be moved there.
int moveToHomeTrash(const std::string& path, const std::string& dataHome) {
    const std::string trash = dataHome + "/Trash";
    for (const std::string& folder : {trash, trash + "/files", trash + "/info"}) {
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    }
    const std::string name(displayNameOf(path));
    const QByteArray pathText = QByteArray::fromStdString(path).toPercentEncoding("/");
    const QByteArray date =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1();
    for (int attempt = 1; attempt < 10000; ++attempt) {
        const std::string entry = attempt == 1 ? name : name + "." + std::to_string(attempt);
        const std::string info = trash + "/info/" + entry + ".trashinfo";
        // The info file is created exclusively: it reserves the name in the trash.
        FileDescriptor fd(::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.get() < 0) {
            if (errno == EEXIST) continue;
            return errno;
        }
        const QByteArray text = "[Trash Info]\nPath=" + pathText + "\nDeletionDate=" + date + "\n";
        const bool written =
            ::write(fd.get(), text.constData(), static_cast<std::size_t>(text.size())) ==
            static_cast<ssize_t>(text.size());
        const bool closed = ::close(fd.release()) == 0;
        int error = written && closed ? 0 : (errno != 0 ? errno : EIO);
        if (error == 0 && ::rename(path.c_str(), (trash + "/files/" + entry).c_str()) != 0)
            error = errno;
        if (error != 0) ::unlink(info.c_str());
        return error;
    }
    return EEXIST;
}

int removePathInto(const std::string& path, bool& removedAny) {
    const std::string target = trimTrailingSeparator(path);
    const std::string parent = parentPath(target);
    if (parent.empty()) return EINVAL;
    FileDescriptor parentFd(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parentFd.get() < 0) return errno;
    struct stat status {};
    if (::fstatat(parentFd.get(), std::string(displayNameOf(target)).c_str(), &status,
                  AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    return removeEntry(parentFd.get(), std::string(displayNameOf(target)).c_str(), status.st_dev,
                       removedAny);
}

}  // namespace

std::vector<std::string> mountPointsOf(std::string_view table) {
    std::vector<std::string> points;
    std::size_t lineStart = 0;
    while (lineStart < table.size()) {
        std::size_t lineEnd = table.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = table.size();
        const std::string_view line = table.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;

        const std::size_t first = line.find(' ');
        if (first == std::string_view::npos) continue;
        std::size_t second = line.find(' ', first + 1);
        if (second == std::string_view::npos) second = line.size();
        const std::string_view field = line.substr(first + 1, second - first - 1);
        std::string point;
        for (std::size_t i = 0; i < field.size(); ++i) {
            const auto isOctal = [&](std::size_t at) {
                return field[at] >= '0' && field[at] <= '7';
            };
            if (field[i] == '\\' && i + 3 < field.size() && isOctal(i + 1) && isOctal(i + 2) &&
                isOctal(i + 3)) {
                point += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                           (field[i + 3] - '0'));
                i += 3;
            } else {
                point += field[i];
            }
        }
        if (!point.empty()) points.push_back(std::move(point));
    }
    return points;
}

bool isProtectedPath(const std::string& path, const std::string& home) {
    const std::string target = trimTrailingSeparator(path);
    if (target.empty() || target == "/") return true;
    const std::string ownHome =
        home.empty() ? QFile::encodeName(QDir::homePath()).toStdString() : home;
    for (const std::string& candidate : {ownHome, realPathOf(ownHome)}) {
        // The home folder, or a folder that holds it.
        if (!candidate.empty() && isAtOrBelow(trimTrailingSeparator(candidate), target))
            return true;
    }
    return isMountPoint(target);
}

std::string parentPath(const std::string& path) {
    const std::string trimmed = trimTrailingSeparator(path);
    if (trimmed == "/") return {};
    const std::size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : trimmed.substr(0, slash);
}

QUrl fileUrl(const std::string& path) {
    return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
}

int removePath(const std::string& path, bool* removedAny) {
    bool removed = false;
    const int error = removePathInto(path, removed);
    if (removedAny != nullptr) *removedAny = removed;
    return error;
}

int moveToTrash(const std::string& path) {
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    // Without its data folder Qt falls back to a trash relative to the working folder.
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome)) return ENOENT;
    if (!QDir().mkpath(dataHome)) return EACCES;

    const std::string target = trimTrailingSeparator(path);
    const QByteArray bytes = QByteArray::fromStdString(target);
    const QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) != bytes)
        return moveToHomeTrash(target, QFile::encodeName(dataHome).toStdString());

    QString inTrash;
    if (!QFile::moveToTrash(name, &inTrash)) return -1;
    if (QDir::isRelativePath(inTrash)) {
        // It went to a trash relative to the working folder, where nobody would find it: put it
        // back and say it failed.
        ::rename(QFile::encodeName(inTrash).constData(), bytes.constData());
        return -1;
    }
    return 0;
}

}  // namespace tarvolin::views
