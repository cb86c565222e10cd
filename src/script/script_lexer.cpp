#include "script/script_lexer.h"

#include "script/token.h"

#include <cctype>
#include <cstdio>
#include <utility>

namespace {
const int noLookahead = -2;
const int endOfInputCharacter = 255;

bool IsIdentifierStart(int c) { return c != EOF && c < 128 && (std::isalpha(c) || c == '_'); }
bool IsIdentifierPart(int c) { return c != EOF && c < 128 && (std::isalnum(c) || c == '-' || c == '_'); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsSpace(int c) { return c != EOF && c < 128 && std::isspace(c); }

// The text of a rejected character as messages quote it: the character
// itself when printable, "\xNN" otherwise.
std::string RejectedText(int c) {
    if (c >= 32 && c < 127) return std::string(1, static_cast<char>(c));
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned>(c) & 0xFFu);
    return buffer;
}
}  // namespace

KEFOScriptLexer::KEFOScriptLexer() = default;

KEFOScriptLexer::~KEFOScriptLexer() { _ClearTokens(_state.tokens); }

void KEFOScriptLexer::_ClearTokens(std::vector<KEFOToken*>& tokens) {
    for (KEFOToken* token : tokens) delete token;
    tokens.clear();
}

void KEFOScriptLexer::Initialize(const char* fileName, FILE* file) {
    Finalize();
    _state.file = file;
    if (fileName != nullptr) _state.fileName = std::make_shared<const std::string>(fileName);
    _state.ended = file == nullptr;
}

void KEFOScriptLexer::Finalize() {
    _ClearTokens(_state.tokens);
    _state.file = nullptr;
    _state.fileName.reset();
    _state.line = 1;
    _state.column = 0;
    _state.lookahead = noLookahead;
    _state.ended = true;
}

void KEFOScriptLexer::SaveState(State& saved) {
    saved = std::move(_state);
    _state = State();
    _state.ended = true;
}

void KEFOScriptLexer::RestoreState(State& saved) {
    _ClearTokens(_state.tokens);
    _state = std::move(saved);
    saved = State();
}

void KEFOScriptLexer::ResetTokens() { _ClearTokens(_state.tokens); }

// --- characters -------------------------------------------------------------

int KEFOScriptLexer::_PeekChar() {
    if (_state.lookahead == noLookahead) {
        if (_state.ended || _state.file == nullptr) {
            _state.lookahead = EOF;
        } else {
            int c = std::fgetc(_state.file);
            if (c == endOfInputCharacter) c = EOF;
            _state.lookahead = c;
        }
    }
    return _state.lookahead;
}

// Consumes one character and advances the position past it.
int KEFOScriptLexer::_GetChar() {
    int c = _PeekChar();
    if (c == EOF) {
        _state.ended = true;
        return EOF;
    }
    _state.lookahead = noLookahead;
    if (c == '\n') {
        ++_state.line;
        _state.column = 0;
    } else {
        ++_state.column;
    }
    return c;
}

// --- tokens -----------------------------------------------------------------

void KEFOScriptLexer::_AppendToken(int kind, const std::string& text) {
    _AppendToken(kind, text, _state.line, _state.column);
}

void KEFOScriptLexer::_AppendToken(int kind, const std::string& text, int line, int column) {
    _state.tokens.reserve(_state.tokens.size() + 1);
    _state.tokens.push_back(new KEFOToken(kind, text, _state.fileName, line, column));
}

KEFOToken* KEFOScriptLexer::GetToken(int i) {
    if (i < 0) i = 0;
    while (static_cast<int>(_state.tokens.size()) <= i) {
        if (!_state.tokens.empty() && _state.tokens.back()->GetKind() == EndOfInput) return _state.tokens.back();
        if (!_ScanToken()) _AppendToken(EndOfInput, "end of file");
    }
    return _state.tokens[static_cast<std::size_t>(i)];
}

void KEFOScriptLexer::ScanFile() {
    while (_state.tokens.empty() || _state.tokens.back()->GetKind() != EndOfInput) {
        if (!_ScanToken()) _AppendToken(EndOfInput, "end of file");
    }
}

