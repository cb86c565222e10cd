#include "script/script_parser.h"

#include "script/interpreter.h"
#include "script/script_command.h"
#include "script/script_expression.h"
#include "script/script_lexer.h"
#include "script/script_linguist.h"
#include "script/token.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>

namespace {
using Lexer = KEFOScriptLexer;
using Expression = KEFOScriptExpression;
using ExpressionPointer = std::unique_ptr<KEFOScriptExpression>;
using CommandPointer = std::unique_ptr<KEFOScriptCommand>;

struct KeywordEntry {
    int code;
    const char* text;
};

const KeywordEntry keywords[] = {
    {KEFOScriptParser::KeywordIf, "if"},       {KEFOScriptParser::KeywordElif, "elif"},
    {KEFOScriptParser::KeywordElse, "else"},   {KEFOScriptParser::KeywordWhile, "while"},
    {KEFOScriptParser::KeywordFalse, "false"}, {KEFOScriptParser::KeywordTrue, "true"},
    {KEFOScriptParser::KeywordAnd, "and"},     {KEFOScriptParser::KeywordOr, "or"},
    {KEFOScriptParser::KeywordNot, "not"},     {KEFOScriptParser::KeywordAbs, "abs"},
    {KEFOScriptParser::KeywordExp, "exp"},     {KEFOScriptParser::KeywordLog, "log"},
    {KEFOScriptParser::KeywordLog10, "log10"}, {KEFOScriptParser::KeywordMod, "mod"},
    {KEFOScriptParser::KeywordPow, "pow"},     {KEFOScriptParser::KeywordSqrt, "sqrt"},
    {KEFOScriptParser::KeywordCeil, "ceil"},   {KEFOScriptParser::KeywordFloor, "floor"},
    {KEFOScriptParser::KeywordMin, "min"},     {KEFOScriptParser::KeywordMax, "max"},
    {KEFOScriptParser::KeywordMean, "mean"},   {KEFOScriptParser::KeywordCount, "count"},
    {KEFOScriptParser::KeywordAppend, "append"}, {KEFOScriptParser::KeywordRange, "range"},
};

// Expression type of a function keyword, or -1.
int FunctionType(int kind) {
    switch (kind) {
    case KEFOScriptParser::KeywordAbs: return Expression::Abs;
    case KEFOScriptParser::KeywordExp: return Expression::Exp;
    case KEFOScriptParser::KeywordLog: return Expression::Log;
    case KEFOScriptParser::KeywordLog10: return Expression::Log10;
    case KEFOScriptParser::KeywordMod: return Expression::Mod;
    case KEFOScriptParser::KeywordPow: return Expression::Pow;
    case KEFOScriptParser::KeywordSqrt: return Expression::Sqrt;
    case KEFOScriptParser::KeywordCeil: return Expression::Ceil;
    case KEFOScriptParser::KeywordFloor: return Expression::Floor;
    case KEFOScriptParser::KeywordMin: return Expression::Min;
    case KEFOScriptParser::KeywordMax: return Expression::Max;
    case KEFOScriptParser::KeywordMean: return Expression::Mean;
    case KEFOScriptParser::KeywordCount: return Expression::Count;
    case KEFOScriptParser::KeywordAppend: return Expression::Append;
    case KEFOScriptParser::KeywordRange: return Expression::Range;
    default: return -1;
    }
}

// Expression type of a comparison token, or -1.
int ComparisonType(int kind) {
    switch (kind) {
    case Lexer::EqualEqual: return Expression::Eq;
    case Lexer::NotEqual: return Expression::Df;
    case Lexer::Less: return Expression::Lt;
    case Lexer::Greater: return Expression::Gt;
    case Lexer::LessEqual: return Expression::Leq;
    case Lexer::GreaterEqual: return Expression::Geq;
    default: return -1;
    }
}

// Restores the parser position and the lexer's previous state however the
// parse ends (normally or by an exception).
class ParseGuard {
public:
    ParseGuard(KEFOScriptLexer* lexer, int& position, int& depth)
        : _lexer(lexer), _position(position), _depth(depth), _savedPosition(position), _savedDepth(depth) {
        _lexer->SaveState(_saved);
        _position = 0;
        _depth = 0;
    }
    ~ParseGuard() {
        _lexer->Finalize();
        _lexer->RestoreState(_saved);
        _position = _savedPosition;
        _depth = _savedDepth;
    }
    ParseGuard(const ParseGuard&) = delete;
    ParseGuard& operator=(const ParseGuard&) = delete;

private:
    KEFOScriptLexer* _lexer;
    int& _position;
    int& _depth;
    int _savedPosition;
    int _savedDepth;
    KEFOScriptLexer::State _saved;
};

struct FileCloser {
    void operator()(FILE* file) const {
        if (file != nullptr) std::fclose(file);
    }
};
}  // namespace

