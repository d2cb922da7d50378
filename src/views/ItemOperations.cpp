#include "views/ItemOperations.h"

#include <QByteArray>

namespace tarvolin::views {

QUrl fileUrl(const std::string& path) {
    return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
}

}  // namespace tarvolin::views
