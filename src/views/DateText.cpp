#include "views/DateText.h"

#include <QDateTime>
#include <QLocale>

namespace tarvolin::views {

QString localDateText(std::int64_t secondsSince1970) {
    const QDateTime time = QDateTime::fromSecsSinceEpoch(secondsSince1970, Qt::LocalTime);
    if (!time.isValid()) return {};
    const QLocale locale;
    if (time.time() == QTime(0, 0)) return locale.toString(time.date(), QLocale::ShortFormat);
    return locale.toString(time, QLocale::ShortFormat);
}

}  // namespace tarvolin::views
