// The parser of the script language: a recursive descent over the tokens of
// KEFOScriptLexer that builds the command tree. It stops at the first error
// (raised at the offending token through the interpreter) and deletes the
// partly built command.
//
// Nesting (parentheses, function calls, lists, conditional expressions,
// blocks, conditionals and loops) is limited, so that no input can exhaust
// the stack: going deeper raises 13003.
#ifndef KEFO_SCRIPT_SCRIPT_PARSER_H
#define KEFO_SCRIPT_SCRIPT_PARSER_H

#include "support/memory_manager.h"

#include <cstdio>

class KEFOInterpreter;
class KEFOScriptCommand;
class KEFOScriptExpression;
class KEFOScriptLexer;
class KEFOToken;

class KEFOScriptParser {
    PLOV_MANAGED_ALLOCATION(KEFOScriptParser)
public:
    // Keyword codes of the script language.
    enum Keyword {
        KeywordFalse = 500,
        KeywordTrue = 501,
        KeywordAnd = 502,
        KeywordOr = 503,
        KeywordNot = 504,
        KeywordAbs = 630,
        KeywordExp = 631,
        KeywordLog = 632,
        KeywordLog10 = 633,
        KeywordMod = 634,
        KeywordPow = 635,
        KeywordSqrt = 636,
        KeywordCeil = 637,
        KeywordFloor = 638,
        KeywordMin = 650,
        KeywordMax = 651,
        KeywordMean = 652,
        KeywordIf = 653,
        KeywordElse = 655,
        KeywordElif = 702,
        KeywordWhile = 703,
        KeywordCount = 711,
        KeywordAppend = 712,
        KeywordRange = 713
    };
    static const int defaultMaximumNestingDepth = 256;

    // The interpreter receives the errors; it may be null (errors are then
    // only counted).
    explicit KEFOScriptParser(KEFOInterpreter* interpreter);
    ~KEFOScriptParser();
    KEFOScriptParser(const KEFOScriptParser&) = delete;
    KEFOScriptParser& operator=(const KEFOScriptParser&) = delete;

    // Opens the file and parses it into the children of root. A null path
    // raises 10001, a file that cannot be opened 10003; the messages are
    // then printed at once.
    void ImportScript(int& errors, const char* path, KEFOScriptCommand* root);
    // Parses an open file into the children of root; prints the pending
    // messages if an error occurred. The lexer's previous state is restored
    // afterwards, so a script may be parsed while another is being read.
    void ParseScript(int& errors, FILE* file, const char* fileName, KEFOScriptCommand* root);

    KEFOScriptLexer* GetLexer() const { return _lexer; }
    int GetMaximumNestingDepth() const { return _maximumDepth; }
    void SetMaximumNestingDepth(int depth) { _maximumDepth = depth < 1 ? 1 : depth; }

private:
    void _RegisterKeywords();
    void _ParseCommands(int& errors, KEFOScriptCommand* root);

    KEFOToken* _Token(int offset = 0) const;
    int _Kind(int offset = 0) const;
    void _Advance() { ++_position; }
    // Consumes the token of the given kind or raises 10093 (10091 at the end
    // of the input, 10092 at a rejected token).
    bool _Expect(int& errors, int kind);
    // 10091 at the end of the input, 10092 with the token's text otherwise.
    void _RaiseUnexpectedToken(int& errors, const KEFOToken* token);
    void _RaiseError(int& errors, int code, const KEFOToken* token, const char* a1 = nullptr);
    // Enters one nesting level (13003 beyond the limit); _Leave leaves it.
    bool _Enter(int& errors);
    void _Leave() { --_depth; }

    KEFOScriptCommand* _NewCommand(int type, const KEFOToken* token) const;
    KEFOScriptCommand* _ParseCommand(int& errors);
    KEFOScriptCommand* _ParseBlock(int& errors);
    KEFOScriptCommand* _ParseBuiltinCommand(int& errors);
    KEFOScriptCommand* _ParseAssignment(int& errors);
    KEFOScriptCommand* _ParseConditionalCommand(int& errors);
    KEFOScriptCommand* _ParseWhileCommand(int& errors);

    KEFOScriptExpression* _ParseExpression(int& errors);
    KEFOScriptExpression* _ParseOr(int& errors);
    KEFOScriptExpression* _ParseAnd(int& errors);
    KEFOScriptExpression* _ParseNot(int& errors);
    KEFOScriptExpression* _ParseComparison(int& errors);
    KEFOScriptExpression* _ParseSubtraction(int& errors);
    KEFOScriptExpression* _ParseAddition(int& errors);
    KEFOScriptExpression* _ParseDivision(int& errors);
    KEFOScriptExpression* _ParseMultiplication(int& errors);
    KEFOScriptExpression* _ParseNegation(int& errors);
    KEFOScriptExpression* _ParsePrimary(int& errors);
    KEFOScriptExpression* _ParseFunctionCall(int& errors, int type);
    KEFOScriptExpression* _ParseList(int& errors);
    KEFOScriptExpression* _ParseConditionalExpression(int& errors);
    KEFOScriptExpression* _ParseQuotedSymbol(int& errors);

    KEFOInterpreter* _interpreter;
    KEFOScriptLexer* _lexer;
    int _position = 0;
    int _depth = 0;
    int _maximumDepth = defaultMaximumNestingDepth;
};

#endif
