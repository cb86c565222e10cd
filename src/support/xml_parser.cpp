#include "support/xml_parser.h"

#include "support/xml_attribute.h"
#include "support/xml_document.h"

#include <cstring>

namespace {

struct MessageEntry {
    int code;
    const char* text;
};

const MessageEntry syntaxErrors[] = {
    {1001, "Unexpected end of file"},
    {1002, "A letter was expected"},
    {1003, "A quote '\"' was expected"},
    {1004, "Ill formed header"},
    {1005, "A minus '-' was expected"},
    {1006, "Ill formed CDATA section"},
    {1007, "A '=' was expected"},
    {1008, "Ill formed attribute name"},
    {1009, "A '>' was expected"},
    {1010, "No opening tag"},
    {1011, "Open and close tags do not correspond"},
    {1012, "Ill formed tag name"},
    {1013, "Unclosed tag(s)"},
};

// Character classes of the reader, indexed by the unsigned byte.
enum : unsigned char { NameStartClass = 1, NameClass = 2, BlankClass = 4 };

struct CharacterClasses {
    unsigned char table[256];
    CharacterClasses() {
        std::memset(table, 0, sizeof table);
        for (int c = 'a'; c <= 'z'; ++c) table[c] = NameStartClass | NameClass;
        for (int c = 'A'; c <= 'Z'; ++c) table[c] = NameStartClass | NameClass;
        // Bytes of multi-byte UTF-8 sequences are taken as letters.
        for (int c = 0x80; c <= 0xFF; ++c) table[c] = NameStartClass | NameClass;
        table[static_cast<unsigned char>('_')] = NameStartClass | NameClass;
        table[static_cast<unsigned char>(':')] = NameStartClass | NameClass;
        for (int c = '0'; c <= '9'; ++c) table[c] = NameClass;
        table[static_cast<unsigned char>('-')] = NameClass;
        table[static_cast<unsigned char>('.')] = NameClass;
        table[static_cast<unsigned char>(' ')] = BlankClass;
        table[static_cast<unsigned char>('\t')] = BlankClass;
        table[static_cast<unsigned char>('\n')] = BlankClass;
        table[static_cast<unsigned char>('\r')] = BlankClass;
    }
};

const CharacterClasses classes;

inline bool IsNameStart(char c) { return (classes.table[static_cast<unsigned char>(c)] & NameStartClass) != 0; }
inline bool IsNameCharacter(char c) { return (classes.table[static_cast<unsigned char>(c)] & NameClass) != 0; }
inline bool IsBlank(char c) { return (classes.table[static_cast<unsigned char>(c)] & BlankClass) != 0; }

int HexadecimalDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Writes the UTF-8 form of a code point; answers the number of bytes.
std::size_t EncodeUTF8(unsigned long c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

// Translates the reference that starts at `p` (an ampersand) into `out`.
// Answers the number of bytes written and sets `next` after the reference,
// or answers 0 when the text is not a reference the reader translates. The
// translation is never longer than the reference itself.
std::size_t DecodeReference(const char* p, const char* end, char* out, const char*& next) {
    const char* q = p + 1;
    if (q < end && *q == '#') {
        ++q;
        int base = 10;
        if (q < end && *q == 'x') {
            base = 16;
            ++q;
        }
        unsigned long value = 0;
        std::size_t digits = 0;
        while (q < end) {
            int d = HexadecimalDigit(*q);
            if (d < 0 || d >= base) break;
            if (value <= 0x10FFFF) value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(d);
            ++digits;
            ++q;
        }
        if (digits == 0 || q >= end || *q != ';') return 0;
        if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
        next = q + 1;
        return EncodeUTF8(value, out);
    }
    struct Entity {
        const char* name;
        std::size_t length;
        char character;
    };
    static const Entity entities[] = {
        {"amp;", 4, '&'}, {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"quot;", 5, '"'}, {"apos;", 5, '\''}};
    for (const Entity& entity : entities) {
        if (static_cast<std::size_t>(end - q) >= entity.length && std::memcmp(q, entity.name, entity.length) == 0) {
            out[0] = entity.character;
            next = q + entity.length;
            return 1;
        }
    }
    return 0;
}

// Frees the contents of a file read into memory, whatever way the reading
// ends.
struct FileContents {
    char* data = nullptr;
    std::size_t size = 0;
    std::size_t capacity = 0;
    ~FileContents() {
        if (data != nullptr) PLOVMemoryManager::DeleteCell(data);
    }
};

}  // namespace

void PLOVXMLParser::RegisterMessagePatterns(PLOVMessenger* store) {
    if (store == nullptr) return;
    for (const MessageEntry& entry : syntaxErrors) store->NewMessagePattern(entry.code, 0, entry.text);
}

PLOVXMLParser::PLOVXMLParser() { RegisterMessagePatterns(&_messenger); }

PLOVXMLParser::~PLOVXMLParser() {
    if (_stack != nullptr) PLOVMemoryManager::DeleteCell(_stack);
    if (_text != nullptr) PLOVMemoryManager::DeleteCell(_text);
}

void PLOVXMLParser::SetInputFileName(const char* name) {
    _hasInputFileName = name != nullptr;
    _inputFileName = name != nullptr ? name : "";
}

PLOVMessage* PLOVXMLParser::_RaiseError(int& errors, int code) {
    ++errors;
    _parseError = true;
    PLOVMessage* message = _messenger.NewMessageFromPattern(code);
    if (_hasInputFileName) message->SetFileName(_inputFileName.c_str());
    message->SetLine(_line);
    return message;
}

bool PLOVXMLParser::_AtEndOfInput(int& errors) {
    if (_current != _end) return false;
    _RaiseError(errors, UnexpectedEndOfFile);
    return true;
}

int PLOVXMLParser::ParseFile(PLOVXMLDocument* document, FILE* file) {
    int errors = 0;
    return ParseFile(errors, document, file);
}

int PLOVXMLParser::ParseFile(int& errors, PLOVXMLDocument* document, FILE* file) {
    if (errors != 0 || document == nullptr) return 1;
    FileContents contents;
    if (file != nullptr) {
        contents.capacity = 64 * 1024;
        contents.data = static_cast<char*>(PLOVMemoryManager::NewCell(contents.capacity));
        for (;;) {
            if (contents.size == contents.capacity) {
                std::size_t capacity = contents.capacity * 2;
                contents.data =
                    static_cast<char*>(PLOVMemoryManager::ResizeCell(contents.data, contents.capacity, capacity));
                contents.capacity = capacity;
            }
            std::size_t n = std::fread(contents.data + contents.size, 1, contents.capacity - contents.size, file);
            contents.size += n;
            if (n == 0) break;
        }
    }
    if (file == nullptr || std::ferror(file)) {
        // What could be read is not the document: report it as cut short.
        document->Clear();
        _line = 1;
        _RaiseError(errors, UnexpectedEndOfFile);
        return 1;
    }
    return ParseBuffer(errors, document, contents.data, contents.size);
}

int PLOVXMLParser::ParseBuffer(int& errors, PLOVXMLDocument* document, const char* data, std::size_t size) {
    if (errors != 0 || document == nullptr) return 1;
    document->Clear();
    document->SetDocumentFileName(GetInputFileName());
    _document = document;
    _current = data != nullptr ? data : "";
    _end = _current + (data != nullptr ? size : 0);
    _line = 1;
    _stackSize = 0;
    _textLength = 0;
    _hasElement = false;
    bool ok = _Parse(errors);
    _document = nullptr;
    _current = _end = nullptr;
    _stackSize = 0;
    if (!ok) {
        document->Clear();
        return 1;
    }
    return 0;
}

void PLOVXMLParser::_SkipBlanks() {
    while (_current < _end && IsBlank(*_current)) {
        if (*_current == '\n') ++_line;
        ++_current;
    }
}

// Moves to the first occurrence of the terminator and past it, counting the
// lines; answers false (at the end of the input) when there is none.
bool PLOVXMLParser::_ScanUntil(const char* terminator, std::size_t length) {
    const char first = terminator[0];
    while (_current < _end) {
        const char* hit = static_cast<const char*>(
            std::memchr(_current, first, static_cast<std::size_t>(_end - _current)));
        const char* stop = hit != nullptr ? hit : _end;
        for (const char* p = _current; p < stop; ++p)
            if (*p == '\n') ++_line;
        _current = stop;
        if (hit == nullptr) return false;
        if (static_cast<std::size_t>(_end - _current) >= length && std::memcmp(_current, terminator, length) == 0) {
            for (std::size_t i = 0; i < length; ++i)
                if (_current[i] == '\n') ++_line;
            _current += length;
            return true;
        }
        if (*_current == '\n') ++_line;
        ++_current;
    }
    return false;
}

PLOVXMLNode* PLOVXMLParser::_CurrentParent() const {
    return _stackSize > 0 ? _stack[_stackSize - 1] : _document;
}

void PLOVXMLParser::_PushElement(PLOVXMLNode* element) {
    if (_stackSize == _stackCapacity) {
        std::size_t capacity = _stackCapacity == 0 ? 256 : _stackCapacity * 2;
        std::size_t oldBytes = _stackCapacity * sizeof(PLOVXMLNode*);
        std::size_t newBytes = capacity * sizeof(PLOVXMLNode*);
        _stack = static_cast<PLOVXMLNode**>(_stack == nullptr ? PLOVMemoryManager::NewCell(newBytes)
                                                              : PLOVMemoryManager::ResizeCell(_stack, oldBytes, newBytes));
        _stackCapacity = capacity;
    }
    _stack[_stackSize++] = element;
}

bool PLOVXMLParser::_Parse(int& errors) {
    // A byte-order mark of UTF-8 is not part of the document.
    if (_end - _current >= 3 && std::memcmp(_current, "\xEF\xBB\xBF", 3) == 0) _current += 3;
    bool first = true;
    for (;;) {
        if (_stackSize == 0) {
            _SkipBlanks();
            if (_current == _end) break;
            if (*_current != '<') {
                // Text outside of any element.
                _RaiseError(errors, NoOpeningTag);
                return false;
            }
        } else {
            if (!_ParseText(errors)) return false;
            if (_current == _end) {
                _RaiseError(errors, UnclosedTags);
                return false;
            }
        }
        // At a '<'.
        if (_end - _current < 2) {
            ++_current;
            _RaiseError(errors, UnexpectedEndOfFile);
            return false;
        }
        char c = _current[1];
        bool ok;
        if (c == '/')
            ok = _ParseEndTag(errors);
        else if (c == '!')
            ok = _ParseMarkup(errors);
        else if (c == '?')
            ok = _ParseProcessingInstruction(errors, first);
        else
            ok = _ParseStartTag(errors);
        if (!ok) return false;
        first = false;
    }
    if (!_hasElement) {
        // The input ended before its first element.
        _RaiseError(errors, UnexpectedEndOfFile);
        return false;
    }
    return true;
}

// Texts are gathered in the pending text until the next node or tag: a
// processing instruction or a document type declaration inside an element
// leaves nothing in the document, so the texts around it make one text.
bool PLOVXMLParser::_ParseText(int& /*errors*/) {
    const char* p = _current;
    const char* stop = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(_end - p)));
    if (stop == nullptr) stop = _end;
    if (stop == p) return true;
    std::size_t needed = _textLength + static_cast<std::size_t>(stop - p) + 1;
    if (needed > _textCapacity) {
        std::size_t capacity = _textCapacity == 0 ? 4096 : _textCapacity;
        while (capacity < needed) capacity *= 2;
        _text = static_cast<char*>(_text == nullptr ? PLOVMemoryManager::NewCell(capacity)
                                                    : PLOVMemoryManager::ResizeCell(_text, _textCapacity, capacity));
        _textCapacity = capacity;
    }
    if (_textLength == 0) {
        _textLine = _line;
        _textFirstLine = -1;
        _textInBlank = false;
        _textSignificant = false;
    }
    // Translation never lengthens the text, so the room reserved suffices.
    char* out = _text;
    std::size_t n = _textLength;
    while (p < stop) {
        char c = *p;
        if (IsBlank(c)) {
            if (c == '\n') ++_line;
            if (!_textInBlank) out[n++] = ' ';
            _textInBlank = true;
            ++p;
            continue;
        }
        if (_textFirstLine < 0) _textFirstLine = _line;
        _textSignificant = true;
        _textInBlank = false;
        if (c == '&') {
            const char* next = p;
            std::size_t m = DecodeReference(p, stop, out + n, next);
            if (m > 0) {
                n += m;
                p = next;
                continue;
            }
        }
        out[n++] = c;
        ++p;
    }
    _textLength = n;
    _current = stop;
    return true;
}

