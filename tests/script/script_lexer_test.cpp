// The script lexer: the kinds, texts and positions of tokens, what it
// rejects, and the tokens it keeps and restores.
#include "script/script_lexer.h"
#include "script/script_parser.h"
#include "script/token.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {
using Lexer = KEFOScriptLexer;

struct Scanned {
    int kind;
    std::string text;
    int line;
    int column;
};

// Every token of the text up to the end of the input (excluded).
std::vector<Scanned> Scan(const std::string& text, bool keepComments = false) {
    KEFOScriptParser parser(nullptr);  // registers the keywords
    KEFOScriptLexer* lexer = parser.GetLexer();
    lexer->SetKeepComments(keepComments);
    std::string copy = text;
    FILE* file = copy.empty() ? std::tmpfile() : fmemopen(&copy[0], copy.size(), "r");
    lexer->Initialize("t.kefo", file);
    std::vector<Scanned> tokens;
    for (int i = 0;; ++i) {
        KEFOToken* token = lexer->GetToken(i);
        if (token->GetKind() == Lexer::EndOfInput) break;
        tokens.push_back({token->GetKind(), token->GetText(), token->GetLine(), token->GetColumn()});
    }
    lexer->Finalize();
    std::fclose(file);
    return tokens;
}

std::vector<int> Kinds(const std::string& text, bool keepComments = false) {
    std::vector<int> kinds;
    for (const Scanned& token : Scan(text, keepComments)) kinds.push_back(token.kind);
    return kinds;
}

std::vector<std::string> Texts(const std::string& text, bool keepComments = false) {
    std::vector<std::string> texts;
    for (const Scanned& token : Scan(text, keepComments)) texts.push_back(token.text);
    return texts;
}

using Words = std::vector<std::string>;
using KindList = std::vector<int>;
const int name = Lexer::Identifier;
const int rejected = Lexer::Rejected;
}  // namespace

// The kinds of the tokens of each text, and their texts when given.
TEST(ScriptLexer, KindsAndTexts) {
    struct Case {
        std::string text;
        KindList kinds;
        Words texts;
        bool keepComments;
    };
    const int eq = Lexer::EqualEqual, real = Lexer::Real, integer = Lexer::Integer, path = Lexer::Path;
    const int string = Lexer::String;
    const Case cases[] = {
        {"# ' ( ) * + , - : ; [ ] { } /",
         {'#', '\'', '(', ')', '*', '+', ',', '-', ':', ';', '[', ']', '{', '}', '/'}, {}, false},
        {"== = <= < >= > != !",
         {eq, '=', Lexer::LessEqual, '<', Lexer::GreaterEqual, '>', Lexer::NotEqual, rejected}, {}, false},
        // "===" is "==" then "="; a subtraction between names needs blanks.
        {"===", {eq, '='}, {}, false},
        {"a/b", {name, '/', name}, {}, false},
        {"a - b", {name, '-', name}, {}, false},
        // Keywords match the whole text, case-sensitively ("If").
        {"minimum-probability a-1 _x if iffy If elif max log10 true",
         {name, name, name, KEFOScriptParser::KeywordIf, name, name, KEFOScriptParser::KeywordElif,
          KEFOScriptParser::KeywordMax, KEFOScriptParser::KeywordLog10, KEFOScriptParser::KeywordTrue},
         {"minimum-probability", "a-1", "_x", "if", "iffy", "If", "elif", "max", "log10", "true"}, false},
        {"block.sub.event if.x a-b._c", {path, path, path}, {"block.sub.event", "if.x", "a-b._c"}, false},
        // A dot followed by anything but a name start is rejected.
        {"a. b a.1", {rejected, name, rejected, integer}, {"a.", "b", "a.", "1"}, false},
        // A sign is never part of a number.
        {"12 1.5 1e5 1.5E-3 2e+7 0.25e1 -3 12abc", {integer, real, real, real, real, real, '-', integer, integer, name},
         {"12", "1.5", "1e5", "1.5E-3", "2e+7", "0.25e1", "-", "3", "12", "abc"}, false},
        {"\"abc\" \"\" \"two\nlines\" \"a//b /*c*/\"", {string, string, string, string},
         {"abc", "", "two\nlines", "a//b /*c*/"}, false},
        {"\"\"\"text with \"quotes\" \"\" inside\"\"\" x", {Lexer::TripleQuotedText, name},
         {"text with \"quotes\" \"\" inside", "x"}, false},
        {"\"\"\" never closed \"\"", {rejected}, {"\"\"\""}, false},
        {"a // rest of line ; ;\nb /* block\n ; */ c /**/ d", {name, name, name, name}, {}, false},
        {"a // line\n/* block */ b /***/", {name, Lexer::LineComment, Lexer::BlockComment, name, Lexer::BlockComment},
         {"a", " line", " block ", "b", "*"}, true},
        // Byte FF ends the input, inside a string too (which is then
        // unterminated).
        {"a b\xFF c d", {name, name}, {"a", "b"}, false},
        {"\"ab\xFF cd\"", {rejected}, {}, false},
        // Other characters are rejected one by one; NUL is one of them.
        {std::string("$ @\x01 \xC3\xA9", 7), {rejected, rejected, rejected, rejected, rejected},
         {"$", "@", "\\x01", "\\xC3", "\\xA9"}, false},
        {std::string("a\0b", 3), {name, rejected, name}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Kinds(c.text, c.keepComments), c.kinds);
        if (!c.texts.empty()) {
            EXPECT_EQ(Texts(c.text, c.keepComments), c.texts);
        }
    }
    // Malformed fractions and exponents are rejected tokens.
    for (const char* bad : {"1.", "1.x", "1e", "1e+", "3E-x"}) {
        std::vector<int> kinds = Kinds(bad);
        ASSERT_FALSE(kinds.empty()) << bad;
        EXPECT_EQ(kinds[0], rejected) << bad;
    }
    EXPECT_EQ(Scan("\"abc\" \"two\nlines\"")[1].line, 2);  // the line where the token ended
}

TEST(ScriptLexer, UnterminatedStringsAndCommentsAreRejectedAtTheirOpening) {
    std::vector<Scanned> tokens = Scan("x\n  \"never closed\n more");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].kind, rejected);
    EXPECT_EQ(tokens[1].text, "\"");
    EXPECT_EQ(tokens[1].line, 2);
    EXPECT_EQ(tokens[1].column, 3);
    tokens = Scan("x /* never closed * /");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].kind, rejected);
    EXPECT_EQ(tokens[1].text, "/*");
    EXPECT_EQ(tokens[1].column, 4);
}

TEST(ScriptLexer, PositionsAreTheColumnReachedAtTheEndOfTheToken) {
    std::vector<std::pair<int, int>> positions;
    for (const Scanned& token : Scan("x = 3;\n  while == 12.5\n")) positions.emplace_back(token.line, token.column);
    EXPECT_EQ(positions,
              (std::vector<std::pair<int, int>>{{1, 1}, {1, 3}, {1, 5}, {1, 6}, {2, 7}, {2, 10}, {2, 15}}));
}

