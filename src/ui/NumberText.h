// NumberText: the lenient and the strict number parsing of stored texts.
#pragma once

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

}  // namespace tarvolin::ui