// Makes a node of the pending text unless it is white space only (and such
// texts are not kept).
void PLOVXMLParser::_FlushText() {
    if (_textLength == 0) return;
    if (_textSignificant || _keepWhitespaceText) {
        const char* text = _document->_CopyText(_text, _textLength);
        PLOVXMLNode* node = _document->_NewNode(PLOVXMLNode::Text, text, _textLength);
        node->_line = _textFirstLine >= 0 ? _textFirstLine : _textLine;
        PLOVXMLDocument::_AppendChild(_CurrentParent(), node);
    }
    _textLength = 0;
}

bool PLOVXMLParser::_ParseStartTag(int& errors) {
    int line = _line;
    ++_current;  // '<'
    if (!IsNameStart(*_current)) {
        _RaiseError(errors, LetterExpected);
        return false;
    }
    const char* name = _current;
    while (_current < _end && IsNameCharacter(*_current)) ++_current;
    std::size_t nameLength = static_cast<std::size_t>(_current - name);
    if (_AtEndOfInput(errors)) return false;
    char c = *_current;
    if (!IsBlank(c) && c != '>' && c != '/') {
        _RaiseError(errors, IllFormedTagName);
        return false;
    }
    _FlushText();
    PLOVXMLNode* element = _document->_NewNode(PLOVXMLNode::Element, _document->_CopyText(name, nameLength), nameLength);
    element->_line = line;
    PLOVXMLDocument::_AppendChild(_CurrentParent(), element);
    _hasElement = true;
    for (;;) {
        _SkipBlanks();
        if (_AtEndOfInput(errors)) return false;
        c = *_current;
        if (c == '>') {
            ++_current;
            _PushElement(element);
            return true;
        }
        if (c == '/') {
            ++_current;
            if (_AtEndOfInput(errors)) return false;
            if (*_current != '>') {
                _RaiseError(errors, GreaterThanExpected);
                return false;
            }
            ++_current;
            return true;
        }
        if (!IsNameStart(c)) {
            _RaiseError(errors, IllFormedAttributeName);
            return false;
        }
        const char* attributeName = _current;
        while (_current < _end && IsNameCharacter(*_current)) ++_current;
        std::size_t attributeNameLength = static_cast<std::size_t>(_current - attributeName);
        if (_AtEndOfInput(errors)) return false;
        if (!IsBlank(*_current) && *_current != '=') {
            _RaiseError(errors, IllFormedAttributeName);
            return false;
        }
        _SkipBlanks();
        if (_AtEndOfInput(errors)) return false;
        if (*_current != '=') {
            _RaiseError(errors, EqualExpected);
            return false;
        }
        ++_current;
        _SkipBlanks();
        const char* value = nullptr;
        std::size_t valueLength = 0;
        if (!_ParseAttributeValue(errors, value, valueLength)) return false;
        PLOVXMLAttribute* attribute = _document->_NewAttribute(
            _document->_CopyText(attributeName, attributeNameLength), value, valueLength);
        PLOVXMLDocument::_AppendAttribute(element, attribute);
        if (_AtEndOfInput(errors)) return false;
        c = *_current;
        if (!IsBlank(c) && c != '>' && c != '/') {
            _RaiseError(errors, GreaterThanExpected);
            return false;
        }
    }
}

