// ReportCollections: the results of the last report scan, fed by the report walker.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "reports/FileTypeTable.h"
#include "reports/TempFileList.h"
#include "reports/TopFileList.h"
#include "scan/ReportSink.h"

namespace tarvolin::reports {

// Copies of all four collections, taken under one lock, so they belong to the same moment.
struct ReportSnapshot {
    std::vector<FileSizeEntry> largest;  // heap order, the smallest first
    std::vector<FileTimeEntry> oldest;   // heap order, the newest first
    std::vector<FileTypeEntry> types;    // key order, count 0 included
    std::vector<TempFileEntry> temp;     // walk order
};

// LargestFiles, OldestFiles, FileTypeTable and TempFileList behind one mutex. Lives as long as
// the process's report results (the application keeps one, shared with every report request);
// the scan thread writes it through the ReportSink calls:
//   reset() → addFile(file)… in walk order
// and the UI reads it only through copies, so nothing it shows can be freed by the next scan
// or by emptyFileTypes(), and a walk abandoned by a stop never races the UI.
class ReportCollections final : public scan::ReportSink {
public:
    explicit ReportCollections(FileTypeNameFunction typeName = {});
    ReportCollections(const ReportCollections&) = delete;
    ReportCollections& operator=(const ReportCollections&) = delete;

    // Scan thread. reset: the top lists and the temp matches are emptied, the file types keep
    // their keys with count 0. addFile feeds file types, largest, oldest (only with a time),
    // then temp files.
    void reset() override;
    void addFile(const scan::ReportFile& file) override;
    // A part keeps only what can still reach the collections (see ReportCollections.cpp).
    std::unique_ptr<scan::ReportPart> newPart() const override;
    void merge(scan::ReportPart& part) override;

    // Forgets every file type, names included (the generator closing).
    void emptyFileTypes();
    // Parses the temp file mask at once; it applies to the files offered from now on. True
    // when the mask has at least one pattern.
    bool setTempFileMask(std::string_view mask);
    bool tempFileMaskParsed() const;
    std::vector<std::string> tempFilePatterns() const;
    // Files deleted from the temp page leave the matches, so no later read brings them back.
    std::size_t removeTempFiles(const std::vector<std::string>& paths);

    ReportSnapshot snapshot() const;
    std::vector<FileSizeEntry> largestFiles() const;
    std::vector<FileTimeEntry> oldestFiles() const;
    std::vector<FileTypeEntry> fileTypes() const;
    std::vector<TempFileEntry> tempFiles() const;

private:
    mutable std::mutex m_mutex;
    LargestFiles m_largest;
    OldestFiles m_oldest;
    FileTypeTable m_types;
    TempFileList m_temp;
};

}  // namespace tarvolin::reports
