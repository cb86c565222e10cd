// Lexer of the textual model language. Tokens are produced on demand and
// kept, so the parser can look ahead and step back freely.
#ifndef KEFO_IO_MODEL_LEXER_H
#define KEFO_IO_MODEL_LEXER_H

#include "script/token.h"
#include "support/memory_manager.h"

#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

class KEFOModelLexer {
    PLOV_MANAGED_ALLOCATION(KEFOModelLexer)
public:
    enum Code {
        Identifier = 200,
        Path = 201,
        Integer = 202,
        Real = 203,
        String = 204,
        UnclosedString = 205,
        Comment = 206,
        UnclosedComment = 207,
        Label = 208,
        UnclosedLabel = 209,
        Equal = 210,
        Different = 211,
        LessOrEqual = 212,
        GreaterOrEqual = 213,
        Erroneous = -1
    };

    // Keyword codes used by the parser.
    enum Keyword {
        KwBlock = 300, KwClass = 301, KwExtends = 302, KwClones = 303, KwEmbeds = 304, KwEnd = 305, KwAs = 306,
        KwBasicEvent = 400, KwGate = 401, KwHouseEvent = 402, KwState = 403, KwFlow = 404, KwSource = 405,
        KwParameter = 406,
        KwFalse = 500, KwTrue = 501, KwAnd = 502, KwOr = 503, KwNot = 504, KwAtLeast = 505, KwAtMost = 506,
        KwCardinality = 507, KwNand = 508, KwNor = 509,
        KwPi = 601, KwMissionTime = 602,
        KwEq = 610, KwDf = 611, KwLt = 612, KwGt = 613, KwLeq = 614, KwGeq = 615,
        KwNeg = 620, KwAdd = 621, KwSub = 622, KwMul = 623, KwDiv = 624,
        KwAbs = 630, KwExp = 631, KwLog = 632, KwLog10 = 633, KwMod = 634, KwPow = 635, KwSqrt = 636,
        KwCeil = 637, KwFloor = 638,
        KwAcos = 641, KwAsin = 642, KwAtan = 643, KwCos = 644, KwCosh = 645, KwSin = 646, KwSinh = 647,
        KwTan = 648, KwTanh = 649,
        KwMin = 650, KwMax = 651, KwMean = 652, KwIf = 653, KwThen = 654, KwElse = 655, KwIte = 656,
        KwSwitch = 657, KwCase = 658,
        KwDirac = 660, KwPeriodic = 661, KwExponential = 662, KwGLM = 663, KwMTT = 664, KwDormant = 665,
        KwWeibull = 666, KwStandby = 667, KwPeriodicTest = 668, KwBoundTime = 669, KwFailureOnDemand = 670,
        KwEmpiricalDistribution = 671, KwHistogram = 672, KwStep = 673, KwPiecewiseLinear = 674,
        KwUniformDeviate = 680, KwNormalDeviate = 681, KwLognormalDeviate = 682, KwBetaDeviate = 683,
        KwGammaDeviate = 684,
        KwCCFGroup = 690, KwBetaFactor = 691, KwMGL = 692, KwAlphaFactor = 693, KwPhiFactor = 694,
        KwPureModel = 800
    };

    KEFOModelLexer();
    ~KEFOModelLexer();
    KEFOModelLexer(const KEFOModelLexer&) = delete;
    KEFOModelLexer& operator=(const KEFOModelLexer&) = delete;

    // Reads the whole file into the lexer's buffer (the file stays open and
    // belongs to the caller). A null file name makes tokens without file.
    void Initialize(const char* fileName, FILE* file);
    // Lexes text held in memory (tests, fuzzing).
    void InitializeFromText(const char* fileName, const std::string& text);
    void Finalize();

    // Token i (from 0), scanning further as needed; null at end of input
    // and for a token already released.
    KEFOToken* GetToken(int i);
    // The number of tokens scanned so far (released ones included).
    int GetNumberOfTokens() const { return _firstIndex + static_cast<int>(_tokens.size()); }
    // Forgets the tokens before token i, which the reader will not look at
    // again: a long file is then held as text, not as tokens. Pointers to
    // the tokens kept stay valid.
    void ReleaseTokensBefore(int i);
    void PrintTokens(FILE* file);

    const char* GetNameOfToken(int code) const;
    void RegisterKeyword(int code, const char* text);
    const char* LookForKeyword(int code) const;
    int LookForKeyword(const std::string& text) const;  // 0 when not a keyword

    // The state saved and restored around a nested load.
    struct State {
        std::string buffer;
        std::size_t position = 0;
        int line = 1;
        int column = 1;
        std::shared_ptr<const std::string> fileName;
        std::deque<KEFOToken> tokens;
        int firstIndex = 0;
        bool atEnd = false;
    };
    void SaveState(State& state);
    void RestoreState(State& state);

private:
    bool _ScanToken();
    // The byte `offset` places ahead (0 to 255), -1 past the end.
    int _Peek(std::size_t offset = 0) const {
        std::size_t at = _position + offset;
        return at < _buffer.size() ? static_cast<unsigned char>(_buffer[at]) : -1;
    }
    void _Advance() {
        if (_position >= _buffer.size()) return;
        if (_buffer[_position] == '\n') {
            ++_line;
            _column = 1;
        } else {
            ++_column;
        }
        ++_position;
    }
    void _Emit(int code, std::string text, int line, int column);

    std::map<int, std::string> _keywordsByCode;
    std::unordered_map<std::string, int> _keywordsByText;
    std::string _buffer;
    std::size_t _position = 0;
    int _line = 1;
    int _column = 1;
    std::shared_ptr<const std::string> _fileName;
    std::deque<KEFOToken> _tokens;
    // The index of the first token kept.
    int _firstIndex = 0;
    bool _atEnd = true;
};

#endif