bool PLOVXMLParser::_ParseAttributeValue(int& errors, const char*& value, std::size_t& length) {
    if (_AtEndOfInput(errors)) return false;
    char quote = *_current;
    if (quote != '"' && quote != '\'') {
        _RaiseError(errors, QuoteExpected);
        return false;
    }
    ++_current;
    const char* start = _current;
    const char* stop = static_cast<const char*>(std::memchr(start, quote, static_cast<std::size_t>(_end - start)));
    const char* last = stop != nullptr ? stop : _end;
    bool reference = false;
    for (const char* p = start; p < last; ++p) {
        if (*p == '\n') ++_line;
        else if (*p == '&') reference = true;
    }
    _current = last;
    if (stop == nullptr) {
        _RaiseError(errors, UnexpectedEndOfFile);
        return false;
    }
    std::size_t rawLength = static_cast<std::size_t>(stop - start);
    if (!reference) {
        value = _document->_CopyText(start, rawLength);
        length = rawLength;
    } else {
        char* out = _document->_AllocateText(rawLength);
        std::size_t n = 0;
        const char* q = start;
        while (q < stop) {
            if (*q == '&') {
                const char* next = q;
                std::size_t m = DecodeReference(q, stop, out + n, next);
                if (m > 0) {
                    n += m;
                    q = next;
                    continue;
                }
            }
            out[n++] = *q++;
        }
        out[n] = '\0';
        _document->_ShrinkText(out, rawLength, n);
        value = out;
        length = n;
    }
    ++_current;  // closing quote
    return true;
}

