// XmlDocument: a small lenient XML parser and path query, enough for the version document.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::update {

enum class XmlNodeKind : int {
    None = 0,  // the empty node that failed look-ups return
    Document = 1,
    Element = 2,
    Text = 3,
    CData = 4,
    Comment = 5,
    ProcessingInstruction = 6,
    Include = 7,
    DocumentType = 8,
    EntityDeclaration = 9,
    AttributeListDeclaration = 10,
    ElementDeclaration = 11,
    NotationDeclaration = 12,
};

// Parse options: which constructs become nodes (a construct that is off is still parsed over),
// and whether entity and character references are decoded.
inline constexpr std::uint32_t kXmlProcessingInstructions = 0x01;
inline constexpr std::uint32_t kXmlComments = 0x02;
inline constexpr std::uint32_t kXmlCData = 0x04;
inline constexpr std::uint32_t kXmlDocumentType = 0x08;  // with its declarations
inline constexpr std::uint32_t kXmlText = 0x10;
inline constexpr std::uint32_t kXmlDecodeReferences = 0x20;
inline constexpr std::uint32_t kXmlDefaultOptions = 0xFFFF;
inline constexpr std::uint32_t kXmlKeepOptions = 0x80000000;  // use the options stored before

struct XmlAttribute {
    std::string_view name;   // empty for a quoted string in a declaration
    std::string_view value;  // empty for a bare word in a declaration
};

// One node of a tree that its XmlDocument owns; valid until that document parses again or is
// destroyed. Names and values point into the document's copy of the text.
class XmlNode {
public:
    XmlNode() = default;
    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;

    XmlNodeKind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == XmlNodeKind::None; }
    // Element name, processing-instruction target or declaration keyword; empty for text.
    std::string_view name() const { return m_name; }
    // Text, CDATA, comment, processing-instruction and INCLUDE content.
    std::string_view value() const { return m_value; }
    // The document node and the empty node are their own parents.
    const XmlNode& parent() const { return *m_parent; }
    int childCount() const { return static_cast<int>(m_children.size()); }
    // The empty node when `index` is out of range.
    const XmlNode& child(int index) const;
    const std::vector<XmlAttribute>& attributes() const { return m_attributes; }
    // The value of the first child, as the update check reads an element: "" without one.
    std::string_view text() const;

private:
    friend class XmlDocument;
    friend class XmlParser;

    XmlNodeKind m_kind = XmlNodeKind::None;
    XmlNode* m_parent = this;
    int m_index = 0;  // position among the parent's children
    std::string_view m_name;
    std::string_view m_value;
    std::vector<XmlAttribute> m_attributes;
    std::vector<const XmlNode*> m_children;
};

// Lives on one thread at a time; owns its tree and the text it points into. Parsing never
// fails and never recurses, so any bytes and any nesting depth are safe: what cannot be read
// as XML becomes text or is skipped, and the end of the text (or a NUL byte) closes whatever
// is still open. Typical use:
//   XmlDocument document;
//   document.Parse(body);
//   const XmlNode& v = document.FirstElementByPath(document.Root(), "/VersionInfo/CurrentVersion");
//   if (!v.isEmpty()) use(v.text());
class XmlDocument {
public:
    XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Replaces the tree with one parsed from a copy of `text`.
    void Parse(std::string_view text, std::uint32_t options = kXmlDefaultOptions);

    const XmlNode& Root() const { return *m_root; }
    const XmlNode& Child(const XmlNode& node, int index) const { return node.child(index); }

    // The first element matching `path`: split at `delimiter`, starting at the document node
    // when the path begins with it, else at `context`. ".." goes to the parent; any other segment
    // is a name pattern (see matchName) tried on the children in order. When no child matches,
    // the following siblings of the current node that bear its name are tried in turn, so a
    // wanted element missing from the first of two equal-named parents is found in the second.
    // The empty node when nothing matches.
    const XmlNode& FirstElementByPath(const XmlNode& context, std::string_view path,
                                      char delimiter = '/') const;

    // Whole-name match, case-sensitive: * any run (also empty), ? any one byte, [set] one byte
    // of the set with ranges like a-z, [!set] one byte outside it; a "[" without a closing "]"
    // stands for itself.
    static bool matchName(std::string_view pattern, std::string_view name);

    // The empty node: kind None, no children, its own parent.
    static const XmlNode& emptyNode();

private:
    friend class XmlParser;
    XmlNode& newNode(XmlNodeKind kind, XmlNode* parent);

    std::deque<XmlNode> m_nodes;  // stable addresses; freed flat, whatever the depth
    XmlNode* m_root = nullptr;
    std::string m_text;  // the parsed copy; rewritten in place by normalisation and decoding
    std::uint32_t m_options = kXmlDefaultOptions;
};

}  // namespace tarvolin::update
