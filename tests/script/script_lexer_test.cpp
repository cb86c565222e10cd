#include "script/script_lexer.h"
#include "script/script_parser.h"
#include "script/token.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
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

std::vector<int> Kinds(const std::string& text) {
    std::vector<int> kinds;
    for (const Scanned& token : Scan(text)) kinds.push_back(token.kind);
    return kinds;
}
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
    std::vector<Scanned> tokens = Scan("minimum-probability a-1 _x if iffy If elif max log10 true");
    ASSERT_EQ(tokens.size(), 10u);
    EXPECT_EQ(tokens[0].kind, Lexer::Identifier);
    EXPECT_EQ(tokens[0].text, "minimum-probability");
    EXPECT_EQ(tokens[1].text, "a-1");
    EXPECT_EQ(tokens[1].kind, Lexer::Identifier);
    EXPECT_EQ(tokens[2].kind, Lexer::Identifier);
    EXPECT_EQ(tokens[3].kind, KEFOScriptParser::KeywordIf);
    EXPECT_EQ(tokens[4].kind, Lexer::Identifier);
    EXPECT_EQ(tokens[5].kind, Lexer::Identifier);  // keywords are case-sensitive
    EXPECT_EQ(tokens[6].kind, KEFOScriptParser::KeywordElif);
    EXPECT_EQ(tokens[7].kind, KEFOScriptParser::KeywordMax);
    EXPECT_EQ(tokens[8].kind, KEFOScriptParser::KeywordLog10);
    EXPECT_EQ(tokens[9].kind, KEFOScriptParser::KeywordTrue);
    // A subtraction between names needs blanks.
    EXPECT_EQ(Kinds("a - b"), (std::vector<int>{Lexer::Identifier, '-', Lexer::Identifier}));
}

TEST(ScriptLexer, Paths) {
    std::vector<Scanned> tokens = Scan("block.sub.event if.x a-b._c");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].kind, Lexer::Path);
    EXPECT_EQ(tokens[0].text, "block.sub.event");
    EXPECT_EQ(tokens[1].kind, Lexer::Path);
    EXPECT_EQ(tokens[2].text, "a-b._c");
    // A dot followed by anything but a name start is rejected.
    tokens = Scan("a. b a.1");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[0].kind, Lexer::Rejected);
    EXPECT_EQ(tokens[0].text, "a.");
    EXPECT_EQ(tokens[2].kind, Lexer::Rejected);
    EXPECT_EQ(tokens[2].text, "a.");
    EXPECT_EQ(tokens[3].kind, Lexer::Integer);
}

TEST(ScriptLexer, Numbers) {
    std::vector<Scanned> tokens = Scan("12 1.5 1e5 1.5E-3 2e+7 0.25e1");
    ASSERT_EQ(tokens.size(), 6u);
    EXPECT_EQ(tokens[0].kind, Lexer::Integer);
    for (std::size_t i = 1; i < tokens.size(); ++i) EXPECT_EQ(tokens[i].kind, Lexer::Real) << tokens[i].text;
    EXPECT_EQ(tokens[3].text, "1.5E-3");
    // Malformed fractions and exponents are rejected tokens.
    for (const char* bad : {"1.", "1.x", "1e", "1e+", "3E-x"}) {
        std::vector<Scanned> scanned = Scan(bad);
        ASSERT_FALSE(scanned.empty()) << bad;
        EXPECT_EQ(scanned[0].kind, Lexer::Rejected) << bad;
    }
    // A sign is never part of a number.
    EXPECT_EQ(Kinds("-3"), (std::vector<int>{'-', Lexer::Integer}));
    EXPECT_EQ(Kinds("12abc"), (std::vector<int>{Lexer::Integer, Lexer::Identifier}));
}

TEST(ScriptLexer, Strings) {
    std::vector<Scanned> tokens = Scan("\"abc\" \"\" \"two\nlines\" \"a//b /*c*/\"");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[0].kind, Lexer::String);
    EXPECT_EQ(tokens[0].text, "abc");
    EXPECT_EQ(tokens[1].kind, Lexer::String);
    EXPECT_EQ(tokens[1].text, "");
    EXPECT_EQ(tokens[2].text, "two\nlines");
    EXPECT_EQ(tokens[2].line, 2);  // the line where the token ended
    EXPECT_EQ(tokens[3].text, "a//b /*c*/");
    tokens = Scan("\"\"\"text with \"quotes\" \"\" inside\"\"\" x");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].kind, Lexer::TripleQuotedText);
    EXPECT_EQ(tokens[0].text, "text with \"quotes\" \"\" inside");
    EXPECT_EQ(tokens[1].kind, Lexer::Identifier);
}

