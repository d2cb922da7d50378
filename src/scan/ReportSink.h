// ReportSink: receives every file that a report scan meets.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarvolin::scan {

// One file of a report scan; the views are valid only during the call.
struct ReportFile {
    std::string_view name;
    std::string_view path;  // full path; name == path.substr(nameOffset)
    std::size_t nameOffset = 0;
    std::int64_t size = 0;
    std::int64_t lastWriteTime = 0;
    bool hasTime = true;  // false when the time could not be converted
    std::uint32_t attributes = 0;
};

// Called on the scan thread: reset() when a report scan is taken up, then addFile() per file in
// walk order. Whoever reads the results on another thread guards them itself.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void reset() = 0;
    virtual void addFile(const ReportFile& file) = 0;
};

}  // namespace tarvolin::scan
