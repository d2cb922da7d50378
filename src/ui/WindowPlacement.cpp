#include "ui/WindowPlacement.h"

#include "ui/NumberText.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdint>

namespace tarvolin::ui {

QString formatPlacement(const WindowPlacement& placement) {
    const QRect& r = placement.normalRect;
    return QString::number(placement.flags) + u',' + QString::number(placement.showCommand) + u',' +
           joinNumbers({placement.minPosition.x(), placement.minPosition.y(),
                        placement.maxPosition.x(), placement.maxPosition.y(), r.left(), r.top(),
                        r.left() + r.width(), r.top() + r.height()});
}

std::optional<WindowPlacement> parsePlacement(const QString& text) {
    const auto parts = QStringView(text).split(u',');
    if (parts.size() != 10) return std::nullopt;
    qint64 v[10];
    for (int i = 0; i < 10; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toLongLong(&ok);
        // The flags and the show command are written unsigned and read like "%u", which also
        // takes a negative number; the coordinates are ints.
        const qint64 high = i < 2 ? qint64(UINT32_MAX) : qint64(INT32_MAX);
        if (!ok || v[i] < INT32_MIN || v[i] > high) return std::nullopt;
    }
    const auto at = [&v](int i) { return static_cast<int>(v[i]); };
    WindowPlacement placement;
    placement.flags = static_cast<std::uint32_t>(v[0]);
    placement.showCommand = static_cast<std::uint32_t>(v[1]);
    placement.minPosition = QPoint(at(2), at(3));
    placement.maxPosition = QPoint(at(4), at(5));
    placement.normalRect = rectFromEdges(at(6), at(7), at(8), at(9));
    return placement;
}

QRect rectFromEdges(int left, int top, int right, int bottom) {
    // Edges from a hand-edited text may lie further apart than an int can say.
    const qint64 width = qint64(right) - left;
    const qint64 height = qint64(bottom) - top;
    if (width <= 0 || height <= 0 || width > kMaxExtent || height > kMaxExtent) return {};
    return QRect(left, top, static_cast<int>(width), static_cast<int>(height));
}

bool isOnAnyScreen(const QRect& rect) {
    if (rect.isEmpty()) return false;
    // A window larger than the whole desktop would have its edges out of reach.
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) return false;
    const QSize desktop = primary->virtualGeometry().size();
    if (rect.width() > desktop.width() || rect.height() > desktop.height()) return false;
    const QPoint centre = rect.center();
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().contains(centre)) return true;
    }
    return false;
}

}  // namespace tarvolin::ui
