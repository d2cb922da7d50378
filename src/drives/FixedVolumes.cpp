#include "drives/FixedVolumes.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "common/SizeText.h"

namespace tarvolin::drives {
namespace {

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
        const std::string flag = readSmallFile((sys + where).c_str());
        if (!flag.empty()) {
            if (flag[0] == '1') return std::nullopt;
            break;
        }
    }
    return static_cast<std::uint64_t>(info.st_rdev);
}

}  // namespace

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
    auto mounts = readMountTable();
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
