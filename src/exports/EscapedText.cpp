#include "exports/EscapedText.h"

namespace tarvolin::exports {
namespace {

// Length of the control sequence at the start of `text` (1 or 2 bytes), 0 for none.
std::size_t controlLength(std::string_view text) {
    const auto byte = static_cast<unsigned char>(text[0]);
    if (byte < 0x20 || byte == 0x7F) return 1;
    if (byte == 0xC2 && text.size() > 1) {
        const auto next = static_cast<unsigned char>(text[1]);
        if (next >= 0x80 && next <= 0x9F) return 2;
    }
    return 0;
}

void appendEscapedByte(std::string& out, unsigned char byte) {
    switch (byte) {
        case '\a':
            out += "\\a";
            return;
        case '\b':
            out += "\\b";
            return;
        case '\t':
            out += "\\t";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\v':
            out += "\\v";
            return;
        case '\f':
            out += "\\f";
            return;
        case '\r':
            out += "\\r";
            return;
        default:
            break;
    }
    const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                          static_cast<char>('0' + ((byte >> 3) & 7)),
                          static_cast<char>('0' + (byte & 7))};
    out.append(octal, sizeof octal);
}

}  // namespace

std::string escapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendEscapedControls(out, text);
    return out;
}

void appendEscapedControls(std::string& out, std::string_view text) {
    std::size_t plain = 0;  // start of the bytes not yet copied
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = controlLength(text.substr(i));
        if (length == 0) {
            ++i;
            continue;
        }
        out.append(text.substr(plain, i - plain));
        for (std::size_t k = 0; k < length; ++k)
            appendEscapedByte(out, static_cast<unsigned char>(text[i + k]));
        i += length;
        plain = i;
    }
    out.append(text.substr(plain));
}

std::size_t escapedDisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = controlLength(text.substr(i));
        if (length == 0) {
            if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++width;
            ++i;
            continue;
        }
        for (std::size_t k = 0; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            width += byte == '\a' || byte == '\b' || (byte >= '\t' && byte <= '\r') ? 2 : 4;
        }
        i += length;
    }
    return width;
}

}  // namespace tarvolin::exports
