// ListingSorter: puts a listing's entries in the program's name order.
#pragma once

#include <cstdint>
#include <vector>

#include "scan/DirectoryReader.h"

namespace tarvolin::scan {

// One per thread that reads listings; its scratch storage is reused for every folder.
class ListingSorter {
public:
    void sortByName(Listing& listing);

private:
    struct Item {
        std::uint64_t prefix;  // the first eight folded bytes, ordered like the bytes
        std::uint32_t index;
    };
    std::vector<Item> m_items;
    std::vector<DirEntry> m_sorted;
};

}  // namespace tarvolin::scan