KEFOScriptParser::KEFOScriptParser(KEFOInterpreter* interpreter)
    : _interpreter(interpreter), _lexer(new KEFOScriptLexer()) {
    try {
        _RegisterKeywords();
    } catch (...) {
        delete _lexer;
        throw;
    }
}

KEFOScriptParser::~KEFOScriptParser() { delete _lexer; }

void KEFOScriptParser::_RegisterKeywords() {
    for (const KeywordEntry& entry : keywords) _lexer->RegisterKeyword(entry.code, entry.text);
}

// --- files ------------------------------------------------------------------

void KEFOScriptParser::ImportScript(int& errors, const char* path, KEFOScriptCommand* root) {
    if (errors != 0) return;
    if (path == nullptr) {
        _RaiseError(errors, 10001, nullptr);
        if (_interpreter != nullptr) _interpreter->PrintErrorMessages();
        return;
    }
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "r"));
    if (file == nullptr) {
        _RaiseError(errors, 10003, nullptr, path);
        if (_interpreter != nullptr) _interpreter->PrintErrorMessages();
        return;
    }
    ParseScript(errors, file.get(), path, root);
}

void KEFOScriptParser::ParseScript(int& errors, FILE* file, const char* fileName, KEFOScriptCommand* root) {
    if (errors != 0 || root == nullptr) return;
    {
        ParseGuard guard(_lexer, _position, _depth);
        _lexer->Initialize(fileName, file);
        _ParseCommands(errors, root);
    }
    if (errors != 0 && _interpreter != nullptr) _interpreter->PrintErrorMessages();
}

void KEFOScriptParser::_ParseCommands(int& errors, KEFOScriptCommand* root) {
    while (errors == 0 && _Kind() != Lexer::EndOfInput) {
        KEFOScriptCommand* command = _ParseCommand(errors);
        if (command == nullptr) break;
        root->AppendChild(command);
    }
}

// --- tokens and errors ------------------------------------------------------

KEFOToken* KEFOScriptParser::_Token(int offset) const { return _lexer->GetToken(_position + offset); }

int KEFOScriptParser::_Kind(int offset) const { return _Token(offset)->GetKind(); }

void KEFOScriptParser::_RaiseError(int& errors, int code, const KEFOToken* token, const char* a1) {
    if (_interpreter != nullptr)
        _interpreter->RaiseError(errors, code, token, a1);
    else
        ++errors;
}

void KEFOScriptParser::_RaiseUnexpectedToken(int& errors, const KEFOToken* token) {
    if (token->GetKind() == Lexer::EndOfInput)
        _RaiseError(errors, 10091, token);
    else
        _RaiseError(errors, 10092, token, token->GetTextAsCString());
}

bool KEFOScriptParser::_Expect(int& errors, int kind) {
    KEFOToken* token = _Token();
    if (token->GetKind() == kind) {
        _Advance();
        return true;
    }
    if (token->GetKind() == Lexer::EndOfInput || token->GetKind() == Lexer::Rejected)
        _RaiseUnexpectedToken(errors, token);
    else
        _RaiseError(errors, 10093, token, _lexer->GetNameOfToken(kind));
    return false;
}

bool KEFOScriptParser::_Enter(int& errors) {
    if (_depth >= _maximumDepth) {
        std::string limit = std::to_string(_maximumDepth);
        _RaiseError(errors, 13003, _Token(), limit.c_str());
        return false;
    }
    ++_depth;
    return true;
}

