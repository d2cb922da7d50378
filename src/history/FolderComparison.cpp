#include "history/FolderComparison.h"

#include <algorithm>
#include <ctime>
#include <unordered_map>

#include "common/PathText.h"
#include "common/SizeText.h"

namespace tarvolin::history {
namespace {

// Absolute values stay exact for every delta a file system can produce.
std::int64_t magnitude(std::int64_t value) {
    return value < 0 ? -value : value;
}

}  // namespace

const char* statusName(FolderChange::Status status) {
    switch (status) {
        case FolderChange::Status::Grown:
            return "grown";
        case FolderChange::Status::Shrunk:
            return "shrunk";
        case FolderChange::Status::New:
            return "new";
        case FolderChange::Status::Removed:
            return "removed";
    }
    return "";
}

int depthBelow(std::string_view path, std::string_view folder) {
    if (path.size() <= folder.size()) return 0;
    std::string_view rest = path.substr(folder.size());
    if (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
    return static_cast<int>(std::count(rest.begin(), rest.end(), '/')) + 1;
}

std::vector<FolderChange> compareFolders(const std::vector<FolderRecord>& before,
                                         const std::vector<FolderRecord>& after,
                                         std::string_view folder, int maxDepth) {
    const auto wanted = [folder, maxDepth](const FolderRecord& record) {
        return isAtOrBelow(record.path, folder) &&
               (maxDepth < 0 || depthBelow(record.path, folder) <= maxDepth);
    };
    std::unordered_map<std::string_view, const FolderRecord*> earlier;
    for (const FolderRecord& record : before) {
        if (wanted(record)) earlier.emplace(record.path, &record);
    }
    std::vector<FolderChange> changes;
    for (const FolderRecord& now : after) {
        if (!wanted(now)) continue;
        FolderChange change;
        change.path = now.path;
        change.sizeAfter = now.size;
        const auto found = earlier.find(now.path);
        if (found == earlier.end()) {
            change.status = FolderChange::Status::New;
            change.filesDelta = now.files;
            change.foldersDelta = now.folders;
        } else {
            const FolderRecord& then = *found->second;
            earlier.erase(found);
            if (then.size == now.size) continue;
            change.status =
                now.size > then.size ? FolderChange::Status::Grown : FolderChange::Status::Shrunk;
            change.sizeBefore = then.size;
            change.filesDelta = std::int64_t{now.files} - then.files;
            change.foldersDelta = std::int64_t{now.folders} - then.folders;
        }
        changes.push_back(std::move(change));
    }
    for (const auto& [path, then] : earlier) {
        FolderChange change;
        change.path = then->path;
        change.status = FolderChange::Status::Removed;
        change.sizeBefore = then->size;
        change.filesDelta = -std::int64_t{then->files};
        change.foldersDelta = -std::int64_t{then->folders};
        changes.push_back(std::move(change));
    }
    std::sort(changes.begin(), changes.end(), [](const FolderChange& a, const FolderChange& b) {
        const std::int64_t left = magnitude(a.delta());
        const std::int64_t right = magnitude(b.delta());
        return left != right ? left > right : a.path < b.path;
    });
    return changes;
}

std::string signedSize(std::int64_t delta) {
    if (delta == 0) return formatSize(0);
    return (delta > 0 ? "+" : "-") + formatSize(magnitude(delta));
}

std::string signedCount(std::int64_t delta) {
    if (delta == 0) return "0";
    return (delta > 0 ? "+" : "-") + formatCount(magnitude(delta));
}

std::string changeNote(std::int64_t delta, std::int64_t since) {
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto time = static_cast<std::time_t>(since);
    std::tm local{};
    std::string date = "?";
    if (localtime_r(&time, &local) != nullptr && local.tm_mon >= 0 && local.tm_mon < 12) {
        date = std::to_string(local.tm_mday) + " " + kMonths[local.tm_mon] + " " +
               std::to_string(local.tm_year + 1900);
    }
    const std::string change = delta == 0 ? "no change" : signedSize(delta);
    return "(" + change + " since " + date + ")";
}

}  // namespace tarvolin::history
