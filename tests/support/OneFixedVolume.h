// OneFixedVolume: a machine with one fixed volume, "/", of 4 GiB with 1 GiB free, whatever the
// machine running the test has.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "drives/FixedVolumes.h"

namespace tarvolin::test {

class OneFixedVolume final : public drives::VolumeSource {
public:
    std::vector<std::string> fixedVolumes() const override { return {"/"}; }
    std::optional<drives::DiskSpace> freeSpace(const std::string&) const override {
        return drives::DiskSpace{1 << 30, 4LL << 30};
    }
    std::uint64_t clusterSize(const std::string&) const override { return 4096; }
};

}  // namespace tarvolin::test
