// The script calculator: the value and kind of each expression, nil for what
// cannot be computed, typed reads with bounds, and the script environment.
#include "script_test_support.h"

#include "script/script_calculator.h"
#include "script/script_environment.h"
#include "script/script_variable.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <string>
#include <utility>

namespace {
using Value = PLOVManagedValue;

class ScriptCalculatorTest : public ::testing::Test {
protected:
    // The value "x == <expression>;" stores.
    Value Evaluate(const std::string& expression) {
        int errors = 0;
        std::unique_ptr<KEFOScriptCommand> root = engine.Parse("x == " + expression + ";", errors);
        EXPECT_EQ(errors, 0) << expression << "\n" << engine.Messages();
        engine.interpreter->ExecuteScript(errors, root.get());
        EXPECT_EQ(errors, 0) << expression;
        KEFOScriptVariable* x = engine.interpreter->GetScriptEnvironment()->LookForVariable("x");
        return x != nullptr ? x->GetValue() : Value();
    }
    std::string Text(const std::string& expression) { return Evaluate(expression).ToString(); }
    int Kind(const std::string& expression) { return Evaluate(expression).GetType(); }

    kefotest::Engine engine;
};
}  // namespace

// The kind and value of each result; nil for what cannot be computed.
TEST_F(ScriptCalculatorTest, NumbersAndTheirKinds) {
    struct Case {
        const char* expression;
        int kind;
        double value;
    };
    const int I = Value::Integer, R = Value::Real, N = Value::Nil;
    const Case cases[] = {
        {"2 + 3", I, 5}, {"2 + 3.0", R, 5}, {"7 / 2", R, 3.5}, {"4 / 2", R, 2}, {"1 / 0", N, 0}, {"1 / 0.0", N, 0},
        {"1 - 2 + 3", I, -4}, {"2 * 3 * 4", I, 24}, {"12 / 2 * 3", R, 2}, {"-5", I, -5}, {"-2.5", R, -2.5},
        {"-true", N, 0}, {"1 + a", N, 0}, {"1 + \"s\" + 2", N, 0}, {"2 * true", N, 0},
        // 32-bit Integers wrap.
        {"2147483647 + 1", I, -2147483647.0 - 1}, {"mod(7, 3)", I, 1}, {"mod(-7, 3)", I, -1}, {"mod(7, 0)", N, 0},
        {"mod(7.5, 2)", R, 1.5}, {"pow(2, 10)", R, 1024}, {"abs(-3)", R, 3}, {"exp(0)", R, 1},
        {"exp(-1)", R, std::exp(-1.0)}, {"log(exp(2))", R, 2}, {"log10(1000)", R, 3}, {"sqrt(2.25)", R, 1.5},
        {"ceil(1.2)", R, 2}, {"floor(1.8)", R, 1}, {"log(0)", N, 0}, {"log(-1)", N, 0}, {"log10(0)", N, 0},
        {"sqrt(0)", N, 0}, {"sqrt(-4)", N, 0}, {"ceil(0)", N, 0}, {"floor(-1.5)", N, 0}, {"ceil(-0.5)", N, 0},
        {"abs(a)", N, 0}, {"exp(\"s\")", N, 0},
        // Minimum and maximum keep the kind of the value chosen.
        {"max(-3, -5)", I, -3}, {"min(4, 2.5)", R, 2.5}, {"min(4, 7)", I, 4}, {"max(1, 9.5, 3)", R, 9.5},
        {"max(1, a)", N, 0}, {"min(a, 1)", N, 0}, {"mean(1, 2, 3)", R, 2}, {"count(1, 2, 3)", R, 2},
        {"mean(1, 2.5)", R, 1.75}, {"count()", N, 0}, {"mean(1, \"x\")", N, 0}, {"append(1, 2)", N, 0},
        // Conditional values; a guard that is not the Boolean true is skipped.
        {"if false 1 elif true 2 else 3", I, 2}, {"if true 1 elif true 2 else 3", I, 1}, {"if false 1 else 3", I, 3},
        {"if false 1 elif false 2", N, 0}, {"if 1 1 elif a 2 else 3", I, 3},
    };
    for (const Case& c : cases) {
        const Value value = Evaluate(c.expression);
        EXPECT_EQ(value.GetType(), c.kind) << c.expression;
        if (value.GetType() != c.kind) continue;
        if (c.kind == I) {
            EXPECT_EQ(value.GetInt(), static_cast<int>(c.value)) << c.expression;
        } else if (c.kind == R) {
            EXPECT_DOUBLE_EQ(value.GetDouble(), c.value) << c.expression;
        }
    }
}

