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

TEST(ScriptLexer, PunctuationAndOperators) {
    EXPECT_EQ(Kinds("# ' ( ) * + , - : ; [ ] { } /"),
              (std::vector<int>{'#', '\'', '(', ')', '*', '+', ',', '-', ':', ';', '[', ']', '{', '}', '/'}));
    EXPECT_EQ(Kinds("== = <= < >= > != !"),
              (std::vector<int>{Lexer::EqualEqual, '=', Lexer::LessEqual, '<', Lexer::GreaterEqual, '>',
                                Lexer::NotEqual, Lexer::Rejected}));
    // "===" is "==" then "=".
    EXPECT_EQ(Kinds("==="), (std::vector<int>{Lexer::EqualEqual, '='}));
    EXPECT_EQ(Kinds("a/b"), (std::vector<int>{Lexer::Identifier, '/', Lexer::Identifier}));
}

TEST(ScriptLexer, IdentifiersKeepHyphensAndKeywordsMatchWholeText) {
    // Keywords are case-sensitive ("If").
    EXPECT_EQ(Kinds("minimum-probability a-1 _x if iffy If elif max log10 true"),
              (KindList{name, name, name, KEFOScriptParser::KeywordIf, name, name, KEFOScriptParser::KeywordElif,
                        KEFOScriptParser::KeywordMax, KEFOScriptParser::KeywordLog10, KEFOScriptParser::KeywordTrue}));
    EXPECT_EQ(Texts("minimum-probability a-1"), (Words{"minimum-probability", "a-1"}));
    // A subtraction between names needs blanks.
    EXPECT_EQ(Kinds("a - b"), (KindList{name, '-', name}));
}

TEST(ScriptLexer, Paths) {
    EXPECT_EQ(Kinds("block.sub.event if.x a-b._c"), (KindList{Lexer::Path, Lexer::Path, Lexer::Path}));
    EXPECT_EQ(Texts("block.sub.event if.x a-b._c"), (Words{"block.sub.event", "if.x", "a-b._c"}));
    // A dot followed by anything but a name start is rejected.
    EXPECT_EQ(Kinds("a. b a.1"), (KindList{rejected, name, rejected, Lexer::Integer}));
    EXPECT_EQ(Texts("a. b a.1"), (Words{"a.", "b", "a.", "1"}));
}

TEST(ScriptLexer, Numbers) {
    EXPECT_EQ(Kinds("12 1.5 1e5 1.5E-3 2e+7 0.25e1"),
              (KindList{Lexer::Integer, Lexer::Real, Lexer::Real, Lexer::Real, Lexer::Real, Lexer::Real}));
    EXPECT_EQ(Texts("1.5E-3"), (Words{"1.5E-3"}));
    // Malformed fractions and exponents are rejected tokens.
    for (const char* bad : {"1.", "1.x", "1e", "1e+", "3E-x"}) {
        std::vector<int> kinds = Kinds(bad);
        ASSERT_FALSE(kinds.empty()) << bad;
        EXPECT_EQ(kinds[0], rejected) << bad;
    }
    // A sign is never part of a number.
    EXPECT_EQ(Kinds("-3"), (KindList{'-', Lexer::Integer}));
    EXPECT_EQ(Kinds("12abc"), (KindList{Lexer::Integer, name}));
}

TEST(ScriptLexer, Strings) {
    const std::string text = "\"abc\" \"\" \"two\nlines\" \"a//b /*c*/\"";
    EXPECT_EQ(Kinds(text), (KindList{Lexer::String, Lexer::String, Lexer::String, Lexer::String}));
    EXPECT_EQ(Texts(text), (Words{"abc", "", "two\nlines", "a//b /*c*/"}));
    EXPECT_EQ(Scan(text)[2].line, 2);  // the line where the token ended
    EXPECT_EQ(Kinds("\"\"\"text with \"quotes\" \"\" inside\"\"\" x"), (KindList{Lexer::TripleQuotedText, name}));
    EXPECT_EQ(Texts("\"\"\"text with \"quotes\" \"\" inside\"\"\""), (Words{"text with \"quotes\" \"\" inside"}));
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
    EXPECT_EQ(Texts("\"\"\" never closed \"\""), (Words{"\"\"\""}));
}