bool KEFOScriptLexer::_ScanToken() {
    for (;;) {
        int c = _GetChar();
        if (c == EOF) return false;
        if (IsSpace(c)) continue;
        switch (c) {
        case '#': case '\'': case '(': case ')': case '*': case '+': case ',':
        case '-': case ':': case ';': case '[': case ']': case '{': case '}':
            _AppendToken(c, std::string(1, static_cast<char>(c)));
            return true;
        case '/': {
            int next = _PeekChar();
            if (next == '/') {
                _GetChar();
                if (_ScanLineComment()) return true;
                continue;
            }
            if (next == '*') {
                int line = _state.line;
                int column = _state.column + 1;
                _GetChar();
                if (_ScanBlockComment(line, column)) return true;
                continue;
            }
            _AppendToken(Slash, "/");
            return true;
        }
        case '=': case '<': case '>': {
            if (_PeekChar() == '=') {
                _GetChar();
                int kind = c == '=' ? EqualEqual : (c == '<' ? LessEqual : GreaterEqual);
                std::string text(1, static_cast<char>(c));
                _AppendToken(kind, text + "=");
            } else {
                _AppendToken(c, std::string(1, static_cast<char>(c)));
            }
            return true;
        }
        case '!':
            if (_PeekChar() == '=') {
                _GetChar();
                _AppendToken(NotEqual, "!=");
            } else {
                _AppendToken(Rejected, "!");
            }
            return true;
        case '"':
            _ScanString();
            return true;
        default:
            break;
        }
        if (IsIdentifierStart(c)) {
            _ScanIdentifierOrPath(c);
            return true;
        }
        if (IsDigit(c)) {
            _ScanNumber(c);
            return true;
        }
        _AppendToken(Rejected, RejectedText(c));
        return true;
    }
}

void KEFOScriptLexer::_ScanIdentifierOrPath(int first) {
    std::string text(1, static_cast<char>(first));
    while (IsIdentifierPart(_PeekChar())) text.push_back(static_cast<char>(_GetChar()));
    bool isPath = false;
    while (_PeekChar() == '.') {
        text.push_back(static_cast<char>(_GetChar()));
        if (!IsIdentifierStart(_PeekChar())) {
            _AppendToken(Rejected, text);
            return;
        }
        while (IsIdentifierPart(_PeekChar())) text.push_back(static_cast<char>(_GetChar()));
        isPath = true;
    }
    if (isPath) {
        _AppendToken(Path, text);
        return;
    }
    int keyword = LookForKeyword(text.c_str());
    _AppendToken(keyword != 0 ? keyword : Identifier, text);
}

void KEFOScriptLexer::_ScanNumber(int first) {
    std::string text(1, static_cast<char>(first));
    while (IsDigit(_PeekChar())) text.push_back(static_cast<char>(_GetChar()));
    int kind = Integer;
    if (_PeekChar() == '.') {
        text.push_back(static_cast<char>(_GetChar()));
        if (!IsDigit(_PeekChar())) {
            _AppendToken(Rejected, text);
            return;
        }
        while (IsDigit(_PeekChar())) text.push_back(static_cast<char>(_GetChar()));
        kind = Real;
    }
    if (_PeekChar() == 'e' || _PeekChar() == 'E') {
        text.push_back(static_cast<char>(_GetChar()));
        if (_PeekChar() == '+' || _PeekChar() == '-') text.push_back(static_cast<char>(_GetChar()));
        if (!IsDigit(_PeekChar())) {
            _AppendToken(Rejected, text);
            return;
        }
        while (IsDigit(_PeekChar())) text.push_back(static_cast<char>(_GetChar()));
        kind = Real;
    }
    _AppendToken(kind, text);
}

