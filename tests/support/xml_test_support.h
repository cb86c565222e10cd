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
// in order); otherwise a description of the first difference. Walks without
// recursion.
inline std::string CompareTrees(const PLOVXMLNode* a, const PLOVXMLNode* b) {
    const PLOVXMLNode* rootA = a;
    for (;;) {
        if (a == nullptr || b == nullptr) return a == b ? "" : "one tree has fewer nodes";
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
        if ((a->GetFirstChild() == nullptr) != (b->GetFirstChild() == nullptr))
            return "children differ under " + NameOf(a);
        if (a->GetFirstChild() != nullptr) {
            a = a->GetFirstChild();
            b = b->GetFirstChild();
            continue;
        }
        for (;;) {
            if (a == rootA) return "";
            if ((a->GetNextSibling() == nullptr) != (b->GetNextSibling() == nullptr))
                return "sibling counts differ after " + NameOf(a);
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

// Number of elements of that name in the whole document (without recursion).
inline long CountElements(const PLOVXMLNode* root, const char* name) {
    long count = 0;
    const PLOVXMLNode* n = root->GetFirstChild();
    while (n != nullptr) {
        if (n->IsElement() && n->HasName(name)) ++count;
        if (n->GetFirstChild() != nullptr) {
            n = n->GetFirstChild();
            continue;
        }
        while (n != nullptr && n->GetNextSibling() == nullptr) {
            n = n->GetParent();
            if (n == root) n = nullptr;
        }
        if (n != nullptr) n = n->GetNextSibling();
    }
    return count;
}

}  // namespace xmltest

#endif
