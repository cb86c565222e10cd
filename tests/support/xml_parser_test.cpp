#include "support/exception.h"
#include "support/messenger.h"
#include "support/xml_attribute.h"
#include "support/xml_document.h"
#include "support/xml_parser.h"
#include "support/xml_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

using xmltest::NameOf;
using xmltest::ValueOf;

namespace {

struct XMLParserFixture : ::testing::Test {
    PLOVXMLParser parser;
    PLOVXMLDocument document;
    int errors = 0;

    int Parse(const std::string& text) {
        errors = 0;
        parser.GetMessenger()->ResetMessages();
        parser.ResetParseError();
        return parser.ParseString(errors, &document, text);
    }
    // The whole document read, or "failed".
    std::string Tree(const std::string& text) { return Parse(text) == 0 ? xmltest::Dump(&document) : "failed"; }
    const PLOVMessage* OnlyMessage() const {
        const auto& messages = parser.GetMessenger()->GetMessages();
        return messages.size() == 1 ? messages.front() : nullptr;
    }
    // Checks that the text fails with exactly one message of that code and
    // line, and that nothing of the document is left.
    void ExpectSyntaxError(const std::string& text, int code, const char* message, int line) {
        SCOPED_TRACE(text.size() < 200 ? text : text.substr(0, 200));
        EXPECT_EQ(Parse(text), 1);
        EXPECT_EQ(errors, 1);
        EXPECT_TRUE(parser.GetParseError());
        const PLOVMessage* m = OnlyMessage();
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->GetCode(), static_cast<unsigned int>(code));
        EXPECT_EQ(m->GetText(), message);
        EXPECT_EQ(m->GetLine(), line);
        EXPECT_EQ(document.GetFirstChild(), nullptr);
        EXPECT_EQ(document.GetNumberOfNodes(), 0);
    }
    // Exactly one coded message when the reading fails, none otherwise.
    void ExpectCleanOutcome(const std::string& text) {
        int result = Parse(text);
        const auto& messages = parser.GetMessenger()->GetMessages();
        if (result == 0) {
            EXPECT_EQ(errors, 0);
            EXPECT_TRUE(messages.empty());
        } else {
            EXPECT_EQ(errors, 1);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(PLOVXMLParser::IsXMLSyntaxError(static_cast<int>(messages.front()->GetCode())));
            EXPECT_EQ(document.GetFirstChild(), nullptr);
        }
    }
};

