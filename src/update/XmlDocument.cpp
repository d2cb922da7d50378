#include "update/XmlDocument.h"

#include <cstring>

namespace tarvolin::update {
namespace {

bool isWhite(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

// Bytes from 0x80 up are taken as parts of multibyte characters.
bool isNameChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= '0' && byte <= '9') || byte >= 0x80 || byte == '-' || byte == '.' ||
           byte == ':' || byte == '_';
}

bool startsWith(const char* p, const char* end, std::string_view literal) {
    return static_cast<std::size_t>(end - p) >= literal.size() &&
           std::memcmp(p, literal.data(), literal.size()) == 0;
}

// The start of `literal` in [p, end), or end.
char* find(char* p, char* end, std::string_view literal) {
    for (; p < end; ++p) {
        if (startsWith(p, end, literal)) return p;
    }
    return end;
}

char* find(char* p, char* end, char c) {
    void* found = std::memchr(p, c, static_cast<std::size_t>(end - p));
    return found != nullptr ? static_cast<char*>(found) : end;
}

char* skipWhite(char* p, char* end) {
    while (p < end && isWhite(*p))
        ++p;
    return p;
}

char* skipName(char* p, char* end) {
    while (p < end && isNameChar(*p))
        ++p;
    return p;
}

std::string_view view(const char* begin, const char* end) {
    return {begin, static_cast<std::size_t>(end - begin)};
}

int encodeUtf8(std::uint32_t code, char* out) {
    if (code < 0x80) {
        out[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = static_cast<char>(0xC0 | (code >> 6));
        out[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (code >> 12));
        out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (code >> 18));
    out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (code & 0x3F));
    return 4;
}

// The reference at `p` ('&') decoded into `out`: the bytes it spans, 0 when it is none of the
// five predefined entities or a valid character reference. Every form is at least as long as
// its UTF-8 text, which is what lets decoding work in place.
std::size_t decodeReference(const char* p, const char* end, char* out, int& outLength) {
    static constexpr struct {
        std::string_view name;
        char text;
    } kEntities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto& entity : kEntities) {
        if (startsWith(p, end, entity.name)) {
            out[0] = entity.text;
            outLength = 1;
            return entity.name.size();
        }
    }
    if (!startsWith(p, end, "&#")) return 0;
    const char* q = p + 2;
    const bool hex = q < end && *q == 'x';
    if (hex) ++q;
    const char* digits = q;
    std::uint32_t code = 0;
    bool tooLarge = false;
    for (; q < end; ++q) {
        int digit;
        if (*q >= '0' && *q <= '9') {
            digit = *q - '0';
        } else if (hex && *q >= 'a' && *q <= 'f') {
            digit = *q - 'a' + 10;
        } else if (hex && *q >= 'A' && *q <= 'F') {
            digit = *q - 'A' + 10;
        } else {
            break;
        }
        code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
        if (code > 0x10FFFF) {
            tooLarge = true;
            code = 0x110000;  // stays out of range without overflowing
        }
    }
    if (q == digits || q == end || *q != ';' || tooLarge) return 0;
    if (code == 0 || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    outLength = encodeUtf8(code, out);
    return static_cast<std::size_t>(q + 1 - p);
}

// Decodes references in [begin, end) in place; unknown ones stay as they are.
std::string_view decodeInPlace(char* begin, char* end) {
    char* read = begin;
    char* write = begin;
    while (read < end) {
        char decoded[4];
        int length = 0;
        const std::size_t used = *read == '&' ? decodeReference(read, end, decoded, length) : 0;
        if (used == 0) {
            *write++ = *read++;
            continue;
        }
        std::memcpy(write, decoded, static_cast<std::size_t>(length));
        write += length;
        read += used;
    }
    return view(begin, write);
}

// Trims white space and turns every inner run of it into one space, in place; `begin` moves
// past the leading white space, and the new end is returned.
char* normaliseInPlace(char*& begin, char* end) {
    begin = skipWhite(begin, end);
    while (end > begin && isWhite(end[-1]))
        --end;
    char* write = begin;
    bool inRun = false;
    for (char* read = begin; read < end; ++read) {
        if (!isWhite(*read)) {
            *write++ = *read;
            inRun = false;
        } else if (!inRun) {
            *write++ = ' ';
            inRun = true;
        }
    }
    return write;
}

XmlNodeKind declarationKind(std::string_view keyword) {
    if (keyword == "ATTLIST") return XmlNodeKind::AttributeListDeclaration;
    if (keyword == "ELEMENT") return XmlNodeKind::ElementDeclaration;
    if (keyword == "NOTATION") return XmlNodeKind::NotationDeclaration;
    return XmlNodeKind::EntityDeclaration;
}

}  // namespace

