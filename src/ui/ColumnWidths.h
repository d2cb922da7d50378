// ColumnWidths: a header's section widths kept in the settings key as "300,100,125,75".
#pragma once

#include <QString>

class QHeaderView;

namespace tarvolin::ui {

// Stores the width of every section, in logical column order. A missing header, or one that
// has no sections (its model already gone), stores nothing, so the saved widths survive.
void saveColumnWidths(const QHeaderView* header, const QString& valueName);

// Gives the n-th stored number to the n-th section. Runs of commas count as one separator,
// numbers beyond the last section are ignored, and sections without a number, or whose number
// is garbage or not a positive 16-bit width, keep their width. Call it once the model's columns
// exist.
void loadColumnWidths(QHeaderView* header, const QString& valueName);

}  // namespace tarvolin::ui