// --- commands ---------------------------------------------------------------

KEFOScriptCommand* KEFOScriptParser::_NewCommand(int type, const KEFOToken* token) const {
    KEFOScriptCommand* command = new KEFOScriptCommand(type);
    command->SetFileName(token->GetSharedFileName());
    command->SetLineNumber(token->GetLine());
    return command;
}

KEFOScriptCommand* KEFOScriptParser::_ParseCommand(int& errors) {
    if (errors != 0) return nullptr;
    KEFOToken* token = _Token();
    switch (token->GetKind()) {
    case Lexer::LeftBrace:
        return _ParseBlock(errors);
    case Lexer::Identifier:
        if (KEFOScriptLinguist::IsBuiltinCommandName(token->GetTextAsCString())) return _ParseBuiltinCommand(errors);
        return _ParseAssignment(errors);
    case KeywordIf:
        return _ParseConditionalCommand(errors);
    case KeywordWhile:
        return _ParseWhileCommand(errors);
    case Lexer::EndOfInput:
    case Lexer::Rejected:
        _RaiseUnexpectedToken(errors, token);
        return nullptr;
    default:
        _RaiseError(errors, 13001, token);
        return nullptr;
    }
}

// "{" commands "}"
KEFOScriptCommand* KEFOScriptParser::_ParseBlock(int& errors) {
    if (!_Enter(errors)) return nullptr;
    CommandPointer block(_NewCommand(KEFOScriptCommand::Block, _Token()));
    _Advance();
    while (errors == 0 && _Kind() != Lexer::RightBrace) {
        if (_Kind() == Lexer::EndOfInput) {
            _RaiseUnexpectedToken(errors, _Token());
            break;
        }
        KEFOScriptCommand* command = _ParseCommand(errors);
        if (command == nullptr) break;
        block->AppendChild(command);
    }
    _Leave();
    if (errors != 0) return nullptr;
    _Advance();
    return block.release();
}

// word { option | argument } ";" where an option is an identifier, "=" and
// an expression.
KEFOScriptCommand* KEFOScriptParser::_ParseBuiltinCommand(int& errors) {
    KEFOToken* word = _Token();
    CommandPointer command(_NewCommand(KEFOScriptCommand::BuiltinCommand, word));
    command->SetText(word->GetTextAsCString());
    _Advance();
    while (errors == 0 && _Kind() != Lexer::Semicolon) {
        if (_Kind() == Lexer::EndOfInput) {
            _RaiseUnexpectedToken(errors, _Token());
            break;
        }
        if (_Kind() == Lexer::Identifier && _Kind(1) == Lexer::Equal) {
            KEFOToken* name = _Token();
            _Advance();
            _Advance();
            KEFOScriptExpression* value = _ParseExpression(errors);
            if (value == nullptr) break;
            command->SetOption(name->GetTextAsCString(), value);
        } else {
            KEFOScriptExpression* argument = _ParseExpression(errors);
            if (argument == nullptr) break;
            command->AppendArgument(argument);
        }
    }
    if (errors != 0) return nullptr;
    _Advance();
    return command.release();
}

// name "==" expression ";"
KEFOScriptCommand* KEFOScriptParser::_ParseAssignment(int& errors) {
    KEFOToken* name = _Token();
    CommandPointer command(_NewCommand(KEFOScriptCommand::Assignment, name));
    command->AppendArgument(Expression::NewReference(name->GetTextAsCString()));
    _Advance();
    if (!_Expect(errors, Lexer::EqualEqual)) return nullptr;
    KEFOScriptExpression* value = _ParseExpression(errors);
    if (value == nullptr) return nullptr;
    command->AppendArgument(value);
    if (!_Expect(errors, Lexer::Semicolon)) return nullptr;
    return command.release();
}

