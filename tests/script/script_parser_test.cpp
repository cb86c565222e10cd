// The script parser: the command and expression trees it makes, the exact
// messages of syntax errors, the nesting limit, and scripts cut anywhere or
// made of garbage.
#include "script_test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

namespace {
using kefotest::Dump;
using Command = KEFOScriptCommand;
using Expression = KEFOScriptExpression;

class ScriptParserTest : public ::testing::Test {
protected:
    // Parses text; returns the dump of the root's children and leaves the
    // error count and messages.
    std::string Parse(const std::string& text) {
        engine.ClearMessages();
        errors = 0;
        root = engine.Parse(text, errors);
        std::string dump;
        for (const Command* child : root->GetChildren()) dump += Dump(child);
        return dump;
    }
    // The dump of the value of "x == <text>;".
    std::string ParseExpression(const std::string& text) {
        Parse("x == " + text + ";");
        if (errors != 0 || root->GetNumberOfChildren() != 1) return "error: " + engine.Messages();
        return Dump(root->GetChild(1)->GetArgument(2));
    }
    // The first message's first two lines.
    std::string FirstMessage() const {
        std::string text = engine.Messages();
        std::size_t first = text.find('\n');
        std::size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
        return text.substr(0, second);
    }

    kefotest::Engine engine;
    std::unique_ptr<Command> root;
    int errors = 0;
};
}  // namespace

// The command trees of scripts; an else belongs to the innermost open
// conditional, the same option twice keeps the last value, an identifier
// followed by "==" is an argument.
TEST_F(ScriptParserTest, CommandTrees) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"  // only a comment\n /* and another */\n\n", ""},
        {"print a-b;", "C1:print[4:a-b]"},
        {"print a - b;", "C1:print[17(4:a,4:b)]"},
        {"print a - b - c;", "C1:print[17(4:a,4:b),15(4:c)]"},
        {"skip;", "C1:skip[]"},
        {"test 1 \"two\" three.four;", "C1:test[2:1,5:\"two\",4:three.four]"},
        {"build BDT top output = \"f.txt\" mode = append maximum-order = 3 + 1;",
         "C1:build[4:BDT,4:top]<maximum-order=16(2:3,2:1);mode=4:append;output=5:\"f.txt\";>"},
        {"set a m = 1 m = 2;", "C1:set[4:a]<m=2:2;>"},
        {"print a == b;", "C1:print[9(4:a,4:b)]"},
        {"if x > 0 print x; else print y;", "C4[]{C3[12(4:x,2:0)]{C1:print[4:x]}C1:print[4:y]}"},
        {"if a skip; elif b test; elif c {} else { x == 1; y == 2; }",
         "C4[]{C3[4:a]{C1:skip[]}C3[4:b]{C1:test[]}C3[4:c]{C6[]}C6[]{C2[0:x,2:1]C2[0:y,2:2]}}"},
        {"if a if b skip; else test;", "C4[]{C3[4:a]{C4[]{C3[4:b]{C1:skip[]}C1:test[]}}}"},
        {"while false { skip; }", "C5[1:false]{C6[]{C1:skip[]}}"},
        {"while 1 < 2 skip;", "C5[11(2:1,2:2)]{C1:skip[]}"},
        {"{ { } }", "C6[]{C6[]}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(c.first), c.second) << c.first;
        EXPECT_EQ(errors, 0) << c.first;
        EXPECT_EQ(engine.Messages(), "") << c.first;
    }
}

// A command spread over lines is at the line of its first token.
TEST_F(ScriptParserTest, CommandsRememberFileAndLineOfTheirFirstToken) {
    Parse("\n\n  print\n x;\nif true\n skip;");
    ASSERT_EQ(errors, 0);
    ASSERT_EQ(root->GetNumberOfChildren(), 2);
    EXPECT_EQ(root->GetChild(1)->GetLineNumber(), 3);
    EXPECT_STREQ(root->GetChild(1)->GetFileName(), "test.kefo");
    EXPECT_EQ(root->GetChild(2)->GetChild(1)->GetChild(1)->GetLineNumber(), 6);
}

