#include "update/XmlDocument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarvolin::update {
namespace {

using ::testing::ElementsAre;

constexpr char kVersionDocument[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE VersionInfo SYSTEM "versioninfo.dtd" [
  <!ENTITY product "Tarvolin">
  <!ATTLIST VersionInfo channel CDATA "stable]>">
  <!ELEMENT VersionInfo (CurrentVersion, DownloadLink, WhatsNewLink)>
  <!NOTATION png SYSTEM "image/png">
  <![INCLUDE[ <!ELEMENT Extra ANY> <![IGNORE[ <!ELEMENT Old ANY> ]]> ]]>
  %parameters;
  <!-- a ] and a > in a comment -->
]>
<VersionInfo>
  <CurrentVersion>
     2.1.0.5
  </CurrentVersion>
  <DownloadLink>https://www.tarvolin.example/download</DownloadLink>
  <WhatsNewLink>https://www.tarvolin.example/news</WhatsNewLink>
</VersionInfo>
)";

std::vector<XmlNodeKind> childKinds(const XmlNode& node) {
    std::vector<XmlNodeKind> kinds;
    for (int i = 0; i < node.childCount(); ++i)
        kinds.push_back(node.child(i).kind());
    return kinds;
}

TEST(XmlDocumentTest, PathQueriesFindTheVersionDocumentsElementsPastItsDocumentType) {
    XmlDocument document;
    document.Parse(kVersionDocument);
    const struct {
        const char* path;
        const char* text;  // null: the empty node
    } cases[] = {
        {"/VersionInfo/CurrentVersion", "2.1.0.5"},
        {"/VersionInfo/Current*", "2.1.0.5"},
        {"/VersionInfo/current*", nullptr},  // case matters
        {"/VersionInfo/Cur?entVersion", "2.1.0.5"},
        {"/VersionInfo/[CD]*Link", "https://www.tarvolin.example/download"},
        {"/VersionInfo/[!CD]*", "https://www.tarvolin.example/news"},
        {"/*/WhatsNewLink", "https://www.tarvolin.example/news"},  // elements only, not "xml"
        {"/VersionInfo/CurrentVersion/../WhatsNewLink", "https://www.tarvolin.example/news"},
        {"VersionInfo//DownloadLink/", "https://www.tarvolin.example/download"},
        {"/VersionInfo/Missing", nullptr},
        {"/Extra", nullptr},  // declarations do not make elements
    };
    for (const auto& c : cases) {
        const XmlNode& found = document.FirstElementByPath(document.Root(), c.path);
        if (c.text == nullptr) {
            EXPECT_TRUE(found.isEmpty()) << c.path;
        } else {
            EXPECT_EQ(found.kind(), XmlNodeKind::Element) << c.path;
            EXPECT_EQ(found.text(), c.text) << c.path;
        }
    }

    const XmlNode& root = document.Root();
    EXPECT_EQ(&root.parent(), &root);
    EXPECT_THAT(childKinds(root), ElementsAre(XmlNodeKind::ProcessingInstruction,
                                              XmlNodeKind::DocumentType, XmlNodeKind::Element));
    EXPECT_EQ(root.child(0).name(), "xml");
    EXPECT_EQ(root.child(0).attributes()[1].value, "UTF-8");
    const XmlNode& documentType = root.child(1);
    EXPECT_THAT(childKinds(documentType),
                ElementsAre(XmlNodeKind::EntityDeclaration, XmlNodeKind::AttributeListDeclaration,
                            XmlNodeKind::ElementDeclaration, XmlNodeKind::NotationDeclaration,
                            XmlNodeKind::Include, XmlNodeKind::Comment));
    EXPECT_EQ(documentType.child(1).attributes().back().value, "stable]>");
    EXPECT_EQ(documentType.child(4).value(),
              " <!ELEMENT Extra ANY> <![IGNORE[ <!ELEMENT Old ANY> ]]> ");
    EXPECT_TRUE(document.Child(root, 3).isEmpty());
}

TEST(XmlDocumentTest, ElementTextIsNormalisedAndDecoded) {
    const struct {
        const char* xml;
        const char* text;
    } cases[] = {
        {"<a>\n   2.1.0.5 \r\n </a>", "2.1.0.5"},
        {"<a>two\t   words</a>", "two words"},
        {"<a><!-- note -->1.0</a>", " note "},  // the first child is the comment
        {"<a><![CDATA[ <raw> &amp; ]]></a>", " <raw> &amp; "},
        {"<a>&lt;&gt;&amp;&quot;&apos;</a>", "<>&\"'"},
        {"<a>&#65;&#x42;&#x20AC;&#128512;</a>", "AB\u20AC\U0001F600"},
        {"<a>x&#32;</a>", "x "},  // decoded after trimming
        {"<a>&bogus; &#0; &#xD800; &#x110000; &#X41; &amp</a>",
         "&bogus; &#0; &#xD800; &#x110000; &#X41; &amp"},
        {"<a>   </a>", ""},  // white space alone makes no node
        {"<a/>", ""},
    };
    for (const auto& c : cases) {
        XmlDocument document;
        document.Parse(c.xml);
        EXPECT_EQ(document.FirstElementByPath(document.Root(), "/a").text(), c.text) << c.xml;
    }
}

