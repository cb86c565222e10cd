#include "support/exception.h"
#include "support/stream.h"
#include "support/xml_attribute.h"
#include "support/xml_document.h"
#include "support/xml_parser.h"
#include "support/xml_printer.h"
#include "support/xml_test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using xmltest::NameOf;
using xmltest::ValueOf;

namespace {

TEST(PLOVXMLPrinterTest, PrimitivesWriteIndentedLines) {
    PLOVXMLPrinter printer;
    PLOVStringStream s;
    printer.SetIndentation("\t");
    printer.PrintXMLHeader(&s);
    printer.PrintStartOfTag(&s, "open-psa");
    printer.PrintBooleanAttribute(&s, "pure", true);
    printer.PrintEndOfOpeningTag(&s);
    printer.PrintStartOfTag(&s, "define-gate");
    printer.PrintAttribute(&s, "name", "g&1");
    printer.PrintEndOfOpeningTag(&s);
    printer.PrintTextElement(&s, "label", "a < b");
    printer.PrintStartOfTag(&s, "atleast");
    printer.PrintIntegerAttribute(&s, "min", -2);
    printer.PrintEndOfEmptyTag(&s);
    printer.PrintStartOfTag(&s, "float");
    printer.PrintRealAttribute(&s, "value", 1.0 / 3.0);
    printer.PrintBooleanAttribute(&s, "on", false);
    printer.PrintEndOfEmptyTag(&s);
    printer.PrintEmptyTag(&s, "true");
    printer.PrintComment(&s, "a -- b-");
    printer.PrintIndentation(&s);
    printer.PrintCDATA(&s, "x]]>y");
    s.PrintNewLine();
    printer.PrintClosingTag(&s, "define-gate");
    printer.PrintOpeningTag(&s, "model-data");
    printer.PrintClosingTag(&s, "model-data");
    printer.PrintClosingTag(&s, "open-psa");
    EXPECT_EQ(printer.GetDepth(), 0);
    EXPECT_EQ(s.GetText(),
              "<?xml version=\"1.0\"?>\n"
              "<open-psa pure=\"true\">\n"
              "\t<define-gate name=\"g&amp;1\">\n"
              "\t\t<label>a &lt; b</label>\n"
              "\t\t<atleast min=\"-2\"/>\n"
              "\t\t<float value=\"0.333333\" on=\"false\"/>\n"
              "\t\t<true/>\n"
              "\t\t<!--a - - b- -->\n"
              "\t\t<![CDATA[x]]]]><![CDATA[>y]]>\n"
              "\t</define-gate>\n"
              "\t<model-data>\n"
              "\t</model-data>\n"
              "</open-psa>\n");
    // Reals follow the stream's number of digits.
    PLOVStringStream t;
    t.SetNumberOfSignificantDigits(3);
    printer.PrintRealAttribute(&t, "p", 1.0 / 3.0);
    printer.PrintRealAttribute(&t, "q", 1e-10);
    EXPECT_EQ(t.GetText(), " p=\"0.333\" q=\"1e-10\"");
    // The depth does not go below zero; no indentation at all.
    printer.DecrementDepth();
    EXPECT_EQ(printer.GetDepth(), 0);
    printer.SetIndentation(0);
    printer.SetDepth(4);
    PLOVStringStream u;
    printer.PrintEmptyTag(&u, "x");
    EXPECT_EQ(u.GetText(), "<x/>\n");
}

TEST(PLOVXMLPrinterTest, EscapesSoThatTheReaderGetsTheSameCharacters) {
    PLOVStringStream s;
    PLOVXMLPrinter::PrintEscapedText(&s, "a&b<c>d\"e'f", 11);
    EXPECT_EQ(s.GetText(), "a&amp;b&lt;c&gt;d&quot;e'f");
    s.Clear();
    std::string spaced = "  x  y\tz\n";
    PLOVXMLPrinter::PrintEscapedText(&s, spaced.data(), spaced.size());
    EXPECT_EQ(s.GetText(), " &#32;x &#32;y&#9;z&#10;");
    s.Clear();
    PLOVXMLPrinter::PrintEscapedText(&s, "  ", 2);
    EXPECT_EQ(s.GetText(), "&#32;&#32;");
    s.Clear();
    PLOVXMLPrinter::PrintEscapedAttributeValue(&s, "<\"a\"\n&\t'b' c>", 13);
    EXPECT_EQ(s.GetText(), "&lt;&quot;a&quot;&#10;&amp;&#9;'b' c&gt;");
}

// A document of every kind of node, with the characters that need care.
void BuildAwkwardDocument(PLOVXMLDocument& d) {
    PLOVXMLNode* root = d.NewElement(nullptr, "open-psa");
    d.NewAttribute(root, "name", "a&b <c> \"d\" 'e'\n\tf  g");
    d.NewBooleanAttribute(root, "pure", false);
    d.NewComment(nullptr, " made by a test ");
    PLOVXMLNode* gate = d.NewElement(root, "define-gate");
    d.NewAttribute(gate, "name", "");
    PLOVXMLNode* label = d.NewElement(gate, "label");
    d.NewText(label, "  Loss of power & <heat>\n  \"twice\"  ");
    PLOVXMLNode* mixed = d.NewElement(gate, "mixed");
    d.NewText(mixed, "before ");
    PLOVXMLNode* inner = d.NewElement(mixed, "b");
    d.NewIntegerAttribute(inner, "n", 42);
    d.NewText(inner, "\xC3\xA9t\xC3\xA9");
    d.NewComment(mixed, "inside");
    d.NewCDATA(mixed, "<raw> & stuff\n");
    d.NewElement(mixed, "empty");
    d.NewText(mixed, " ");
    PLOVXMLNode* orNode = d.NewElement(gate, "or");
    for (int i = 0; i < 3; ++i) {
        PLOVXMLNode* e = d.NewElement(orNode, "basic-event");
        d.NewAttribute(e, "name", ("e" + std::to_string(i)).c_str());
    }
    PLOVXMLNode* data = d.NewElement(root, "model-data");
    PLOVXMLNode* f = d.NewElement(d.NewElement(data, "define-basic-event"), "float");
    d.NewRealAttribute(f, "value", 1.5e-7, 17);
}

TEST(PLOVXMLPrinterTest, PrintedDocumentsReadBackIdentically) {
    PLOVXMLDocument original;
    BuildAwkwardDocument(original);
    EXPECT_EQ(original.GetNumberOfNodes(), 20);
    PLOVXMLPrinter printer;
    PLOVStringStream s;
    printer.PrintDocument(&s, &original);
    EXPECT_EQ(printer.GetDepth(), 0);
    PLOVXMLParser parser;
    PLOVXMLDocument copy;
    int errors = 0;
    ASSERT_EQ(parser.ParseString(errors, &copy, s.GetText()), 0) << s.GetText();
    EXPECT_EQ(xmltest::CompareTrees(&original, &copy), "") << s.GetText();
    // Pretty layout for element-only contents, one line for mixed contents.
    EXPECT_NE(s.GetText().find("\n  <define-gate name=\"\">\n    <label> &#32;Loss"), std::string::npos)
        << s.GetText();
    EXPECT_NE(s.GetText().find("\n    <mixed>before <b n=\"42\">\xC3\xA9t\xC3\xA9</b><!--inside--><![CDATA[<raw> & "
                               "stuff\n]]><empty/>&#32;</mixed>\n"),
              std::string::npos)
        << s.GetText();
    EXPECT_STREQ(copy.GetRootElement()->GetLastChild()->GetFirstChild()->GetFirstChild()->GetAttributeValue("value"),
                 "1.4999999999999999e-07");
    // Printing the copy gives the same text.
    PLOVStringStream again;
    printer.PrintDocument(&again, &copy);
    EXPECT_EQ(again.GetText(), s.GetText());
}

TEST(PLOVXMLPrinterTest, RandomDocumentsSurviveARoundTrip) {
    std::mt19937 random(7);
    const char alphabet[] = "ab &<>\"'\n\t;#x1\xC3\xA9]";
    auto randomText = [&](std::size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& c : text) c = alphabet[random() % (sizeof alphabet - 1)];
        return text;
    };
    PLOVXMLPrinter printer;
    PLOVXMLParser parser;
    for (int trial = 0; trial < 200; ++trial) {
        PLOVXMLDocument original;
        PLOVXMLNode* root = original.NewElement(nullptr, "r");
        PLOVXMLNode* open[8] = {root};
        int depth = 1;
        for (int i = 0; i < 30; ++i) {
            PLOVXMLNode* parent = open[random() % depth];
            switch (random() % 5) {
            case 0:
            case 1: {
                PLOVXMLNode* e = original.NewElement(parent, random() % 2 ? "e" : "f:g-h.1");
                for (int a = static_cast<int>(random() % 3); a > 0; --a)
                    original.NewAttribute(e, a == 1 ? "x" : "y", randomText(8).c_str());
                if (depth < 8) open[depth++] = e;
                break;
            }
            case 2: {
                // Adjacent texts would merge when read back.
                std::string text = randomText(10);
                if (!text.empty() && (parent->GetLastChild() == nullptr || !parent->GetLastChild()->IsText()))
                    original.NewText(parent, text.c_str());
                break;
            }
            case 3: {
                std::string text = randomText(6);
                if (text.find("]]>") == std::string::npos) original.NewCDATA(parent, text.c_str());
                break;
            }
            default: {
                std::string text = randomText(6);
                if (text.find('-') == std::string::npos) original.NewComment(parent, text.c_str());
                break;
            }
            }
        }
        PLOVStringStream s;
        printer.PrintDocument(&s, &original);
        PLOVXMLDocument copy;
        int errors = 0;
        ASSERT_EQ(parser.ParseString(errors, &copy, s.GetText()), 0) << s.GetText();
        ASSERT_EQ(xmltest::CompareTrees(&original, &copy), "") << s.GetText();
    }
}

