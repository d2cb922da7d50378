// ListExport: a shown list saved as comma- or tab-separated text, or put on the clipboard.
#pragma once

#include <QString>

class QWidget;

namespace tarvolin::exports {

class ListTable;

inline constexpr char kUnrecognizedExportFormatText[] = "Error - unrecognized export file format";
inline constexpr char kExportFileFilter[] =
    "Comma separated values (*.csv);;Tab-separated values (*.txt)";
inline constexpr char kExportDefaultName[] = "tvreport";

// Asks for a file ("tvreport.csv" offered) and writes the list there; UI thread, `owner` the
// dialogs' parent. Errors are shown here.
void ExportListToFile(QWidget* owner, const ListTable& table);

// What ExportListToFile does once a name was chosen: the extension picks the separator ("csv"
// a comma, "txt" a tab, any case), whatever the dialog's filter said; any other extension is
// refused with a message. "TextIncludeColHdrs" and "TextQuoteFields" shape the text, lines end
// in CR LF. An empty text creates no file. False when nothing was written.
bool exportListToPath(QWidget* owner, const ListTable& table, const QString& path);

// The list as comma-separated text with CR LF line ends on the clipboard, shaped by the same
// two options. An empty text leaves the clipboard as it was.
void CopyListToClipboard(const ListTable& table);

}  // namespace tarvolin::exports