// The trees of expressions: the binding levels (a subtraction or a division
// takes the rest of its level as right operand), the primaries, the calls.
TEST_F(ScriptParserTest, ExpressionTrees) {
    const std::pair<const char*, const char*> cases[] = {
        {"1 - 2 + 3", "17(2:1,16(2:2,2:3))"}, {"a / b * c", "19(4:a,18(4:b,4:c))"},
        {"1 + 2 + 3 * 4 * 5", "16(2:1,2:2,18(2:3,2:4,2:5))"}, {"not a == b and c or d", "7(6(8(9(4:a,4:b)),4:c),4:d)"},
        {"-a * -b", "18(15(4:a),15(4:b))"}, {"(1 - 2) - 3", "17(17(2:1,2:2),2:3)"}, {"a <= b", "13(4:a,4:b)"},
        {"a >= b", "14(4:a,4:b)"}, {"a != b", "10(4:a,4:b)"}, {"a < b", "11(4:a,4:b)"},
        {"true", "1:true"}, {"false", "1:false"}, {"2147483647", "2:2147483647"}, {"2.5e1", "3:25"},
        {"\"a b\"", "5:\"a b\""}, {"a.b.c", "4:a.b.c"}, {"'sym", "38:sym"}, {"[]", "36"},
        {"[1, [2], 'a]", "36(2:1,36(2:2),38:a)"},
        {"if false 1 elif true 2 else 3", "34(35(1:false,2:1),35(1:true,2:2),2:3)"}, {"if a 1", "34(35(4:a,2:1))"},
        // Function keywords alone are Symbols.
        {"max", "4:max"}, {"max + range", "16(4:max,4:range)"},
        {"abs(x)", "20(4:x)"}, {"mod(7, 2)", "24(2:7,2:2)"}, {"max(1, 2, 3)", "30(2:1,2:2,2:3)"}, {"count()", "32"},
        {"append(1)", "33(2:1)"}, {"range(1, 3, 1)", "37(2:1,2:3,2:1)"},
        {"log10(sqrt(ceil(floor(exp(log(pow(2, mean(1))))))))", "23(26(27(28(21(22(25(2:2,31(2:1))))))))"},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseExpression(c.first), c.second) << c.first;
}

TEST_F(ScriptParserTest, FunctionCallsCheckTheirNumberOfChildren) {
    for (const char* call : {"max()", "abs(1, 2)", "range(1, 2)", "mod(1)", "pow(1, 2, 3)", "mean()", "sqrt()"}) {
        Parse(std::string("x ==\n ") + call + ";");
        EXPECT_EQ(errors, 1) << call;
        std::string keyword(call, std::string(call).find('('));
        EXPECT_EQ(FirstMessage(), "ERROR code: 10094 file: test.kefo line: 2 column: " +
                                      std::to_string(1 + keyword.size()) + "\nUnexpected number of children")
            << call;
    }
}

// One case per rule of the grammar that can fail (the tokens the lexer
// rejects are its own tests').
TEST_F(ScriptParserTest, SyntaxErrorsAreReportedAtTheOffendingToken) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"print x", "ERROR code: 10091 file: test.kefo line: 1 column: 7\nUnexpected end of file"},
        {"x ==", "ERROR code: 10091 file: test.kefo line: 1 column: 4\nUnexpected end of file"},
        {"{ skip;", "ERROR code: 10091 file: test.kefo line: 1 column: 7\nUnexpected end of file"},
        {";", "ERROR code: 13001 file: test.kefo line: 1 column: 1\nA command was expected."},
        {"a.b == 1;", "ERROR code: 13001 file: test.kefo line: 1 column: 3\nA command was expected."},
        {"x = 3;", "ERROR code: 10093 file: test.kefo line: 1 column: 3\nA '==' was expected."},
        {"x == 1 $;", "ERROR code: 10092 file: test.kefo line: 1 column: 8\nUnexpected token $."},
        {"print ;;", "ERROR code: 13001 file: test.kefo line: 1 column: 8\nA command was expected."},
        {"print );", "ERROR code: 10092 file: test.kefo line: 1 column: 7\nUnexpected token )."},
        {"x == a - b - c;", "ERROR code: 10093 file: test.kefo line: 1 column: 12\nA ';' was expected."},
        {"x == 1 < 2 < 3;", "ERROR code: 10093 file: test.kefo line: 1 column: 12\nA ';' was expected."},
        {"x == not not a;", "ERROR code: 10092 file: test.kefo line: 1 column: 12\nUnexpected token not."},
        {"x == --1;", "ERROR code: 10092 file: test.kefo line: 1 column: 7\nUnexpected token -."},
        {"x == (1;", "ERROR code: 10093 file: test.kefo line: 1 column: 8\nA ')' was expected."},
        {"x == [1 2];", "ERROR code: 10093 file: test.kefo line: 1 column: 9\nA ']' was expected."},
        {"x == max(1 2);", "ERROR code: 10093 file: test.kefo line: 1 column: 12\nA ')' was expected."},
        {"x == '1;", "ERROR code: 10093 file: test.kefo line: 1 column: 7\nA identifier was expected."},
        {"x == [1] + 2;", "ERROR code: 10093 file: test.kefo line: 1 column: 10\nA ';' was expected."},
        {"x == if;", "ERROR code: 10092 file: test.kefo line: 1 column: 8\nUnexpected token ;."},
        {"x == \"\"\"text\"\"\";", "ERROR code: 10092 file: test.kefo line: 1 column: 15\nUnexpected token text."},
        {"x == 2147483648;", "ERROR code: 10092 file: test.kefo line: 1 column: 15\nUnexpected token 2147483648."},
        {"x == \"open", "ERROR code: 10092 file: test.kefo line: 1 column: 6\nUnexpected token \"."},
        {"x == \x01;", "ERROR code: 10092 file: test.kefo line: 1 column: 6\nUnexpected token \\x01."},
    };
    for (const Case& c : cases) {
        Parse(c.text);
        EXPECT_EQ(errors, 1) << c.text;
        EXPECT_EQ(FirstMessage(), c.message) << c.text;
        // One message only, then "---" and an empty line.
        std::string all = engine.Messages();
        EXPECT_EQ(all, std::string(c.message) + "\n---\n\n") << c.text;
    }
}

