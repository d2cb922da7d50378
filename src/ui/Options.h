// Options: every value of the settings key with its type and default, so that no reader
// invents its own default. Readers still read at the moment they need a value.
#pragma once

#include <cstdint>

#include <QColor>
#include <QString>

#include "reports/TempFileList.h"

namespace tarvolin::ui {

struct IntOption {
    const char* name;
    std::int32_t defaultValue;
};

// Window state and column widths default to empty: the reader then keeps its built-in layout.
struct StringOption {
    const char* name;
    const char* defaultValue;
};

struct ColorOption {
    const char* name;
    QColor defaultValue;
};

// Values directly in the settings key. Booleans are 0 or 1.
namespace option {

inline constexpr IntOption kAutoRefresh{"AutoRefresh", 1};
inline constexpr IntOption kRefreshFreq{"RefreshFreq", 4};  // seconds, 1 to 10
inline constexpr IntOption kHistoryCount{"HistoryCount", 10};
inline constexpr IntOption kShowSplash{"ShowSplash", 1};
inline constexpr IntOption kShowWelcomeScreen{"ShowWelcomeScreen", 1};
inline constexpr IntOption kShowFolderFiles{"ShowFolderFiles", 1};
inline constexpr IntOption kDetailListSortCol{"DetailListSortCol", -1};  // -1: unsorted
inline constexpr IntOption kDetailListSortDir{"DetailListSortDir", 1};
inline constexpr IntOption kSplitterSizeCur{"SplitterSizeCur", 0};  // <= 0: half the height
inline constexpr IntOption kKeepScanHistory{"KeepScanHistory", 1};

inline constexpr StringOption kWindowPos{"WindowPos", ""};
inline constexpr StringOption kTarvolinViewCols{"TarvolinViewCols", ""};
inline constexpr StringOption kFileClassListCols{"FileClassListCols", ""};
inline constexpr StringOption kLargestFilesListCols{"LargestFilesListCols", ""};
inline constexpr StringOption kOldestFilesListCols{"OldestFilesListCols", ""};
inline constexpr StringOption kTempFilesListCols{"TempFilesListCols", ""};
inline constexpr StringOption kEnumErrorReportList{"EnumErrorReportList", ""};

inline constexpr ColorOption kFileColorNormal{"FileColorNormal", QColor(0, 0, 0)};
inline constexpr ColorOption kFileColorCompressed{"FileColorCompressed", QColor(255, 0, 0)};
inline constexpr ColorOption kFileColorHidden{"FileColorHidden", QColor(0, 0, 127)};
inline constexpr ColorOption kFileColorReadOnly{"FileColorReadOnly", QColor(128, 128, 128)};
inline constexpr ColorOption kFileColorSystem{"FileColorSystem", QColor(127, 0, 0)};

inline constexpr ColorOption kGraphBackPrimary{"GraphBackPrimary", QColor(255, 255, 255)};
inline constexpr ColorOption kGraphBackSecondary{"GraphBackSecondary", QColor(95, 158, 160)};
inline constexpr IntOption kUseGradientGraphBack{"UseGradientGraphBack", 1};
// 0 vertical, 1 horizontal, 2 forward diagonal, 3 backward diagonal
inline constexpr IntOption kGraphGradientEffectType{"GraphGradientEffectType", 0};
inline constexpr StringOption kGraphTitleFontFaceName{"GraphTitleFontFaceName", "Arial"};
inline constexpr StringOption kGraphLabelFontFaceName{"GraphLabelFontFaceName", "Arial"};

inline constexpr IntOption kReportIncludeGraphImage{"ReportIncludeGraphImage", 1};
inline constexpr IntOption kReportIncludeDriveSpace{"ReportIncludeDriveSpace", 1};
inline constexpr IntOption kReportLaunchBrowser{"ReportLaunchBrowser", 1};
inline constexpr IntOption kTextIncludeColHdrs{"TextIncludeColHdrs", 1};
inline constexpr IntOption kTextQuoteFields{"TextQuoteFields", 0};

inline constexpr StringOption kTempFileMask{"TempFileMask", reports::kDefaultTempFileMask};
inline constexpr IntOption kFileTypeReportMinFileSize{"FileTypeReportMinFileSize", 0};  // KB
inline constexpr IntOption kFileTypeReportMinFileSizeFilter{"FileTypeReportMinFileSizeFilter", 0};
inline constexpr IntOption kAutoCloseGraphScanDlg{"AutoCloseGraphScanDlg", 0};

// History lists, each in the subkey ComboHistory/<name> (see CHistoryCombo).
inline constexpr const char* kPathHistory = "PathHistory";
inline constexpr const char* kReportPathHistory = "ReportPathHistory";

// Application profile sections (see GetProfileString / GetProfileBinary).
inline constexpr const char* kBarState = "BarState";  // QMainWindow::saveState bytes
inline constexpr const char* kReportDlgWindows = "ReportDlgWindows";
inline constexpr const char* kFolderErrorDlgWnd = "FolderErrorDlgWnd";
inline constexpr const char* kWindowPlacement = "WindowPlacement";  // entry in the two above

}  // namespace option

// Typed access to the table through the settings key. Integers come back signed, so
// "DetailListSortCol" reads as -1 when unset.
std::int32_t readOption(const IntOption& option);
QString readOption(const StringOption& option);
QColor readOption(const ColorOption& option);
bool writeOption(const IntOption& option, std::int32_t value);
bool writeOption(const StringOption& option, const QString& text);
bool writeOption(const ColorOption& option, const QColor& color);

}  // namespace tarvolin::ui
