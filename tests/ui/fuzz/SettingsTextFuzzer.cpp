// Fuzz target: any text through the parsers of hand-editable settings values (numbers, colours,
// window placements, column widths, history value names). Checks that what they accept keeps
// its ranges and survives a round trip; the sanitizers check every operation.
#include <cstddef>
#include <cstdint>

#include <QString>

#include "ui/NumberText.h"
#include "ui/WindowPlacement.h"

using namespace tarvolin::ui;

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

void checkText(const QString& text) {
    (void)atoiText(text);

    for (const int count : {4, 6, 10}) {
        const auto numbers = parseExactNumbers(text, count);
        require(!numbers || static_cast<int>(numbers->size()) == count);
    }

    if (const auto placement = parsePlacement(text)) {
        const QRect& rect = placement->normalRect;
        if (!rect.isEmpty()) {
            require(rect.width() <= kMaxExtent && rect.height() <= kMaxExtent);
            const auto again = parsePlacement(formatPlacement(*placement));
            require(again && *again == *placement);
        }
    }

    if (const auto number = parseStoredInt(text)) {
        const auto again = parseStoredInt(QString::number(static_cast<qint32>(*number)));
        require(again && *again == *number);
    }

    if (const auto rgb = parseColorNumbers(text)) {
        for (const int part : *rgb)
            require(part >= 0 && part <= 255);
    }

    for (const int width : parseWidthList(text))
        require(width >= 0 && width <= 32767);

    const QString listName = QStringLiteral("PathHistory");
    for (const QString& name : {text, listName + text}) {
        const int index = historyIndexOf(name, listName);
        require(index >= -1 && index <= 999'999'999);
        if (index >= 0)
            require(name.startsWith(listName) && name.endsWith(QChar(u'0' + index % 10)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const char*>(data);
    const auto length = static_cast<qsizetype>(size);
    // As a UTF-8 file holds it, and byte for byte, so that every character below 256 occurs.
    checkText(QString::fromUtf8(bytes, length));
    checkText(QString::fromLatin1(bytes, length));
    return 0;
}
