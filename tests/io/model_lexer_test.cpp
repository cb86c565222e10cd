#include "io/model_lexer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Lexed {
    int code;
    std::string text;
    int line;
    int column;
};

std::vector<Lexed> Lex(const std::string& text) {
    KEFOModelLexer lexer;
    lexer.InitializeFromText("m.sbe", text);
    std::vector<Lexed> out;
    for (int i = 0; KEFOToken* t = lexer.GetToken(i); ++i)
        out.push_back({t->GetKind(), t->GetText(), t->GetLine(), t->GetColumn()});
    return out;
}

std::vector<int> Codes(const std::vector<Lexed>& tokens) {
    std::vector<int> codes;
    for (const Lexed& t : tokens) codes.push_back(t.code);
    return codes;
}

TEST(KEFOModelLexerTest, WordsPathsAndKeywords) {
    auto tokens = Lex("basic-event a.b_c.d-1 = exponential(1.0e-3);");
    EXPECT_EQ(Codes(tokens), (std::vector<int>{KEFOModelLexer::KwBasicEvent, KEFOModelLexer::Path, '=',
                                               KEFOModelLexer::KwExponential, '(', KEFOModelLexer::Real, ')', ';'}));
    EXPECT_EQ(tokens[1].text, "a.b_c.d-1");
    EXPECT_EQ(tokens[5].text, "1.0e-3");
    // Keywords are case-sensitive.
    EXPECT_EQ(Lex("Block")[0].code, KEFOModelLexer::Identifier);
    EXPECT_EQ(Lex("periodic-test")[0].code, KEFOModelLexer::KwPeriodicTest);
}

TEST(KEFOModelLexerTest, NumbersOperatorsAndLocations) {
    auto tokens = Lex("12 3.5 2e10 7E+2\n  == != <= >= < > !");
    EXPECT_EQ(Codes(tokens), (std::vector<int>{202, 203, 203, 203, 210, 211, 212, 213, '<', '>', -1}));
    EXPECT_EQ(tokens[4].line, 2);
    EXPECT_EQ(tokens[4].column, 3);
    EXPECT_EQ(Lex("1e")[0].code, KEFOModelLexer::Erroneous);
    EXPECT_EQ(Lex("a.")[0].code, KEFOModelLexer::Erroneous);
    EXPECT_EQ(Lex("a.1")[0].code, KEFOModelLexer::Erroneous);
}

TEST(KEFOModelLexerTest, StringsLabelsAndComments) {
    auto tokens = Lex("\"file.txt\" // comment\n\"\"\"A label\nover lines\"\"\" /* block */ x");
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].code, KEFOModelLexer::String);
    EXPECT_EQ(tokens[0].text, "file.txt");
    EXPECT_EQ(tokens[1].code, KEFOModelLexer::Label);
    EXPECT_EQ(tokens[1].text, "A label\nover lines");
    EXPECT_EQ(tokens[2].text, "x");
    EXPECT_EQ(tokens[2].line, 3);
    EXPECT_EQ(Lex("\"open")[0].code, KEFOModelLexer::UnclosedString);
    EXPECT_EQ(Lex("\"\"\"open")[0].code, KEFOModelLexer::UnclosedLabel);
    EXPECT_EQ(Lex("/* open")[0].code, KEFOModelLexer::UnclosedComment);
    EXPECT_EQ(Lex("\"\"x")[0].code, KEFOModelLexer::Erroneous);
}

TEST(KEFOModelLexerTest, BinaryGarbageNeverStopsTheScan) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
    auto tokens = Lex(garbage);
    EXPECT_FALSE(tokens.empty());
}

}  // namespace

TEST(KEFOModelLexerTest, ReleasedTokensAreForgotten) {
    KEFOModelLexer lexer;
    lexer.InitializeFromText("m.sbe", "a b c d e");
    KEFOToken* c = lexer.GetToken(2);
    ASSERT_NE(c, nullptr);
    lexer.ReleaseTokensBefore(2);
    EXPECT_EQ(lexer.GetToken(0), nullptr);
    EXPECT_EQ(lexer.GetToken(1), nullptr);
    EXPECT_EQ(lexer.GetToken(2), c);
    EXPECT_EQ(lexer.GetToken(4)->GetText(), "e");
    EXPECT_EQ(c->GetText(), "c");
    EXPECT_EQ(lexer.GetNumberOfTokens(), 5);
    EXPECT_EQ(lexer.GetToken(5), nullptr);
    // A saved state keeps its offset.
    KEFOModelLexer::State state;
    lexer.SaveState(state);
    lexer.InitializeFromText("n.sbe", "x");
    EXPECT_EQ(lexer.GetToken(0)->GetText(), "x");
    lexer.Finalize();
    lexer.RestoreState(state);
    EXPECT_EQ(lexer.GetToken(3)->GetText(), "d");
    EXPECT_EQ(lexer.GetToken(1), nullptr);
}

TEST(KEFOModelLexerTest, NulBytesInStringsAndLabelsAreErroneous) {
    auto string = Lex(std::string("\"ab\0c\"", 6));
    ASSERT_GE(string.size(), 1u);
    EXPECT_EQ(string[0].code, KEFOModelLexer::Erroneous);
    EXPECT_EQ(string[0].text, std::string("\"ab\0", 4));
    auto label = Lex(std::string("\"\"\"x\0y\"\"\"", 9));
    ASSERT_GE(label.size(), 1u);
    EXPECT_EQ(label[0].code, KEFOModelLexer::Erroneous);
    EXPECT_EQ(label[0].text, std::string("\"\"\"x\0", 5));
}
