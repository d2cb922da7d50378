#include "reports/ReportRows.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <string_view>

#include "common/SizeText.h"

namespace tarvolin::reports {
namespace {

std::string fileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::int64_t currentSize(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : 0;
}

std::string sizeText(std::uint64_t bytes) {
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    return formatSize(static_cast<std::int64_t>(std::min(bytes, kMax)));
}

// The report lists' text order: A-Z folded to a-z, bytes unsigned, no tie-break, so that names
// differing only in case stay where a stable sort leaves them.
int compareFolded(std::string_view a, std::string_view b) {
    const auto fold = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
    };
    const std::size_t length = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < length; ++i) {
        const int difference = fold(a[i]) - fold(b[i]);
        if (difference != 0) return difference;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

template <class Value>
int compareValues(const Value& a, const Value& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// `compare` is three-way; descending only flips it, so equal rows never move.
template <class Row, class Compare>
void sortStable(std::vector<Row>& rows, bool ascending, Compare compare) {
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        const int result = compare(a, b);
        return ascending ? result < 0 : result > 0;
    });
}

}  // namespace

std::vector<LargestFileRow> largestFileRows(const std::vector<FileSizeEntry>& entries) {
    std::vector<LargestFileRow> rows;
    rows.reserve(entries.size());
    for (const FileSizeEntry& entry : entries) {
        if (entry.path.empty()) continue;
        LargestFileRow& row = rows.emplace_back();
        row.fileName = fileNameOf(entry.path);
        row.number = static_cast<int>(rows.size() - 1);
        row.numberText = std::to_string(row.number);
        row.size = entry.size;
        row.sizeText = formatSize(entry.size);
        row.fullPath = entry.path;
    }
    return rows;
}

std::vector<OldestFileRow> oldestFileRows(const std::vector<FileTimeEntry>& entries) {
    std::vector<OldestFileRow> rows;
    rows.reserve(entries.size());
    for (const FileTimeEntry& entry : entries) {
        if (entry.path.empty()) continue;
        OldestFileRow& row = rows.emplace_back();
        row.fileName = fileNameOf(entry.path);
        row.size = currentSize(entry.path);
        row.sizeText = formatSize(row.size);
        row.time = entry.time;
        row.fullPath = entry.path;
    }
    return rows;
}

std::vector<FileTypeRow> fileTypeRows(const std::vector<FileTypeEntry>& entries,
                                      FileTypeFilter filter) {
    std::vector<FileTypeRow> rows;
    for (const FileTypeEntry& entry : entries) {
        if (entry.count <= 0) continue;
        // total >= minimumKb * 1024 without the product, which could overflow.
        if (filter.enabled && filter.minimumKb > 0 &&
            entry.total / 1024 < static_cast<std::uint64_t>(filter.minimumKb)) {
            continue;
        }
        FileTypeRow& row = rows.emplace_back();
        row.typeName = entry.typeName;
        row.extension = entry.extension;
        row.count = entry.count;
        row.countText = std::to_string(entry.count);
        row.total = entry.total;
        row.spaceText = sizeText(entry.total);
    }
    return rows;
}

std::vector<TempFileRow> tempFileRows(std::vector<TempFileEntry> entries) {
    std::vector<TempFileRow> rows;
    rows.reserve(entries.size());
    for (TempFileEntry& entry : entries) {
        TempFileRow& row = rows.emplace_back();
        row.fileName = entry.path.substr(std::min(entry.nameOffset, entry.path.size()));
        row.size = entry.size;
        row.sizeText = formatSize(entry.size);
        row.fullPath = std::move(entry.path);
    }
    return rows;
}

void sortRows(std::vector<LargestFileRow>& rows, LargestColumn column, bool ascending) {
    sortStable(rows, ascending, [column](const LargestFileRow& a, const LargestFileRow& b) {
        switch (column) {
            case LargestColumn::FileName:
                return compareFolded(a.fileName, b.fileName);
            case LargestColumn::Number:
                return compareValues(a.number, b.number);
            case LargestColumn::Size:
                return compareValues(a.size, b.size);
            case LargestColumn::FullPath:
                return compareFolded(a.fullPath, b.fullPath);
        }
        return 0;
    });
}

void sortRows(std::vector<OldestFileRow>& rows, OldestColumn column, bool ascending) {
    sortStable(rows, ascending, [column](const OldestFileRow& a, const OldestFileRow& b) {
        switch (column) {
            case OldestColumn::FileName:
                return compareFolded(a.fileName, b.fileName);
            case OldestColumn::Size:
                return compareValues(a.size, b.size);
            case OldestColumn::Date:
                return compareValues(a.time, b.time);
            case OldestColumn::FullPath:
                return compareFolded(a.fullPath, b.fullPath);
        }
        return 0;
    });
}

void sortRows(std::vector<FileTypeRow>& rows, FileTypeColumn column, bool ascending) {
    sortStable(rows, ascending, [column](const FileTypeRow& a, const FileTypeRow& b) {
        switch (column) {
            case FileTypeColumn::Type:
                return compareFolded(a.typeName, b.typeName);
            case FileTypeColumn::Ext:
                return compareFolded(a.extension, b.extension);
            case FileTypeColumn::Count:
                return compareValues(a.count, b.count);
            case FileTypeColumn::Space:
                return compareValues(a.total, b.total);
        }
        return 0;
    });
}

void sortRows(std::vector<TempFileRow>& rows, TempColumn column, bool ascending) {
    sortStable(rows, ascending, [column](const TempFileRow& a, const TempFileRow& b) {
        switch (column) {
            case TempColumn::FileName:
                return compareFolded(a.fileName, b.fileName);
            case TempColumn::Size:
                return compareValues(a.size, b.size);
            case TempColumn::FullPath:
                return compareFolded(a.fullPath, b.fullPath);
        }
        return 0;
    });
}

bool fileIsGone(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

}  // namespace tarvolin::reports
