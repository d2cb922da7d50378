// The one name order of the program: listings, tree text, error order and the Name sort.
#pragma once

#include <string_view>

namespace tarvolin {

// Compares the bytes after mapping A-Z to a-z (unsigned, nothing else folded); ties are broken by
// the raw bytes, so two different names never compare equal. <0, 0 or >0.
int compareNames(std::string_view a, std::string_view b);

inline bool nameLess(std::string_view a, std::string_view b) {
    return compareNames(a, b) < 0;
}

}  // namespace tarvolin
