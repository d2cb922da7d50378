#include "common/NameOrder.h"

#include <algorithm>

namespace tarvolin {
namespace {

inline unsigned char fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

}  // namespace

int compareNames(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    int rawOrder = 0;
    for (std::size_t i = 0; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca == cb) continue;
        const unsigned char fa = fold(ca);
        const unsigned char fb = fold(cb);
        if (fa != fb) return fa < fb ? -1 : 1;
        if (rawOrder == 0) rawOrder = ca < cb ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return rawOrder;
}

}  // namespace tarvolin