// One pass over the text, front to back, with the open element as the only state: no
// recursion, and every step moves forward, so any input ends in linear time.
class XmlParser {
public:
    XmlParser(XmlDocument& document, char* begin, char* end)
        : m_document(document), m_begin(begin), m_end(end), m_current(document.m_root) {}

    void run() {
        char* p = m_begin;
        while (p < m_end) {
            if (*p != '<') {
                p = parseText(p);
                continue;
            }
            char* q = p + 1;
            if (q == m_end) break;
            if (*q == '?') {
                p = parseProcessingInstruction(m_current, q + 1);
            } else if (startsWith(q, m_end, "!--")) {
                p = parseComment(m_current, q + 3);
            } else if (startsWith(q, m_end, "![CDATA[")) {
                p = parseCData(q + 8);
            } else if (startsWith(q, m_end, "!DOCTYPE")) {
                p = parseDocumentType(q + 1);
            } else if (*q == '/') {
                p = parseEndTag(q + 1);
            } else if (isNameChar(*q)) {
                p = parseElement(q);
            } else {
                p = q;  // a '<' that starts nothing known is dropped
            }
        }
    }

private:
    bool wanted(std::uint32_t option) const { return (m_document.m_options & option) != 0; }

    // Null when the construct is switched off or its parent was not kept.
    XmlNode* add(XmlNodeKind kind, XmlNode* parent, std::uint32_t option) {
        if (parent == nullptr || (option != 0 && !wanted(option))) return nullptr;
        return &m_document.newNode(kind, parent);
    }

    char* parseText(char* p) {
        char* const end = find(p, m_end, '<');
        char* textBegin = p;
        char* const textEnd = normaliseInPlace(textBegin, end);
        if (textBegin < textEnd) {
            if (XmlNode* node = add(XmlNodeKind::Text, m_current, kXmlText)) {
                node->m_value = wanted(kXmlDecodeReferences) ? decodeInPlace(textBegin, textEnd)
                                                             : view(textBegin, textEnd);
            }
        }
        return end;
    }

    // At the first byte of the name; ends after the tag.
    char* parseElement(char* p) {
        XmlNode* element = add(XmlNodeKind::Element, m_current, 0);
        char* nameEnd = skipName(p, m_end);
        element->m_name = view(p, nameEnd);
        p = nameEnd;
        for (;;) {
            p = skipWhite(p, m_end);
            if (p == m_end) {
                m_current = element;
                return p;
            }
            if (*p == '>') {
                m_current = element;
                return p + 1;
            }
            if (startsWith(p, m_end, "/>")) return p + 2;
            if (isNameChar(*p)) {
                p = parseAttribute(element, p, m_end, wanted(kXmlDecodeReferences));
            } else {
                ++p;
            }
        }
    }

    // name, optionally = and a quoted or bare value; ends after the value.
    char* parseAttribute(XmlNode* node, char* p, char* end, bool decode) {
        char* nameEnd = skipName(p, end);
        XmlAttribute attribute{view(p, nameEnd), {}};
        char* q = skipWhite(nameEnd, end);
        if (q < end && *q == '=') {
            q = skipWhite(q + 1, end);
            char* valueBegin = q;
            char* valueEnd;
            if (q < end && (*q == '"' || *q == '\'')) {
                valueBegin = q + 1;
                valueEnd = find(valueBegin, end, *q);
                q = valueEnd < end ? valueEnd + 1 : end;
            } else {
                while (q < end && !isWhite(*q) && *q != '>' && !startsWith(q, end, "/>"))
                    ++q;
                valueEnd = q;
            }
            attribute.value =
                decode ? decodeInPlace(valueBegin, valueEnd) : view(valueBegin, valueEnd);
        } else {
            q = nameEnd;
        }
        if (node != nullptr) node->m_attributes.push_back(attribute);
        return q;
    }

    // After "</"; the name is not compared with the open element's.
    char* parseEndTag(char* p) {
        char* close = find(p, m_end, '>');
        if (m_current != m_document.m_root) m_current = m_current->m_parent;
        return close < m_end ? close + 1 : m_end;
    }

    // After "<?": target, then the content up to "?>" as value and as pseudo-attributes, which
    // are not decoded because the value shares their bytes.
    char* parseProcessingInstruction(XmlNode* parent, char* p) {
        char* close = find(p, m_end, "?>");
        if (XmlNode* node =
                add(XmlNodeKind::ProcessingInstruction, parent, kXmlProcessingInstructions)) {
            char* nameEnd = skipName(p, close);
            node->m_name = view(p, nameEnd);
            char* contentBegin = skipWhite(nameEnd, close);
            char* contentEnd = close;
            while (contentEnd > contentBegin && isWhite(contentEnd[-1]))
                --contentEnd;
            node->m_value = view(contentBegin, contentEnd);
            for (char* q = contentBegin; q < contentEnd;) {
                q = isNameChar(*q) ? parseAttribute(node, q, contentEnd, false) : q + 1;
            }
        }
        return close < m_end ? close + 2 : m_end;
    }