TEST_F(XMLParserFixture, EverySyntaxErrorHasItsCodeTextAndLine) {
    ExpectSyntaxError("", 1001, "Unexpected end of file", 1);
    ExpectSyntaxError("<?xml version=\"1.0\"?>\n<!-- only a comment -->\n", 1001, "Unexpected end of file", 3);
    ExpectSyntaxError("<a>\n<b x=\"1", 1001, "Unexpected end of file", 2);
    ExpectSyntaxError("<a>\n<!-- never\nclosed", 1001, "Unexpected end of file", 3);
    ExpectSyntaxError("<a><![CDATA[\n", 1001, "Unexpected end of file", 2);
    ExpectSyntaxError("<a>\n<", 1001, "Unexpected end of file", 2);
    ExpectSyntaxError("<a>\n< b/></a>", 1002, "A letter was expected", 2);
    ExpectSyntaxError("<a>\n\n</9></a>", 1002, "A letter was expected", 3);
    ExpectSyntaxError("<a>\n<b x=1/></a>", 1003, "A quote '\"' was expected", 2);
    ExpectSyntaxError("<?xml version=\"1.0\">\n<a/>", 1004, "Ill formed header", 1);
    ExpectSyntaxError("<?xml version=\"1.0\"encoding=\"UTF-8\"?><a/>", 1004, "Ill formed header", 1);
    ExpectSyntaxError("<? xml?><a/>", 1004, "Ill formed header", 1);
    ExpectSyntaxError("<a>\n<!-x--></a>", 1005, "A minus '-' was expected", 2);
    ExpectSyntaxError("<a>\n<![CDATX[x]]></a>", 1006, "Ill formed CDATA section", 2);
    ExpectSyntaxError("<a>\n<b x \"1\"/></a>", 1007, "A '=' was expected", 2);
    ExpectSyntaxError("<a 1x=\"1\"/>", 1008, "Ill formed attribute name", 1);
    ExpectSyntaxError("<a x$=\"1\"/>", 1008, "Ill formed attribute name", 1);
    ExpectSyntaxError("<a x=\"1\"/ >", 1009, "A '>' was expected", 1);
    ExpectSyntaxError("<a x=\"1\"y=\"2\"/>", 1009, "A '>' was expected", 1);
    ExpectSyntaxError("<a>\n</a x>", 1009, "A '>' was expected", 2);
    ExpectSyntaxError("<a/>\n</a>", 1010, "No opening tag", 2);
    ExpectSyntaxError("just text", 1010, "No opening tag", 1);
    ExpectSyntaxError("<a/>\ntrailing text", 1010, "No opening tag", 2);
    ExpectSyntaxError("<![CDATA[x]]><a/>", 1010, "No opening tag", 1);
    ExpectSyntaxError("<a>\n<b>\n</a>", 1011, "Open and close tags do not correspond", 3);
    ExpectSyntaxError("<a$b/>", 1012, "Ill formed tag name", 1);
    ExpectSyntaxError("<a></a$>", 1012, "Ill formed tag name", 1);
    ExpectSyntaxError("<!ELEMENT a ANY><a/>", 1012, "Ill formed tag name", 1);
    ExpectSyntaxError("<a>\n<b/>\n", 1013, "Unclosed tag(s)", 3);
}

TEST_F(XMLParserFixture, NothingIsDoneWhenTheCounterIsAlreadySet) {
    errors = 2;
    EXPECT_EQ(parser.ParseString(errors, &document, "<a/>"), 1);
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(parser.GetMessenger()->GetNumberOfMessages(), 0);
    for (int code : {1001, 1013}) EXPECT_TRUE(PLOVXMLParser::IsXMLSyntaxError(code)) << code;
    for (int code : {1000, 1014, 10090}) EXPECT_FALSE(PLOVXMLParser::IsXMLSyntaxError(code)) << code;
}

TEST_F(XMLParserFixture, ReadsTheStructureOfADocument) {
    const std::string text =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding='UTF-8' standalone=\"yes\"?>\n"
        "<!DOCTYPE open-psa SYSTEM \"opsa.dtd\" [\n"
        "  <!ELEMENT open-psa (define-gate)*>\n"
        "  <!-- a '>' and a quote ' in a comment -->\n"
        "  <!ATTLIST define-gate name CDATA #REQUIRED>\n"
        "]>\n"
        "<?xml-stylesheet href=\"style.css\"?>\n"
        "<!-- top comment -->\n"
        "<open-psa pure='false' version = \"2\">\n"
        "  <define-gate name=\"g1\">\n"
        "    <label>The <![CDATA[<first>]]> gate</label>\n"
        "    <or><basic-event name=\"e1\"/><basic-event name='e2' /></or>\n"
        "  </define-gate>\n"
        "  <?process this?>\n"
        "</open-psa >\n"
        "<!-- after -->\n";
    // White space between elements is dropped; the processing instructions
    // and the document type leave nothing.
    EXPECT_EQ(Tree(text), "<!-- top comment --> open-psa[pure='false' version='2'](define-gate[name='g1']("
                          "label(\"The \" <![CDATA[<first>]]> \" gate\") "
                          "or(basic-event[name='e1']() basic-event[name='e2']()))) <!-- after -->");
    EXPECT_STREQ(document.GetDocumentType(), "open-psa");
    EXPECT_EQ(document.GetNumberOfNodes(), 11);
    const PLOVXMLNode* root = document.GetRootElement();
    EXPECT_EQ(root->GetParent(), &document);
    EXPECT_TRUE(root->LookForAttribute("pure")->IsBool());
    EXPECT_STREQ(root->GetAttributeValue("version"), "2");
    EXPECT_EQ(root->GetAttributeValue("missing"), nullptr);
    const PLOVXMLNode* gate = root->GetFirstChild();
    EXPECT_EQ(document.GetFirstChild()->GetLine(), 8);
    EXPECT_EQ(root->GetLine(), 9);
    EXPECT_EQ(gate->GetLine(), 10);
    EXPECT_EQ(gate->GetLastChild()->GetLine(), 12);
}

