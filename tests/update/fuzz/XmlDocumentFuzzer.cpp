// Fuzz target: any bytes through the version document parser and its path queries. Checks the
// tree's own invariants; the sanitizers check every read.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "update/XmlDocument.h"

using tarvolin::update::XmlDocument;
using tarvolin::update::XmlNode;
using tarvolin::update::XmlNodeKind;

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

bool isNameByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= '0' && byte <= '9') || byte >= 0x80 || c == '-' || c == '.' || c == ':' ||
           c == '_';
}

// Walks the whole tree without recursion, as deep as it may be.
void checkTree(const XmlDocument& document) {
    std::vector<const XmlNode*> pending{&document.Root()};
    require(document.Root().kind() == XmlNodeKind::Document);
    require(&document.Root().parent() == &document.Root());
    while (!pending.empty()) {
        const XmlNode& node = *pending.back();
        pending.pop_back();
        const int kind = static_cast<int>(node.kind());
        require(kind >= 1 && kind <= 12);
        require(node.value().find('\0') == std::string_view::npos);
        if (node.kind() == XmlNodeKind::Element) {
            require(!node.name().empty());
            for (const char c : node.name())
                require(isNameByte(c));
        }
        if (node.kind() == XmlNodeKind::Text) require(!node.value().empty());
        require(node.child(node.childCount()).isEmpty());
        for (int i = 0; i < node.childCount(); ++i) {
            require(&node.child(i).parent() == &node);
            pending.push_back(&node.child(i));
        }
    }
}

void queryAll(const XmlDocument& document, std::string_view extraPath) {
    static constexpr std::string_view kPaths[] = {"/VersionInfo/CurrentVersion",
                                                  "/VersionInfo/DownloadLink",
                                                  "/VersionInfo/WhatsNewLink",
                                                  "/*/Current*",
                                                  "/[A-Z]*/[!a-z]?*",
                                                  "a/../b/../../c",
                                                  "*/*/*/*"};
    for (const std::string_view path : kPaths) {
        const XmlNode& found = document.FirstElementByPath(document.Root(), path);
        require(found.isEmpty() || found.kind() == XmlNodeKind::Element);
        (void)found.text();
    }
    (void)document.FirstElementByPath(document.Root(), extraPath);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    XmlDocument document;
    document.Parse(text);
    checkTree(document);
    queryAll(document, text.substr(0, 24));

    // Again on the same object, with options taken from the last byte.
    const std::uint32_t options = size > 0 ? data[size - 1] & 0x3F : 0;
    document.Parse(text, options);
    checkTree(document);
    queryAll(document, text.substr(text.size() > 24 ? text.size() - 24 : 0));

    const std::string_view pattern = text.substr(0, 16);
    const std::string_view name = text.substr(pattern.size(), 16);
    (void)XmlDocument::matchName(pattern, name);
    require(XmlDocument::matchName(name, name) || name.find_first_of("*?[") != name.npos);
    return 0;
}