    char* parseComment(XmlNode* parent, char* p) {
        char* close = find(p, m_end, "-->");
        if (XmlNode* node = add(XmlNodeKind::Comment, parent, kXmlComments)) {
            node->m_value = view(p, close);
        }
        return close < m_end ? close + 3 : m_end;
    }

    char* parseCData(char* p) {
        char* close = find(p, m_end, "]]>");
        if (XmlNode* node = add(XmlNodeKind::CData, m_current, kXmlCData)) {
            node->m_value = view(p, close);
        }
        return close < m_end ? close + 3 : m_end;
    }

    // After "<!": the keyword, then words and quoted strings as attributes, the internal
    // subset in brackets, and the closing '>'.
    char* parseDocumentType(char* p) {
        char* keywordEnd = p + 7;
        XmlNode* node = add(XmlNodeKind::DocumentType, m_current, kXmlDocumentType);
        if (node != nullptr) node->m_name = view(p, keywordEnd);
        p = parseDeclarationWords(node, keywordEnd, true);
        if (p < m_end && *p == '[') p = parseInternalSubset(node, p + 1);
        char* close = find(p, m_end, '>');
        return close < m_end ? close + 1 : m_end;
    }

    // Stops at the closing '>' (or '[' when `inDocumentType`) without passing it; quoted
    // strings may contain either.
    char* parseDeclarationWords(XmlNode* node, char* p, bool inDocumentType) {
        for (;;) {
            p = skipWhite(p, m_end);
            if (p == m_end || *p == '>' || (inDocumentType && *p == '[')) return p;
            if (*p == '"' || *p == '\'') {
                char* close = find(p + 1, m_end, *p);
                if (node != nullptr) node->m_attributes.push_back({{}, view(p + 1, close)});
                p = close < m_end ? close + 1 : m_end;
                continue;
            }
            char* word = p;
            while (p < m_end && !isWhite(*p) && *p != '>' && *p != '"' && *p != '\'' &&
                   !(inDocumentType && *p == '['))
                ++p;
            if (node != nullptr) node->m_attributes.push_back({view(word, p), {}});
        }
    }

    // After '['; ends after the matching ']'.
    char* parseInternalSubset(XmlNode* documentType, char* p) {
        while (p < m_end) {
            if (*p == ']') return p + 1;
            if (startsWith(p, m_end, "<!--")) {
                p = parseComment(documentType, p + 4);
            } else if (startsWith(p, m_end, "<?")) {
                p = parseProcessingInstruction(documentType, p + 2);
            } else if (startsWith(p, m_end, "<![")) {
                p = parseIncludeSection(documentType, p + 3);
            } else if (startsWith(p, m_end, "<!")) {
                char* keywordEnd = skipName(p + 2, m_end);
                const std::string_view keyword = view(p + 2, keywordEnd);
                XmlNode* node = add(declarationKind(keyword), documentType, 0);
                if (node != nullptr) node->m_name = keyword;
                p = parseDeclarationWords(node, keywordEnd, false);
                if (p < m_end) ++p;
            } else if (*p == '%') {
                // A parameter-entity reference: nothing to keep, nothing to expand.
                p = skipName(p + 1, m_end);
                if (p < m_end && *p == ';') ++p;
            } else {
                ++p;
            }
        }
        return p;
    }

    // After "<![": keyword ("INCLUDE", "IGNORE" or a reference), '[', then the content up to
    // the "]]>" that matches, nested sections counted.
    char* parseIncludeSection(XmlNode* documentType, char* p) {
        char* keyword = skipWhite(p, m_end);
        char* keywordEnd = keyword;
        while (keywordEnd < m_end && !isWhite(*keywordEnd) && *keywordEnd != '[')
            ++keywordEnd;
        char* content = skipWhite(keywordEnd, m_end);
        if (content < m_end && *content == '[') ++content;
        char* q = content;
        for (int depth = 1; q < m_end;) {
            if (startsWith(q, m_end, "<![")) {
                ++depth;
                q += 3;
            } else if (startsWith(q, m_end, "]]>")) {
                if (--depth == 0) break;
                q += 3;
            } else {
                ++q;
            }
        }
        if (XmlNode* node = add(XmlNodeKind::Include, documentType, 0)) {
            node->m_name = view(keyword, keywordEnd);
            node->m_value = view(content, q);
        }
        return q < m_end ? q + 3 : m_end;
    }