// Minimum, maximum and mean against an independent computation on random
// lists.
TEST_F(ScriptCalculatorTest, MinimumMaximumMeanOfRandomLists) {
    std::mt19937 random(11u);
    for (int trial = 0; trial < 50; ++trial) {
        int n = 1 + static_cast<int>(random() % 6);
        std::string arguments;
        double sum = 0.0;
        int smallest = 1000000;
        int largest = -1000000;
        for (int i = 0; i < n; ++i) {
            int v = static_cast<int>(random() % 2001) - 1000;
            arguments += (i > 0 ? ", " : "") + std::string(v < 0 ? "-" : "") + std::to_string(std::abs(v));
            sum += v;
            smallest = std::min(smallest, v);
            largest = std::max(largest, v);
        }
        EXPECT_EQ(Evaluate("min(" + arguments + ")").GetInt(), smallest) << arguments;
        EXPECT_EQ(Evaluate("max(" + arguments + ")").GetInt(), largest) << arguments;
        EXPECT_DOUBLE_EQ(Evaluate("mean(" + arguments + ")").GetDouble(), sum / n) << arguments;
    }
}

TEST_F(ScriptCalculatorTest, LogicAndComparisons) {
    // Null: nil.
    const std::pair<const char*, const char*> cases[] = {
        {"true == true", "true"}, {"false == false", "true"}, {"true == false", "false"}, {"1 == 1.0", "true"},
        {"1 == \"1\"", "false"}, {"a == a", "true"}, {"a != b", "true"}, {"\"a\" == a", "false"},
        {"([1, 2]) == ([1, 2])", "true"}, {"([1, 2]) == ([1, 3])", "false"}, {"1 < 2.5", "true"}, {"3 <= 3", "true"},
        {"3 > 3", "false"}, {"3 >= 2.9", "true"}, {"abc < abd", "true"}, {"\"b\" > \"a\"", "true"},
        {"a < 1", nullptr}, {"a < \"a\"", nullptr}, {"true < false", nullptr},
        {"true and true and false", "false"}, {"true and true", "true"}, {"false or false or true", "true"},
        {"not false", "true"}, {"not 1", nullptr}, {"true and 1", nullptr}, {"false or a", nullptr},
        {"1 < 2 and 2 < 3", "true"},
    };
    for (const auto& c : cases) {
        if (c.second == nullptr)
            EXPECT_EQ(Kind(c.first), Value::Nil) << c.first;
        else
            EXPECT_EQ(Text(c.first), c.second) << c.first;
    }
}

