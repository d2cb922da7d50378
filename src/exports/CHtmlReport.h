// CHtmlReport: the main window's HTML report command.
#pragma once

#include <functional>
#include <string>

#include <QString>

class QAbstractItemView;
class QWidget;

namespace tarvolin::exports {

inline constexpr char kBrowserLaunchFailedText[] =
    "Failed to launch default browser to view report";
inline constexpr char kHtmlReportFilter[] = "HTML Report (*.html)";

// What the report shows, all owned by the main window.
struct HtmlReportSources {
    std::string path;                                   // the current path, bytes
    const QAbstractItemView* drives = nullptr;          // the drive space list
    const QAbstractItemView* details = nullptr;         // the details list
    std::function<bool(const std::string&)> drawGraph;  // writes graph.jpg; see HtmlReport.h
};

// Asks for the page's name ("tvreport.html" offered), writes the report and opens it in the
// browser as the options say; every error is shown here. UI thread.
void GenerateHtmlReport(QWidget* owner, const HtmlReportSources& sources);

// What GenerateHtmlReport does once a name was chosen: the report, its errors shown in boxes,
// then the browser. True when the page was written.
bool writeHtmlReportTo(QWidget* owner, const QString& pagePath, const HtmlReportSources& sources);

// The report itself, as the options "ReportIncludeDriveSpace" and "ReportIncludeGraphImage" say;
// nothing is shown. False when the graph could not be drawn (no page then); throws
// CAppException when a file cannot be written.
bool writeHtmlReportFiles(const QString& pagePath, const HtmlReportSources& sources);

}  // namespace tarvolin::exports
