// The script printer: the layout of commands and expressions, and printed
// scripts (hand-written and random) that read back as the trees printed.
#include "script_test_support.h"

#include "script/script_environment.h"
#include "script/script_printer.h"
#include "script/script_variable.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {
using kefotest::Dump;
using Command = KEFOScriptCommand;
using Expression = KEFOScriptExpression;

class ScriptPrinterTest : public ::testing::Test {
protected:
    std::unique_ptr<Command> Parse(const std::string& text) {
        int errors = 0;
        std::unique_ptr<Command> root = engine.Parse(text, errors);
        EXPECT_EQ(errors, 0) << text << "\n" << engine.Messages();
        engine.ClearMessages();
        return root;
    }
    std::string Print(Command* root) {
        PLOVStringStream stream;
        int errors = 0;
        printer()->PrintScript(errors, root, &stream);
        EXPECT_EQ(errors, 0);
        return stream.GetText();
    }
    std::string Reprint(const std::string& text) {
        std::unique_ptr<Command> root = Parse(text);
        return Print(root.get());
    }
    KEFOScriptPrinter* printer() { return engine.interpreter->GetScriptPrinter(); }

    // Printing, parsing and printing again gives the same text, and the
    // tree read back is the tree printed.
    void ExpectRoundTrip(Command* root, const std::string& origin) {
        std::string first = Print(root);
        std::unique_ptr<Command> again = Parse(first);
        std::string second = Print(again.get());
        EXPECT_EQ(first, second) << origin;
        std::unique_ptr<Command> third = Parse(second);
        EXPECT_EQ(Dump(again.get()), Dump(third.get())) << origin << "\n" << first;
    }

    kefotest::Engine engine;
};

// Random expression trees of the shapes the parser makes, over every
// operator and function.
class ExpressionGenerator {
public:
    explicit ExpressionGenerator(unsigned seed) : _random(seed) {}

    Expression* Generate(int depth) {
        if (depth <= 0 || Pick(4) == 0) return Leaf();
        // And to Append, then lists, conditional values and ranges.
        const int extra[] = {Expression::List, Expression::Switch, Expression::Range};
        int type = Expression::And + Pick(Expression::Append - Expression::And + 4);
        if (type > Expression::Append) type = extra[type - Expression::Append - 1];
        Expression* node = new Expression(type);
        int children = 2;
        switch (type) {
        case Expression::And: case Expression::Or: case Expression::Add: case Expression::Mul:
            children = 2 + Pick(2);
            break;
        case Expression::Not: case Expression::Neg: case Expression::Abs: case Expression::Exp: case Expression::Log:
        case Expression::Log10: case Expression::Sqrt: case Expression::Ceil: case Expression::Floor:
            children = 1;
            break;
        case Expression::Min: case Expression::Max: case Expression::Mean: case Expression::Append:
            children = 1 + Pick(3);
            break;
        case Expression::Count: case Expression::List: children = Pick(3); break;
        case Expression::Range: children = 3; break;
        case Expression::Switch: {
            for (int i = 1 + Pick(2); i > 0; --i) {
                Expression* branch = new Expression(Expression::Case);
                branch->AppendChild(Generate(depth - 1));
                branch->AppendChild(Generate(depth - 1));
                node->AppendChild(branch);
            }
            if (Pick(2) == 0) node->AppendChild(Generate(depth - 1));
            return node;
        }
        default: break;
        }
        for (int i = 0; i < children; ++i) node->AppendChild(Generate(depth - 1));
        return node;
    }

    Expression* Leaf() {
        static const char* const names[] = {"a", "b-c", "x.y", "max", "range", "log10", "_z"};
        switch (Pick(7)) {
        case 0: return Expression::NewInteger(Pick(1000));
        case 1: return Expression::NewReal(Pick(1000) / 7.0);
        case 2: return Expression::NewBoolean(Pick(2) == 0);
        case 3: return Expression::NewString(Pick(2) == 0 ? "" : "text with spaces");
        case 4: return Expression::NewQuotedSymbol("q");
        default: return Expression::NewSymbol(names[Pick(7)]);
        }
    }

    int Pick(std::size_t n) { return static_cast<int>(std::uniform_int_distribution<std::size_t>(0, n - 1)(_random)); }

private:
    std::mt19937 _random;
};
}  // namespace

TEST_F(ScriptPrinterTest, CommandLayout) {
    EXPECT_EQ(Reprint("x == 3;"), "x == 3;\n");
    EXPECT_EQ(Reprint("print a  b   o = 1 n = \"s\";"), "print a b n=\"s\" o=1;\n");
    EXPECT_EQ(Reprint("skip;"), "skip;\n");
    EXPECT_EQ(Reprint("while a { x == 1; y == 2; }"), "while a {\n  x == 1;\n  y == 2;\n}\n");
    EXPECT_EQ(Reprint("while a x == 1;"), "while a\n  x == 1;\n");
    EXPECT_EQ(Reprint("while a {}"), "while a {\n}\n");
    EXPECT_EQ(Reprint("if a x == 1; elif b { y == 2; z == 3; } else skip;"),
              "if a\n  x == 1;\nelif b\n  {\n    y == 2;\n    z == 3;\n  }\nelse\n  skip;\n");
    // A block of one command is that command; an empty block is "skip;".
    EXPECT_EQ(Reprint("{ x == 1; }"), "x == 1;\n");
    EXPECT_EQ(Reprint("{ }"), "skip;\n");
    EXPECT_EQ(Reprint("{ x == 1; { } }"), "{\n  x == 1;\n  skip;\n}\n");
}

