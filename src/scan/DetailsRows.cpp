#include "scan/DetailsRows.h"

#include <cstdio>

#include "common/SizeText.h"

namespace tarvolin::scan {

std::int64_t detailsColumnValue(const ScanNode& node, int column) {
    switch (column) {
        case kColumnSize:
        case kColumnShare:
            return node.size;
        case kColumnLastChange:
            return node.lastWriteTime;
        case kColumnFiles:
            return node.fileCount;
        case kColumnFolders:
            return node.folderCount;
        default:
            return 0;
    }
}

std::string shareOfParentText(std::int64_t size, std::int64_t parentSize) {
    const double share =
        parentSize == 0 ? 0.0 : static_cast<double>(size) / static_cast<double>(parentSize) * 100.0;
    char text[48];
    std::snprintf(text, sizeof text, "%.2f %%", share);
    return text;
}

std::string detailsNumberText(int column, std::int64_t value,
                              std::optional<std::int64_t> parentSize) {
    switch (column) {
        case kColumnSize:
            return formatSize(value);
        case kColumnFiles:
        case kColumnFolders:
            return formatCount(value);
        case kColumnShare:
            return parentSize ? shareOfParentText(value, *parentSize) : std::string();
        default:
            return {};
    }
}

std::vector<std::string> detailsRowTexts(const ScanNode& node,
                                         std::optional<std::int64_t> parentSize,
                                         DateTextFunction dateText) {
    std::vector<std::string> texts(kColumnCount);
    texts[kColumnName] = std::string(node.displayName());
    texts[kColumnLastChange] = dateText(node.lastWriteTime);
    for (const int column : {kColumnSize, kColumnFiles, kColumnFolders, kColumnShare})
        texts[column] = detailsNumberText(column, detailsColumnValue(node, column), parentSize);
    return texts;
}

}  // namespace tarvolin::scan
