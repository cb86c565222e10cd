// Writes XML onto a stream: the primitives the printers build their XML
// outputs with, and the printing of a whole PLOVXMLDocument.
//
// Lines of tags start with the indentation string repeated "depth" times;
// the contents of an element are one level deeper. Texts and attribute
// values are escaped so that the file is well formed and reads back
// identically with PLOVXMLParser: "&", "<", ">" and '"' become entities,
// and the white space the reader would reduce or drop (tabs, line breaks,
// carriage returns, a blank after white space or at the start of a text) is
// written as character references.
#ifndef KEFO_SUPPORT_XML_PRINTER_H
#define KEFO_SUPPORT_XML_PRINTER_H

#include "support/memory_manager.h"

#include <cstddef>
#include <string>

class PLOVStream;
class PLOVXMLDocument;
class PLOVXMLNode;

class PLOVXMLPrinter {
    PLOV_MANAGED_ALLOCATION(PLOVXMLPrinter)
public:
    PLOVXMLPrinter();
    virtual ~PLOVXMLPrinter();

    // Two blanks unless set.
    void SetIndentation(const char* text);
    void SetIndentation(int numberOfBlanks);
    const std::string& GetIndentation() const { return _indentation; }
    int GetDepth() const { return _depth; }
    void SetDepth(int depth) { _depth = depth < 0 ? 0 : depth; }
    void IncrementDepth() { ++_depth; }
    void DecrementDepth() {
        if (_depth > 0) --_depth;
    }

    // The indentation repeated depth times.
    void PrintIndentation(PLOVStream* stream) const;
    // "<?xml version=\"1.0\"?>" and a line break.
    void PrintXMLHeader(PLOVStream* stream) const;

    // A tag with attributes is written in three steps: PrintStartOfTag
    // (indentation and "<name"), the attributes, then PrintEndOfOpeningTag
    // (">", a line break, one level deeper) or PrintEndOfEmptyTag ("/>" and
    // a line break).
    void PrintStartOfTag(PLOVStream* stream, const char* name) const;
    void PrintEndOfOpeningTag(PLOVStream* stream);
    void PrintEndOfEmptyTag(PLOVStream* stream) const;
    // "<name>" on its own line, one level deeper after it.
    void PrintOpeningTag(PLOVStream* stream, const char* name);
    // "<name/>" on its own line.
    void PrintEmptyTag(PLOVStream* stream, const char* name) const;
    // One level up, then "</name>" on its own line.
    void PrintClosingTag(PLOVStream* stream, const char* name);

    // ' name="value"' with the value escaped.
    void PrintAttribute(PLOVStream* stream, const char* name, const char* value) const;
    void PrintAttribute(PLOVStream* stream, const char* name, const char* value, std::size_t length) const;
    void PrintAttribute(PLOVStream* stream, const char* name, const std::string& value) const {
        PrintAttribute(stream, name, value.data(), value.size());
    }
    // "true" or "false".
    void PrintBooleanAttribute(PLOVStream* stream, const char* name, bool value) const;
    void PrintIntegerAttribute(PLOVStream* stream, const char* name, long value) const;
    // With the stream's number of significant digits.
    void PrintRealAttribute(PLOVStream* stream, const char* name, double value) const;

    // The escaped text where the stream stands (no indentation, no line
    // break), so that it reads back as it is.
    void PrintText(PLOVStream* stream, const char* text) const;
    void PrintText(PLOVStream* stream, const char* text, std::size_t length) const;
    // "<name>text</name>" on its own line.
    void PrintTextElement(PLOVStream* stream, const char* name, const char* text) const;
    // "<![CDATA[text]]>" where the stream stands; a "]]>" inside the text is
    // split over two sections.
    void PrintCDATA(PLOVStream* stream, const char* text) const;
    void PrintCDATA(PLOVStream* stream, const char* text, std::size_t length) const;
    // "<!--text-->" on its own line; a "--" inside the text, or a "-" at its
    // end, is written with a blank after the minus so that the comment stays
    // well formed.
    void PrintComment(PLOVStream* stream, const char* text) const;
    void PrintComment(PLOVStream* stream, const char* text, std::size_t length) const;

    // The whole document: the header, then its top-level nodes. An element
    // without children is written as an empty tag; an element whose children
    // include a text or a CDATA section is written on one line, its contents
    // unindented, so that its texts keep their exact white space; other
    // elements have one child per line, one level deeper. The tree is walked
    // without recursion.
    void PrintDocument(PLOVStream* stream, const PLOVXMLDocument* document);
    // One node and everything under it, from the current depth.
    void PrintNode(PLOVStream* stream, const PLOVXMLNode* node);

    // The escaped forms, for texts and attribute values.
    static void PrintEscapedText(PLOVStream* stream, const char* text, std::size_t length);
    static void PrintEscapedAttributeValue(PLOVStream* stream, const char* value, std::size_t length);

private:
    void _PrintCommentInLine(PLOVStream* stream, const char* text, std::size_t length) const;
    void _PrintStartOfElement(PLOVStream* stream, const PLOVXMLNode* element, bool inLine) const;

    std::string _indentation;
    int _depth = 0;
};

#endif
