#include "exports/PrintLayout.h"

namespace tarvolin::exports {

std::vector<std::vector<int>> columnPasses(const std::vector<int>& screenWidths, double budget) {
    std::vector<std::vector<int>> passes;
    const int columns = static_cast<int>(screenWidths.size());
    if (columns < 2) return passes;
    std::vector<int> pass{0};
    double sum = screenWidths[0];
    for (int column = 1; column < columns; ++column) {
        pass.push_back(column);
        sum += screenWidths[column];
        if (sum > budget || column == columns - 1) {
            passes.push_back(pass);
            pass.assign(1, 0);
            sum = screenWidths[0];
        }
    }
    return passes;
}

BandText splitBandText(std::string_view text) {
    constexpr char kCentre = '\x1F';
    constexpr char kRight = '\x1E';
    BandText band;
    std::string* part = &band.left;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == kCentre || c == kRight) {
            if (i + 1 < text.size() && text[i + 1] == c) {
                *part += c;
                ++i;
            } else {
                part = c == kCentre ? &band.centre : &band.right;
            }
            continue;
        }
        *part += c;
    }
    return band;
}

}  // namespace tarvolin::exports