TEST_F(XMLParserFixture, TranslatesEntitiesAndCharacterReferences) {
    EXPECT_EQ(Tree("<a v=\"&lt;&amp;&gt;&quot;&apos;&#65;&#x42;&#xe9;&#x20AC;&#128512;\">"
                   "x &amp; y &#60;z&#62; &#xE9;t&#233;</a>"),
              "a[v='<&>\"'AB\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80'](\"x & y <z> \xC3\xA9t\xC3\xA9\")");
    // Not references: kept as they stand.
    EXPECT_EQ(Tree("<a v=\"R&D &nbsp; &#0; &#xD800; &#x110000; &#12 &#; &#x; &amp &#99999999999999999;\">"
                   "R&D &foo; &#X41; &</a>"),
              "a[v='R&D &nbsp; &#0; &#xD800; &#x110000; &#12 &#; &#x; &amp &#99999999999999999;']"
              "(\"R&D &foo; &#X41; &\")");
    // Quotes of the other kind inside a value, and markup characters.
    EXPECT_EQ(Tree("<a x='say \"hi\"' y=\"it's\" z=\"a>b\"/>"), "a[x='say \"hi\"' y='it's' z='a>b']()");
}

TEST_F(XMLParserFixture, ReducesWhiteSpaceRunsInTexts) {
    EXPECT_EQ(Tree("<a>  x \n\t y  <b/>\n\n</a>"), "a(\" x y \" b())");
    EXPECT_EQ(document.GetRootElement()->GetFirstChild()->GetLine(), 1);
    // References to white space are not reduced; a text of references to
    // white space is not dropped.
    EXPECT_EQ(Tree("<a>a&#10;&#10;b &#32; c</a>"), "a(\"a\n\nb   c\")");
    EXPECT_EQ(Tree("<a>&#32;</a>"), "a(\" \")");
    // CDATA and comments keep their white space.
    EXPECT_EQ(Tree("<a><![CDATA[  x\n  y ]]><!--  c\n --></a>"), "a(<![CDATA[  x\n  y ]]> <!--  c\n -->)");
    // Markup that leaves no node does not split a text.
    EXPECT_EQ(Tree("<a>x <?p?> y<!DOCTYPE b>z<?q?></a>"), "a(\"x yz\")");
    EXPECT_EQ(Tree("<a>\n<?p?>\n<b/></a>"), "a(b())");
    // Text nodes of white space only are kept when asked for.
    parser.SetKeepWhitespaceText(true);
    EXPECT_EQ(Tree("<a>\n  <b/>\n</a>"), "a(\" \" b() \" \")");
    parser.SetKeepWhitespaceText(false);
    EXPECT_EQ(Tree("<a>\n  <b/>\n</a>"), "a(b())");
}

TEST_F(XMLParserFixture, LinesFollowEveryKindOfContent) {
    ASSERT_EQ(Parse("<a\n  x=\"1\n2\"\n>\n<!--\n\n-->\n<![CDATA[\n]]>\n\n  text\n<b\n/></a>"), 0);
    const PLOVXMLNode* a = document.GetRootElement();
    EXPECT_EQ(a->GetLine(), 1);
    const PLOVXMLNode* comment = a->GetFirstChild();
    EXPECT_EQ(comment->GetLine(), 5);
    EXPECT_EQ(comment->GetNextSibling()->GetLine(), 8);
    const PLOVXMLNode* text = comment->GetNextSibling()->GetNextSibling();
    EXPECT_EQ(text->GetLine(), 11);
    EXPECT_EQ(text->GetNextSibling()->GetLine(), 12);
    EXPECT_EQ(parser.GetLineNumber(), 13);
}