bool PLOVXMLParser::_ParseEndTag(int& errors) {
    _current += 2;  // "</"
    if (_AtEndOfInput(errors)) return false;
    if (!IsNameStart(*_current)) {
        _RaiseError(errors, LetterExpected);
        return false;
    }
    const char* name = _current;
    while (_current < _end && IsNameCharacter(*_current)) ++_current;
    std::size_t nameLength = static_cast<std::size_t>(_current - name);
    if (_AtEndOfInput(errors)) return false;
    if (!IsBlank(*_current) && *_current != '>') {
        _RaiseError(errors, IllFormedTagName);
        return false;
    }
    _SkipBlanks();
    if (_AtEndOfInput(errors)) return false;
    if (*_current != '>') {
        _RaiseError(errors, GreaterThanExpected);
        return false;
    }
    ++_current;
    _FlushText();
    if (_stackSize == 0) {
        _RaiseError(errors, NoOpeningTag);
        return false;
    }
    const PLOVXMLNode* open = _stack[_stackSize - 1];
    if (open->_nameLength != nameLength || std::memcmp(open->_name, name, nameLength) != 0) {
        _RaiseError(errors, TagMismatch);
        return false;
    }
    --_stackSize;
    return true;
}

// "<!": a comment, a CDATA section or a document type declaration.
bool PLOVXMLParser::_ParseMarkup(int& errors) {
    int line = _line;
    _current += 2;
    if (_AtEndOfInput(errors)) return false;
    char c = *_current;
    if (c == '-') {
        ++_current;
        if (_AtEndOfInput(errors)) return false;
        if (*_current != '-') {
            _RaiseError(errors, MinusExpected);
            return false;
        }
        ++_current;
        const char* start = _current;
        if (!_ScanUntil("-->", 3)) {
            _RaiseError(errors, UnexpectedEndOfFile);
            return false;
        }
        std::size_t length = static_cast<std::size_t>(_current - 3 - start);
        _FlushText();
        PLOVXMLNode* node = _document->_NewNode(PLOVXMLNode::Comment, _document->_CopyText(start, length), length);
        node->_line = line;
        PLOVXMLDocument::_AppendChild(_CurrentParent(), node);
        return true;
    }
    if (c == '[') {
        ++_current;
        static const char keyword[] = "CDATA[";
        for (std::size_t i = 0; i < 6; ++i, ++_current) {
            if (_AtEndOfInput(errors)) return false;
            if (*_current != keyword[i]) {
                _RaiseError(errors, IllFormedCDATASection);
                return false;
            }
        }
        if (_stackSize == 0) {
            // Character data belongs inside an element.
            _RaiseError(errors, NoOpeningTag);
            return false;
        }
        const char* start = _current;
        if (!_ScanUntil("]]>", 3)) {
            _RaiseError(errors, UnexpectedEndOfFile);
            return false;
        }
        std::size_t length = static_cast<std::size_t>(_current - 3 - start);
        _FlushText();
        PLOVXMLNode* node = _document->_NewNode(PLOVXMLNode::CDATA, _document->_CopyText(start, length), length);
        node->_line = line;
        PLOVXMLDocument::_AppendChild(_CurrentParent(), node);
        return true;
    }
    if (!IsNameStart(c)) {
        _RaiseError(errors, LetterExpected);
        return false;
    }
    const char* word = _current;
    while (_current < _end && IsNameCharacter(*_current)) ++_current;
    if (static_cast<std::size_t>(_current - word) != 7 || std::memcmp(word, "DOCTYPE", 7) != 0) {
        _RaiseError(errors, IllFormedTagName);
        return false;
    }
    return _SkipDocumentTypeDeclaration(errors);
}

