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

std::optional<std::uint32_t> parseStoredInt(QStringView text) {
    bool ok = false;
    const qlonglong number = text.trimmed().toLongLong(&ok);
    if (!ok) return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<qulonglong>(number));
}

std::optional<std::array<int, 3>> parseColorNumbers(QStringView text) {
    const auto parts = text.split(u':', Qt::SkipEmptyParts);
    if (parts.size() < 3) return std::nullopt;
    return std::array<int, 3>{atoiText(parts[0]) & 0xFF, atoiText(parts[1]) & 0xFF,
                              atoiText(parts[2]) & 0xFF};
}

std::vector<int> parseWidthList(QStringView text) {
    std::vector<int> widths;
    for (const QStringView part : text.split(u',', Qt::SkipEmptyParts)) {
        const int width = static_cast<qint16>(atoiText(part));
        widths.push_back(width > 0 ? width : 0);
    }
    return widths;
}

int historyIndexOf(QStringView valueName, QStringView listName) {
    if (!valueName.startsWith(listName)) return -1;
    const QStringView digits = valueName.mid(listName.size());
    // Digits only: toInt would also take a sign or blanks.
    if (digits.isEmpty() || digits.size() > 9) return -1;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9') return -1;
    }
    return digits.toInt();
}

QString joinNumbers(const std::vector<int>& numbers) {
    QStringList parts;
    parts.reserve(static_cast<qsizetype>(numbers.size()));
    for (const int number : numbers)
        parts.append(QString::number(number));
    return parts.join(u',');
}

}  // namespace tarvolin::ui
