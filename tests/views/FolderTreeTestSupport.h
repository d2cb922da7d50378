// Helpers shared by the folder tree tests.
#pragma once

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QStringList>

#include <string>
#include <vector>

#include "drives/FixedVolumes.h"
#include "support/EventPump.h"

namespace tarvolin::test {

class FixedVolumeList final : public drives::VolumeSource {
public:
    explicit FixedVolumeList(std::vector<std::string> volumes) : m_volumes(std::move(volumes)) {}
    std::vector<std::string> fixedVolumes() const override { return m_volumes; }
    std::optional<drives::DiskSpace> freeSpace(const std::string&) const override { return {}; }
    std::uint64_t clusterSize(const std::string&) const override { return 0; }

    std::vector<std::string> m_volumes;
};

inline QStringList childNames(const QAbstractItemModel& model, const QModelIndex& parent) {
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names << model.index(row, 0, parent).data().toString();
    return names;
}

// The child of `parent` shown as `name`; invalid when there is none.
inline QModelIndex childNamed(const QAbstractItemModel& model, const QModelIndex& parent,
                              const QString& name) {
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex child = model.index(row, 0, parent);
        if (child.data().toString() == name) return child;
    }
    return {};
}

}  // namespace tarvolin::test