// "if" guard command { "elif" guard command } [ "else" command ]
KEFOScriptCommand* KEFOScriptParser::_ParseConditionalCommand(int& errors) {
    if (!_Enter(errors)) return nullptr;
    CommandPointer conditional(_NewCommand(KEFOScriptCommand::ConditionalCommand, _Token()));
    for (;;) {
        CommandPointer branch(_NewCommand(KEFOScriptCommand::GuardedCommand, _Token()));
        _Advance();  // "if" or "elif"
        KEFOScriptExpression* guard = _ParseExpression(errors);
        if (guard == nullptr) break;
        branch->AppendArgument(guard);
        KEFOScriptCommand* body = _ParseCommand(errors);
        if (body == nullptr) break;
        branch->AppendChild(body);
        conditional->AppendChild(branch.release());
        if (_Kind() == KeywordElif) continue;
        if (_Kind() == KeywordElse) {
            _Advance();
            KEFOScriptCommand* otherwise = _ParseCommand(errors);
            if (otherwise != nullptr) conditional->AppendChild(otherwise);
        }
        break;
    }
    _Leave();
    if (errors != 0) return nullptr;
    return conditional.release();
}

// "while" condition command
KEFOScriptCommand* KEFOScriptParser::_ParseWhileCommand(int& errors) {
    if (!_Enter(errors)) return nullptr;
    CommandPointer loop(_NewCommand(KEFOScriptCommand::WhileCommand, _Token()));
    _Advance();
    KEFOScriptExpression* condition = _ParseExpression(errors);
    if (condition != nullptr) {
        loop->AppendArgument(condition);
        KEFOScriptCommand* body = _ParseCommand(errors);
        if (body != nullptr) loop->AppendChild(body);
    }
    _Leave();
    if (errors != 0) return nullptr;
    return loop.release();
}

// --- expressions ------------------------------------------------------------

// Level 1: a quoted symbol, a list or a conditional expression (complete
// forms that take no operator), or an "or" expression.
KEFOScriptExpression* KEFOScriptParser::_ParseExpression(int& errors) {
    if (errors != 0) return nullptr;
    switch (_Kind()) {
    case Lexer::Quote: return _ParseQuotedSymbol(errors);
    case Lexer::LeftBracket: return _ParseList(errors);
    case KeywordIf: return _ParseConditionalExpression(errors);
    default: return _ParseOr(errors);
    }
}

// Operands joined by "or" (n-ary).
KEFOScriptExpression* KEFOScriptParser::_ParseOr(int& errors) {
    ExpressionPointer first(_ParseAnd(errors));
    if (first == nullptr || _Kind() != KeywordOr) return first.release();
    ExpressionPointer node(new Expression(Expression::Or));
    node->AppendChild(first.release());
    while (_Kind() == KeywordOr) {
        _Advance();
        KEFOScriptExpression* operand = _ParseAnd(errors);
        if (operand == nullptr) return nullptr;
        node->AppendChild(operand);
    }
    return node.release();
}

// Operands joined by "and" (n-ary).
KEFOScriptExpression* KEFOScriptParser::_ParseAnd(int& errors) {
    ExpressionPointer first(_ParseNot(errors));
    if (first == nullptr || _Kind() != KeywordAnd) return first.release();
    ExpressionPointer node(new Expression(Expression::And));
    node->AppendChild(first.release());
    while (_Kind() == KeywordAnd) {
        _Advance();
        KEFOScriptExpression* operand = _ParseNot(errors);
        if (operand == nullptr) return nullptr;
        node->AppendChild(operand);
    }
    return node.release();
}

// An optional single "not".
KEFOScriptExpression* KEFOScriptParser::_ParseNot(int& errors) {
    if (_Kind() != KeywordNot) return _ParseComparison(errors);
    _Advance();
    ExpressionPointer operand(_ParseComparison(errors));
    if (operand == nullptr) return nullptr;
    ExpressionPointer node(new Expression(Expression::Not));
    node->AppendChild(operand.release());
    return node.release();
}

// An operand, optionally a comparison operator and a second operand (no
// chains).
KEFOScriptExpression* KEFOScriptParser::_ParseComparison(int& errors) {
    ExpressionPointer first(_ParseSubtraction(errors));
    if (first == nullptr) return nullptr;
    int type = ComparisonType(_Kind());
    if (type < 0) return first.release();
    _Advance();
    ExpressionPointer second(_ParseSubtraction(errors));
    if (second == nullptr) return nullptr;
    ExpressionPointer node(new Expression(type));
    node->AppendChild(first.release());
    node->AppendChild(second.release());
    return node.release();
}

