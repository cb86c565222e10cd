#include "io/model_lexer.h"

#include <cstring>

namespace {
struct KeywordEntry {
    int code;
    const char* text;
};

const KeywordEntry keywordTable[] = {
    {300, "block"}, {301, "class"}, {302, "extends"}, {303, "clones"}, {304, "embeds"}, {305, "end"},
    {306, "as"}, {400, "basic-event"}, {401, "gate"}, {402, "house-event"}, {403, "state"}, {404, "flow"},
    {405, "source"}, {406, "parameter"}, {500, "false"}, {501, "true"}, {502, "and"}, {503, "or"},
    {504, "not"}, {505, "atleast"}, {506, "atmost"}, {507, "cardinality"}, {508, "nand"}, {509, "nor"},
    {601, "pi"}, {602, "mission-time"}, {610, "eq"}, {611, "df"}, {612, "lt"}, {613, "gt"}, {614, "leq"},
    {615, "geq"}, {620, "neg"}, {621, "add"}, {622, "sub"}, {623, "mul"}, {624, "div"}, {630, "abs"},
    {631, "exp"}, {632, "log"}, {633, "log10"}, {634, "mod"}, {635, "pow"}, {636, "sqrt"}, {637, "ceil"},
    {638, "floor"}, {641, "acos"}, {642, "asin"}, {643, "atan"}, {644, "cos"}, {645, "cosh"}, {646, "sin"},
    {647, "sinh"}, {648, "tan"}, {649, "tanh"}, {650, "min"}, {651, "max"}, {652, "mean"}, {653, "if"},
    {654, "then"}, {655, "else"}, {656, "ite"}, {657, "switch"}, {658, "case"}, {660, "Dirac"},
    {661, "periodic"}, {662, "exponential"}, {663, "GLM"}, {664, "MTT"}, {665, "dormant"},
    {666, "Weibull"}, {667, "standby"}, {668, "periodic-test"}, {669, "bound-time"},
    {670, "failure-on-demand"}, {671, "empirical-distribution"}, {672, "histogram"}, {673, "step"},
    {674, "piecewise-linear"}, {680, "uniform-deviate"}, {681, "normal-deviate"},
    {682, "lognormal-deviate"}, {683, "beta-deviate"}, {684, "gamma-deviate"}, {690, "CCF-group"},
    {691, "beta-factor"}, {692, "MGL"}, {693, "alpha-factor"}, {694, "phi-factor"}, {800, "pure-model"},
};

bool IsLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsIdentifierStart(int c) { return c == '_' || IsLetter(c); }
bool IsIdentifierPart(int c) { return c == '_' || c == '-' || IsLetter(c) || (c >= '0' && c <= '9'); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }
const char singleCharacterTokens[] = "#()*+,-/:;<=>[]{}";
}  // namespace

KEFOModelLexer::KEFOModelLexer() {
    for (const KeywordEntry& entry : keywordTable) RegisterKeyword(entry.code, entry.text);
}

KEFOModelLexer::~KEFOModelLexer() = default;

void KEFOModelLexer::RegisterKeyword(int code, const char* text) {
    _keywordsByCode[code] = text;
    _keywordsByText[text] = code;
}

const char* KEFOModelLexer::LookForKeyword(int code) const {
    auto it = _keywordsByCode.find(code);
    return it == _keywordsByCode.end() ? nullptr : it->second.c_str();
}

int KEFOModelLexer::LookForKeyword(const std::string& text) const {
    auto it = _keywordsByText.find(text);
    return it == _keywordsByText.end() ? 0 : it->second;
}