TEST_F(ScriptCalculatorTest, SymbolsListsAndRanges) {
    // An identifier is its own text, not the value of a variable.
    Evaluate("5");
    for (const char* symbol : {"x", "'quoted", "a.b.c", "max"}) EXPECT_EQ(Kind(symbol), Value::Symbol) << symbol;
    EXPECT_EQ(Kind("\"s\""), Value::String);
    const std::pair<const char*, const char*> texts[] = {
        {"x", "x"}, {"[1, 2.5, a, \"s\", [true]]", "[1, 2.5, a, \"s\", [true]]"}, {"[]", "[]"},
        {"range(1, 3, 1)", "[1, 2, 3]"}, {"range(3, 1, 1)", "[]"}, {"range(2, 2, 1)", "[2]"}, {"range(3, 1, 0)", "[]"}};
    for (const auto& text : texts) EXPECT_EQ(Text(text.first), text.second) << text.first;
    Value range = Evaluate("range(1, 3, 1)");
    ASSERT_EQ(range.GetListSize(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(range.GetValueInList(i).GetType(), Value::Real);
    EXPECT_EQ(Evaluate("range(0, 1, 0.1)").GetListSize(), 11);
    EXPECT_EQ(Evaluate("range(0, 10, 2.5)").GetListSize(), 5);
    // A range that would never end is nil, as is one of non-numbers.
    for (const char* nil :
         {"range(1, 3, 0)", "range(1, 3, -1)", "range(1, 1e999, 1)", "range(1, 1e300, 1)", "range(a, 3, 1)"})
        EXPECT_EQ(Kind(nil), Value::Nil) << nil;
}

// Typed reads clamp into their bounds, and answer the neutral value for
// another kind; references read variables, or 0.0 when there is none.
TEST_F(ScriptCalculatorTest, ResultsStayInTheirNodesAndTypedReads) {
    KEFOScriptCalculator* calculator = engine.interpreter->GetScriptCalculator();
    std::unique_ptr<KEFOScriptExpression> sum(new KEFOScriptExpression(KEFOScriptExpression::Add));
    sum->AppendChild(KEFOScriptExpression::NewInteger(2));
    sum->AppendChild(KEFOScriptExpression::NewReal(0.5));
    EXPECT_EQ(&calculator->ComputeValueOfExpression(sum.get()), &sum->GetValue());
    EXPECT_TRUE(calculator->ComputeValueOfExpression(nullptr).IsNil());
    std::unique_ptr<KEFOScriptExpression> integer(KEFOScriptExpression::NewInteger(42));
    std::unique_ptr<KEFOScriptExpression> real(KEFOScriptExpression::NewReal(1.5));
    EXPECT_EQ(calculator->ComputeValueOfExpressionAsInt(integer.get(), 0, 10), 10);
    EXPECT_EQ(calculator->ComputeValueOfExpressionAsInt(integer.get(), 0, 100), 42);
    EXPECT_EQ(calculator->ComputeValueOfExpressionAsInt(real.get(), -5, 5), 0);
    EXPECT_EQ(calculator->ComputeValueOfExpressionAsDouble(real.get(), 0.0, 1.0), 1.0);
    EXPECT_EQ(calculator->ComputeValueOfExpressionAsDouble(integer.get(), 0.0, 100.0), 42.0);
    EXPECT_EQ(calculator->ComputeValueOfExpressionAsProbability(real.get()), 1.0);
    EXPECT_FALSE(calculator->ComputeValueOfExpressionAsBool(integer.get()));
    EXPECT_EQ(calculator->ComputeValueOfChildOfExpressionAsDouble(sum.get(), 2, 0.0, 1.0), 0.5);
    EXPECT_EQ(calculator->ComputeValueOfChildOfExpressionAsInt(sum.get(), 1, 0, 1), 1);
    EXPECT_TRUE(calculator->ComputeValueOfChildOfExpression(sum.get(), 3).IsNil());
    std::unique_ptr<KEFOScriptExpression> reference(KEFOScriptExpression::NewReference("maximum-order"));
    EXPECT_EQ(calculator->ComputeValueOfExpression(reference.get()).GetInt(), 100);
    reference->SetReferenceIdentifier("nothing-of-that-name");
    EXPECT_EQ(calculator->ComputeValueOfExpression(reference.get()).GetType(), Value::Real);
}

// A setter changes the variable found in a parent, and creates a missing one
// in its own environment; variables are kept in byte order of their names.
TEST(ScriptEnvironment, VariablesAndParents) {
    KEFOScriptEnvironment* parent = new KEFOScriptEnvironment();
    parent->SetVariableValueAsInteger("shared", 1);
    parent->SetVariableValueAsDouble("only-parent", 2.5);
    KEFOScriptEnvironment environment(parent);
    EXPECT_EQ(environment.LookForVariable("only-parent")->GetValueAsDouble(), 2.5);
    EXPECT_EQ(environment.LookForLocalVariable("only-parent"), nullptr);
    environment.SetVariableValueAsInteger("shared", 7);
    EXPECT_EQ(parent->LookForVariable("shared")->GetValueAsInteger(), 7);
    KEFOScriptVariable* mine = environment.SetVariableValueAsSymbol("mine", "word");
    EXPECT_EQ(mine->GetEnvironment(), &environment);
    EXPECT_EQ(mine->GetValueAsRawString(), nullptr);
    EXPECT_EQ(environment.NewVariable("mine"), mine);
    EXPECT_TRUE(environment.NewVariable("fresh")->GetValue().IsNil());
    EXPECT_EQ(environment.FindOrAddVariable("shared"), parent->LookForVariable("shared"));
    EXPECT_EQ(environment.GetVariableValue("nothing"), nullptr);
    environment.SetVariableValueAsRawString("text", "a b");
    environment.NewVariable("B");
    std::string order;
    for (const auto& entry : environment.GetVariables()) order += entry.first + " ";
    EXPECT_EQ(order, "B fresh mine text ");
    EXPECT_TRUE(environment.DeleteVariable("fresh"));
    EXPECT_FALSE(environment.DeleteVariable("fresh"));
    EXPECT_FALSE(environment.DeleteVariable(parent->LookForVariable("shared")));
    EXPECT_TRUE(environment.DeleteVariable(mine));
    environment.Reset();
    EXPECT_EQ(environment.GetNumberOfVariables(), 0);
    EXPECT_NE(environment.LookForVariable("shared"), nullptr);
}
