// FixedVolumes: the computer's fixed volumes with their total and free space.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/MountTable.h"

namespace tarvolin::drives {

struct DiskSpace {
    std::uint64_t freeBytes = 0;  // what an unprivileged caller may still use
    std::uint64_t totalBytes = 0;
};

// The fixed volumes of a mount table, named by mount point: "/" first, then every other file
// system whose device passes `fixedDevice` (which returns the device number of a block device
// under /dev that is neither a loop device nor removable), one per device at its first mount
// point in table order.
std::vector<std::string> selectFixedVolumes(
    const std::vector<MountEntry>& mounts,
    const std::function<std::optional<std::uint64_t>(const std::string& device)>& fixedDevice);

// Where the drive pane and the status bar get their figures; tests feed their own volumes.
class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    virtual std::vector<std::string> fixedVolumes() const = 0;
    virtual std::optional<DiskSpace> freeSpace(const std::string& path) const = 0;
    // Bytes per allocation unit; 0 on failure or for an empty path.
    virtual std::uint64_t clusterSize(const std::string& path) const = 0;
};

// The running system's volumes: /proc/self/mounts, /sys/dev/block and statvfs.
class SystemVolumeSource final : public VolumeSource {
public:
    std::vector<std::string> fixedVolumes() const override;
    std::optional<DiskSpace> freeSpace(const std::string& path) const override;
    std::uint64_t clusterSize(const std::string& path) const override;
};

// The pane's cells: the total as a size text, the free space as "%s (%d%%)" with the share
// truncated; "Unknown" when the query failed. A volume of total size 0 reads "(0%)".
std::string totalSpaceText(const std::optional<DiskSpace>& space);
std::string freeSpaceText(const std::optional<DiskSpace>& space);

}  // namespace tarvolin::drives