TEST_F(XMLParserFixture, ParsesAnOpenFile) {
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::string text = "<?xml version=\"1.0\"?>\n<r>";
    for (int i = 0; i < 20000; ++i) text += "<e name=\"e" + std::to_string(i) + "\"/>\n";
    text += "</r>\n";
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    parser.SetInputFileName("big.xml");
    EXPECT_EQ(parser.ParseFile(&document, file), 0);
    std::fclose(file);
    EXPECT_EQ(document.GetRootElement()->GetNumberOfChildren(), 20000);
    EXPECT_STREQ(document.GetRootElement()->GetLastChild()->GetAttributeValue("name"), "e19999");
    EXPECT_EQ(document.GetRootElement()->GetLastChild()->GetLine(), 20001);
    EXPECT_STREQ(document.GetRootElement()->GetFileName(), "big.xml");
    // No file, or a file that cannot be read (a directory): reported, not a
    // crash.
    errors = 0;
    EXPECT_EQ(parser.ParseFile(errors, &document, nullptr), 1);
    EXPECT_EQ(errors, 1);
    FILE* directory = std::fopen(KEFO_TEST_DATA_DIR, "rb");
    if (directory != nullptr) {
        errors = 0;
        parser.GetMessenger()->ResetMessages();
        EXPECT_EQ(parser.ParseFile(errors, &document, directory), 1);
        std::fclose(directory);
        EXPECT_EQ(errors, 1);
        ASSERT_NE(OnlyMessage(), nullptr);
        EXPECT_EQ(OnlyMessage()->GetCode(), 1001u);
        EXPECT_EQ(document.GetFirstChild(), nullptr);
    }
}

TEST_F(XMLParserFixture, EveryTruncationOfAModelIsACodedError) {
    std::string text = xmltest::ReadWholeFile(std::string(KEFO_TEST_DATA_DIR) + "/models/chinese.xml");
    ASSERT_FALSE(text.empty());
    std::size_t complete = text.rfind('>') + 1;
    for (std::size_t n = 0; n < complete; ++n) {
        ASSERT_EQ(Parse(text.substr(0, n)), 1) << n;
        const PLOVMessage* m = OnlyMessage();
        ASSERT_NE(m, nullptr) << n;
        EXPECT_TRUE(m->GetCode() == 1001 || m->GetCode() == 1013 || m->GetCode() == 1002) << n << " " << m->GetCode();
    }
    EXPECT_EQ(Parse(text.substr(0, complete)), 0);
}

TEST_F(XMLParserFixture, MalformedInputsEndInOneCodedMessage) {
    const std::string inputs[] = {"<a><b></a></b>", "<a></b>", "</a><a>", "<a><b><c></c></b>", "<<<>>>",
                                  std::string("<a\0b/>", 6), std::string("\0\1\2", 3),
                                  std::string("<a x=\"\0\"/>", 10), "<!DOCTYPE", "<!DOCTYPE a [",
                                  "<!DOCTYPE a \"x", "<?pi", "<?xml", "<?xml v", "<?xml v=", "<?xml v='1'?",
                                  "<![CDATA", "<a><![CDATA[x]]", "<a><!--x--", "<a/><b/>trailing"};
    for (const std::string& input : inputs) ExpectCleanOutcome(input);
    // A NUL byte inside a text is kept.
    ASSERT_EQ(Parse(std::string("<a>x\0y</a>", 10)), 0);
    EXPECT_EQ(NameOf(document.GetRootElement()->GetFirstChild()), std::string("x\0y", 3));
    std::mt19937 random(20240611);
    for (int trial = 0; trial < 300; ++trial) {
        std::string garbage(1 + random() % 2000, '\0');
        for (char& c : garbage) c = static_cast<char>(random() & 0xFF);
        if (trial % 3 == 1) garbage = "<r>" + garbage;
        // Random pieces of markup.
        if (trial % 3 == 2) {
            static const char* pieces[] = {"<a>", "</a>", "<b x=\"1\">", "</b>", "<c/>", "<!--", "-->", "&amp;",
                                           "<![CDATA[", "]]>", "<?x", "?>", "\"", "=", " ", "\n", "t"};
            garbage.clear();
            for (int i = 0; i < 40; ++i) garbage += pieces[random() % 17];
        }
        ExpectCleanOutcome(garbage);
    }
}

