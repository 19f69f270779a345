#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/core/MarkupDocument.h"

namespace {

using ui::MarkupDocument;
using ui::MarkupNode;

std::wstring Name(const MarkupNode& n) { return n.NodeName(); }

TEST(MarkupDocument, BuildsTreeWithTextAttributesAndSkippedMarkup) {
    MarkupDocument doc;
    ASSERT_TRUE(doc.LoadText(L"<?xml version=\"1.0\"?>\n<!-- skin -->\n"
                             L"<Window size=\"977,641\" caption = \"0,0,0,35\">"
                             L"<Box name=\"a\"><Label text=\"x\"/><!-- c --><Button/></Box>"
                             L"<Box>tail text</Box>"
                             L"</Window>"))
        << doc.ErrorText();
    EXPECT_TRUE(doc.IsValid());
    MarkupNode root = doc.RootNode();
    EXPECT_EQ(Name(root), L"Window");
    EXPECT_FALSE(root.ParentNode().IsValid());
    EXPECT_FALSE(root.NextSibling().IsValid());
    ASSERT_EQ(root.AttributeCount(), 2);
    EXPECT_STREQ(root.AttributeName(0), L"size");
    EXPECT_STREQ(root.AttributeValue(0), L"977,641");
    EXPECT_STREQ(root.AttributeName(1), L"caption");
    EXPECT_STREQ(root.AttributeValue(1), L"0,0,0,35");
    EXPECT_STREQ(root.AttributeValue(2), L"");
    EXPECT_STREQ(root.AttributeName(-1), L"");

    MarkupNode box = root.FirstChild();
    EXPECT_EQ(Name(box), L"Box");
    EXPECT_EQ(Name(box.ParentNode()), L"Window");
    MarkupNode label = box.FirstChild();
    EXPECT_EQ(Name(label), L"Label");
    EXPECT_STREQ(label.NodeText(), L"");
    EXPECT_FALSE(label.HasChildNodes());
    EXPECT_EQ(Name(label.NextSibling()), L"Button");
    EXPECT_FALSE(label.NextSibling().NextSibling().IsValid());
    EXPECT_FALSE(label.NextSibling().HasAttributeList());

    MarkupNode second = box.NextSibling();
    EXPECT_EQ(Name(second), L"Box");
    EXPECT_STREQ(second.NodeText(), L"tail text");
    EXPECT_FALSE(second.HasAttributeList());

    std::wstring value;
    EXPECT_TRUE(box.AttributeValue(L"name", value));
    EXPECT_EQ(value, L"a");
    EXPECT_FALSE(box.AttributeValue(L"Name", value)); // case-sensitive
    EXPECT_FALSE(box.AttributeValue(L"missing", value));
}

TEST(MarkupDocument, DocumentElementMayStayUnclosedButDeeperOnesMayNot) {
    MarkupDocument doc;
    EXPECT_TRUE(doc.LoadText(L"<Window><Box/><Box/>"));
    EXPECT_EQ(Name(doc.RootNode().FirstChild().NextSibling()), L"Box");
    EXPECT_TRUE(doc.LoadText(L"<Window>some text"));
    EXPECT_STREQ(doc.RootNode().NodeText(), L"some text");

    EXPECT_FALSE(doc.LoadText(L"<Window><Box><Label/>"));
    EXPECT_STREQ(doc.ErrorText(), L"Expected start tag");
    EXPECT_FALSE(doc.IsValid());
    EXPECT_FALSE(doc.RootNode().IsValid());

    EXPECT_FALSE(doc.LoadText(L"<Window><Box><Label>text"));
    EXPECT_STREQ(doc.ErrorText(), L"Expected end-tag start");
}

struct ErrorCase {
    const wchar_t* text;
    const wchar_t* message;
    const wchar_t* place; // start of the text where the error is reported
};

TEST(MarkupDocument, ReportsEachParseErrorWithItsPlace) {
    const ErrorCase cases[] = {
        {L"plain", L"Expected start tag", L"plain"},
        {L"<a><b/>x</a>", L"Expected start tag", L"x</a>"},
        {L"<=a/>", L"Error parsing element name", L"=a/>"},
        {L"<a></>", L"Unmatched closing tag", L"/>"},
        {L"<a x=\"1\" / >", L"Expected start-tag closing", L"/ >"},
        {L"<a x=\"1\"/", L"Expected start-tag closing", L"/"},
        {L"<a><b></a>", L"Unmatched closing tag", L"/a>"},
        {L"<a></ab>", L"Unmatched closing tag", L"/ab>"},
        {L"<a></a x>", L"Unmatched closing tag", L"/a x>"},
        {L"<a x>", L"Error while parsing attributes", L">"},
        {L"<a x y=\"1\">", L"Error while parsing attributes", L"y=\"1\">"},
        {L"<a =\"1\">", L"Error while parsing attributes", L"=\"1\">"},
        {L"<a x='1'/>", L"Expected attribute value", L"'1'/>"},
        {L"<a x=\"1/>", L"Error while parsing attribute string", L""},
    };
    for (const ErrorCase& c : cases) {
        MarkupDocument doc;
        EXPECT_FALSE(doc.LoadText(c.text)) << c.text;
        EXPECT_STREQ(doc.ErrorText(), c.message) << c.text;
        EXPECT_STREQ(doc.ErrorPlace(), c.place) << c.text;
        EXPECT_FALSE(doc.IsValid()) << c.text;
    }
}

TEST(MarkupDocument, ErrorPlaceIsCutTo49Characters) {
    MarkupDocument doc;
    const std::wstring junk(80, L'z');
    EXPECT_FALSE(doc.LoadText(junk.c_str()));
    EXPECT_EQ(std::wstring(doc.ErrorPlace()), junk.substr(0, 49));
    // A later good load clears the error.
    EXPECT_TRUE(doc.LoadText(L"<a/>"));
    EXPECT_STREQ(doc.ErrorText(), L"");
    EXPECT_STREQ(doc.ErrorPlace(), L"");
}

TEST(MarkupDocument, DecodesTheFivePredefinedEntitiesOnly) {
    MarkupDocument doc;
    ASSERT_TRUE(doc.LoadText(L"<a v=\"&lt;b&gt; &quot;q&quot; &apos;&amp;&copy; &\" w=\"x\">"
                             L"1 &lt; 2 &amp;&amp; 3 &gt; 2 &nbsp;&</a>"))
        << doc.ErrorText();
    MarkupNode a = doc.RootNode();
    EXPECT_STREQ(a.AttributeValue(0), L"<b> \"q\" '&&copy; &");
    // The value after a shortened one is still found.
    EXPECT_STREQ(a.AttributeName(1), L"w");
    EXPECT_STREQ(a.AttributeValue(1), L"x");
    EXPECT_STREQ(a.NodeText(), L"1 < 2 && 3 > 2 &nbsp;&");
    EXPECT_FALSE(a.HasChildNodes());
}

TEST(MarkupDocument, WhitespaceIsKeptOrCollapsed) {
    MarkupDocument keep;
    ASSERT_TRUE(keep.LoadText(L"<a v=\"x  \t y\">  two  spaces\n</a>"));
    EXPECT_STREQ(keep.RootNode().AttributeValue(0), L"x  \t y");
    EXPECT_STREQ(keep.RootNode().NodeText(), L"  two  spaces\n");

    MarkupDocument collapse(false);
    ASSERT_TRUE(collapse.LoadText(L"<a v=\"x  \t y\">two  \n spaces</a>"));
    EXPECT_STREQ(collapse.RootNode().AttributeValue(0), L"x y");
    EXPECT_STREQ(collapse.RootNode().NodeText(), L"two spaces");
}

TEST(MarkupDocument, ExposesOnlyTheFirst64Attributes) {
    std::wstring text = L"<a";
    for (int i = 0; i < 65; ++i) text += L" k" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
    text += L"/>";
    MarkupDocument doc;
    ASSERT_TRUE(doc.LoadText(text.c_str()));
    MarkupNode a = doc.RootNode();
    ASSERT_EQ(a.AttributeCount(), 64);
    EXPECT_STREQ(a.AttributeName(63), L"k63");
    EXPECT_STREQ(a.AttributeValue(63), L"v63");
    EXPECT_STREQ(a.AttributeName(64), L"");
    std::wstring value;
    EXPECT_TRUE(a.AttributeValue(L"k0", value));
    EXPECT_EQ(value, L"v0");
    EXPECT_FALSE(a.AttributeValue(L"k64", value));
}

TEST(MarkupDocument, ByNameLookupCutsValuesTo499Characters) {
    const std::wstring longValue(600, L'q');
    const std::wstring text = L"<a v=\"" + longValue + L"\"/>";
    MarkupDocument doc;
    ASSERT_TRUE(doc.LoadText(text.c_str()));
    MarkupNode a = doc.RootNode();
    EXPECT_EQ(std::wstring(a.AttributeValue(0)), longValue);

    wchar_t buffer[600];
    ASSERT_TRUE(a.AttributeValue(L"v", buffer, 600));
    EXPECT_EQ(std::wstring(buffer), longValue.substr(0, 499));
    std::wstring value;
    ASSERT_TRUE(a.AttributeValue(L"v", value));
    EXPECT_EQ(value.size(), 499u);
    // A smaller buffer is never overrun.
    wchar_t small[8];
    small[7] = L'#';
    ASSERT_TRUE(a.AttributeValue(L"v", small, 7));
    EXPECT_STREQ(small, L"qqqqqq");
    EXPECT_EQ(small[7], L'#');
}

TEST(MarkupDocument, LoadBufferSkipsByteOrderMarkAndDecodesUtf8) {
    const std::string body = "<Label text=\"\xE5\x90\xAF\xE5\x8A\xA8\">\xE4\xB8\x8B\xE8\xBD\xBD</Label>";
    const std::string withBom = "\xEF\xBB\xBF" + body;
    MarkupDocument plain, marked;
    ASSERT_TRUE(plain.LoadBuffer(body.data(), body.size())) << plain.ErrorText();
    ASSERT_TRUE(marked.LoadBuffer(withBom.data(), withBom.size())) << marked.ErrorText();
    for (MarkupDocument* doc : {&plain, &marked}) {
        EXPECT_STREQ(doc->RootNode().NodeName(), L"Label");
        EXPECT_STREQ(doc->RootNode().AttributeValue(0), L"\x542F\x52A8");
        EXPECT_STREQ(doc->RootNode().NodeText(), L"\x4E0B\x8F7D");
    }
    // A byte-order mark with nothing after it is an empty document.
    MarkupDocument bomOnly;
    EXPECT_TRUE(bomOnly.LoadBuffer("\xEF\xBB\xBF", 3));
    EXPECT_FALSE(bomOnly.IsValid());
}

TEST(MarkupDocument, NodeSeesTheReloadedDocument) {
    MarkupDocument doc;
    ASSERT_TRUE(doc.LoadText(L"<a first=\"1\" second=\"2\"/>"));
    MarkupNode node = doc.RootNode();
    ASSERT_EQ(node.AttributeCount(), 2);
    ASSERT_TRUE(doc.LoadText(L"<b only=\"yes\"/>"));
    EXPECT_STREQ(node.NodeName(), L"b");
    ASSERT_EQ(node.AttributeCount(), 1);
    EXPECT_STREQ(node.AttributeName(0), L"only");
    EXPECT_FALSE(doc.LoadText(L"<broken"));
    EXPECT_FALSE(node.IsValid());
    EXPECT_EQ(node.AttributeCount(), 0);
    EXPECT_STREQ(node.NodeName(), L"");
}

TEST(MarkupDocument, ManyElementsGrowTheTable) {
    std::wstring text = L"<list>";
    for (int i = 0; i < 5000; ++i) text += L"<item n=\"" + std::to_wstring(i) + L"\"/>";
    text += L"</list>";
    MarkupDocument doc;
    ASSERT_TRUE(doc.LoadText(text.c_str()));
    int count = 0;
    std::wstring last;
    for (MarkupNode n = doc.RootNode().FirstChild(); n.IsValid(); n = n.NextSibling()) {
        ++count;
        last = n.AttributeValue(0);
    }
    EXPECT_EQ(count, 5000);
    EXPECT_EQ(last, L"4999");
}

TEST(MarkupDocument, DeepNestingDoesNotExhaustTheStack) {
    std::wstring text;
    const int depth = 200000;
    for (int i = 0; i < depth; ++i) text += L"<b>";
    for (int i = 0; i < depth; ++i) text += L"</b>";
    MarkupDocument doc;
    ASSERT_TRUE(doc.LoadText(text.c_str())) << doc.ErrorText();
    MarkupNode n = doc.RootNode();
    int levels = 1;
    while (n.HasChildNodes()) {
        n = n.FirstChild();
        ++levels;
    }
    EXPECT_EQ(levels, depth);
}

} // namespace
