// The lexer of the script language: a hand-written state machine that turns
// the characters of a script file into tokens on demand. A token, once
// scanned, is kept, so the parser may look ahead and step back freely.
//
// Lines are numbered from 1 and characters within a line from 0; a token
// records the line and the column reached when it ended (the position just
// past its last character, which is also the 1-based column of that last
// character). The byte 0xFF ends the input like the end of the file does.
#ifndef KEFO_SCRIPT_SCRIPT_LEXER_H
#define KEFO_SCRIPT_SCRIPT_LEXER_H

#include "support/memory_manager.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

class KEFOToken;

class KEFOScriptLexer {
    PLOV_MANAGED_ALLOCATION(KEFOScriptLexer)
public:
    // Token kinds. One-character tokens use their character code; keywords
    // use the codes they are registered with.
    enum TokenKind {
        Rejected = -1,
        Hash = '#',
        Quote = '\'',
        LeftParenthesis = '(',
        RightParenthesis = ')',
        Star = '*',
        Plus = '+',
        Comma = ',',
        Minus = '-',
        Slash = '/',
        Colon = ':',
        Semicolon = ';',
        Less = '<',
        Equal = '=',
        Greater = '>',
        LeftBracket = '[',
        RightBracket = ']',
        LeftBrace = '{',
        RightBrace = '}',
        Identifier = 200,
        Path = 201,
        Integer = 202,
        Real = 203,
        String = 204,
        TripleQuotedText = 205,
        LineComment = 206,
        BlockComment = 207,
        EqualEqual = 210,
        NotEqual = 211,
        LessEqual = 212,
        GreaterEqual = 213,
        // The end of the input (end of file or a 0xFF byte): the last token
        // of every scan, so that errors at the end have a location.
        EndOfInput = 255
    };

    // Everything that describes the file being read; saved and restored
    // around the reading of a nested script.
    struct State {
        FILE* file = nullptr;
        std::shared_ptr<const std::string> fileName;
        std::vector<KEFOToken*> tokens;
        int line = 1;
        int column = 0;
        int lookahead = -2;  // -2: nothing pushed back
        bool ended = false;
    };

    KEFOScriptLexer();
    ~KEFOScriptLexer();
    KEFOScriptLexer(const KEFOScriptLexer&) = delete;
    KEFOScriptLexer& operator=(const KEFOScriptLexer&) = delete;

    // Starts reading a file (not owned; the caller closes it). Tokens of a
    // previous file are deleted.
    void Initialize(const char* fileName, FILE* file);
    // Deletes the tokens and forgets the file.
    void Finalize();
    // Moves the current state out into `saved` (leaving the lexer idle) and
    // puts a saved state back; used to read a script while another is read.
    void SaveState(State& saved);
    void RestoreState(State& saved);

    // Scans the whole remaining input.
    void ScanFile();
    // Token number i (from 0), scanning as far as needed; past the end of
    // the input, the end-of-input token.
    KEFOToken* GetToken(int i);
    // Number of tokens scanned so far (the end-of-input token included once
    // it has been reached).
    int GetNumberOfTokens() const { return static_cast<int>(_state.tokens.size()); }
    void ResetTokens();
    void PrintTokens(FILE* file) const;

    // Name of a token kind as messages quote it ("';'", "identifier"...); a
    // keyword's text, or "keyword" for an unknown kind.
    const char* GetNameOfToken(int kind) const;

    void RegisterKeyword(int code, const char* text);
    // The keyword's text, or null.
    const char* LookForKeyword(int code) const;
    // The keyword's code, or 0 when the text is no keyword.
    int LookForKeyword(const char* text) const;

    bool GetKeepComments() const { return _keepComments; }
    void SetKeepComments(bool flag) { _keepComments = flag; }

private:
    int _GetChar();
    int _PeekChar();
    // Scans one token and appends it; false at the end of the input.
    bool _ScanToken();
    void _AppendToken(int kind, const std::string& text);
    void _AppendToken(int kind, const std::string& text, int line, int column);
    void _ScanIdentifierOrPath(int first);
    void _ScanNumber(int first);
    void _ScanString();
    bool _ScanLineComment();
    bool _ScanBlockComment(int line, int column);
    void _ClearTokens(std::vector<KEFOToken*>& tokens);

    State _state;
    bool _keepComments = false;
    std::map<int, std::string> _keywordsByCode;
    std::map<std::string, int> _keywordsByText;
};

#endif