const char* KEFOModelLexer::GetNameOfToken(int code) const {
    switch (code) {
    case '#': return "'#'";
    case '(': return "'('";
    case ')': return "')'";
    case '*': return "'*'";
    case '+': return "'+'";
    case ',': return "','";
    case '-': return "'-'";
    case '/': return "'/'";
    case ':': return "':'";
    case ';': return "';'";
    case '<': return "'<'";
    case '=': return "'='";
    case '>': return "'>'";
    case '[': return "'['";
    case ']': return "']'";
    case '{': return "'{'";
    case '}': return "'}'";
    case Identifier: return "identifier";
    case Path: return "path";
    case Integer: return "integer";
    case Real: return "real";
    case Comment: return "comment";
    case Label: return "label";
    case Equal: return "'=='";
    case Different: return "'!='";
    case LessOrEqual: return "'<='";
    case GreaterOrEqual: return "'>='";
    default: break;
    }
    const char* keyword = LookForKeyword(code);
    return keyword != nullptr ? keyword : "keyword";
}

void KEFOModelLexer::Initialize(const char* fileName, FILE* file) {
    std::string text;
    if (file != nullptr) {
        char chunk[65536];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
    }
    InitializeFromText(fileName, text);
}

void KEFOModelLexer::InitializeFromText(const char* fileName, const std::string& text) {
    _buffer = text;
    _position = 0;
    _line = 1;
    _column = 1;
    _fileName = fileName != nullptr ? std::make_shared<const std::string>(fileName) : nullptr;
    _tokens.clear();
    _firstIndex = 0;
    _atEnd = false;
}

void KEFOModelLexer::Finalize() {
    _buffer.clear();
    _buffer.shrink_to_fit();
    _tokens.clear();
    _firstIndex = 0;
    _position = 0;
    _atEnd = true;
}

void KEFOModelLexer::SaveState(State& state) {
    state.buffer.swap(_buffer);
    state.position = _position;
    state.line = _line;
    state.column = _column;
    state.fileName = _fileName;
    state.tokens.swap(_tokens);
    state.firstIndex = _firstIndex;
    state.atEnd = _atEnd;
    _buffer.clear();
    _tokens.clear();
    _firstIndex = 0;
    _atEnd = true;
}

void KEFOModelLexer::RestoreState(State& state) {
    _buffer.swap(state.buffer);
    _position = state.position;
    _line = state.line;
    _column = state.column;
    _fileName = state.fileName;
    _tokens.swap(state.tokens);
    _firstIndex = state.firstIndex;
    _atEnd = state.atEnd;
}

KEFOToken* KEFOModelLexer::GetToken(int i) {
    if (i < _firstIndex) return nullptr;
    std::size_t at = static_cast<std::size_t>(i - _firstIndex);
    while (at >= _tokens.size()) {
        if (_atEnd || !_ScanToken()) {
            _atEnd = true;
            return nullptr;
        }
    }
    return &_tokens[at];
}

void KEFOModelLexer::ReleaseTokensBefore(int i) {
    while (_firstIndex < i && !_tokens.empty()) {
        _tokens.pop_front();
        ++_firstIndex;
    }
}

void KEFOModelLexer::PrintTokens(FILE* file) {
    for (const KEFOToken& token : _tokens)
        std::fprintf(file, "%d %d:%d %s\n", token.GetKind(), token.GetLine(), token.GetColumn(),
                     token.GetText().c_str());
}

void KEFOModelLexer::_Emit(int code, std::string text, int line, int column) {
    _tokens.emplace_back(code, std::move(text), _fileName, line, column);
}

