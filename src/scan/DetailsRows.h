// DetailsRows: the columns of the details list and the texts of its cells, shared by the
// details view and the terminal's scan listing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scan/ScanNode.h"

namespace tarvolin::scan {

enum DetailsColumn : int {
    kColumnName = 0,
    kColumnSize,
    kColumnLastChange,
    kColumnFiles,
    kColumnFolders,
    kColumnShare,  // "% of Parent"
    kColumnCount
};

inline constexpr std::array<const char*, kColumnCount> kDetailsColumnTitles{
    "Folder", "Size", "Last Change", "Files", "Folders", "% of Parent"};

// Names and dates read left-aligned, numbers right-aligned.
inline bool detailsColumnLeftAligned(int column) {
    return column == kColumnName || column == kColumnLastChange;
}

// The number a column shows of a node (size for "Size" and "% of Parent"); 0 for the name.
std::int64_t detailsColumnValue(const ScanNode& node, int column);

// "12.34 %": a size's share of the scanned folder's total. A total of 0 bytes has nothing to
// share, so every child reads "0.00 %".
std::string shareOfParentText(std::int64_t size, std::int64_t parentSize);

// The text of a number column (size, files, folders, share) for `value`. The share needs the
// scanned folder's total and is empty without one (no scan has completed).
std::string detailsNumberText(int column, std::int64_t value,
                              std::optional<std::int64_t> parentSize);

// The texts of a node's row in column order; `dateText` turns a stored time into the front
// end's date text. The name is the node's display name, bytes as they are.
using DateTextFunction = std::string (*)(std::int64_t secondsSince1970);
std::vector<std::string> detailsRowTexts(const ScanNode& node,
                                         std::optional<std::int64_t> parentSize,
                                         DateTextFunction dateText);

}  // namespace tarvolin::scan
