#include "drives/FixedVolumes.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "common/SizeText.h"

namespace tarvolin::drives {
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

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The device number of a non-removable, non-loop block device, or none.
std::optional<std::uint64_t> fixedBlockDevice(const std::string& device) {
    if (device.rfind("/dev/", 0) != 0) return std::nullopt;
    struct stat info {};
    if (stat(device.c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) return std::nullopt;
    if (major(info.st_rdev) == 7) return std::nullopt;  // loop devices
    // /sys/dev/block/MAJ:MIN is the device itself; a partition's "removable" is its disk's.
    const std::string sys = "/sys/dev/block/" + std::to_string(major(info.st_rdev)) + ":" +
                            std::to_string(minor(info.st_rdev));
    for (const char* where : {"/removable", "/../removable"}) {
        const std::string flag = readFile(sys + where);
        if (!flag.empty()) {
            if (flag[0] == '1') return std::nullopt;
            break;
        }
    }
    return static_cast<std::uint64_t>(info.st_rdev);
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

std::vector<std::string> selectFixedVolumes(
    const std::vector<MountEntry>& mounts,
    const std::function<std::optional<std::uint64_t>(const std::string& device)>& fixedDevice) {
    std::vector<std::string> volumes = {"/"};
    std::set<std::uint64_t> devices;
    for (const MountEntry& mount : mounts) {
        const auto device = fixedDevice(mount.device);
        if (!device) continue;
        if (mount.mountPoint == "/") {
            devices.insert(*device);  // already listed first
            continue;
        }
        if (devices.insert(*device).second) volumes.push_back(mount.mountPoint);
    }
    return volumes;
}

std::vector<std::string> SystemVolumeSource::fixedVolumes() const {
    // The root's device first, so that another mount of the same device is not listed again.
    auto mounts = parseMountTable(readFile("/proc/self/mounts"));
    std::stable_partition(mounts.begin(), mounts.end(),
                          [](const MountEntry& mount) { return mount.mountPoint == "/"; });
    return selectFixedVolumes(mounts, fixedBlockDevice);
}

std::optional<DiskSpace> SystemVolumeSource::freeSpace(const std::string& path) const {
    struct statvfs info {};
    if (path.empty() || statvfs(path.c_str(), &info) != 0) return std::nullopt;
    return DiskSpace{static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize,
                     static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize};
}

std::uint64_t SystemVolumeSource::clusterSize(const std::string& path) const {
    struct statvfs info {};
    if (path.empty() || statvfs(path.c_str(), &info) != 0) return 0;
    return info.f_frsize;
}

std::string totalSpaceText(const std::optional<DiskSpace>& space) {
    if (!space) return "Unknown";
    return formatSize(static_cast<std::int64_t>(space->totalBytes));
}

std::string freeSpaceText(const std::optional<DiskSpace>& space) {
    if (!space) return "Unknown";
    const int percent = space->totalBytes == 0
                            ? 0
                            : static_cast<int>(static_cast<double>(space->freeBytes) /
                                               static_cast<double>(space->totalBytes) * 100.0);
    char text[64];
    std::snprintf(text, sizeof text, "%s (%d%%)",
                  formatSize(static_cast<std::int64_t>(space->freeBytes)).c_str(), percent);
    return text;
}

}  // namespace tarvolin::drives
