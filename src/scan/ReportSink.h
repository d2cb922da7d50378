// ReportSink: receives every file that a report scan meets.
#pragma once

#include <cstdint>
#include <memory>
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

// The files of one subfolder that another thread walks while the report walk is still before
// it. The walk merges the part when it reaches the subfolder, so the sink ends up as if every
// file had come through addFile in walk order.
class ReportPart {
public:
    virtual ~ReportPart() = default;
    virtual void addFile(const ReportFile& file) = 0;
    // Takes what `later`, a part of the same sink, gathered after this part's files so far.
    virtual void merge(ReportPart& later) = 0;
};

// Called on the scan thread: reset() when a report scan is taken up, then addFile() per file in
// walk order, or merge() for a subfolder walked on another thread. Whoever reads the results on
// another thread guards them itself.
//
// The default part records every file and replays it, which suits any sink; a sink whose
// results keep little of what it is offered gathers less in its own parts.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void reset() = 0;
    virtual void addFile(const ReportFile& file) = 0;
    // Any thread may ask for a part while files are being added.
    virtual std::unique_ptr<ReportPart> newPart() const;
    virtual void merge(ReportPart& part);
};

}  // namespace tarvolin::scan
