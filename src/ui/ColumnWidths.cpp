#include "ui/ColumnWidths.h"

#include "ui/NumberText.h"
#include "ui/SettingsStore.h"

#include <QHeaderView>

#include <algorithm>
#include <vector>

namespace tarvolin::ui {

void saveColumnWidths(const QHeaderView* header, const QString& valueName) {
    if (header == nullptr || header->count() == 0) return;
    std::vector<int> widths;
    for (int column = 0; column < header->count(); ++column)
        widths.push_back(header->sectionSize(column));
    SetRegString(QString(), valueName, joinNumbers(widths));
}

void loadColumnWidths(QHeaderView* header, const QString& valueName) {
    if (header == nullptr) return;
    const std::vector<int> widths = parseWidthList(GetRegString(QString(), valueName, QString()));
    const int count = std::min(static_cast<int>(widths.size()), header->count());
    for (int column = 0; column < count; ++column) {
        // A width of 0 would hide the column for good: the column keeps its own instead.
        if (widths[column] > 0) header->resizeSection(column, widths[column]);
    }
}

}  // namespace tarvolin::ui
