// The main window's command ids. They keep the values the commands have always had, so that
// stored layouts and anyone reading old notes can match them; Qt itself never sees them.
#pragma once

namespace tarvolin::app::command {

inline constexpr int kStopScan = 154;
inline constexpr int kPrint = 57607;
inline constexpr int kExportHtml = 189;
inline constexpr int kExportDetailsToFile = 32823;
inline constexpr int kExportDetailsToClipboard = 32827;
inline constexpr int kGraphImageToFile = 32825;
inline constexpr int kGraphImageToClipboard = 32826;
inline constexpr int kExit = 57665;
inline constexpr int kShowToolbar = 59392;
inline constexpr int kShowStatusBar = 59393;
inline constexpr int kShowFolderBrowser = 132;
inline constexpr int kShowDriveSpace = 202;
inline constexpr int kShowGraphView = 32853;
inline constexpr int kShowFiles = 32804;
inline constexpr int kPrevious = 32792;
inline constexpr int kNext = 32793;
inline constexpr int kUp = 32797;
inline constexpr int kRefresh = 32784;
inline constexpr int kOptions = 173;
inline constexpr int kAddRemovePrograms = 165;
inline constexpr int kUpdateCheck = 32788;
inline constexpr int kCompareWithEarlierScan = 32860;
inline constexpr int kLargestFiles = 147;
inline constexpr int kReports = 32822;  // the toolbar's drop-down; opens the largest files page
inline constexpr int kOldestFiles = 148;
inline constexpr int kFileTypes = 32805;
inline constexpr int kTempFiles = 32832;
inline constexpr int kHelpContents = 32808;
inline constexpr int kBlog = 32811;
inline constexpr int kShowWelcome = 32852;
inline constexpr int kAbout = 57664;

}  // namespace tarvolin::app::command