// After "<!DOCTYPE": keeps the name and skips the rest of the declaration,
// external identifiers and internal subset included.
bool PLOVXMLParser::_SkipDocumentTypeDeclaration(int& errors) {
    _SkipBlanks();
    const char* name = _current;
    while (_current < _end && IsNameCharacter(*_current)) ++_current;
    if (_current > name) _document->SetDocumentType(name, static_cast<std::size_t>(_current - name));
    int depth = 0;
    while (_current < _end) {
        char c = *_current;
        if (c == '"' || c == '\'') {
            ++_current;
            const char terminator[2] = {c, '\0'};
            if (!_ScanUntil(terminator, 1)) break;
            continue;
        }
        if (c == '<' && _end - _current >= 4 && std::memcmp(_current, "<!--", 4) == 0) {
            _current += 4;
            if (!_ScanUntil("-->", 3)) break;
            continue;
        }
        if (c == '\n') ++_line;
        ++_current;
        if (c == '[') {
            ++depth;
        } else if (c == ']') {
            if (depth > 0) --depth;
        } else if (c == '>' && depth == 0) {
            return true;
        }
    }
    _RaiseError(errors, UnexpectedEndOfFile);
    return false;
}

// "<?": the XML declaration when it comes first, otherwise a processing
// instruction, which is skipped.
bool PLOVXMLParser::_ParseProcessingInstruction(int& errors, bool first) {
    _current += 2;
    if (_AtEndOfInput(errors)) return false;
    if (!IsNameStart(*_current)) {
        _RaiseError(errors, IllFormedHeader);
        return false;
    }
    const char* target = _current;
    while (_current < _end && IsNameCharacter(*_current)) ++_current;
    if (first && _current - target == 3 && std::memcmp(target, "xml", 3) == 0)
        return _ParseDeclarationPseudoAttributes(errors);
    if (!_ScanUntil("?>", 2)) {
        _RaiseError(errors, UnexpectedEndOfFile);
        return false;
    }
    return true;
}

