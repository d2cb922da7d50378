#include "reports/MimeFileTypeName.h"

#include <QMimeDatabase>
#include <QString>

namespace tarvolin::reports {

std::string mimeFileTypeName(std::string_view extension) {
    if (extension.empty()) return {};
    // Patterns such as "*.txt" want a stem before the dot, and a one-letter stem matches no
    // pattern of its own.
    const QString name =
        QLatin1Char('x') +
        QString::fromLocal8Bit(extension.data(), static_cast<qsizetype>(extension.size()));
    const QList<QMimeType> types = QMimeDatabase().mimeTypesForFileName(name);
    if (types.isEmpty()) return {};
    return types.front().comment().toStdString();
}

}  // namespace tarvolin::reports