TEST(XmlDocumentTest, MalformedInputBuildsWhatItCan) {
    XmlDocument document;
    // Unclosed elements stay open at the end.
    document.Parse("<VersionInfo><CurrentVersion>3.0");
    EXPECT_EQ(document.FirstElementByPath(document.Root(), "/VersionInfo/CurrentVersion").text(),
              "3.0");

    // An end tag closes the open element whatever its name; a stray '<' is dropped.
    document.Parse("<a><b>x</c>1 < 2</a>tail");
    const XmlNode& a = document.FirstElementByPath(document.Root(), "a");
    ASSERT_EQ(a.childCount(), 3);
    EXPECT_EQ(a.child(0).name(), "b");
    EXPECT_EQ(a.child(1).value(), "1");
    EXPECT_EQ(a.child(2).value(), "2");
    EXPECT_EQ(document.Root().child(1).value(), "tail");

    document.Parse(R"(<a x = "1>" y='&lt;2' z=bare w/><b/>)");
    const auto& attributes = document.Root().child(0).attributes();
    ASSERT_EQ(attributes.size(), 4u);
    EXPECT_EQ(attributes[0].value, "1>");
    EXPECT_EQ(attributes[1].value, "<2");
    EXPECT_EQ(attributes[2].value, "bare");
    EXPECT_EQ(attributes[3].name, "w");
    EXPECT_EQ(document.Root().childCount(), 2);  // <a .../> closed itself

    // A NUL ends the text.
    document.Parse(std::string_view("<a>x\0<b/></a>", 13));
    EXPECT_EQ(document.Root().child(0).childCount(), 1);
}

TEST(XmlDocumentTest, SiblingRetryFindsTheElementInALaterParentOfTheSameName) {
    XmlDocument document;
    document.Parse(
        "<VersionInfo><DownloadLink>d</DownloadLink></VersionInfo><Other/>"
        "<VersionInfo><CurrentVersion>2</CurrentVersion></VersionInfo>");
    EXPECT_EQ(document.FirstElementByPath(document.Root(), "/VersionInfo/CurrentVersion").text(),
              "2");
    EXPECT_EQ(document.FirstElementByPath(document.Root(), "/VersionInfo/DownloadLink").text(),
              "d");
}

TEST(XmlDocumentTest, DeepNestingNeedsNoStack) {
    constexpr int kDepth = 200000;
    std::string xml;
    for (int i = 0; i < kDepth; ++i)
        xml += "<a>";
    xml += "bottom";
    XmlDocument document;
    document.Parse(xml);
    const XmlNode* node = &document.Root();
    for (int i = 0; i < kDepth; ++i)
        node = &node->child(0);
    EXPECT_EQ(node->name(), "a");
    EXPECT_EQ(node->text(), "bottom");
}

TEST(XmlDocumentTest, OptionsLeaveConstructsOutAndCanBeKept) {
    XmlDocument document;
    document.Parse("<a><!-- c -->&lt;t&gt;</a>", kXmlDefaultOptions & ~kXmlComments);
    EXPECT_EQ(document.FirstElementByPath(document.Root(), "a").text(), "<t>");
    document.Parse("<a><!-- c -->&lt;t&gt;</a>", kXmlKeepOptions);
    EXPECT_EQ(document.FirstElementByPath(document.Root(), "a").text(), "<t>");
    document.Parse("<a>&lt;t&gt;</a>", kXmlText);
    EXPECT_EQ(document.FirstElementByPath(document.Root(), "a").text(), "&lt;t&gt;");
}

TEST(XmlDocumentTest, NamePatterns) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*", "", true},
        {"*", "abc", true},
        {"", "", true},
        {"", "a", false},
        {"a*c", "abbbc", true},
        {"a*c", "abcd", false},
        {"*a*b", "xaxxab", true},
        {"*a*b", "xaxxba", false},
        {"?", "", false},
        {"??", "ab", true},
        {"[a-c]x", "bx", true},
        {"[!a-c]x", "bx", false},
        {"[!a-c]x", "dx", true},
        {"[]]", "]", true},
        {"[ab-]", "-", true},
        {"[a-", "[a-", true},
        {"[a-", "a", false},
        {"Current*", "CurrentVersion", true},
        {"current*", "CurrentVersion", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(XmlDocument::matchName(c.pattern, c.name), c.matches)
            << c.pattern << " / " << c.name;
    }
}

}  // namespace
}  // namespace tarvolin::update
