// ListPrinter: a shown list printed as a table, in column passes that fit the page.
#pragma once

#include <vector>

#include <QString>

class QPrinter;
class QWidget;

namespace tarvolin::exports {

class ItemViewTable;
class ListTable;

// The fonts of a printed list; fontconfig stands in the nearest installed face for any missing.
inline constexpr char kPrintBodyFace[] = "Arial";     // rows 9 pt, titles 9 pt bold
inline constexpr char kPrintBandFace[] = "Garamond";  // header 11 pt, footer 9 pt
inline constexpr double kPrintRuleSpace = 10;         // device units below the title rule
inline constexpr double kPrintCellGap = 0.015;        // of a cell's width, on its right

// Shows the print dialog (its "Print to File (PDF)" writes a PDF) and prints the list under a
// wait cursor; UI thread. Cancelled, or no usable printer: nothing happens and nothing is said.
void PrintList(QWidget* owner, const ItemViewTable& table, const QString& jobTitle = {});

// Prints `table`, whose columns are `screenWidths` pixels wide on screen, on a printer that is
// set up. Passes are cut for two thirds of the page width in screen pixels, at
// `screenPixelsPerMm`; each pass shares the full page width among its columns by their screen
// widths. False when the printer could not be used or a page could not be started.
bool printListOn(QPrinter& printer, const ListTable& table, const std::vector<int>& screenWidths,
                 double screenPixelsPerMm, const QString& jobTitle = {});

// Pixels per millimetre of the screen `widget` is on (96 dpi when the screen does not say).
double screenPixelsPerMm(const QWidget* widget);

}  // namespace tarvolin::exports