// After the opening double quote. A string has no escape sequences and may
// span lines; three double quotes open a triple-quoted text. An unterminated
// string or text is a rejected token at its opening quotes.
void KEFOScriptLexer::_ScanString() {
    int line = _state.line;
    int column = _state.column;
    std::string text;
    if (_PeekChar() == '"') {
        _GetChar();
        if (_PeekChar() != '"') {
            _AppendToken(String, text);
            return;
        }
        _GetChar();
        line = _state.line;
        column = _state.column;
        int quotes = 0;
        for (;;) {
            int c = _GetChar();
            if (c == EOF) {
                _AppendToken(Rejected, "\"\"\"", line, column);
                return;
            }
            if (c == '"') {
                if (++quotes == 3) break;
                continue;
            }
            text.append(static_cast<std::size_t>(quotes), '"');
            quotes = 0;
            text.push_back(static_cast<char>(c));
        }
        _AppendToken(TripleQuotedText, text);
        return;
    }
    for (;;) {
        int c = _GetChar();
        if (c == EOF) {
            _AppendToken(Rejected, "\"", line, column);
            return;
        }
        if (c == '"') break;
        text.push_back(static_cast<char>(c));
    }
    _AppendToken(String, text);
}

// After "//": runs to the end of the line (the newline is left for the
// white-space rule). True when a comment token was kept.
bool KEFOScriptLexer::_ScanLineComment() {
    std::string text;
    for (;;) {
        int c = _PeekChar();
        if (c == EOF || c == '\n') break;
        _GetChar();
        if (_keepComments) text.push_back(static_cast<char>(c));
    }
    if (!_keepComments) return false;
    _AppendToken(LineComment, text);
    return true;
}

// After "/*": runs to the next "*/". An unterminated comment leaves a
// rejected token "/*" at its opening. True when a token was appended.
bool KEFOScriptLexer::_ScanBlockComment(int line, int column) {
    std::string text;
    int previous = 0;
    for (;;) {
        int c = _GetChar();
        if (c == EOF) {
            _AppendToken(Rejected, "/*", line, column);
            return true;
        }
        if (previous == '*' && c == '/') break;
        if (_keepComments) text.push_back(static_cast<char>(c));
        previous = c;
    }
    if (!_keepComments) return false;
    text.pop_back();  // the '*' of the closing "*/"
    _AppendToken(BlockComment, text);
    return true;
}

// --- names and keywords -----------------------------------------------------

const char* KEFOScriptLexer::GetNameOfToken(int kind) const {
    switch (kind) {
    case Hash: return "'#'";
    case Quote: return "'''";
    case LeftParenthesis: return "'('";
    case RightParenthesis: return "')'";
    case Star: return "'*'";
    case Plus: return "'+'";
    case Comma: return "','";
    case Minus: return "'-'";
    case Slash: return "'/'";
    case Colon: return "':'";
    case Semicolon: return "';'";
    case Equal: return "'='";
    case LeftBracket: return "'['";
    case RightBracket: return "']'";
    case LeftBrace: return "'{'";
    case RightBrace: return "'}'";
    case Identifier: return "identifier";
    case Path: return "path";
    case Integer: return "integer";
    case Real: return "real";
    case String: return "string";
    case LineComment: return "comment";
    case EqualEqual: return "'=='";
    case NotEqual: return "'!='";
    case LessEqual: return "'<='";
    case GreaterEqual: return "'>='";
    case EndOfInput: return "end of file";
    default: break;
    }
    const char* keyword = LookForKeyword(kind);
    return keyword != nullptr ? keyword : "keyword";
}

void KEFOScriptLexer::RegisterKeyword(int code, const char* text) {
    if (text == nullptr) return;
    auto old = _keywordsByCode.find(code);
    if (old != _keywordsByCode.end()) {
        _keywordsByText.erase(old->second);
        _keywordsByCode.erase(old);
    }
    _keywordsByCode[code] = text;
    _keywordsByText[text] = code;
}

const char* KEFOScriptLexer::LookForKeyword(int code) const {
    auto found = _keywordsByCode.find(code);
    return found == _keywordsByCode.end() ? nullptr : found->second.c_str();
}

int KEFOScriptLexer::LookForKeyword(const char* text) const {
    if (text == nullptr) return 0;
    auto found = _keywordsByText.find(text);
    return found == _keywordsByText.end() ? 0 : found->second;
}

void KEFOScriptLexer::PrintTokens(FILE* file) const {
    if (file == nullptr) return;
    for (const KEFOToken* token : _state.tokens)
        std::fprintf(file, "%d:%d\t%d\t%s\t%s\n", token->GetLine(), token->GetColumn(), token->GetKind(),
                     GetNameOfToken(token->GetKind()), token->GetTextAsCString());
}
