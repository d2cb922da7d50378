// NumberText: the lenient and the strict number parsing of stored texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include <QString>
#include <QStringView>

namespace tarvolin::ui {

// C atoi: leading blanks, a sign, then digits up to the first other character; no digits give 0.
// Overlong numbers wrap instead of being undefined.
int atoiText(QStringView text);

// Exactly `count` comma-separated integers, blanks around each allowed; anything else fails.
std::optional<std::vector<int>> parseExactNumbers(QStringView text, int count);

QString joinNumbers(const std::vector<int>& numbers);  // "1,2,3"

// The text forms of stored values. Each gives nothing (or 0) for what is broken, so that the
// reader keeps its default for exactly that part.

// A stored integer: a decimal number, blanks around it allowed, from -2^63 to 2^63 - 1, of which
// the low 32 bits are kept ("-1" and "4294967295" both give 0xFFFFFFFF).
std::optional<std::uint32_t> parseStoredInt(QStringView text);

// "red:green:blue": the first three of the ":"-separated numbers (runs of ":" count as one),
// each read like atoi and reduced to its low 8 bits; nothing when there are fewer than three.
std::optional<std::array<int, 3>> parseColorNumbers(QStringView text);

// Column widths "300,100,,125": one entry per number (runs of "," count as one), read like atoi
// as a 16-bit value; 0 where that is not a positive width.
std::vector<int> parseWidthList(QStringView text);

// The index n of a history value named `listName` followed by the decimal digits of n
// ("PathHistory12" gives 12); -1 for any other name.
int historyIndexOf(QStringView valueName, QStringView listName);

}  // namespace tarvolin::ui
