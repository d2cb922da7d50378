// HtmlReport: the web page of a scan (headings, drive table, details table, graph picture) with
// its style sheet beside it.
#pragma once

#include <functional>
#include <string>

#include "exports/ListTable.h"

namespace tarvolin::exports {

inline constexpr char kStyleSheetName[] = "style.css";
inline constexpr char kGraphImageName[] = "graph.jpg";

struct HtmlReportContent {
    std::string dateText;                // when the report was made, as the user reads dates
    std::string path;                    // the scanned folder
    const ListTable* drives = nullptr;   // none: no drive space table
    const ListTable* details = nullptr;  // the details list; must be set
    bool includeGraph = false;           // graph.jpg beside the page, shown below the table
};

// The page, every line ended by CR LF; UTF-8, with all inserted texts escaped.
std::string htmlReportText(const HtmlReportContent& content);

// Writes the picture of the graph as JPEG to the path given. False when the picture could not
// be drawn (the writer has told the user); throws CAppException when it cannot be written.
using GraphImageWriter = std::function<bool(const std::string& path)>;

// Writes the report at `pagePath`: style.css copied from `templatePath` (a missing template
// leaves the page unstyled), graph.jpg through `writeGraph` when the content includes it, then
// the page itself, whole or not at all. The page is written only once the picture is: false
// when it could not be drawn; a CAppException from the picture or the page goes to the caller.
bool writeHtmlReport(const std::string& pagePath, const HtmlReportContent& content,
                     const std::string& templatePath, const GraphImageWriter& writeGraph);

}  // namespace tarvolin::exports
