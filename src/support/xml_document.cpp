#include "support/xml_document.h"

#include "support/exception.h"
#include "support/stream.h"
#include "support/xml_attribute.h"

#include <cstdio>
#include <cstring>

namespace {
// Pages grow from a small first page (small documents, tests) to a size that
// keeps the number of pages of a large model low.
const std::size_t firstPageSize = 16 * 1024;
const std::size_t largestPageSize = 1024 * 1024;
}  // namespace

PLOVXMLDocument::PLOVXMLDocument() : PLOVXMLNode(Document), _nextPageSize(firstPageSize) {}

PLOVXMLDocument::~PLOVXMLDocument() { _ReleasePages(); }

void PLOVXMLDocument::_ReleasePages() {
    Page* page = _pages;
    while (page != nullptr) {
        Page* next = page->next;
        PLOVMemoryManager::DeleteCell(page);
        page = next;
    }
    _pages = nullptr;
    _cursor = 0;
    _limit = 0;
    _storageSize = 0;
    _nextPageSize = firstPageSize;
}

void PLOVXMLDocument::Clear() {
    _ReleasePages();
    _numberOfNodes = 0;
    _documentType = "";
    PLOVXMLNode::_firstChild = nullptr;
    PLOVXMLNode::_lastChild = nullptr;
    PLOVXMLNode::_firstAttribute = nullptr;
    PLOVXMLNode::_lastAttribute = nullptr;
    SetFileName(nullptr);
    if (_hasFileName) SetFileName(_CopyText(_fileNameText.data(), _fileNameText.size()));
}

void* PLOVXMLDocument::_AllocateSlowly(std::size_t size, std::size_t alignment) {
    const std::size_t header = (sizeof(Page) + 15) & ~static_cast<std::size_t>(15);
    if (size + alignment > _nextPageSize / 4) {
        // A large block (a long text) gets a page of its own, placed behind
        // the current page so that the room left there stays in use.
        std::size_t pageSize = header + size + alignment;
        Page* page = static_cast<Page*>(PLOVMemoryManager::NewCell(pageSize));
        page->size = pageSize;
        _storageSize += pageSize;
        if (_pages == nullptr) {
            page->next = nullptr;
            _pages = page;
        } else {
            page->next = _pages->next;
            _pages->next = page;
        }
        std::uintptr_t p = reinterpret_cast<std::uintptr_t>(page) + header;
        p = (p + alignment - 1) & ~static_cast<std::uintptr_t>(alignment - 1);
        return reinterpret_cast<void*>(p);
    }
    Page* page = static_cast<Page*>(PLOVMemoryManager::NewCell(_nextPageSize));
    page->size = _nextPageSize;
    page->next = _pages;
    _pages = page;
    _storageSize += _nextPageSize;
    _cursor = reinterpret_cast<std::uintptr_t>(page) + header;
    _limit = reinterpret_cast<std::uintptr_t>(page) + _nextPageSize;
    if (_nextPageSize < largestPageSize) _nextPageSize *= 2;
    return _Allocate(size, alignment);
}

