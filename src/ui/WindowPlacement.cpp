#include "ui/WindowPlacement.h"

#include "ui/NumberText.h"

#include <QGuiApplication>
#include <QScreen>

namespace tarvolin::ui {

QString formatPlacement(const WindowPlacement& placement) {
    const QRect& r = placement.normalRect;
    return QString::number(placement.flags) + u',' + QString::number(placement.showCommand) + u',' +
           joinNumbers({placement.minPosition.x(), placement.minPosition.y(),
                        placement.maxPosition.x(), placement.maxPosition.y(), r.left(), r.top(),
                        r.left() + r.width(), r.top() + r.height()});
}

std::optional<WindowPlacement> parsePlacement(const QString& text) {
    const auto n = parseExactNumbers(text, 10);
    if (!n) return std::nullopt;
    const auto& v = *n;
    WindowPlacement placement;
    placement.flags = static_cast<std::uint32_t>(v[0]);
    placement.showCommand = static_cast<std::uint32_t>(v[1]);
    placement.minPosition = QPoint(v[2], v[3]);
    placement.maxPosition = QPoint(v[4], v[5]);
    placement.normalRect = rectFromEdges(v[6], v[7], v[8], v[9]);
    return placement;
}

QRect rectFromEdges(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

bool isOnAnyScreen(const QRect& rect) {
    if (rect.isEmpty()) return false;
    const QPoint centre = rect.center();
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().contains(centre)) return true;
    }
    return false;
}

}  // namespace tarvolin::ui