// Scans one token into the list; false at the end of the input.
bool KEFOModelLexer::_ScanToken() {
    for (;;) {
        int c = _Peek();
        if (c < 0) return false;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            _Advance();
            continue;
        }
        if (c == '/' && _Peek(1) == '/') {
            while (_Peek() >= 0 && _Peek() != '\n') _Advance();
            continue;
        }
        if (c == '/' && _Peek(1) == '*') {
            int line = _line, column = _column;
            _Advance();
            _Advance();
            for (;;) {
                if (_Peek() < 0) {
                    _Emit(UnclosedComment, "/*", line, column);
                    return true;
                }
                if (_Peek() == '*' && _Peek(1) == '/') {
                    _Advance();
                    _Advance();
                    break;
                }
                _Advance();
            }
            continue;
        }
        break;
    }

    int line = _line, column = _column;
    int c = _Peek();
    std::size_t start = _position;

    if (IsIdentifierStart(c)) {
        bool dotted = false;
        for (;;) {
            while (IsIdentifierPart(_Peek())) _Advance();
            if (_Peek() == '.') {
                if (IsIdentifierStart(_Peek(1))) {
                    dotted = true;
                    _Advance();
                    continue;
                }
                _Advance();
                _Emit(Erroneous, _buffer.substr(start, _position - start), line, column);
                return true;
            }
            break;
        }
        std::string text = _buffer.substr(start, _position - start);
        if (dotted) {
            _Emit(Path, std::move(text), line, column);
        } else {
            int keyword = LookForKeyword(text);
            _Emit(keyword != 0 ? keyword : Identifier, std::move(text), line, column);
        }
        return true;
    }

    if (IsDigit(c)) {
        bool real = false;
        while (IsDigit(_Peek())) _Advance();
        if (_Peek() == '.' && IsDigit(_Peek(1))) {
            real = true;
            _Advance();
            while (IsDigit(_Peek())) _Advance();
        }
        if (_Peek() == 'e' || _Peek() == 'E') {
            std::size_t offset = 1;
            if (_Peek(1) == '+' || _Peek(1) == '-') offset = 2;
            if (IsDigit(_Peek(offset))) {
                real = true;
                for (std::size_t k = 0; k < offset; ++k) _Advance();
                while (IsDigit(_Peek())) _Advance();
            } else {
                for (std::size_t k = 0; k < offset; ++k) _Advance();
                _Emit(Erroneous, _buffer.substr(start, _position - start), line, column);
                return true;
            }
        }
        _Emit(real ? Real : Integer, _buffer.substr(start, _position - start), line, column);
        return true;
    }

    if (c == '"') {
        if (_Peek(1) == '"' && _Peek(2) != '"') {
            _Advance();
            _Advance();
            _Emit(Erroneous, "\"\"", line, column);
            return true;
        }
        if (_Peek(1) == '"' && _Peek(2) == '"') {
            _Advance();
            _Advance();
            _Advance();
            std::size_t textStart = _position;
            for (;;) {
                if (_Peek() < 0) {
                    _Emit(UnclosedLabel, _buffer.substr(textStart), line, column);
                    return true;
                }
                if (_Peek() == 0) {
                    // Labels are text: a NUL byte makes the sequence erroneous.
                    _Advance();
                    _Emit(Erroneous, _buffer.substr(start, _position - start), line, column);
                    return true;
                }
                if (_Peek() == '"' && _Peek(1) == '"' && _Peek(2) == '"') {
                    std::string text = _buffer.substr(textStart, _position - textStart);
                    _Advance();
                    _Advance();
                    _Advance();
                    _Emit(Label, std::move(text), line, column);
                    return true;
                }
                _Advance();
            }
        }
        _Advance();
        std::size_t textStart = _position;
        while (_Peek() > 0 && _Peek() != '"') _Advance();
        if (_Peek() == 0) {
            // Strings are text: a NUL byte makes the sequence erroneous.
            _Advance();
            _Emit(Erroneous, _buffer.substr(start, _position - start), line, column);
            return true;
        }
        if (_Peek() < 0) {
            _Emit(UnclosedString, _buffer.substr(textStart), line, column);
            return true;
        }
        std::string text = _buffer.substr(textStart, _position - textStart);
        _Advance();
        _Emit(String, std::move(text), line, column);
        return true;
    }

    if ((c == '=' || c == '<' || c == '>' || c == '!') && _Peek(1) == '=') {
        _Advance();
        _Advance();
        int code = c == '=' ? Equal : c == '<' ? LessOrEqual : c == '>' ? GreaterOrEqual : Different;
        _Emit(code, _buffer.substr(start, 2), line, column);
        return true;
    }

    _Advance();
    if (c != 0 && std::strchr(singleCharacterTokens, c) != nullptr) {
        _Emit(c, std::string(1, static_cast<char>(c)), line, column);
    } else {
        _Emit(Erroneous, std::string(1, static_cast<char>(c)), line, column);
    }
    return true;
}