TEST(ScriptLexer, CommentsAreSkippedUnlessKept) {
    EXPECT_EQ(Kinds("a // rest of line ; ;\nb /* block\n ; */ c /**/ d"), (KindList{name, name, name, name}));
    const std::string text = "a // line\n/* block */ b /***/";
    EXPECT_EQ(Kinds(text, true), (KindList{name, Lexer::LineComment, Lexer::BlockComment, name, Lexer::BlockComment}));
    EXPECT_EQ(Texts(text, true), (Words{"a", " line", " block ", "b", "*"}));
}

TEST(ScriptLexer, ByteFFEndsTheInput) {
    EXPECT_EQ(Texts(std::string("a b\xFF c d")), (Words{"a", "b"}));
    // Inside a string too: the string is then unterminated.
    EXPECT_EQ(Kinds(std::string("\"ab\xFF cd\"")), (KindList{rejected}));
}

TEST(ScriptLexer, OtherCharactersAreRejectedOneByOne) {
    const std::string text("$ @\x01 \xC3\xA9", 7);
    EXPECT_EQ(Kinds(text), (KindList{rejected, rejected, rejected, rejected, rejected}));
    EXPECT_EQ(Texts(text), (Words{"$", "@", "\\x01", "\\xC3", "\\xA9"}));
    // A NUL byte is a character like any other.
    EXPECT_EQ(Kinds(std::string("a\0b", 3)), (KindList{name, rejected, name}));
}

TEST(ScriptLexer, PositionsAreTheColumnReachedAtTheEndOfTheToken) {
    std::vector<std::pair<int, int>> positions;
    for (const Scanned& token : Scan("x = 3;\n  while == 12.5\n")) positions.emplace_back(token.line, token.column);
    EXPECT_EQ(positions,
              (std::vector<std::pair<int, int>>{{1, 1}, {1, 3}, {1, 5}, {1, 6}, {2, 7}, {2, 10}, {2, 15}}));
}

TEST(ScriptLexer, TokensAreKeptAndTheEndRepeats) {
    KEFOScriptParser parser(nullptr);
    KEFOScriptLexer* lexer = parser.GetLexer();
    std::string text = "a b c";
    FILE* file = fmemopen(&text[0], text.size(), "r");
    lexer->Initialize("t", file);
    EXPECT_EQ(lexer->GetToken(2)->GetText(), "c");
    EXPECT_EQ(lexer->GetToken(0)->GetText(), "a");  // stepping back
    EXPECT_EQ(lexer->GetToken(3)->GetKind(), Lexer::EndOfInput);
    EXPECT_EQ(lexer->GetToken(50), lexer->GetToken(3));
    EXPECT_EQ(lexer->GetNumberOfTokens(), 4);
    EXPECT_STREQ(lexer->GetToken(0)->GetFileName(), "t");
    lexer->Finalize();
    std::fclose(file);
    EXPECT_EQ(lexer->GetNumberOfTokens(), 0);
}

TEST(ScriptLexer, SavedStateComesBack) {
    KEFOScriptParser parser(nullptr);
    KEFOScriptLexer* lexer = parser.GetLexer();
    std::string outer = "one two three";
    std::string inner = "four";
    FILE* outerFile = fmemopen(&outer[0], outer.size(), "r");
    FILE* innerFile = fmemopen(&inner[0], inner.size(), "r");
    lexer->Initialize("outer", outerFile);
    EXPECT_EQ(lexer->GetToken(0)->GetText(), "one");
    KEFOScriptLexer::State saved;
    lexer->SaveState(saved);
    lexer->Initialize("inner", innerFile);
    EXPECT_EQ(lexer->GetToken(0)->GetText(), "four");
    EXPECT_EQ(lexer->GetToken(1)->GetKind(), Lexer::EndOfInput);
    lexer->Finalize();
    lexer->RestoreState(saved);
    EXPECT_EQ(lexer->GetToken(1)->GetText(), "two");
    EXPECT_EQ(lexer->GetToken(2)->GetText(), "three");
    EXPECT_STREQ(lexer->GetToken(2)->GetFileName(), "outer");
    lexer->Finalize();
    std::fclose(outerFile);
    std::fclose(innerFile);
}
