#include "views/FolderTreeNameOrder.h"

#include <QStringView>

namespace tarvolin::views {
namespace {

// The run of digits, or of non-digits, that starts at `from`.
QStringView runAt(const QString& text, qsizetype from) {
    const bool digits = text.at(from).isDigit();
    qsizetype end = from + 1;
    while (end < text.size() && text.at(end).isDigit() == digits)
        ++end;
    return QStringView(text).mid(from, end - from);
}

int compareNumbers(QStringView a, QStringView b) {
    while (a.size() > 1 && a.front() == u'0')
        a = a.mid(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.mid(1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const int da = a[i].digitValue();
        const int db = b[i].digitValue();
        if (da != db) return da < db ? -1 : 1;
    }
    return 0;
}

}  // namespace

FolderTreeNameOrder::FolderTreeNameOrder() {
    // The C locale's collation has no numeric mode, so numbers are compared here for every
    // locale and the collator only sees the runs of letters.
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
}

int FolderTreeNameOrder::compare(const QString& a, const QString& b) const {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const QStringView runA = runAt(a, i);
        const QStringView runB = runAt(b, j);
        const bool numberA = runA.front().isDigit();
        const bool numberB = runB.front().isDigit();
        int order = 0;
        if (numberA && numberB)
            order = compareNumbers(runA, runB);
        else if (numberA != numberB)
            order = numberA ? -1 : 1;  // digits before letters, as the collation puts them
        else
            order = m_collator.compare(runA, runB);
        if (order != 0) return order < 0 ? -1 : 1;
        i += runA.size();
        j += runB.size();
    }
    if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
    const int raw = a.compare(b);
    return raw < 0 ? -1 : (raw > 0 ? 1 : 0);
}

}  // namespace tarvolin::views
