// Helpers shared by the XML reader and printer tests (the model reader tests
// read files with ReadWholeFile too).
#ifndef KEFO_TESTS_SUPPORT_XML_TEST_SUPPORT_H
#define KEFO_TESTS_SUPPORT_XML_TEST_SUPPORT_H

#include "support/xml_attribute.h"
#include "support/xml_document.h"
#include "support/xml_node.h"

#include <cstdio>
#include <string>

namespace xmltest {

inline std::string ReadWholeFile(const std::string& path) {
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return text;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
    return text;
}

inline std::string NameOf(const PLOVXMLNode* node) { return std::string(node->GetName(), node->GetNameLength()); }

inline std::string ValueOf(const PLOVXMLAttribute* a) { return std::string(a->GetValue(), a->GetValueLength()); }

// A compact form of a tree, to check small documents whole: an element as
// name[attribute='value' ...](children), a text in double quotes,
// <![CDATA[...]]> and <!--...--> as written; siblings apart by a space.
inline std::string Dump(const PLOVXMLNode* node) {
    std::string text;
    switch (node->GetKind()) {
    case PLOVXMLNode::Text: return '"' + NameOf(node) + '"';
    case PLOVXMLNode::CDATA: return "<![CDATA[" + NameOf(node) + "]]>";
    case PLOVXMLNode::Comment: return "<!--" + NameOf(node) + "-->";
    case PLOVXMLNode::Element: text = NameOf(node); break;
    default: break;
    }
    for (const PLOVXMLAttribute* a = node->GetFirstAttribute(); a != nullptr; a = a->GetNextAttribute())
        text += (a == node->GetFirstAttribute() ? "[" : " ") + std::string(a->GetName()) + "='" + ValueOf(a) + "'" +
                (a->GetNextAttribute() == nullptr ? "]" : "");
    std::string children;
    for (const PLOVXMLNode* c = node->GetFirstChild(); c != nullptr; c = c->GetNextSibling())
        children += (children.empty() ? "" : " ") + Dump(c);
    return node->IsElement() ? text + "(" + children + ")" : children;
}

// Empty when both trees hold the same nodes (kinds, names, texts, attributes
// in order); otherwise a description of the first difference. Recursive:
// for documents of a few levels.
inline std::string CompareTrees(const PLOVXMLNode* a, const PLOVXMLNode* b) {
    if (a->GetKind() != b->GetKind()) return "kinds differ at " + NameOf(a);
    if (NameOf(a) != NameOf(b)) return "names differ: '" + NameOf(a) + "' and '" + NameOf(b) + "'";
    const PLOVXMLAttribute* x = a->GetFirstAttribute();
    const PLOVXMLAttribute* y = b->GetFirstAttribute();
    for (; x != nullptr && y != nullptr; x = x->GetNextAttribute(), y = y->GetNextAttribute()) {
        if (std::string(x->GetName()) != y->GetName() || ValueOf(x) != ValueOf(y))
            return "attributes differ on " + NameOf(a) + ": " + x->GetName() + "='" + ValueOf(x) + "' and " +
                   y->GetName() + "='" + ValueOf(y) + "'";
    }
    if (x != y) return "attribute counts differ on " + NameOf(a);
    const PLOVXMLNode* c = a->GetFirstChild();
    const PLOVXMLNode* d = b->GetFirstChild();
    for (; c != nullptr && d != nullptr; c = c->GetNextSibling(), d = d->GetNextSibling()) {
        const std::string difference = CompareTrees(c, d);
        if (!difference.empty()) return difference;
    }
    return c == d ? "" : "child counts differ under " + NameOf(a);
}

// Number of elements of that name under the node (documents of a few levels).
inline long CountElements(const PLOVXMLNode* root, const char* name) {
    long count = 0;
    for (const PLOVXMLNode* n = root->GetFirstChild(); n != nullptr; n = n->GetNextSibling())
        count += (n->IsElement() && n->HasName(name) ? 1 : 0) + CountElements(n, name);
    return count;
}

}  // namespace xmltest

#endif