TEST_F(ScriptPrinterTest, ExpressionLayout) {
    struct Case {
        const char* source;
        const char* printed;
    };
    const Case cases[] = {
        {"1 - 2 + 3", "1 - (2 + 3)"}, {"(1 - 2) + 3", "(1 - 2) + 3"}, {"a / b * c", "a / (b * c)"},
        {"a * (b / c)", "a * (b / c)"}, {"(a - b) - c", "(a - b) - c"}, {"a - (b - c)", "a - (b - c)"},
        {"(a + b) + c", "(a + b) + c"}, {"a + b + c", "a + b + c"}, {"not a == b", "not a == b"},
        {"not (a and b)", "not (a and b)"}, {"(not a) == b", "(not a) == b"},
        {"a and b or c and not d", "a and b or c and not d"}, {"(a or b) and c", "(a or b) and c"},
        {"-a * -b", "-a * -b"}, {"-(-a)", "-(-a)"}, {"-(a + b)", "-(a + b)"}, {"(a == b) == c", "(a == b) == c"},
        {"max(1, 2.5, -3)", "max(1, 2.5, -3)"}, {"abs(a + b)", "abs(a + b)"}, {"[1, [2, 3], []]", "[1, [2, 3], []]"},
        {"([1]) + 2", "([1]) + 2"}, {"'q", "'q"}, {"if a 1 elif b 2 else 3", "if a 1 elif b 2 else 3"},
        {"if a (if b 1) else 2", "if a (if b 1) else 2"}, {"if a (-1) else 2", "if a (-1) else 2"},
        {"if (-max) (a + b) * c else 2", "if (-max) (a + b) * c else 2"}, {"if (-max) (1) else 2", "if -max 1 else 2"},
        {"if (max) (a + b) else 2", "if max a + b else 2"}, {"range(1, 3, 0.5)", "range(1, 3, 0.5)"},
        {"3.0", "3.0"}, {"0.1", "0.1"}, {"1e300", "1e+300"}, {"1e999", "1e999"},
        {"3.14159265358979", "3.14159265358979"}, {"\"a b\"", "\"a b\""}, {"count()", "count()"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Command> root = Parse(std::string("x == ") + c.source + ";");
        ASSERT_EQ(root->GetNumberOfChildren(), 1) << c.source;
        EXPECT_EQ(printer()->GetTextOfExpression(root->GetChild(1)->GetArgument(2)), c.printed) << c.source;
    }
}

TEST_F(ScriptPrinterTest, ArgumentsThatWouldMergeAreParenthesized) {
    EXPECT_EQ(Reprint("print a (-1);"), "print a (-1);\n");
    EXPECT_EQ(Reprint("print a - b - c;"), "print a - b (-c);\n");
    EXPECT_EQ(Reprint("print (max) (1);"), "print max 1;\n");
    EXPECT_EQ(Reprint("print (max) (a + b) * c;"), "print (max) (a + b) * c;\n");
    EXPECT_EQ(Reprint("print (a + max) (a + b) * c;"), "print (a + max) (a + b) * c;\n");
    EXPECT_EQ(Reprint("print (-max) (a + b) * c;"), "print (-max) (a + b) * c;\n");
    EXPECT_EQ(Reprint("print (a-max) (a + b) * c;"), "print a-max (a + b) * c;\n");
    EXPECT_EQ(Reprint("print max x.max 'q;"), "print max x.max 'q;\n");
    // Parenthesizing an argument that ends with a keyword makes it start
    // with "(" in turn, so the argument before it is parenthesized as well.
    EXPECT_EQ(Reprint("print b - min b - min - c;"), "print (b - min) (b - min) (-c);\n");
    EXPECT_EQ(Reprint("print a - max b - min c - min - d;"), "print (a - max) (b - min) (c - min) (-d);\n");
}

// A printed block keeps an inner conditional from taking the else; the
// other commands and the expressions are left to the random trees.
TEST_F(ScriptPrinterTest, NestedConditionalsReadBack) {
    const char* scripts[] = {"if a { if b skip; } else test;", "if a { while c if b skip; } else test;",
                             "if x if a skip; else { if b test; } else skip;",
                             "if a { if b skip; elif c test; } elif d skip;"};
    for (const char* script : scripts) {
        std::unique_ptr<Command> root = Parse(script);
        std::unique_ptr<Command> again = Parse(Print(root.get()));
        EXPECT_EQ(Dump(root.get()), Dump(again.get())) << script;
        ExpectRoundTrip(root.get(), script);
    }
}

TEST_F(ScriptPrinterTest, RandomExpressionTreesReadBackAsTheSameTree) {
    ExpressionGenerator generator(20240601u);
    for (int trial = 0; trial < 3000; ++trial) {
        std::unique_ptr<Command> root(new Command(Command::Script));
        Command* command = new Command(Command::BuiltinCommand);
        command->SetText("print");
        int arguments = 1 + generator.Pick(3);
        for (int i = 0; i < arguments; ++i) command->AppendArgument(generator.Generate(1 + generator.Pick(4)));
        if (generator.Pick(2) == 0) command->SetOption("opt", generator.Generate(3));
        root->AppendChild(command);
        Command* assignment = new Command(Command::Assignment);
        assignment->AppendArgument(Expression::NewReference("target"));
        assignment->AppendArgument(generator.Generate(5));
        root->AppendChild(assignment);
        std::string printed = Print(root.get());
        int errors = 0;
        std::unique_ptr<Command> again = engine.Parse(printed, errors);
        ASSERT_EQ(errors, 0) << printed << engine.Messages();
        ASSERT_EQ(Dump(root.get()), Dump(again.get())) << printed;
        ASSERT_EQ(printed, Print(again.get()));
    }
}

TEST_F(ScriptPrinterTest, RandomCommandTreesPrintStably) {
    std::mt19937 random(77u);
    auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const char* pieces[] = {"x == 1;", "print a;", "skip;", "{", "}", "if a", "elif b", "else", "while c",
                            "if x > 1", "{ }", "test -1 max (2);"};
    int parsed = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        std::string text;
        int n = 1 + pick(12);
        for (int i = 0; i < n; ++i) text += std::string(pieces[pick(12)]) + " ";
        int errors = 0;
        std::unique_ptr<Command> root = engine.Parse(text, errors);
        engine.ClearMessages();
        if (errors != 0) continue;  // most random texts are no scripts
        ++parsed;
        ExpectRoundTrip(root.get(), text);
        // Trees without blocks of zero or one command read back as they are.
        std::string printed = Print(root.get());
        if (printed.find("skip") == std::string::npos && text.find('{') == std::string::npos) {
            std::unique_ptr<Command> again = Parse(printed);
            EXPECT_EQ(Dump(root.get()), Dump(again.get())) << text << "\n" << printed;
        }
    }
    EXPECT_GT(parsed, 100);
}

