// A node of an XML document read by the library's own XML reader or built by
// a printer: an element, a text, a comment or a CDATA section. Error
// locations of the XML model readers are nodes (file name and line).
//
// The nodes of a document live in the document's storage pages: they are
// made by the document (PLOVXMLDocument::NewElement and the like) and all go
// away with it at once, so that neither reading nor deleting a document
// allocates or recurses per node. A node made on its own (new PLOVXMLNode)
// serves only as an error location. A node of a document must never be
// deleted on its own.
#ifndef KEFO_SUPPORT_XML_NODE_H
#define KEFO_SUPPORT_XML_NODE_H

#include "support/memory_manager.h"

#include <cstddef>

class PLOVXMLAttribute;

class PLOVXMLNode {
    PLOV_MANAGED_ALLOCATION(PLOVXMLNode)
public:
    enum Kind { Element = 0, Text = 1, Comment = 2, CDATA = 3, Document = 4 };

    PLOVXMLNode() = default;
    explicit PLOVXMLNode(Kind kind) : _kind(kind) {}
    virtual ~PLOVXMLNode() = default;
    PLOVXMLNode(const PLOVXMLNode&) = delete;
    PLOVXMLNode& operator=(const PLOVXMLNode&) = delete;

    Kind GetKind() const { return _kind; }
    bool IsElement() const { return _kind == Element; }
    bool IsText() const { return _kind == Text; }
    bool IsComment() const { return _kind == Comment; }
    bool IsCDATA() const { return _kind == CDATA; }

    // The element's name, or the content of a text, comment or CDATA node
    // (entities translated in texts). Never null. A text may hold NUL bytes
    // from the source, hence the length.
    const char* GetName() const { return _name; }
    std::size_t GetNameLength() const { return _nameLength; }
    bool HasName(const char* name) const;

    PLOVXMLNode* GetParent() const { return _parent; }
    PLOVXMLNode* GetFirstChild() const { return _firstChild; }
    PLOVXMLNode* GetLastChild() const { return _lastChild; }
    PLOVXMLNode* GetNextSibling() const { return _nextSibling; }
    int GetNumberOfChildren() const;

    PLOVXMLAttribute* GetFirstAttribute() const { return _firstAttribute; }
    int GetNumberOfAttributes() const;
    // The first attribute of that name, or null.
    PLOVXMLAttribute* LookForAttribute(const char* name) const;
    // The value of the first attribute of that name, or null.
    const char* GetAttributeValue(const char* name) const;

    // Null when the node does not come from a named file. The text is not
    // owned: for nodes of a document it is kept by the document.
    const char* GetFileName() const { return _fileName; }
    void SetFileName(const char* name) { _fileName = name; }
    int GetLine() const { return _line; }
    void SetLine(int line) { _line = line; }

private:
    friend class PLOVXMLDocument;
    friend class PLOVXMLParser;

    Kind _kind = Element;
    int _line = -1;
    const char* _name = "";
    std::size_t _nameLength = 0;
    const char* _fileName = nullptr;
    PLOVXMLNode* _parent = nullptr;
    PLOVXMLNode* _firstChild = nullptr;
    PLOVXMLNode* _lastChild = nullptr;
    PLOVXMLNode* _nextSibling = nullptr;
    PLOVXMLAttribute* _firstAttribute = nullptr;
    PLOVXMLAttribute* _lastAttribute = nullptr;
};

#endif
