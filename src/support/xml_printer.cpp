#include "support/xml_printer.h"

#include "support/stream.h"
#include "support/xml_attribute.h"
#include "support/xml_document.h"

#include <cstdio>
#include <cstring>

namespace {
bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool HasTextChild(const PLOVXMLNode* element) {
    for (const PLOVXMLNode* child = element->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
        if (child->IsText() || child->IsCDATA()) return true;
    return false;
}

// The replacement of a character of a text or attribute value, or null
// when it is written as it is.
const char* Replacement(char c) {
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\n': return "&#10;";
    case '\r': return "&#13;";
    case '\t': return "&#9;";
    default: return nullptr;
    }
}
}  // namespace

PLOVXMLPrinter::PLOVXMLPrinter() : _indentation("  ") {}

PLOVXMLPrinter::~PLOVXMLPrinter() = default;

void PLOVXMLPrinter::SetIndentation(const char* text) { _indentation = text != nullptr ? text : ""; }

void PLOVXMLPrinter::SetIndentation(int numberOfBlanks) {
    _indentation.assign(numberOfBlanks > 0 ? static_cast<std::size_t>(numberOfBlanks) : 0, ' ');
}

void PLOVXMLPrinter::PrintIndentation(PLOVStream* stream) const {
    if (_indentation.empty()) return;
    for (int i = 0; i < _depth; ++i) stream->PrintString(_indentation);
}

void PLOVXMLPrinter::PrintXMLHeader(PLOVStream* stream) const { stream->PrintString("<?xml version=\"1.0\"?>\n"); }

void PLOVXMLPrinter::PrintStartOfTag(PLOVStream* stream, const char* name) const {
    PrintIndentation(stream);
    stream->PrintChar('<');
    stream->PrintString(name);
}

void PLOVXMLPrinter::PrintEndOfOpeningTag(PLOVStream* stream) {
    stream->PrintString(">\n");
    ++_depth;
}

void PLOVXMLPrinter::PrintEndOfEmptyTag(PLOVStream* stream) const { stream->PrintString("/>\n"); }

void PLOVXMLPrinter::PrintOpeningTag(PLOVStream* stream, const char* name) {
    PrintStartOfTag(stream, name);
    PrintEndOfOpeningTag(stream);
}

void PLOVXMLPrinter::PrintEmptyTag(PLOVStream* stream, const char* name) const {
    PrintStartOfTag(stream, name);
    PrintEndOfEmptyTag(stream);
}

void PLOVXMLPrinter::PrintClosingTag(PLOVStream* stream, const char* name) {
    DecrementDepth();
    PrintIndentation(stream);
    stream->PrintString("</");
    stream->PrintString(name);
    stream->PrintString(">\n");
}

void PLOVXMLPrinter::PrintAttribute(PLOVStream* stream, const char* name, const char* value) const {
    PrintAttribute(stream, name, value, value != nullptr ? std::strlen(value) : 0);
}

void PLOVXMLPrinter::PrintAttribute(PLOVStream* stream, const char* name, const char* value,
                                    std::size_t length) const {
    stream->PrintChar(' ');
    stream->PrintString(name);
    stream->PrintString("=\"");
    if (value != nullptr) PrintEscapedAttributeValue(stream, value, length);
    stream->PrintChar('"');
}

void PLOVXMLPrinter::PrintBooleanAttribute(PLOVStream* stream, const char* name, bool value) const {
    PrintAttribute(stream, name, value ? "true" : "false");
}

void PLOVXMLPrinter::PrintIntegerAttribute(PLOVStream* stream, const char* name, long value) const {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", value);
    PrintAttribute(stream, name, text);
}

void PLOVXMLPrinter::PrintRealAttribute(PLOVStream* stream, const char* name, double value) const {
    std::string text = PLOVStream::FormatDouble(value, stream->GetNumberOfSignificantDigits());
    PrintAttribute(stream, name, text);
}

void PLOVXMLPrinter::PrintText(PLOVStream* stream, const char* text) const {
    if (text != nullptr) PrintEscapedText(stream, text, std::strlen(text));
}

void PLOVXMLPrinter::PrintText(PLOVStream* stream, const char* text, std::size_t length) const {
    if (text != nullptr) PrintEscapedText(stream, text, length);
}

void PLOVXMLPrinter::PrintTextElement(PLOVStream* stream, const char* name, const char* text) const {
    PrintStartOfTag(stream, name);
    stream->PrintChar('>');
    PrintText(stream, text);
    stream->PrintString("</");
    stream->PrintString(name);
    stream->PrintString(">\n");
}

void PLOVXMLPrinter::PrintCDATA(PLOVStream* stream, const char* text) const {
    PrintCDATA(stream, text, text != nullptr ? std::strlen(text) : 0);
}

void PLOVXMLPrinter::PrintCDATA(PLOVStream* stream, const char* text, std::size_t length) const {
    stream->PrintString("<![CDATA[");
    std::size_t start = 0;
    for (std::size_t i = 0; i + 2 < length; ++i) {
        if (text[i] == ']' && text[i + 1] == ']' && text[i + 2] == '>') {
            // "]]" ends this section, ">" opens the next one.
            stream->Write(text + start, i + 2 - start);
            stream->PrintString("]]><![CDATA[");
            start = i + 2;
        }
    }
    if (length > start) stream->Write(text + start, length - start);
    stream->PrintString("]]>");
}

void PLOVXMLPrinter::PrintComment(PLOVStream* stream, const char* text) const {
    PrintComment(stream, text, text != nullptr ? std::strlen(text) : 0);
}

