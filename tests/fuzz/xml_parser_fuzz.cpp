// Fuzz target of the XML reader. Any input must end in a document or in
// exactly one coded syntax error. A document that was read must print, read
// back to the same tree, and print again to the same text.
#include "support/stream.h"
#include "support/xml_attribute.h"
#include "support/xml_document.h"
#include "support/xml_parser.h"
#include "support/xml_printer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool SameBytes(const char* a, std::size_t n, const char* b, std::size_t m) {
    return n == m && (n == 0 || std::memcmp(a, b, n) == 0);
}

// Compares two trees node by node without recursion.
bool SameTree(const PLOVXMLNode* a, const PLOVXMLNode* b) {
    const PLOVXMLNode* root = a;
    for (;;) {
        if (a->GetKind() != b->GetKind()) return false;
        if (!SameBytes(a->GetName(), a->GetNameLength(), b->GetName(), b->GetNameLength())) return false;
        const PLOVXMLAttribute* x = a->GetFirstAttribute();
        const PLOVXMLAttribute* y = b->GetFirstAttribute();
        for (; x != nullptr && y != nullptr; x = x->GetNextAttribute(), y = y->GetNextAttribute())
            if (std::strcmp(x->GetName(), y->GetName()) != 0 ||
                !SameBytes(x->GetValue(), x->GetValueLength(), y->GetValue(), y->GetValueLength()))
                return false;
        if (x != y) return false;
        if ((a->GetFirstChild() == nullptr) != (b->GetFirstChild() == nullptr)) return false;
        if (a->GetFirstChild() != nullptr) {
            a = a->GetFirstChild();
            b = b->GetFirstChild();
            continue;
        }
        for (;;) {
            if (a == root) return true;
            if ((a->GetNextSibling() == nullptr) != (b->GetNextSibling() == nullptr)) return false;
            if (a->GetNextSibling() != nullptr) {
                a = a->GetNextSibling();
                b = b->GetNextSibling();
                break;
            }
            a = a->GetParent();
            b = b->GetParent();
        }
    }
}

// Whether the printer writes some node of the document in an equivalent form
// rather than as it is: a comment holding "--" or ending in "-", a CDATA
// section holding "]]>".
bool HasRewrittenNodes(const PLOVXMLDocument& document) {
    const PLOVXMLNode* n = document.GetFirstChild();
    while (n != nullptr) {
        std::string content(n->GetName(), n->GetNameLength());
        if (n->IsComment() && (content.find("--") != std::string::npos || (!content.empty() && content.back() == '-')))
            return true;
        if (n->IsCDATA() && content.find("]]>") != std::string::npos) return true;
        if (n->GetFirstChild() != nullptr) {
            n = n->GetFirstChild();
            continue;
        }
        while (n != nullptr && n->GetNextSibling() == nullptr) n = n->GetParent() == &document ? nullptr : n->GetParent();
        if (n != nullptr) n = n->GetNextSibling();
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PLOVXMLParser parser;
    PLOVXMLDocument document;
    const char* text = reinterpret_cast<const char*>(data);
    int errors = 0;
    int result = parser.ParseBuffer(errors, &document, text, size);
    if (result != 0) {
        Check(errors == 1 && parser.GetParseError());
        Check(parser.GetMessenger()->GetNumberOfMessages() == 1);
        Check(PLOVXMLParser::IsXMLSyntaxError(static_cast<int>(parser.GetMessenger()->GetMessages().front()->GetCode())));
        Check(document.GetFirstChild() == nullptr);
    } else {
        Check(errors == 0 && parser.GetMessenger()->GetNumberOfMessages() == 0);
        PLOVXMLPrinter printer;
        printer.SetIndentation(1);
        PLOVStringStream first;
        printer.PrintDocument(&first, &document);
        PLOVXMLDocument copy;
        Check(parser.ParseString(errors, &copy, first.GetText()) == 0);
        PLOVStringStream second;
        printer.PrintDocument(&second, &copy);
        Check(second.GetText() == first.GetText());
        // Comments with "--" and CDATA sections with "]]>" are written in an
        // equivalent form, not as they were; everything else is the same.
        if (!HasRewrittenNodes(document)) Check(SameTree(&document, &copy));
    }
    // The same input with the white space texts kept.
    parser.SetKeepWhitespaceText(true);
    errors = 0;
    parser.GetMessenger()->ResetMessages();
    int again = parser.ParseBuffer(errors, &document, text, size);
    Check(again == result);
    return 0;
}
