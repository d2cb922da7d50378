#include "exports/JsonWriter.h"

#include <cinttypes>

namespace tarvolin::exports {
namespace {

// Length of the valid UTF-8 sequence at `text[i]` (1-4), or 0 when the byte does not start one:
// overlong forms, surrogates and code points above U+10FFFF are invalid.
std::size_t validSequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const auto continuation = [&](std::size_t k) {
        return i + k < text.size() && (byte(k) & 0xC0) == 0x80;
    };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return continuation(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!continuation(1) || !continuation(2)) return 0;
        if (lead == 0xE0 && byte(1) < 0xA0) return 0;   // overlong
        if (lead == 0xED && byte(1) >= 0xA0) return 0;  // surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!continuation(1) || !continuation(2) || !continuation(3)) return 0;
        if (lead == 0xF0 && byte(1) < 0x90) return 0;   // overlong
        if (lead == 0xF4 && byte(1) >= 0x90) return 0;  // above U+10FFFF
        return 4;
    }
    return 0;
}

}  // namespace

std::string jsonQuoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = validSequenceLength(text, i);
        if (length == 0) {
            quoted += "\\udc";
            quoted += kHex[c >> 4];
            quoted += kHex[c & 0xF];
            ++i;
            continue;
        }
        if (length > 1) {
            quoted.append(text, i, length);
            i += length;
            continue;
        }
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    quoted += "\\u00";
                    quoted += kHex[c >> 4];
                    quoted += kHex[c & 0xF];
                } else {
                    quoted += static_cast<char>(c);
                }
        }
        ++i;
    }
    quoted += '"';
    return quoted;
}

void JsonWriter::separate() {
    if (m_needComma) std::fputc(',', m_out);
    m_needComma = true;
}

void JsonWriter::key(std::string_view name) {
    separate();
    const std::string quoted = jsonQuoted(name);
    std::fwrite(quoted.data(), 1, quoted.size(), m_out);
    std::fputc(':', m_out);
}

void JsonWriter::beginObject() {
    // An object is either the document or an element of an array.
    separate();
    std::fputc('{', m_out);
    m_needComma = false;
}

void JsonWriter::endObject() {
    std::fputc('}', m_out);
    m_needComma = true;
}

void JsonWriter::beginArray(std::string_view name) {
    key(name);
    std::fputc('[', m_out);
    m_needComma = false;
}

void JsonWriter::endArray() {
    std::fputc(']', m_out);
    m_needComma = true;
}

void JsonWriter::field(std::string_view name, std::string_view value) {
    key(name);
    const std::string quoted = jsonQuoted(value);
    std::fwrite(quoted.data(), 1, quoted.size(), m_out);
}

void JsonWriter::number(std::string_view name, std::int64_t value) {
    key(name);
    std::fprintf(m_out, "%" PRId64, value);
}

void JsonWriter::field(std::string_view name, bool value) {
    key(name);
    std::fputs(value ? "true" : "false", m_out);
}

}  // namespace tarvolin::exports
