// WindowPlacement: a top-level window's stored position and show state, and its text form
// "flags,show command,min x,min y,max x,max y,left,top,right,bottom".
#pragma once

#include <cstdint>
#include <optional>

#include <QPoint>
#include <QRect>
#include <QString>

namespace tarvolin::ui {

// Show commands as stored; other values restore a normal window.
inline constexpr std::uint32_t kShowNormal = 1;
inline constexpr std::uint32_t kShowMinimized = 2;
inline constexpr std::uint32_t kShowMaximized = 3;
inline constexpr std::uint32_t kShow = 5;  // what a window closed while minimised comes back as
inline constexpr std::uint32_t kMinimize = 6;
inline constexpr std::uint32_t kShowMinNoActive = 7;

struct WindowPlacement {
    std::uint32_t flags = 0;
    std::uint32_t showCommand = kShowNormal;
    QPoint minPosition{-1, -1};
    QPoint maxPosition{-1, -1};
    QRect normalRect;  // the window's geometry when neither minimised nor maximised

    bool operator==(const WindowPlacement&) const = default;
};

// The normal rectangle is stored with exclusive right and bottom edges: a 490 x 390 window at
// (10,10) is "10,10,500,400".
QString formatPlacement(const WindowPlacement& placement);
// Exactly ten numbers, or nothing.
std::optional<WindowPlacement> parsePlacement(const QString& text);

// Right and bottom exclusive; an empty rectangle when the edges are crossed or further apart
// than kMaxExtent.
QRect rectFromEdges(int left, int top, int right, int bottom);
inline constexpr int kMaxExtent = 1 << 24;  // far beyond any desktop, well inside an int

// A stored rectangle is applied only when it is not empty, no larger than the desktop and its
// centre lies on a screen that is attached now, so a window saved on a removed monitor or
// edited by hand does not come back out of reach.
bool isOnAnyScreen(const QRect& rect);

}  // namespace tarvolin::ui