void PLOVXMLPrinter::PrintComment(PLOVStream* stream, const char* text, std::size_t length) const {
    PrintIndentation(stream);
    _PrintCommentInLine(stream, text, length);
    stream->PrintNewLine();
}

void PLOVXMLPrinter::_PrintCommentInLine(PLOVStream* stream, const char* text, std::size_t length) const {
    stream->PrintString("<!--");
    std::size_t start = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '-' && (i + 1 == length || text[i + 1] == '-')) {
            stream->Write(text + start, i + 1 - start);
            stream->PrintChar(' ');
            start = i + 1;
        }
    }
    if (length > start) stream->Write(text + start, length - start);
    stream->PrintString("-->");
}

void PLOVXMLPrinter::PrintEscapedText(PLOVStream* stream, const char* text, std::size_t length) {
    // The reader drops a text made of white space only and reduces runs of
    // blanks: such blanks are written as references.
    bool onlyWhiteSpace = length > 0;
    for (std::size_t i = 0; i < length && onlyWhiteSpace; ++i) onlyWhiteSpace = IsWhiteSpace(text[i]);
    std::size_t start = 0;
    bool previousBlank = false;  // the last character written was a literal blank
    for (std::size_t i = 0; i < length; ++i) {
        char c = text[i];
        const char* replacement = Replacement(c);
        if (c == ' ' && (previousBlank || onlyWhiteSpace)) replacement = "&#32;";
        previousBlank = c == ' ' && replacement == nullptr;
        if (replacement == nullptr) continue;
        if (i > start) stream->Write(text + start, i - start);
        stream->PrintString(replacement);
        start = i + 1;
    }
    if (length > start) stream->Write(text + start, length - start);
}

void PLOVXMLPrinter::PrintEscapedAttributeValue(PLOVStream* stream, const char* value, std::size_t length) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char* replacement = Replacement(value[i]);
        if (replacement == nullptr) continue;
        if (i > start) stream->Write(value + start, i - start);
        stream->PrintString(replacement);
        start = i + 1;
    }
    if (length > start) stream->Write(value + start, length - start);
}

void PLOVXMLPrinter::_PrintStartOfElement(PLOVStream* stream, const PLOVXMLNode* element, bool inLine) const {
    if (!inLine) PrintIndentation(stream);
    stream->PrintChar('<');
    stream->Write(element->GetName(), element->GetNameLength());
    for (const PLOVXMLAttribute* a = element->GetFirstAttribute(); a != nullptr; a = a->GetNextAttribute())
        PrintAttribute(stream, a->GetName(), a->GetValue(), a->GetValueLength());
}

void PLOVXMLPrinter::PrintDocument(PLOVStream* stream, const PLOVXMLDocument* document) {
    PrintXMLHeader(stream);
    if (document == nullptr) return;
    for (const PLOVXMLNode* node = document->GetFirstChild(); node != nullptr; node = node->GetNextSibling())
        PrintNode(stream, node);
}

void PLOVXMLPrinter::PrintNode(PLOVStream* stream, const PLOVXMLNode* node) {
    if (node == nullptr) return;
    if (node->GetKind() == PLOVXMLNode::Document) {
        for (const PLOVXMLNode* child = node->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
            PrintNode(stream, child);
        return;
    }
    // The element whose contents are being written on one line, if any.
    const PLOVXMLNode* inLineElement = nullptr;
    const PLOVXMLNode* n = node;
    for (;;) {
        bool inLine = inLineElement != nullptr;
        switch (n->GetKind()) {
        case PLOVXMLNode::Element:
            _PrintStartOfElement(stream, n, inLine);
            if (n->GetFirstChild() == nullptr) {
                stream->PrintString(inLine ? "/>" : "/>\n");
            } else if (inLine) {
                stream->PrintChar('>');
            } else if (HasTextChild(n)) {
                stream->PrintChar('>');
                inLineElement = n;
            } else {
                stream->PrintString(">\n");
                ++_depth;
            }
            break;
        case PLOVXMLNode::Text:
            if (!inLine) PrintIndentation(stream);
            PrintEscapedText(stream, n->GetName(), n->GetNameLength());
            if (!inLine) stream->PrintNewLine();
            break;
        case PLOVXMLNode::CDATA:
            if (!inLine) PrintIndentation(stream);
            PrintCDATA(stream, n->GetName(), n->GetNameLength());
            if (!inLine) stream->PrintNewLine();
            break;
        case PLOVXMLNode::Comment:
            if (inLine) {
                _PrintCommentInLine(stream, n->GetName(), n->GetNameLength());
            } else {
                PrintComment(stream, n->GetName(), n->GetNameLength());
            }
            break;
        case PLOVXMLNode::Document:
            break;
        }
        if (n->IsElement() && n->GetFirstChild() != nullptr) {
            n = n->GetFirstChild();
            continue;
        }
        for (;;) {
            if (n == node) return;
            if (n->GetNextSibling() != nullptr) {
                n = n->GetNextSibling();
                break;
            }
            n = n->GetParent();
            // Closing an element that has children.
            if (inLineElement == nullptr) {
                DecrementDepth();
                PrintIndentation(stream);
                stream->PrintString("</");
                stream->Write(n->GetName(), n->GetNameLength());
                stream->PrintString(">\n");
            } else {
                stream->PrintString("</");
                stream->Write(n->GetName(), n->GetNameLength());
                stream->PrintChar('>');
                if (n == inLineElement) {
                    stream->PrintNewLine();
                    inLineElement = nullptr;
                }
            }
        }
    }
}
