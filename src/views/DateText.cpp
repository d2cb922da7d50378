#include "views/DateText.h"

#include <QDateTime>
#include <QLocale>

namespace tarvolin::views {

QString localDateText(std::int64_t secondsSince1970) {
    const QDateTime time = QDateTime::fromSecsSinceEpoch(secondsSince1970, Qt::LocalTime);
    if (!time.isValid()) return {};
    const QLocale locale;
    const bool midnight = time.time() == QTime(0, 0);
    // The C locale's short form spells the month out and is cut in the default column; without
    // a locale the date reads as the terminal commands print it.
    if (locale.language() == QLocale::C) {
        return time.toString(midnight ? QStringLiteral("yyyy-MM-dd")
                                      : QStringLiteral("yyyy-MM-dd HH:mm"));
    }
    if (midnight) return locale.toString(time.date(), QLocale::ShortFormat);
    return locale.toString(time, QLocale::ShortFormat);
}

}  // namespace tarvolin::views
