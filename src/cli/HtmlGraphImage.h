// HtmlGraphImage: the bar graph picture of the terminal's HTML report, drawn without widgets.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarvolin::cli {

struct GraphBar {
    std::string name;  // bytes, as on disk
    std::int64_t size = 0;
};

// Draws what the window's bar graph exports for a scan with the default settings (gradient
// background, Arial, the fixed palette, no anti-aliasing): `title` and the `subtitle` box above
// one bar per folder, `width` pixels wide, and writes it as JPEG to `path`. Throws
// CAppException when the picture cannot be drawn or written.
void writeGraphImage(const std::string& path, const std::string& title, const std::string& subtitle,
                     const std::vector<GraphBar>& bars, int width);

}  // namespace tarvolin::cli
