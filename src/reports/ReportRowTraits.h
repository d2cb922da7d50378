// ReportRowTraits: how each kind of report row shows in a list: columns, cell texts, the file it
// stands for and the key that tells rows apart.
#pragma once

#include <string>

#include <QString>

#include "reports/ReportRows.h"

namespace tarvolin::reports {

template <class Row>
struct ReportRowTraits;

template <>
struct ReportRowTraits<LargestFileRow> {
    using Column = LargestColumn;
    static constexpr const auto& kColumns = kLargestFilesColumns;
    static constexpr const char* kWidthsKey = kLargestFilesColumnsKey;
    static QString cellText(const LargestFileRow& row, int column);
    static const std::string& path(const LargestFileRow& row) { return row.fullPath; }
    static const std::string& key(const LargestFileRow& row) { return row.fullPath; }
    static QString iconFile(const LargestFileRow& row);
};

template <>
struct ReportRowTraits<OldestFileRow> {
    using Column = OldestColumn;
    static constexpr const auto& kColumns = kOldestFilesColumns;
    static constexpr const char* kWidthsKey = kOldestFilesColumnsKey;
    static QString cellText(const OldestFileRow& row, int column);
    static const std::string& path(const OldestFileRow& row) { return row.fullPath; }
    static const std::string& key(const OldestFileRow& row) { return row.fullPath; }
    static QString iconFile(const OldestFileRow& row);
};

// A file type stands for no file: its rows open nothing and have no context menu.
template <>
struct ReportRowTraits<FileTypeRow> {
    using Column = FileTypeColumn;
    static constexpr const auto& kColumns = kFileTypesColumns;
    static constexpr const char* kWidthsKey = kFileTypesColumnsKey;
    static QString cellText(const FileTypeRow& row, int column);
    static const std::string& path(const FileTypeRow& row);
    static const std::string& key(const FileTypeRow& row) { return row.extension; }
    static QString iconFile(const FileTypeRow& row);
};

template <>
struct ReportRowTraits<TempFileRow> {
    using Column = TempColumn;
    static constexpr const auto& kColumns = kTempFilesColumns;
    static constexpr const char* kWidthsKey = kTempFilesColumnsKey;
    static QString cellText(const TempFileRow& row, int column);
    static const std::string& path(const TempFileRow& row) { return row.fullPath; }
    static const std::string& key(const TempFileRow& row) { return row.fullPath; }
    static QString iconFile(const TempFileRow& row);
};

}  // namespace tarvolin::reports
