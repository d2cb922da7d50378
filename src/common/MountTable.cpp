#include "common/MountTable.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tarvolin {
namespace {

std::string unescapeField(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    const auto isOctal = [&field](std::size_t at, char highest) {
        return at < field.size() && field[at] >= '0' && field[at] <= highest;
    };
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && isOctal(i + 1, '3') && isOctal(i + 2, '7') && isOctal(i + 3, '7')) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

}  // namespace

std::vector<MountEntry> parseMountTable(std::string_view text) {
    std::vector<MountEntry> mounts;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::string_view fields[3];
        std::size_t count = 0;
        while (count < 3 && !line.empty()) {
            const auto space = line.find(' ');
            fields[count++] = line.substr(0, space);
            line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
        }
        if (count < 3) continue;
        mounts.push_back(MountEntry{unescapeField(fields[0]), unescapeField(fields[1]),
                                    unescapeField(fields[2])});
    }
    return mounts;
}

std::vector<MountEntry> readMountTable() {
    return parseMountTable(readSmallFile("/proc/self/mounts"));
}

std::string readSmallFile(const char* path) {
    std::string text;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return text;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(fd);
    return text;
}

}  // namespace tarvolin