TEST_F(ScriptPrinterTest, ValuesAndVariableLines) {
    // Digits beyond six are kept rather than lost (the settings' values and
    // lists are read back through "print options").
    const std::pair<PLOVManagedValue, const char*> values[] = {
        {PLOVManagedValue(), "nil"}, {PLOVManagedValue(-42), "-42"}, {PLOVManagedValue(0.0), "0"},
        {PLOVManagedValue(8760.0), "8760"}, {PLOVManagedValue(1e-7), "1e-07"},
        {PLOVManagedValue(1.0 / 3.0), "0.3333333333333333"}};
    for (const auto& value : values) EXPECT_EQ(printer()->GetTextOfValue(value.first), value.second) << value.second;
    PLOVManagedValue tuple = PLOVManagedValue::NewTuple(2);
    tuple.SetValueInTuple(0, PLOVManagedValue(1.5));
    EXPECT_EQ(printer()->GetTextOfValue(tuple), "(1.5, nil)");
    EXPECT_EQ(printer()->GetTextOfValue(PLOVManagedValue::NewRange(1, 9, 2)), "range(1,9,2)");
    // Another format is used as it is.
    printer()->SetDoubleFormat("%.2f");
    EXPECT_EQ(printer()->GetTextOfValue(PLOVManagedValue(1.0 / 3.0)), "0.33");
    printer()->SetIntegerFormat("%05d");
    EXPECT_EQ(printer()->GetTextOfValue(PLOVManagedValue(42)), "00042");

    KEFOScriptEnvironment* parent = new KEFOScriptEnvironment();
    parent->SetVariableValueAsInteger("p", 1);
    KEFOScriptEnvironment environment(parent);
    environment.SetVariableValueAsSymbol("b", "word");
    environment.SetVariableValueAsRawString("a", "text");
    PLOVStringStream stream;
    printer()->SetIntegerFormat("%d");
    printer()->PrintValuesOfVariablesOfEnvironment(&environment, &stream);
    EXPECT_EQ(stream.GetText(), "set option a \"text\";\nset option b word;\nset option p 1;\n");
}

TEST_F(ScriptPrinterTest, ExportScript) {
    kefotest::TemporaryDirectory directory;
    std::unique_ptr<Command> root = Parse("x == 1; print y;");
    int errors = 0;
    std::string path = directory.File("out.kefo");
    printer()->ExportScript(errors, root.get(), path.c_str());
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(kefotest::ReadFile(path), "x == 1;\nprint y;\n");
    std::string bad = directory.File("no/such/dir/out.kefo");
    printer()->ExportScript(errors, root.get(), bad.c_str());
    EXPECT_EQ(errors, 1);
    engine.interpreter->PrintErrorMessages();
    EXPECT_EQ(engine.Messages(), "ERROR code: 10003\nUnable to open file " + bad + "\n---\n\n");
}
