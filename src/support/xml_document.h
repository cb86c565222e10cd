// An XML document: the document type (the name given by a <!DOCTYPE>
// declaration) and the top-level nodes, which are the document node's
// children. The document owns every node and attribute made for it: they are
// carved out of storage pages taken from the memory accounting, so a document
// of a million nodes costs a few hundred page allocations, and deleting or
// clearing it releases the pages without visiting the nodes (a document
// nested 100,000 deep goes away like a flat one).
#ifndef KEFO_SUPPORT_XML_DOCUMENT_H
#define KEFO_SUPPORT_XML_DOCUMENT_H

#include "support/memory_manager.h"
#include "support/xml_node.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

class PLOVXMLAttribute;

class PLOVXMLDocument : public PLOVXMLNode {
    PLOV_MANAGED_ALLOCATION(PLOVXMLDocument)
public:
    PLOVXMLDocument();
    ~PLOVXMLDocument() override;

    // Removes every node, attribute and the document type; the file name
    // stays.
    void Clear();

    // Empty when the document has no <!DOCTYPE> declaration.
    const char* GetDocumentType() const { return _documentType; }
    void SetDocumentType(const char* text, std::size_t length);

    // The file name every node made from now on reports as its location
    // (copied; null for none).
    void SetDocumentFileName(const char* name);

    // The first top-level element, or null.
    PLOVXMLNode* GetRootElement() const;
    long GetNumberOfNodes() const { return _numberOfNodes; }
    // Bytes taken by the storage pages.
    std::size_t GetStorageSize() const { return _storageSize; }

    // Node construction. A null parent stands for the document itself (a
    // top-level node); otherwise the parent must be an element of this
    // document. The new node is appended after the parent's last child and
    // its text is copied.
    PLOVXMLNode* NewElement(PLOVXMLNode* parent, const char* name);
    PLOVXMLNode* NewElement(PLOVXMLNode* parent, const char* name, std::size_t length);
    PLOVXMLNode* NewText(PLOVXMLNode* parent, const char* text);
    PLOVXMLNode* NewText(PLOVXMLNode* parent, const char* text, std::size_t length);
    PLOVXMLNode* NewComment(PLOVXMLNode* parent, const char* text);
    PLOVXMLNode* NewComment(PLOVXMLNode* parent, const char* text, std::size_t length);
    PLOVXMLNode* NewCDATA(PLOVXMLNode* parent, const char* text);
    PLOVXMLNode* NewCDATA(PLOVXMLNode* parent, const char* text, std::size_t length);

    // Attribute construction: appended after the element's last attribute.
    PLOVXMLAttribute* NewAttribute(PLOVXMLNode* element, const char* name, const char* value);
    PLOVXMLAttribute* NewAttribute(PLOVXMLNode* element, const char* name, std::size_t nameLength,
                                   const char* value, std::size_t valueLength);
    PLOVXMLAttribute* NewBooleanAttribute(PLOVXMLNode* element, const char* name, bool value);
    PLOVXMLAttribute* NewIntegerAttribute(PLOVXMLNode* element, const char* name, long value);
    // The value is written in the shortest form of "%.<digits>g".
    PLOVXMLAttribute* NewRealAttribute(PLOVXMLNode* element, const char* name, double value, int digits = 6);

private:
    friend class PLOVXMLParser;

    struct Page {
        Page* next;
        std::size_t size;
    };

    // Bump allocation inside the current page.
    void* _Allocate(std::size_t size, std::size_t alignment) {
        std::uintptr_t p = (_cursor + alignment - 1) & ~static_cast<std::uintptr_t>(alignment - 1);
        if (p + size > _limit || _cursor == 0) return _AllocateSlowly(size, alignment);
        _cursor = p + size;
        return reinterpret_cast<void*>(p);
    }
    void* _AllocateSlowly(std::size_t size, std::size_t alignment);
    // Room for a text of at most `capacity` bytes and its terminating NUL.
    char* _AllocateText(std::size_t capacity) { return static_cast<char*>(_Allocate(capacity + 1, 1)); }
    // Gives back the end of the last text allocated when it was shorter than
    // its capacity.
    void _ShrinkText(char* text, std::size_t capacity, std::size_t length) {
        if (reinterpret_cast<std::uintptr_t>(text) + capacity + 1 == _cursor)
            _cursor = reinterpret_cast<std::uintptr_t>(text) + length + 1;
    }
    const char* _CopyText(const char* text, std::size_t length);
    void _ReleasePages();

    PLOVXMLNode* _NewNode(Kind kind, const char* name, std::size_t length) {
        void* memory = _Allocate(sizeof(PLOVXMLNode), alignof(PLOVXMLNode));
        PLOVXMLNode* node = ::new (memory) PLOVXMLNode(kind);
        node->_name = name;
        node->_nameLength = length;
        node->_fileName = GetFileName();
        ++_numberOfNodes;
        return node;
    }
    PLOVXMLAttribute* _NewAttribute(const char* name, const char* value, std::size_t valueLength);
    static void _AppendChild(PLOVXMLNode* parent, PLOVXMLNode* child) {
        child->_parent = parent;
        if (parent->_lastChild == nullptr)
            parent->_firstChild = child;
        else
            parent->_lastChild->_nextSibling = child;
        parent->_lastChild = child;
    }
    static void _AppendAttribute(PLOVXMLNode* element, PLOVXMLAttribute* attribute);
    PLOVXMLNode* _NewChild(PLOVXMLNode* parent, Kind kind, const char* text, std::size_t length);

    Page* _pages = nullptr;
    std::uintptr_t _cursor = 0;
    std::uintptr_t _limit = 0;
    std::size_t _nextPageSize;
    std::size_t _storageSize = 0;
    long _numberOfNodes = 0;
    const char* _documentType = "";
    bool _hasFileName = false;
    std::string _fileNameText;
};

#endif