// The first error stops the parse: commands before it are kept, nothing
// after it. Byte FF ends the script.
TEST_F(ScriptParserTest, TheFirstErrorAndByteFFStopTheParse) {
    EXPECT_EQ(Parse("x == 1;\ny = 2;\nz == 3;\nw = ;"), "C2[0:x,2:1]");
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(Parse(std::string("x == 1;\xFF this is no script at all ((((")), "C2[0:x,2:1]");
    EXPECT_EQ(errors, 0);
    Parse(std::string("x == \xFF 1;"));
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(FirstMessage(), "ERROR code: 10091 file: test.kefo line: 1 column: 5\nUnexpected end of file");
}

TEST_F(ScriptParserTest, NestingIsLimited) {
    const int limit = KEFOScriptParser::defaultMaximumNestingDepth;
    // Up to the limit, parentheses are fine.
    std::string ok = "x == " + std::string(limit, '(') + "1" + std::string(limit, ')') + ";";
    Parse(ok);
    EXPECT_EQ(errors, 0);
    const std::string message = "Nesting deeper than " + std::to_string(limit) + " levels.";
    for (int depth : {limit + 1, 100000}) {
        Parse("x == " + std::string(depth, '(') + "1" + std::string(depth, ')') + ";");
        EXPECT_EQ(errors, 1);
        EXPECT_EQ(FirstMessage(), "ERROR code: 13003 file: test.kefo line: 1 column: " +
                                      std::to_string(5 + limit + 1) + "\n" + message);
    }
    // Blocks, conditionals, loops, and calls, lists and conditional values.
    for (const char* opening : {"{", "if true ", "while true ", "max([if true "}) {
        std::string text = opening[0] == 'm' ? "x == " : "";
        for (int i = 0; i < 100000; ++i) text += opening;
        Parse(text + "skip;");
        EXPECT_EQ(errors, 1) << opening;
        EXPECT_NE(engine.Messages().find(message), std::string::npos) << opening;
    }
    // The limit can be changed.
    engine.interpreter->GetScriptParser()->SetMaximumNestingDepth(2);
    Parse("x == ((1));");
    EXPECT_EQ(errors, 0);
    Parse("x == (((1)));");
    EXPECT_EQ(errors, 1);
}

TEST(ScriptExpression, FunctorsAndTypesCorrespond) {
    EXPECT_STREQ(Expression::GetFunctorFromType(Expression::Reference), "reference");
    EXPECT_STREQ(Expression::GetFunctorFromType(Expression::Geq), ">=");
    EXPECT_STREQ(Expression::GetFunctorFromType(Expression::Case), "case");
    EXPECT_EQ(Expression::GetFunctorFromType(Expression::List), nullptr);
    for (int type = 0; type <= Expression::Case; ++type)
        EXPECT_EQ(Expression::GetTypeFromFunctor(Expression::GetFunctorFromType(type)), type);
    EXPECT_EQ(Expression::GetTypeFromFunctor("nothing"), -1);
}

TEST_F(ScriptParserTest, ScriptsCutAnywhereOrGarbageEndInOneCodedMessage) {
    const std::string script =
        "set option output \"out.txt\"; /* comment */ x == [1, 2.5e-3, 'q, \"s\"];\n"
        "if a.b > 1 and not c { print x y-z o = range(1, 2, 3); } elif d while false skip; else test;\n"
        "y == if true max(1, 2) else -(3 / 4); // end\n";
    auto check = [this](const std::string& text) {
        Parse(text);
        if (errors == 0) {
            EXPECT_EQ(engine.Messages(), "") << text;
            return;
        }
        EXPECT_EQ(errors, 1) << text;
        std::string messages = engine.Messages();
        EXPECT_EQ(messages.rfind("ERROR code: ", 0), 0u) << text;
        EXPECT_EQ(messages.find("ERROR", 1), std::string::npos) << text;
        EXPECT_EQ(messages.substr(messages.size() - 6), "\n---\n\n") << text;
    };
    int cutsWithErrors = 0;
    for (std::size_t cut = 0; cut <= script.size(); ++cut) {
        check(script.substr(0, cut));
        if (errors != 0) ++cutsWithErrors;
    }
    EXPECT_GT(cutsWithErrors, static_cast<int>(script.size()) / 2);
    std::mt19937 random(5u);
    for (int trial = 0; trial < 2000; ++trial) {
        std::string garbage(static_cast<std::size_t>(random() % 200), '\0');
        for (char& c : garbage) c = static_cast<char>(random() % 256);
        // Bytes of the script's own alphabet half of the time.
        if (trial % 2 == 0)
            for (char& c : garbage) c = script[static_cast<std::size_t>(random() % script.size())];
        check(garbage);
    }
}