// The pseudo-attributes of the XML declaration (version, encoding,
// standalone) up to "?>".
bool PLOVXMLParser::_ParseDeclarationPseudoAttributes(int& errors) {
    for (;;) {
        const char* before = _current;
        _SkipBlanks();
        bool blank = _current > before;
        if (_AtEndOfInput(errors)) return false;
        if (*_current == '?') {
            ++_current;
            if (_AtEndOfInput(errors)) return false;
            if (*_current != '>') {
                _RaiseError(errors, IllFormedHeader);
                return false;
            }
            ++_current;
            return true;
        }
        if (!blank || !IsNameStart(*_current)) {
            _RaiseError(errors, IllFormedHeader);
            return false;
        }
        while (_current < _end && IsNameCharacter(*_current)) ++_current;
        _SkipBlanks();
        if (_AtEndOfInput(errors)) return false;
        if (*_current != '=') {
            _RaiseError(errors, IllFormedHeader);
            return false;
        }
        ++_current;
        _SkipBlanks();
        if (_AtEndOfInput(errors)) return false;
        char quote = *_current;
        if (quote != '"' && quote != '\'') {
            _RaiseError(errors, IllFormedHeader);
            return false;
        }
        ++_current;
        const char terminator[2] = {quote, '\0'};
        if (!_ScanUntil(terminator, 1)) {
            _RaiseError(errors, UnexpectedEndOfFile);
            return false;
        }
    }
}