// An operand, optionally "-" and one more operand (binary, no chain).
KEFOScriptExpression* KEFOScriptParser::_ParseSubtraction(int& errors) {
    ExpressionPointer first(_ParseAddition(errors));
    if (first == nullptr || _Kind() != Lexer::Minus) return first.release();
    _Advance();
    ExpressionPointer second(_ParseAddition(errors));
    if (second == nullptr) return nullptr;
    ExpressionPointer node(new Expression(Expression::Sub));
    node->AppendChild(first.release());
    node->AppendChild(second.release());
    return node.release();
}

// Operands joined by "+" (n-ary).
KEFOScriptExpression* KEFOScriptParser::_ParseAddition(int& errors) {
    ExpressionPointer first(_ParseDivision(errors));
    if (first == nullptr || _Kind() != Lexer::Plus) return first.release();
    ExpressionPointer node(new Expression(Expression::Add));
    node->AppendChild(first.release());
    while (_Kind() == Lexer::Plus) {
        _Advance();
        KEFOScriptExpression* operand = _ParseDivision(errors);
        if (operand == nullptr) return nullptr;
        node->AppendChild(operand);
    }
    return node.release();
}

// An operand, optionally "/" and one more operand (binary, no chain).
KEFOScriptExpression* KEFOScriptParser::_ParseDivision(int& errors) {
    ExpressionPointer first(_ParseMultiplication(errors));
    if (first == nullptr || _Kind() != Lexer::Slash) return first.release();
    _Advance();
    ExpressionPointer second(_ParseMultiplication(errors));
    if (second == nullptr) return nullptr;
    ExpressionPointer node(new Expression(Expression::Div));
    node->AppendChild(first.release());
    node->AppendChild(second.release());
    return node.release();
}

// Operands joined by "*" (n-ary).
KEFOScriptExpression* KEFOScriptParser::_ParseMultiplication(int& errors) {
    ExpressionPointer first(_ParseNegation(errors));
    if (first == nullptr || _Kind() != Lexer::Star) return first.release();
    ExpressionPointer node(new Expression(Expression::Mul));
    node->AppendChild(first.release());
    while (_Kind() == Lexer::Star) {
        _Advance();
        KEFOScriptExpression* operand = _ParseNegation(errors);
        if (operand == nullptr) return nullptr;
        node->AppendChild(operand);
    }
    return node.release();
}

// An optional single unary "-".
KEFOScriptExpression* KEFOScriptParser::_ParseNegation(int& errors) {
    if (_Kind() != Lexer::Minus) return _ParsePrimary(errors);
    _Advance();
    ExpressionPointer operand(_ParsePrimary(errors));
    if (operand == nullptr) return nullptr;
    ExpressionPointer node(new Expression(Expression::Neg));
    node->AppendChild(operand.release());
    return node.release();
}

KEFOScriptExpression* KEFOScriptParser::_ParsePrimary(int& errors) {
    if (errors != 0) return nullptr;
    KEFOToken* token = _Token();
    switch (token->GetKind()) {
    case Lexer::LeftParenthesis: {
        if (!_Enter(errors)) return nullptr;
        _Advance();
        ExpressionPointer inner(_ParseExpression(errors));
        _Leave();
        if (inner == nullptr || !_Expect(errors, Lexer::RightParenthesis)) return nullptr;
        return inner.release();
    }
    case Lexer::Identifier:
    case Lexer::Path:
        _Advance();
        return Expression::NewSymbol(token->GetTextAsCString());
    case Lexer::Integer: {
        // Digits only: a value beyond the 32-bit range is refused rather than
        // silently changed into another number.
        errno = 0;
        long long value = std::strtoll(token->GetTextAsCString(), nullptr, 10);
        if (errno == ERANGE || value > INT_MAX) {
            _RaiseError(errors, 10092, token, token->GetTextAsCString());
            return nullptr;
        }
        _Advance();
        return Expression::NewInteger(static_cast<int>(value));
    }
    case Lexer::Real:
        _Advance();
        return Expression::NewReal(std::atof(token->GetTextAsCString()));
    case Lexer::String:
        _Advance();
        return Expression::NewString(token->GetTextAsCString());
    case KeywordTrue:
    case KeywordFalse:
        _Advance();
        return Expression::NewBoolean(token->GetKind() == KeywordTrue);
    default:
        break;
    }
    int type = FunctionType(token->GetKind());
    if (type >= 0) {
        if (_Kind(1) == Lexer::LeftParenthesis) return _ParseFunctionCall(errors, type);
        _Advance();
        return Expression::NewSymbol(token->GetTextAsCString());
    }
    _RaiseUnexpectedToken(errors, token);
    return nullptr;
}