TEST_F(XMLParserFixture, TenMegabytesOnOneLine) {
    const std::size_t size = 10 * 1024 * 1024;
    std::string text = "<a>" + std::string(size, 'x') + "</a>";
    ASSERT_EQ(Parse(text), 0);
    EXPECT_EQ(document.GetRootElement()->GetFirstChild()->GetNameLength(), size);
    text = "<a v=\"" + std::string(size, 'y') + "\"/>";
    ASSERT_EQ(Parse(text), 0);
    EXPECT_EQ(document.GetRootElement()->GetFirstAttribute()->GetValueLength(), size);
    // Many elements on one line, cut short.
    text = "<r>";
    while (text.size() < size) text += "<e n=\"1\"/>some text &amp; some more text of the line, &lt;";
    ExpectSyntaxError(text, 1013, "Unclosed tag(s)", 1);
    ExpectSyntaxError("<" + std::string(size, 'n'), 1001, "Unexpected end of file", 1);
    ExpectSyntaxError("<a>" + std::string(size, ' ') + "<", 1001, "Unexpected end of file", 1);
    ExpectSyntaxError("<a><!--" + std::string(size, '-'), 1001, "Unexpected end of file", 1);
}

TEST_F(XMLParserFixture, NestingOneHundredThousandDeep) {
    const int depth = 100000;
    std::string text;
    text.reserve(depth * 8);
    for (int i = 0; i < depth; ++i) text += "<a>";
    text += "x";
    for (int i = 0; i < depth; ++i) text += "</a>";
    ASSERT_EQ(Parse(text), 0);
    int levels = 0;
    const PLOVXMLNode* node = document.GetRootElement();
    while (node != nullptr && node->IsElement()) {
        ++levels;
        node = node->GetFirstChild();
    }
    EXPECT_EQ(levels, depth);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(NameOf(node), "x");
    // Deleting the deep document does not recurse.
    auto* deep = new PLOVXMLDocument;
    int count = 0;
    EXPECT_EQ(parser.ParseString(count, deep, text), 0);
    delete deep;
    // Unclosed and mismatched at depth.
    ExpectSyntaxError(text.substr(0, depth * 3), 1013, "Unclosed tag(s)", 1);
    ExpectSyntaxError(text.substr(0, depth * 3) + "</b>", 1011, "Open and close tags do not correspond", 1);
}

TEST_F(XMLParserFixture, MemoryExhaustionLeavesTheParserUsable) {
    std::string text = xmltest::ReadWholeFile(std::string(KEFO_TEST_DATA_DIR) + "/models/das9202.xml");
    for (long countdown = 0; countdown < 12; ++countdown) {
        PLOVMemoryManager::SetAllocationFailureCountdown(countdown);
        try {
            Parse(text);
        } catch (const PLOVException& e) {
            EXPECT_EQ(e.GetKind(), PLOVException::MemoryOverflow);
        }
        PLOVMemoryManager::SetAllocationFailureCountdown(-1);
        ASSERT_EQ(Parse(text), 0);
        EXPECT_GT(xmltest::CountElements(&document, "define-gate"), 0);
    }
}

}  // namespace
