#include "scan/ListingSorter.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/NameOrder.h"

namespace tarvolin::scan {
namespace {

// The first eight bytes of a name with A-Z folded, as a number that orders like the bytes
// (zero-padded: no name holds a NUL, so a shorter name still comes first).
std::uint64_t foldedPrefix(std::string_view name) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::uint64_t bytes = 0;
    std::memcpy(&bytes, name.data(), std::min<std::size_t>(name.size(), 8));
    // All eight bytes at once: a byte is upper case when its low seven bits lie in 'A'..'Z'
    // and its own high bit is clear; adding 0x20 to those folds them.
    const std::uint64_t low7 = bytes & ~kHighBits;
    const std::uint64_t atLeastA = low7 + (0x80 - 'A') * kOnes;
    const std::uint64_t aboveZ = low7 + (0x80 - 'Z' - 1) * kOnes;
    const std::uint64_t upper = atLeastA & ~aboveZ & ~bytes & kHighBits;
    bytes |= upper >> 2;
    if constexpr (std::endian::native == std::endian::little) bytes = __builtin_bswap64(bytes);
    return bytes;
}

}  // namespace

// Most names differ within their first eight bytes, so one integer comparison usually decides
// and the full comparison runs only on ties.
void ListingSorter::sortByName(Listing& listing) {
    const std::size_t count = listing.entries.size();
    m_items.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        m_items[i] = {foldedPrefix(listing.name(listing.entries[i])),
                      static_cast<std::uint32_t>(i)};
    }
    std::sort(m_items.begin(), m_items.end(), [&listing](const Item& a, const Item& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        return compareNames(listing.name(listing.entries[a.index]),
                            listing.name(listing.entries[b.index])) < 0;
    });
    m_sorted.clear();
    for (const Item& item : m_items)
        m_sorted.push_back(listing.entries[item.index]);
    listing.entries.swap(m_sorted);
}

}  // namespace tarvolin::scan