    XmlDocument& m_document;
    char* const m_begin;
    char* const m_end;
    XmlNode* m_current;  // the open element, or the document node
};

const XmlNode& XmlNode::child(int index) const {
    if (index < 0 || index >= childCount()) return XmlDocument::emptyNode();
    return *m_children[static_cast<std::size_t>(index)];
}

std::string_view XmlNode::text() const {
    return m_children.empty() ? std::string_view() : m_children.front()->m_value;
}

XmlDocument::XmlDocument() {
    m_root = &newNode(XmlNodeKind::Document, nullptr);
}

const XmlNode& XmlDocument::emptyNode() {
    static const XmlNode empty;
    return empty;
}

XmlNode& XmlDocument::newNode(XmlNodeKind kind, XmlNode* parent) {
    XmlNode& node = m_nodes.emplace_back();
    node.m_kind = kind;
    if (parent != nullptr) {
        node.m_parent = parent;
        node.m_index = parent->childCount();
        parent->m_children.push_back(&node);
    }
    return node;
}

void XmlDocument::Parse(std::string_view text, std::uint32_t options) {
    if ((options & kXmlKeepOptions) == 0) m_options = options;
    m_nodes.clear();
    // A NUL ends the text, so that no name or value ever holds one.
    m_text.assign(text.substr(0, text.find('\0')));
    m_root = &newNode(XmlNodeKind::Document, nullptr);
    XmlParser(*this, m_text.data(), m_text.data() + m_text.size()).run();
}

const XmlNode& XmlDocument::FirstElementByPath(const XmlNode& context, std::string_view path,
                                               char delimiter) const {
    const XmlNode* current = !path.empty() && path.front() == delimiter ? m_root : &context;
    if (current->isEmpty()) return emptyNode();
    while (!path.empty()) {
        const std::size_t cut = path.find(delimiter);
        const std::string_view segment = path.substr(0, cut);
        path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
        if (segment.empty()) continue;
        if (segment == "..") {
            current = current->m_parent;
            continue;
        }
        for (;;) {
            const XmlNode* found = nullptr;
            for (const XmlNode* child : current->m_children) {
                if (child->m_kind == XmlNodeKind::Element && matchName(segment, child->m_name)) {
                    found = child;
                    break;
                }
            }
            if (found != nullptr) {
                current = found;
                break;
            }
            // Retry on the next sibling that bears the current node's name.
            const XmlNode* next = nullptr;
            if (current->m_parent != current) {
                const auto& siblings = current->m_parent->m_children;
                for (std::size_t i = static_cast<std::size_t>(current->m_index) + 1;
                     i < siblings.size() && next == nullptr; ++i) {
                    if (siblings[i]->m_kind == current->m_kind &&
                        siblings[i]->m_name == current->m_name) {
                        next = siblings[i];
                    }
                }
            }
            if (next == nullptr) return emptyNode();
            current = next;
        }
    }
    return *current;
}

namespace {

// One pattern token at `pattern[at]` against `c`: how many pattern bytes it spans and whether
// it matches. `at` is not a '*'.
std::pair<std::size_t, bool> matchToken(std::string_view pattern, std::size_t at, char c) {
    if (pattern[at] == '?') return {1, true};
    if (pattern[at] == '[') {
        std::size_t i = at + 1;
        const bool negate = i < pattern.size() && pattern[i] == '!';
        if (negate) ++i;
        const std::size_t first = i;
        bool member = false;
        // The first byte of the set is a member even when it is ']'.
        while (i < pattern.size() && (pattern[i] != ']' || i == first)) {
            const auto low = static_cast<unsigned char>(pattern[i]);
            auto high = low;
            if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
                high = static_cast<unsigned char>(pattern[i + 2]);
                i += 2;
            }
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= low && byte <= high) member = true;
            ++i;
        }
        if (i < pattern.size()) return {i + 1 - at, member != negate};
        // No closing bracket: the '[' is an ordinary byte.
    }
    return {1, pattern[at] == c};
}

}  // namespace

bool XmlDocument::matchName(std::string_view pattern, std::string_view name) {
    // Classic single-backtrack glob: each token but '*' takes exactly one byte, so resuming
    // after the last '*' one byte further on is enough.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = ++p;
            starName = n;
            continue;
        }
        if (p < pattern.size()) {
            const auto [length, matched] = matchToken(pattern, p, name[n]);
            if (matched) {
                p += length;
                ++n;
                continue;
            }
        }
        if (starPattern == std::string_view::npos) return false;
        p = starPattern;
        n = ++starName;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

}  // namespace tarvolin::update