const char* PLOVXMLDocument::_CopyText(const char* text, std::size_t length) {
    char* copy = _AllocateText(length);
    if (length > 0) std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

void PLOVXMLDocument::SetDocumentType(const char* text, std::size_t length) {
    _documentType = text != nullptr ? _CopyText(text, length) : "";
}

void PLOVXMLDocument::SetDocumentFileName(const char* name) {
    _hasFileName = name != nullptr;
    _fileNameText = name != nullptr ? name : "";
    SetFileName(_hasFileName ? _CopyText(_fileNameText.data(), _fileNameText.size()) : nullptr);
}

PLOVXMLNode* PLOVXMLDocument::GetRootElement() const {
    for (PLOVXMLNode* node = GetFirstChild(); node != nullptr; node = node->GetNextSibling())
        if (node->IsElement()) return node;
    return nullptr;
}

PLOVXMLNode* PLOVXMLDocument::_NewChild(PLOVXMLNode* parent, Kind kind, const char* text, std::size_t length) {
    if (parent == nullptr) parent = this;
    // Only elements and the document hold children.
    if (parent != this && !parent->IsElement()) PLOVException::RaiseInternalError();
    PLOVXMLNode* node = _NewNode(kind, _CopyText(text != nullptr ? text : "", text != nullptr ? length : 0),
                                 text != nullptr ? length : 0);
    _AppendChild(parent, node);
    return node;
}

PLOVXMLNode* PLOVXMLDocument::NewElement(PLOVXMLNode* parent, const char* name) {
    return _NewChild(parent, Element, name, name != nullptr ? std::strlen(name) : 0);
}

PLOVXMLNode* PLOVXMLDocument::NewElement(PLOVXMLNode* parent, const char* name, std::size_t length) {
    return _NewChild(parent, Element, name, length);
}

PLOVXMLNode* PLOVXMLDocument::NewText(PLOVXMLNode* parent, const char* text) {
    return _NewChild(parent, Text, text, text != nullptr ? std::strlen(text) : 0);
}

PLOVXMLNode* PLOVXMLDocument::NewText(PLOVXMLNode* parent, const char* text, std::size_t length) {
    return _NewChild(parent, Text, text, length);
}

PLOVXMLNode* PLOVXMLDocument::NewComment(PLOVXMLNode* parent, const char* text) {
    return _NewChild(parent, Comment, text, text != nullptr ? std::strlen(text) : 0);
}

PLOVXMLNode* PLOVXMLDocument::NewComment(PLOVXMLNode* parent, const char* text, std::size_t length) {
    return _NewChild(parent, Comment, text, length);
}

PLOVXMLNode* PLOVXMLDocument::NewCDATA(PLOVXMLNode* parent, const char* text) {
    return _NewChild(parent, CDATA, text, text != nullptr ? std::strlen(text) : 0);
}

PLOVXMLNode* PLOVXMLDocument::NewCDATA(PLOVXMLNode* parent, const char* text, std::size_t length) {
    return _NewChild(parent, CDATA, text, length);
}

PLOVXMLAttribute* PLOVXMLDocument::_NewAttribute(const char* name, const char* value, std::size_t valueLength) {
    void* memory = _Allocate(sizeof(PLOVXMLAttribute), alignof(PLOVXMLAttribute));
    return ::new (memory) PLOVXMLAttribute(name, value, valueLength);
}

void PLOVXMLDocument::_AppendAttribute(PLOVXMLNode* element, PLOVXMLAttribute* attribute) {
    if (element->_lastAttribute == nullptr)
        element->_firstAttribute = attribute;
    else
        element->_lastAttribute->_next = attribute;
    element->_lastAttribute = attribute;
}

PLOVXMLAttribute* PLOVXMLDocument::NewAttribute(PLOVXMLNode* element, const char* name, std::size_t nameLength,
                                                const char* value, std::size_t valueLength) {
    if (element == nullptr || !element->IsElement()) PLOVException::RaiseInternalError();
    if (name == nullptr) nameLength = 0;
    if (value == nullptr) valueLength = 0;
    const char* nameCopy = _CopyText(name != nullptr ? name : "", nameLength);
    const char* valueCopy = _CopyText(value != nullptr ? value : "", valueLength);
    PLOVXMLAttribute* attribute = _NewAttribute(nameCopy, valueCopy, valueLength);
    _AppendAttribute(element, attribute);
    return attribute;
}

PLOVXMLAttribute* PLOVXMLDocument::NewAttribute(PLOVXMLNode* element, const char* name, const char* value) {
    return NewAttribute(element, name, name != nullptr ? std::strlen(name) : 0, value,
                        value != nullptr ? std::strlen(value) : 0);
}

PLOVXMLAttribute* PLOVXMLDocument::NewBooleanAttribute(PLOVXMLNode* element, const char* name, bool value) {
    return NewAttribute(element, name, value ? "true" : "false");
}

PLOVXMLAttribute* PLOVXMLDocument::NewIntegerAttribute(PLOVXMLNode* element, const char* name, long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", value);
    return NewAttribute(element, name, text);
}

PLOVXMLAttribute* PLOVXMLDocument::NewRealAttribute(PLOVXMLNode* element, const char* name, double value,
                                                    int digits) {
    std::string text = PLOVStream::FormatDouble(value, digits);
    return NewAttribute(element, name, text.c_str());
}
