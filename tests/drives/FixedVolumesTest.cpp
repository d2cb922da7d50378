#include "drives/FixedVolumes.h"

#include "common/MountTable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace tarvolin::drives {
namespace {

using ::testing::ElementsAre;

TEST(FixedVolumes, ListsRootFirstThenOneMountPointPerFixedDevice) {
    const auto mounts = parseMountTable(
        "proc /proc proc rw 0 0\n"
        "/dev/sdb1 /data ext4 rw 0 0\n"
        "/dev/sda2 / ext4 rw 0 0\n"
        "/dev/sdb1 /srv/data\\040copy ext4 rw 0 0\n"  // a bind mount of the same device
        "/dev/sdc1 /media/usb vfat rw 0 0\n"          // removable
        "/dev/loop3 /snap/core squashfs ro 0 0\n"
        "/dev/mapper/vg-home /home\\040dir ext4 rw 0 0\n"
        "tmpfs /tmp/a\\134b\\9 tmpfs rw 0 0\n"  // an escaped backslash, then a plain one
        "short line\n");
    ASSERT_EQ(mounts.size(), 8u);
    EXPECT_EQ(mounts[3].mountPoint, "/srv/data copy");
    EXPECT_EQ(mounts[7].mountPoint, "/tmp/a\\b\\9");

    const std::map<std::string, std::uint64_t> fixed = {
        {"/dev/sda2", 1}, {"/dev/sdb1", 2}, {"/dev/mapper/vg-home", 3}};
    const auto volumes = selectFixedVolumes(mounts, [&](const std::string& device) {
        const auto found = fixed.find(device);
        return found == fixed.end() ? std::nullopt : std::optional(found->second);
    });
    EXPECT_THAT(volumes, ElementsAre("/", "/data", "/home dir"));
}

TEST(FixedVolumes, SpaceTextsTruncateThePercentage) {
    EXPECT_EQ(freeSpaceText(DiskSpace{12345678912, 100000000000}), "11.4 GB (12%)");
    EXPECT_EQ(totalSpaceText(DiskSpace{12345678912, 100000000000}), "93.1 GB");
    EXPECT_EQ(freeSpaceText(DiskSpace{0, 0}), "0 bytes (0%)");
    EXPECT_EQ(freeSpaceText(std::nullopt), "Unknown");
    EXPECT_EQ(totalSpaceText(std::nullopt), "Unknown");
}

TEST(FixedVolumes, TheSystemAnswersForItsRoot) {
    const SystemVolumeSource system;
    const auto volumes = system.fixedVolumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes.front(), "/");
    const auto space = system.freeSpace("/");
    ASSERT_TRUE(space);
    EXPECT_GT(space->totalBytes, 0u);
    EXPECT_LE(space->freeBytes, space->totalBytes);
    EXPECT_GE(system.clusterSize("/"), 512u);
    EXPECT_EQ(system.clusterSize(""), 0u);
    EXPECT_FALSE(system.freeSpace("/no/such/volume"));
}

}  // namespace
}  // namespace tarvolin::drives
