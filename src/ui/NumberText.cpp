#include "ui/NumberText.h"

#include <QStringList>

#include <cstdint>

namespace tarvolin::ui {

int atoiText(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = value * 10 + static_cast<std::uint32_t>(text[i].unicode() - u'0');
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

std::optional<std::vector<int>> parseExactNumbers(QStringView text, int count) {
    const auto parts = text.split(u',');
    if (parts.size() != count) return std::nullopt;
    std::vector<int> numbers;
    numbers.reserve(static_cast<std::size_t>(count));
    for (const QStringView part : parts) {
        bool ok = false;
        const int number = part.trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
        numbers.push_back(number);
    }
    return numbers;
}

QString joinNumbers(const std::vector<int>& numbers) {
    QStringList parts;
    parts.reserve(static_cast<qsizetype>(numbers.size()));
    for (const int number : numbers)
        parts.append(QString::number(number));
    return parts.join(u',');
}

}  // namespace tarvolin::ui
