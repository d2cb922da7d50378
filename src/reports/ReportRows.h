// The rows of the four report lists as they read right after a refresh, and their sorting.
// The report pages and tarvolin-cli show the same rows; the pages only display them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "reports/FileTypeTable.h"
#include "reports/TempFileList.h"
#include "reports/TopFileList.h"

namespace tarvolin::reports {

struct ReportColumn {
    const char* title;
    int width;  // pixels, until the user's widths are stored
};

inline constexpr char kLargestFilesTitle[] = "Largest Files";
inline constexpr char kOldestFilesTitle[] = "Oldest Files";
inline constexpr char kFileTypesTitle[] = "File Types";
inline constexpr char kTempFilesTitle[] = "Temporary Files";

enum class LargestColumn { FileName, Number, Size, FullPath };
inline constexpr std::array<ReportColumn, 4> kLargestFilesColumns{
    {{"File Name", 140}, {"#", 45}, {"Size", 75}, {"Full Path", 280}}};
inline constexpr char kLargestFilesColumnsKey[] = "LargestFilesListCols";

enum class OldestColumn { FileName, Size, Date, FullPath };
inline constexpr std::array<ReportColumn, 4> kOldestFilesColumns{
    {{"File Name", 140}, {"Size", 75}, {"Date (last mod)", 125}, {"Full Path", 200}}};
inline constexpr char kOldestFilesColumnsKey[] = "OldestFilesListCols";

enum class FileTypeColumn { Type, Ext, Count, Space };
inline constexpr std::array<ReportColumn, 4> kFileTypesColumns{
    {{"Type", 300}, {"Ext", 75}, {"Count", 80}, {"Space", 85}}};
inline constexpr char kFileTypesColumnsKey[] = "FileClassListCols";

enum class TempColumn { FileName, Size, FullPath };
inline constexpr std::array<ReportColumn, 3> kTempFilesColumns{
    {{"File Name", 150}, {"Size", 70}, {"Full Path", 320}}};
inline constexpr char kTempFilesColumnsKey[] = "TempFilesListCols";

struct LargestFileRow {
    std::string fileName;
    int number = 0;  // "#": the row's place right after the refresh, which a band's label names
    std::string numberText;
    std::int64_t size = 0;
    std::string sizeText;
    std::string fullPath;
};

// "Date (last mod)" is left to the front end, which knows the user's date format.
struct OldestFileRow {
    std::string fileName;
    std::int64_t size = 0;  // read again when the rows are built
    std::string sizeText;
    std::int64_t time = 0;
    std::string fullPath;
};

struct FileTypeRow {
    std::string typeName;
    std::string extension;
    std::int64_t count = 0;
    std::string countText;
    std::uint64_t total = 0;
    std::string spaceText;
};

struct TempFileRow {
    std::string fileName;
    std::int64_t size = 0;
    std::string sizeText;
    std::string fullPath;
};

// The file types page's display filter: with it on, a type is listed when the total of its
// files reaches minimumKb kilobytes. Any 64-bit minimum works; a negative one lists every type
// that has files.
struct FileTypeFilter {
    bool enabled = false;
    std::int64_t minimumKb = 0;
};

// In heap order (the smallest first), numbered 0, 1, …; entries without a path are skipped.
std::vector<LargestFileRow> largestFileRows(const std::vector<FileSizeEntry>& entries);
// In heap order (the newest first). Each size is read again with lstat, so a link keeps its own
// size, and a file gone since the scan is listed with 0 bytes.
std::vector<OldestFileRow> oldestFileRows(const std::vector<FileTimeEntry>& entries);
// In key order; only types with files, and those the filter lets through.
std::vector<FileTypeRow> fileTypeRows(const std::vector<FileTypeEntry>& entries,
                                      FileTypeFilter filter = {});
// In walk order. Takes the entries, whose paths move into the rows: the list can be long.
std::vector<TempFileRow> tempFileRows(std::vector<TempFileEntry> entries);

// Stable sorts for header clicks: numbers by value ("#" too, so 10 follows 9), texts ignoring
// A-Z case; descending puts the greater first. Rows that compare equal keep their order.
void sortRows(std::vector<LargestFileRow>& rows, LargestColumn column, bool ascending);
void sortRows(std::vector<OldestFileRow>& rows, OldestColumn column, bool ascending);
void sortRows(std::vector<FileTypeRow>& rows, FileTypeColumn column, bool ascending);
void sortRows(std::vector<TempFileRow>& rows, TempColumn column, bool ascending);

// A list's sort column and direction, changed by header clicks: a new column starts in the
// list's first direction (descending for largest, oldest and file types; ascending for temp
// files), the same column toggles it. No column before the first click: storage order.
// Each page keeps one, on the UI thread.
class SortState {
public:
    explicit SortState(bool firstAscending) : m_firstAscending(firstAscending) {}
    void click(int column) {
        m_ascending = m_column == column ? !m_ascending : m_firstAscending;
        m_column = column;
    }
    std::optional<int> column() const { return m_column; }
    bool ascending() const { return m_ascending; }

private:
    bool m_firstAscending;
    std::optional<int> m_column;
    bool m_ascending = false;
};

// True only when nothing is left at `path` (a delete that removed it): rows go only then.
bool fileIsGone(const std::string& path);

}  // namespace tarvolin::reports
