// tarvolin-cli html: the HTML report of a folder, written without a display.
#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

namespace tarvolin::cli {

// The width of the graph picture, in pixels: the graph pane of a window 1100 pixels wide.
inline constexpr int kHtmlGraphWidth = 800;

// PATH -o FILE [--no-drives] [--no-graph]: scans PATH and writes FILE, style.css and graph.jpg
// as the window's HTML report would with the default settings and sort, without opening a
// browser. Draws with QtGui on the offscreen platform, so it needs no display and no widgets.
// Returns the exit code.
int runHtmlCommand(const std::vector<std::string_view>& arguments, std::FILE* out,
                   std::FILE* errors);

}  // namespace tarvolin::cli
