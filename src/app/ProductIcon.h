// ProductIcon: the program's icon and banner, drawn rather than shipped as bitmaps.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tarvolin::app {

// Bars of falling height on a disk: what the program shows, at any size.
QIcon productIcon();
QPixmap productBanner(int width, int height);

}  // namespace tarvolin::app
