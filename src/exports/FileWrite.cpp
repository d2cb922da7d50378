#include "exports/FileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/AppException.h"

namespace tarvolin::exports {
namespace {

[[noreturn]] void fail(const char* what, const std::string& path, int code) {
    throw CAppException(std::string(what) + " \"" + path + "\"", code, true);
}

mode_t currentUmask() {
    // umask can only be read by setting it; put it back at once.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

}  // namespace

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string folder = folderOf(path);
    std::string temporary = (folder.empty()  ? std::string()
                             : folder == "/" ? folder
                                             : folder + "/") +
                            ".tarvolin-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) fail("Cannot create the file", path, errno);
    const auto abandon = [&](int code) {
        ::close(fd);
        ::unlink(temporary.c_str());
        fail("Cannot write the file", path, code);
    };
    if (::fchmod(fd, 0666 & ~currentUmask()) != 0) abandon(errno);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            abandon(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 && errno != EINVAL) abandon(errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        fail("Cannot write the file", path, code);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        fail("Cannot write the file", path, code);
    }
}

std::string readWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("Cannot open the file", path, errno);
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int code = errno;
            ::close(fd);
            fail("Cannot read the file", path, code);
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
}

}  // namespace tarvolin::exports
