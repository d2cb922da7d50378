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
    const QString text = GetRegString(QString(), valueName, QString());
    const auto numbers = QStringView(text).split(u',', Qt::SkipEmptyParts);
    const int count = std::min(static_cast<int>(numbers.size()), header->count());
    for (int column = 0; column < count; ++column) {
        // Widths travel as 16-bit values; a negative one would break the header's layout.
        const int width = static_cast<qint16>(atoiText(numbers[column]));
        header->resizeSection(column, std::max(width, 0));
    }
}

}  // namespace tarvolin::ui
