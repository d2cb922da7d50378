// ScanRequest: what the UI thread hands to the scan thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tarvolin::scan {

class CTarvolinDoc;
class ReportSink;
class ScanListener;

enum class ScanMode : std::int32_t { Folder = 0, Report = 1 };

// Shared pointers: a walk abandoned at exit may still use them after the caller has gone.
struct ScanRequest {
    std::string path;                        // one trailing "/" is removed on submission
    std::shared_ptr<ScanListener> listener;  // required
    ScanMode mode = ScanMode::Folder;        // values other than Folder and Report do nothing
    bool bypassCache = false;                // folder scan: walk cached folders again
    // Folder scan: cache only the folders listed in the document and free the others once
    // their totals are added up. For a scan whose folders below are never shown (the command
    // line's): no memory for them, and nothing to free at the end.
    bool cacheListedOnly = false;
    std::shared_ptr<CTarvolinDoc> document;  // folder scan: receives the children
    std::shared_ptr<ReportSink> reportSink;  // report scan: receives every file (may be null)
};

}  // namespace tarvolin::scan
