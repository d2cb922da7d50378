// Unremovable: keeps one file from being removed for the time of a test.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace tarvolin::test {

// An immutable file for root, whom folder permissions do not stop, else a folder without write
// permission. applied() is false where the file system cannot do either; skip the test then.
class Unremovable {
public:
    explicit Unremovable(std::string file)
        : m_file(std::move(file)), m_folder(m_file.substr(0, m_file.rfind('/'))) {
        if (::geteuid() != 0) {
            m_applied = ::chmod(m_folder.c_str(), 0555) == 0;
            return;
        }
        const int fd = ::open(m_file.c_str(), O_RDONLY);
        int flags = 0;
        m_applied = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                    ::ioctl(fd, FS_IOC_SETFLAGS, &(flags |= FS_IMMUTABLE_FL)) == 0;
        if (fd >= 0) ::close(fd);
    }
    ~Unremovable() {
        if (::geteuid() != 0) {
            ::chmod(m_folder.c_str(), 0755);
            return;
        }
        const int fd = ::open(m_file.c_str(), O_RDONLY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0) ::close(fd);
    }
    Unremovable(const Unremovable&) = delete;
    Unremovable& operator=(const Unremovable&) = delete;

    bool applied() const { return m_applied; }

private:
    std::string m_file;
    std::string m_folder;
    bool m_applied = false;
};

}  // namespace tarvolin::test
