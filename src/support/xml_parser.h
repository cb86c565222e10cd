// The library's own XML reader. It reads a whole document into a
// PLOVXMLDocument: an optional XML declaration, elements with attributes
// (values in double or single quotes), empty elements, texts, comments,
// CDATA sections, processing instructions (skipped) and a <!DOCTYPE>
// declaration (skipped; its name becomes the document type).
//
// Texts: every run of white space is reduced to one blank, and a text made
// only of white space is dropped unless SetKeepWhitespaceText(true) was
// called (the model readers look at elements only). The five predefined
// entities (&amp; &lt; &gt; &quot; &apos;) and the character references
// &#NN; and &#xHH; are translated in texts and attribute values, a character
// being written in UTF-8; anything else after an ampersand (an unknown
// entity such as "&nbsp;", a bare "&", a reference to the character 0 or
// beyond U+10FFFF) is kept as it stands. Comments and CDATA sections are kept
// verbatim.
//
// The open elements are kept on an explicit stack, so the nesting depth is
// bounded by memory only. The first syntax error ends the reading: the error
// counter is incremented, a message with its code (1001 to 1013) and the
// line is queued in the parser's message store, the parse-error flag is set
// and the partial document is cleared.
#ifndef KEFO_SUPPORT_XML_PARSER_H
#define KEFO_SUPPORT_XML_PARSER_H

#include "support/memory_manager.h"
#include "support/messenger.h"

#include <cstddef>
#include <cstdio>
#include <string>

class PLOVXMLDocument;
class PLOVXMLNode;

class PLOVXMLParser {
    PLOV_MANAGED_ALLOCATION(PLOVXMLParser)
public:
    enum SyntaxError {
        UnexpectedEndOfFile = 1001,
        LetterExpected = 1002,
        QuoteExpected = 1003,
        IllFormedHeader = 1004,
        MinusExpected = 1005,
        IllFormedCDATASection = 1006,
        EqualExpected = 1007,
        IllFormedAttributeName = 1008,
        GreaterThanExpected = 1009,
        NoOpeningTag = 1010,
        TagMismatch = 1011,
        IllFormedTagName = 1012,
        UnclosedTags = 1013
    };

    PLOVXMLParser();
    virtual ~PLOVXMLParser();
    PLOVXMLParser(const PLOVXMLParser&) = delete;
    PLOVXMLParser& operator=(const PLOVXMLParser&) = delete;

    // The store of the parser's message patterns (codes 1001 to 1013,
    // registered at construction) and of the messages it raises. The
    // interpreter hands it to its messenger so that every code of the engine
    // lives in this one store and one queue.
    PLOVMessenger* GetMessenger() { return &_messenger; }
    const PLOVMessenger* GetMessenger() const { return &_messenger; }
    static void RegisterMessagePatterns(PLOVMessenger* store);
    static bool IsXMLSyntaxError(int code) { return code >= UnexpectedEndOfFile && code <= UnclosedTags; }

    // The file name given to the messages and to the nodes of the documents
    // read from now on (copied; null for none).
    void SetInputFileName(const char* name);
    const char* GetInputFileName() const { return _hasInputFileName ? _inputFileName.c_str() : nullptr; }
    // The line the reading is at (1 for the first line).
    int GetLineNumber() const { return _line; }
    bool GetParseError() const { return _parseError; }
    void ResetParseError() { _parseError = false; }
    void SetKeepWhitespaceText(bool flag) { _keepWhitespaceText = flag; }
    bool GetKeepWhitespaceText() const { return _keepWhitespaceText; }

    // Each answers 0 when the document was read and 1 otherwise (a syntax
    // error was raised, or the counter was already non-zero, in which case
    // nothing is done). The document is cleared first.
    int ParseFile(int& errors, PLOVXMLDocument* document, FILE* file);
    int ParseBuffer(int& errors, PLOVXMLDocument* document, const char* data, std::size_t size);
    int ParseString(int& errors, PLOVXMLDocument* document, const std::string& text) {
        return ParseBuffer(errors, document, text.data(), text.size());
    }
    // The same with a counter of its own.
    int ParseFile(PLOVXMLDocument* document, FILE* file);

protected:
    // Raises a syntax error at the current line: increments `errors` by one,
    // sets the parse-error flag and queues the coded message.
    PLOVMessage* _RaiseError(int& errors, int code);

private:
    bool _Parse(int& errors);
    bool _ParseStartTag(int& errors);
    bool _ParseEndTag(int& errors);
    bool _ParseMarkup(int& errors);
    bool _ParseProcessingInstruction(int& errors, bool first);
    bool _ParseDeclarationPseudoAttributes(int& errors);
    bool _SkipDocumentTypeDeclaration(int& errors);
    bool _ParseText(int& errors);
    void _FlushText();
    bool _ParseAttributeValue(int& errors, const char*& value, std::size_t& length);
    void _SkipBlanks();
    // True, with the end-of-file error raised, when the input is exhausted.
    bool _AtEndOfInput(int& errors);
    bool _ScanUntil(const char* terminator, std::size_t length);
    void _PushElement(PLOVXMLNode* element);
    PLOVXMLNode* _CurrentParent() const;

    PLOVMessenger _messenger;
    std::string _inputFileName;
    bool _hasInputFileName = false;
    bool _parseError = false;
    bool _keepWhitespaceText = false;
    int _line = 1;

    // Reading state.
    PLOVXMLDocument* _document = nullptr;
    const char* _current = nullptr;
    const char* _end = nullptr;
    bool _hasElement = false;

    // Stack of the open elements (storage kept between readings).
    PLOVXMLNode** _stack = nullptr;
    std::size_t _stackSize = 0;
    std::size_t _stackCapacity = 0;

    // The text read since the last node or tag (storage kept between
    // readings): its translated characters, the line it starts on, the line
    // of its first character that is not white space, whether it holds any
    // such character, and whether it ends in a blank.
    char* _text = nullptr;
    std::size_t _textLength = 0;
    std::size_t _textCapacity = 0;
    int _textLine = 0;
    int _textFirstLine = -1;
    bool _textSignificant = false;
    bool _textInBlank = false;
};

#endif
