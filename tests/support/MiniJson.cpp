#include "support/MiniJson.h"

#include <cstdlib>
#include <stdexcept>

namespace tarvolin::test {
namespace {

class Parser {
public:
    explicit Parser(const std::string& input) : m_input(input) {}

    Json document() {
        Json value = parseValue();
        skipSpace();
        if (m_pos != m_input.size()) fail("trailing text");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at " + std::to_string(m_pos));
    }
    void skipSpace() {
        while (m_pos < m_input.size() && std::isspace(static_cast<unsigned char>(m_input[m_pos]))) {
            ++m_pos;
        }
    }
    char peek() {
        skipSpace();
        if (m_pos >= m_input.size()) fail("unexpected end");
        return m_input[m_pos];
    }
    void expect(char c) {
        if (peek() != c) fail(std::string("expected ") + c);
        ++m_pos;
    }
    bool literal(const char* word) {
        const std::string text(word);
        if (m_input.compare(m_pos, text.size(), text) != 0) return false;
        m_pos += text.size();
        return true;
    }

    Json parseValue() {
        Json value;
        const char c = peek();
        if (c == '{') {
            value.kind = Json::Kind::Object;
            ++m_pos;
            if (peek() == '}') return ++m_pos, value;
            for (;;) {
                const std::string key = parseString();
                expect(':');
                value.fields[key] = parseValue();
                if (peek() == ',') {
                    ++m_pos;
                    continue;
                }
                expect('}');
                return value;
            }
        }
        if (c == '[') {
            value.kind = Json::Kind::Array;
            ++m_pos;
            if (peek() == ']') return ++m_pos, value;
            for (;;) {
                value.items.push_back(parseValue());
                if (peek() == ',') {
                    ++m_pos;
                    continue;
                }
                expect(']');
                return value;
            }
        }
        if (c == '"') {
            value.kind = Json::Kind::String;
            value.text = parseString();
            return value;
        }
        if (literal("true") || literal("false")) {
            value.kind = Json::Kind::Bool;
            value.boolean = m_input[m_pos - 1] == 'e' && m_input[m_pos - 2] == 'u';
            return value;
        }
        if (literal("null")) return value;
        char* end = nullptr;
        value.number = std::strtod(m_input.c_str() + m_pos, &end);
        if (end == m_input.c_str() + m_pos) fail("bad value");
        value.kind = Json::Kind::Number;
        m_pos = static_cast<std::size_t>(end - m_input.c_str());
        return value;
    }

    unsigned hex4() {
        if (m_pos + 4 > m_input.size()) fail("short escape");
        const unsigned code =
            static_cast<unsigned>(std::stoul(m_input.substr(m_pos, 4), nullptr, 16));
        m_pos += 4;
        return code;
    }

    static void appendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::string parseString() {
        expect('"');
        std::string out;
        while (m_pos < m_input.size() && m_input[m_pos] != '"') {
            const char c = m_input[m_pos++];
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_input.size()) fail("bad escape");
            const char e = m_input[m_pos++];
            switch (e) {
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'u': {
                    unsigned code = hex4();
                    if (code >= 0xDC80 && code <= 0xDCFF) {
                        out += static_cast<char>(code - 0xDC00);  // an escaped raw byte
                    } else if (code >= 0xD800 && code <= 0xDBFF) {
                        if (!literal("\\u")) fail("lone high surrogate");
                        const unsigned low = hex4();
                        appendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                    } else {
                        appendUtf8(out, code);
                    }
                    break;
                }
                default:
                    fail("bad escape");
            }
        }
        expect('"');
        return out;
    }

    const std::string& m_input;
    std::size_t m_pos = 0;
};

}  // namespace

Json Json::parse(const std::string& input) {
    return Parser(input).document();
}

const Json& Json::operator[](const std::string& key) const {
    const auto found = fields.find(key);
    if (found == fields.end()) throw std::runtime_error("JSON: no field " + key);
    return found->second;
}

}  // namespace tarvolin::test
