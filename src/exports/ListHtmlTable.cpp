#include "exports/ListHtmlTable.h"

namespace tarvolin::exports {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 sequence at `i`, or 0 when its bytes are not one (overlong
// forms, surrogates and code points above U+10FFFF are not).
std::size_t validSequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;  // range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return 0;
    }
    return length;
}

void appendLine(std::string& html, std::string_view open, std::string_view text,
                std::string_view close) {
    html += open;
    html += text;
    html += close;
    html += "\r\n";
}

}  // namespace

std::string htmlEscaped(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = validSequenceLength(text, i);
        if (length == 0) {
            escaped += kReplacement;
            ++i;
            continue;
        }
        if (length == 1) {
            switch (text[i]) {
                case '&':
                    escaped += "&amp;";
                    break;
                case '<':
                    escaped += "&lt;";
                    break;
                case '>':
                    escaped += "&gt;";
                    break;
                case '"':
                    escaped += "&quot;";
                    break;
                default:
                    escaped += text[i];
                    break;
            }
        } else {
            escaped += text.substr(i, length);
        }
        i += length;
    }
    return escaped;
}

void ListHtmlTable(const ListTable& table, std::string& html) {
    html += "\r\n<TABLE>\r\n";
    const int columns = table.columnCount();
    html += "<tr>\r\n";
    for (int column = 0; column < columns; ++column)
        appendLine(html, "<th>", htmlEscaped(table.columnTitle(column)), "</th>");
    html += "</tr>\r\n";
    const int rows = table.rowCount();
    for (int row = 0; row < rows; ++row) {
        html += "<tr>\r\n";
        for (int column = 0; column < columns; ++column) {
            const std::string cell = table.cellText(row, column);
            appendLine(html, "<td>", cell.empty() ? std::string("&nbsp;") : htmlEscaped(cell),
                       "</td>");
        }
        html += "</tr>\r\n";
    }
    html += "</TABLE>\r\n";
}

}  // namespace tarvolin::exports