TEST(ScriptLexer, UnterminatedStringsAndCommentsAreRejectedAtTheirOpening) {
    std::vector<Scanned> tokens = Scan("x\n  \"never closed\n more");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].kind, Lexer::Rejected);
    EXPECT_EQ(tokens[1].text, "\"");
    EXPECT_EQ(tokens[1].line, 2);
    EXPECT_EQ(tokens[1].column, 3);
    tokens = Scan("x /* never closed * /");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].kind, Lexer::Rejected);
    EXPECT_EQ(tokens[1].text, "/*");
    EXPECT_EQ(tokens[1].column, 4);
    tokens = Scan("\"\"\" never closed \"\"");
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].text, "\"\"\"");
}

TEST(ScriptLexer, CommentsAreSkippedUnlessKept) {
    EXPECT_EQ(Kinds("a // rest of line ; ;\nb /* block\n ; */ c /**/ d"),
              (std::vector<int>{Lexer::Identifier, Lexer::Identifier, Lexer::Identifier, Lexer::Identifier}));
    std::vector<Scanned> tokens = Scan("a // line\n/* block */ b /***/", true);
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens[1].kind, Lexer::LineComment);
    EXPECT_EQ(tokens[1].text, " line");
    EXPECT_EQ(tokens[2].kind, Lexer::BlockComment);
    EXPECT_EQ(tokens[2].text, " block ");
    EXPECT_EQ(tokens[4].kind, Lexer::BlockComment);
    EXPECT_EQ(tokens[4].text, "*");
}

TEST(ScriptLexer, ByteFFEndsTheInput) {
    std::vector<Scanned> tokens = Scan(std::string("a b\xFF c d"));
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].text, "b");
    // Inside a string too: the string is then unterminated.
    tokens = Scan(std::string("\"ab\xFF cd\""));
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(tokens[0].kind, Lexer::Rejected);
}

TEST(ScriptLexer, OtherCharactersAreRejectedOneByOne) {
    std::vector<Scanned> tokens = Scan(std::string("$ @\x01 \xC3\xA9", 7));
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens[0].text, "$");
    EXPECT_EQ(tokens[1].text, "@");
    EXPECT_EQ(tokens[2].text, "\\x01");
    EXPECT_EQ(tokens[3].text, "\\xC3");
    for (const Scanned& token : tokens) EXPECT_EQ(token.kind, Lexer::Rejected);
    // A NUL byte is a character like any other.
    EXPECT_EQ(Kinds(std::string("a\0b", 3)), (std::vector<int>{Lexer::Identifier, Lexer::Rejected, Lexer::Identifier}));
}

TEST(ScriptLexer, PositionsAreTheColumnReachedAtTheEndOfTheToken) {
    std::vector<Scanned> tokens = Scan("x = 3;\n  while == 12.5\n");
    ASSERT_EQ(tokens.size(), 7u);
    EXPECT_EQ(tokens[0].line, 1);
    EXPECT_EQ(tokens[0].column, 1);
    EXPECT_EQ(tokens[1].column, 3);
    EXPECT_EQ(tokens[2].column, 5);
    EXPECT_EQ(tokens[3].column, 6);
    EXPECT_EQ(tokens[4].line, 2);
    EXPECT_EQ(tokens[4].column, 7);
    EXPECT_EQ(tokens[5].column, 10);
    EXPECT_EQ(tokens[6].column, 15);
}

TEST(ScriptLexer, TokensAreKeptAndTheEndRepeats) {
    KEFOScriptParser parser(nullptr);
    KEFOScriptLexer* lexer = parser.GetLexer();
    std::string text = "a b c";
    FILE* file = fmemopen(&text[0], text.size(), "r");
    lexer->Initialize("t", file);
    EXPECT_EQ(lexer->GetToken(2)->GetText(), "c");
    EXPECT_EQ(lexer->GetNumberOfTokens(), 3);
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

TEST(ScriptLexer, NamesOfTokens) {
    KEFOScriptParser parser(nullptr);
    KEFOScriptLexer* lexer = parser.GetLexer();
    EXPECT_STREQ(lexer->GetNameOfToken(';'), "';'");
    EXPECT_STREQ(lexer->GetNameOfToken(Lexer::EqualEqual), "'=='");
    EXPECT_STREQ(lexer->GetNameOfToken(Lexer::Identifier), "identifier");
    EXPECT_STREQ(lexer->GetNameOfToken(Lexer::Path), "path");
    EXPECT_STREQ(lexer->GetNameOfToken('\''), "'''");
    EXPECT_STREQ(lexer->GetNameOfToken(KEFOScriptParser::KeywordElse), "else");
    EXPECT_STREQ(lexer->GetNameOfToken('<'), "keyword");
    EXPECT_STREQ(lexer->GetNameOfToken(9999), "keyword");
    EXPECT_EQ(lexer->LookForKeyword("range"), KEFOScriptParser::KeywordRange);
    EXPECT_EQ(lexer->LookForKeyword("Range"), 0);
    EXPECT_STREQ(lexer->LookForKeyword(KEFOScriptParser::KeywordCount), "count");
    EXPECT_EQ(lexer->LookForKeyword(1), nullptr);
}