TEST(PLOVXMLPrinterTest, DeepDocumentsPrintWithoutRecursion) {
    PLOVXMLDocument d;
    PLOVXMLNode* node = nullptr;
    for (int i = 0; i < 100000; ++i) node = d.NewElement(node, "a");
    d.NewText(node, "leaf");
    PLOVXMLPrinter printer;
    printer.SetIndentation(0);
    PLOVStringStream s;
    printer.PrintDocument(&s, &d);
    EXPECT_EQ(s.GetText().size(), 22u + 99999u * 9u + 12u);
    PLOVXMLParser parser;
    PLOVXMLDocument copy;
    int errors = 0;
    ASSERT_EQ(parser.ParseString(errors, &copy, s.GetText()), 0);
    // The copy prints the same text (a walk of the trees would recurse).
    PLOVStringStream again;
    printer.PrintDocument(&again, &copy);
    EXPECT_TRUE(again.GetText() == s.GetText());
}

TEST(PLOVXMLDocumentTest, BuildsNodesAndReadsAttributeValues) {
    PLOVXMLDocument d;
    EXPECT_EQ(d.GetRootElement(), nullptr);
    d.SetDocumentFileName("m.xml");
    d.NewComment(nullptr, "c");
    PLOVXMLNode* e = d.NewElement(nullptr, "e");
    EXPECT_EQ(d.GetRootElement(), e);
    EXPECT_STREQ(e->GetFileName(), "m.xml");
    EXPECT_TRUE(e->HasName("e"));
    EXPECT_FALSE(e->HasName("e2"));
    d.NewBooleanAttribute(e, "b", true);
    d.NewIntegerAttribute(e, "i", -17);
    d.NewRealAttribute(e, "r", 2.5e-3);
    d.NewAttribute(e, "s", " 12 ");
    d.NewAttribute(e, "bad", "1.5x");
    d.NewAttribute(e, "nan", "nan");
    d.NewAttribute(e, "big", "99999999999999999999");
    bool b = false;
    long i = 0;
    double r = 0.0;
    EXPECT_TRUE(e->LookForAttribute("b")->IsBool());
    EXPECT_TRUE(e->LookForAttribute("b")->GetBoolValue(b));
    EXPECT_TRUE(b);
    EXPECT_FALSE(e->LookForAttribute("i")->IsBool());
    EXPECT_TRUE(e->LookForAttribute("i")->GetIntegerValue(i));
    EXPECT_EQ(i, -17);
    EXPECT_TRUE(e->LookForAttribute("r")->GetRealValue(r));
    EXPECT_DOUBLE_EQ(r, 2.5e-3);
    EXPECT_TRUE(e->LookForAttribute("s")->GetIntegerValue(i));
    EXPECT_EQ(i, 12);
    EXPECT_TRUE(e->LookForAttribute("i")->GetRealValue(r));
    EXPECT_EQ(r, -17.0);
    EXPECT_FALSE(e->LookForAttribute("bad")->GetRealValue(r));
    EXPECT_FALSE(e->LookForAttribute("bad")->GetIntegerValue(i));
    EXPECT_FALSE(e->LookForAttribute("nan")->GetRealValue(r));
    EXPECT_FALSE(e->LookForAttribute("big")->GetIntegerValue(i));
    EXPECT_FALSE(e->LookForAttribute("r")->GetIntegerValue(i));
    EXPECT_FALSE(e->LookForAttribute("s")->GetBoolValue(b));
    EXPECT_EQ(i, 12);
    EXPECT_EQ(e->GetNumberOfAttributes(), 7);
    // Texts cannot hold children.
    PLOVXMLNode* text = d.NewText(e, "t");
    EXPECT_THROW(d.NewElement(text, "x"), PLOVException);
    // Clearing keeps the file name for later nodes.
    d.Clear();
    EXPECT_EQ(d.GetFirstChild(), nullptr);
    EXPECT_EQ(d.GetNumberOfNodes(), 0);
    EXPECT_LE(d.GetStorageSize(), 16384u);
    EXPECT_STREQ(d.NewElement(nullptr, "f")->GetFileName(), "m.xml");
    // Large texts get pages of their own and the small ones go on.
    std::string large(1 << 20, 'z');
    PLOVXMLNode* big = d.NewText(d.GetRootElement(), large.c_str());
    PLOVXMLNode* after = d.NewElement(d.GetRootElement(), "after");
    EXPECT_EQ(big->GetNameLength(), large.size());
    EXPECT_EQ(big->GetNextSibling(), after);
    EXPECT_GT(d.GetStorageSize(), large.size());
}

}  // namespace
