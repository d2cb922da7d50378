#include "common/SizeText.h"

#include <array>
#include <cstdio>

namespace tarvolin {
namespace {

constexpr std::array<const char*, 6> kUnits = {"KB", "MB", "GB", "TB", "PB", "EB"};

// floor(value * 100 / 2^shift) without overflow for value < 2^shift and shift <= 60: the low
// 30 bits are divided first and carried, which keeps the result exact.
std::uint64_t hundredthsOf(std::uint64_t value, unsigned shift) {
    if (shift <= 50) return (value * 100) >> shift;
    const std::uint64_t high = value >> 30;
    const std::uint64_t low = value & ((std::uint64_t{1} << 30) - 1);
    return (high * 100 + ((low * 100) >> 30)) >> (shift - 30);
}

}  // namespace

std::string formatSize(std::int64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " bytes";

    const auto value = static_cast<std::uint64_t>(bytes);
    // A signed 64-bit count stays below 8 EB, so the loop always ends with whole < 1000.
    unsigned unit = 1;
    while (unit < kUnits.size() && (value >> (10 * unit)) >= 1000)
        ++unit;

    const unsigned shift = 10 * unit;
    const std::uint64_t whole = value >> shift;
    const std::uint64_t hundredths = hundredthsOf(value & ((std::uint64_t{1} << shift) - 1), shift);
    const char* name = kUnits[unit - 1];

    char text[48];
    if (whole >= 100) {
        std::snprintf(text, sizeof text, "%llu %s", static_cast<unsigned long long>(whole), name);
    } else if (whole >= 10) {
        std::snprintf(text, sizeof text, "%llu.%llu %s", static_cast<unsigned long long>(whole),
                      static_cast<unsigned long long>(hundredths / 10), name);
    } else {
        std::snprintf(text, sizeof text, "%llu.%02llu %s", static_cast<unsigned long long>(whole),
                      static_cast<unsigned long long>(hundredths), name);
    }
    return text;
}

std::string formatCount(std::int64_t count) {
    const bool negative = count < 0;
    // Unsigned so that the most negative value does not overflow on negation.
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(count) : static_cast<std::uint64_t>(count);
    std::string digits = std::to_string(magnitude);
    std::string text;
    text.reserve(digits.size() + digits.size() / 3 + 1);
    if (negative) text += '-';
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

}  // namespace tarvolin