// keyword "(" [ expression { "," expression } ] ")"
KEFOScriptExpression* KEFOScriptParser::_ParseFunctionCall(int& errors, int type) {
    KEFOToken* keyword = _Token();
    if (!_Enter(errors)) return nullptr;
    _Advance();
    _Advance();
    ExpressionPointer node(new Expression(type));
    if (_Kind() == Lexer::RightParenthesis) {
        _Advance();
    } else {
        for (;;) {
            KEFOScriptExpression* argument = _ParseExpression(errors);
            if (argument == nullptr) break;
            node->AppendChild(argument);
            if (_Kind() == Lexer::Comma) {
                _Advance();
                continue;
            }
            _Expect(errors, Lexer::RightParenthesis);
            break;
        }
    }
    _Leave();
    if (errors != 0) return nullptr;
    if (!Expression::CheckNumberOfChildren(type, node->GetNumberOfChildren())) {
        _RaiseError(errors, 10094, keyword);
        return nullptr;
    }
    return node.release();
}

// "[" [ expression { "," expression } ] "]"
KEFOScriptExpression* KEFOScriptParser::_ParseList(int& errors) {
    if (!_Enter(errors)) return nullptr;
    _Advance();
    ExpressionPointer node(new Expression(Expression::List));
    if (_Kind() == Lexer::RightBracket) {
        _Advance();
    } else {
        for (;;) {
            KEFOScriptExpression* element = _ParseExpression(errors);
            if (element == nullptr) break;
            node->AppendChild(element);
            if (_Kind() == Lexer::Comma) {
                _Advance();
                continue;
            }
            _Expect(errors, Lexer::RightBracket);
            break;
        }
    }
    _Leave();
    if (errors != 0) return nullptr;
    return node.release();
}

// "if" guard value { "elif" guard value } [ "else" value ], as a switch of
// cases followed by the optional default.
KEFOScriptExpression* KEFOScriptParser::_ParseConditionalExpression(int& errors) {
    if (!_Enter(errors)) return nullptr;
    ExpressionPointer node(new Expression(Expression::Switch));
    for (;;) {
        _Advance();  // "if" or "elif"
        ExpressionPointer branch(new Expression(Expression::Case));
        KEFOScriptExpression* guard = _ParseExpression(errors);
        if (guard == nullptr) break;
        branch->AppendChild(guard);
        KEFOScriptExpression* value = _ParseExpression(errors);
        if (value == nullptr) break;
        branch->AppendChild(value);
        node->AppendChild(branch.release());
        if (_Kind() == KeywordElif) continue;
        if (_Kind() == KeywordElse) {
            _Advance();
            KEFOScriptExpression* otherwise = _ParseExpression(errors);
            if (otherwise != nullptr) node->AppendChild(otherwise);
        }
        break;
    }
    _Leave();
    if (errors != 0) return nullptr;
    return node.release();
}

// "'" identifier
KEFOScriptExpression* KEFOScriptParser::_ParseQuotedSymbol(int& errors) {
    _Advance();
    KEFOToken* name = _Token();
    if (!_Expect(errors, Lexer::Identifier)) return nullptr;
    return Expression::NewQuotedSymbol(name->GetTextAsCString());
}
