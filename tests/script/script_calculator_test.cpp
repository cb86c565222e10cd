#include "script_test_support.h"

#include "script/script_calculator.h"
#include "script/script_environment.h"
#include "script/script_variable.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <string>

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

TEST_F(ScriptCalculatorTest, Arithmetic) {
    EXPECT_EQ(Kind("2 + 3"), Value::Integer);
    EXPECT_EQ(Evaluate("2 + 3").GetInt(), 5);
    EXPECT_EQ(Kind("2 + 3.0"), Value::Real);
    EXPECT_DOUBLE_EQ(Evaluate("2 + 3.0").GetDouble(), 5.0);
    EXPECT_EQ(Kind("7 / 2"), Value::Real);
    EXPECT_DOUBLE_EQ(Evaluate("7 / 2").GetDouble(), 3.5);
    EXPECT_DOUBLE_EQ(Evaluate("4 / 2").GetDouble(), 2.0);
    EXPECT_EQ(Kind("1 / 0"), Value::Nil);
    EXPECT_EQ(Kind("1 / 0.0"), Value::Nil);
    EXPECT_EQ(Evaluate("1 - 2 + 3").GetInt(), -4);
    EXPECT_EQ(Evaluate("2 * 3 * 4").GetInt(), 24);
    EXPECT_DOUBLE_EQ(Evaluate("12 / 2 * 3").GetDouble(), 2.0);
    EXPECT_EQ(Evaluate("-5").GetInt(), -5);
    EXPECT_DOUBLE_EQ(Evaluate("-2.5").GetDouble(), -2.5);
    EXPECT_EQ(Kind("-true"), Value::Nil);
    EXPECT_EQ(Kind("1 + a"), Value::Nil);
    EXPECT_EQ(Kind("1 + \"s\" + 2"), Value::Nil);
    EXPECT_EQ(Kind("2 * true"), Value::Nil);
    // 32-bit Integers wrap.
    EXPECT_EQ(Evaluate("2147483647 + 1").GetInt(), -2147483647 - 1);
    EXPECT_EQ(Evaluate("mod(7, 3)").GetInt(), 1);
    EXPECT_EQ(Evaluate("mod(-7, 3)").GetInt(), -1);
    EXPECT_EQ(Kind("mod(7, 0)"), Value::Nil);
    EXPECT_EQ(Kind("mod(7.5, 2)"), Value::Real);
    EXPECT_DOUBLE_EQ(Evaluate("mod(7.5, 2)").GetDouble(), 1.5);
    EXPECT_EQ(Kind("pow(2, 10)"), Value::Real);
    EXPECT_DOUBLE_EQ(Evaluate("pow(2, 10)").GetDouble(), 1024.0);
}

TEST_F(ScriptCalculatorTest, Functions) {
    EXPECT_EQ(Kind("abs(-3)"), Value::Real);
    EXPECT_DOUBLE_EQ(Evaluate("abs(-3)").GetDouble(), 3.0);
    EXPECT_DOUBLE_EQ(Evaluate("exp(0)").GetDouble(), 1.0);
    EXPECT_DOUBLE_EQ(Evaluate("exp(-1)").GetDouble(), std::exp(-1.0));
    EXPECT_DOUBLE_EQ(Evaluate("log(exp(2))").GetDouble(), 2.0);
    EXPECT_DOUBLE_EQ(Evaluate("log10(1000)").GetDouble(), 3.0);
    EXPECT_DOUBLE_EQ(Evaluate("sqrt(2.25)").GetDouble(), 1.5);
    EXPECT_DOUBLE_EQ(Evaluate("ceil(1.2)").GetDouble(), 2.0);
    EXPECT_DOUBLE_EQ(Evaluate("floor(1.8)").GetDouble(), 1.0);
    for (const char* nil : {"log(0)", "log(-1)", "log10(0)", "sqrt(0)", "sqrt(-4)", "ceil(0)", "floor(-1.5)",
                            "ceil(-0.5)", "abs(a)", "exp(\"s\")"})
        EXPECT_EQ(Kind(nil), Value::Nil) << nil;
}

TEST_F(ScriptCalculatorTest, MinimumMaximumMeanKeepKinds) {
    EXPECT_EQ(Kind("max(-3, -5)"), Value::Integer);
    EXPECT_EQ(Evaluate("max(-3, -5)").GetInt(), -3);
    EXPECT_EQ(Kind("min(4, 2.5)"), Value::Real);
    EXPECT_DOUBLE_EQ(Evaluate("min(4, 2.5)").GetDouble(), 2.5);
    EXPECT_EQ(Kind("min(4, 7)"), Value::Integer);
    EXPECT_EQ(Evaluate("min(4, 7)").GetInt(), 4);
    EXPECT_EQ(Evaluate("max(1, 9.5, 3)").GetDouble(), 9.5);
    EXPECT_EQ(Kind("max(1, a)"), Value::Nil);
    EXPECT_EQ(Kind("min(a, 1)"), Value::Nil);
    EXPECT_EQ(Kind("mean(1, 2, 3)"), Value::Real);
    EXPECT_DOUBLE_EQ(Evaluate("mean(1, 2, 3)").GetDouble(), 2.0);
    EXPECT_DOUBLE_EQ(Evaluate("count(1, 2, 3)").GetDouble(), 2.0);
    EXPECT_DOUBLE_EQ(Evaluate("mean(1, 2.5)").GetDouble(), 1.75);
    EXPECT_EQ(Kind("count()"), Value::Nil);
    EXPECT_EQ(Kind("mean(1, \"x\")"), Value::Nil);
    // Against an independent computation on random lists.
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
    EXPECT_EQ(Text("true == true"), "true");
    EXPECT_EQ(Text("false == false"), "true");
    EXPECT_EQ(Text("true == false"), "false");
    EXPECT_EQ(Text("1 == 1.0"), "true");
    EXPECT_EQ(Text("1 == \"1\""), "false");
    EXPECT_EQ(Text("a == a"), "true");
    EXPECT_EQ(Text("a != b"), "true");
    EXPECT_EQ(Text("\"a\" == a"), "false");
    EXPECT_EQ(Text("([1, 2]) == ([1, 2])"), "true");
    EXPECT_EQ(Text("([1, 2]) == ([1, 3])"), "false");
    EXPECT_EQ(Text("1 < 2.5"), "true");
    EXPECT_EQ(Text("3 <= 3"), "true");
    EXPECT_EQ(Text("3 > 3"), "false");
    EXPECT_EQ(Text("3 >= 2.9"), "true");
    EXPECT_EQ(Text("abc < abd"), "true");
    EXPECT_EQ(Text("\"b\" > \"a\""), "true");
    EXPECT_EQ(Kind("a < 1"), Value::Nil);
    EXPECT_EQ(Kind("a < \"a\""), Value::Nil);
    EXPECT_EQ(Kind("true < false"), Value::Nil);
    EXPECT_EQ(Text("true and true and false"), "false");
    EXPECT_EQ(Text("true and true"), "true");
    EXPECT_EQ(Text("false or false or true"), "true");
    EXPECT_EQ(Text("not false"), "true");
    EXPECT_EQ(Kind("not 1"), Value::Nil);
    EXPECT_EQ(Kind("true and 1"), Value::Nil);
    EXPECT_EQ(Kind("false or a"), Value::Nil);
    EXPECT_EQ(Text("1 < 2 and 2 < 3"), "true");
}

TEST_F(ScriptCalculatorTest, SymbolsListsRangesAndConditionals) {
    // An identifier is its own text, not the value of a variable.
    Evaluate("5");
    EXPECT_EQ(Evaluate("x").ToString(), "x");
    EXPECT_EQ(Kind("x"), Value::Symbol);
    EXPECT_EQ(Kind("'quoted"), Value::Symbol);
    EXPECT_EQ(Kind("a.b.c"), Value::Symbol);
    EXPECT_EQ(Kind("max"), Value::Symbol);
    EXPECT_EQ(Kind("\"s\""), Value::String);
    EXPECT_EQ(Text("[1, 2.5, a, \"s\", [true]]"), "[1, 2.5, a, \"s\", [true]]");
    EXPECT_EQ(Text("[]"), "[]");
    EXPECT_EQ(Text("range(1, 3, 1)"), "[1, 2, 3]");
    Value range = Evaluate("range(1, 3, 1)");
    ASSERT_EQ(range.GetListSize(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(range.GetValueInList(i).GetType(), Value::Real);
    EXPECT_EQ(Text("range(3, 1, 1)"), "[]");
    EXPECT_EQ(Evaluate("range(0, 1, 0.1)").GetListSize(), 11);
    EXPECT_EQ(Evaluate("range(0, 10, 2.5)").GetListSize(), 5);
    EXPECT_EQ(Text("range(2, 2, 1)"), "[2]");
    // A range that would never end is nil, as is one of non-numbers.
    EXPECT_EQ(Kind("range(1, 3, 0)"), Value::Nil);
    EXPECT_EQ(Kind("range(1, 3, -1)"), Value::Nil);
    EXPECT_EQ(Kind("range(1, 1e999, 1)"), Value::Nil);
    EXPECT_EQ(Kind("range(1, 1e300, 1)"), Value::Nil);
    EXPECT_EQ(Kind("range(a, 3, 1)"), Value::Nil);
    EXPECT_EQ(Text("range(3, 1, 0)"), "[]");
    EXPECT_EQ(Evaluate("if false 1 elif true 2 else 3").GetInt(), 2);
    EXPECT_EQ(Evaluate("if true 1 elif true 2 else 3").GetInt(), 1);
    EXPECT_EQ(Evaluate("if false 1 else 3").GetInt(), 3);
    EXPECT_EQ(Kind("if false 1 elif false 2"), Value::Nil);
    // A guard that is not the Boolean true is skipped.
    EXPECT_EQ(Evaluate("if 1 1 elif a 2 else 3").GetInt(), 3);
    EXPECT_EQ(Kind("append(1, 2)"), Value::Nil);
}

TEST_F(ScriptCalculatorTest, ResultsStayInTheirNodes) {
    KEFOScriptCalculator* calculator = engine.interpreter->GetScriptCalculator();
    std::unique_ptr<KEFOScriptExpression> sum(new KEFOScriptExpression(KEFOScriptExpression::Add));
    sum->AppendChild(KEFOScriptExpression::NewInteger(2));
    sum->AppendChild(KEFOScriptExpression::NewReal(0.5));
    const Value& result = calculator->ComputeValueOfExpression(sum.get());
    EXPECT_EQ(&result, &sum->GetValue());
    EXPECT_DOUBLE_EQ(result.GetDouble(), 2.5);
    EXPECT_TRUE(calculator->ComputeValueOfExpression(nullptr).IsNil());
    // Typed reads with bounds.
    std::unique_ptr<KEFOScriptExpression> integer(KEFOScriptExpression::NewInteger(42));
    EXPECT_EQ(calculator->ComputeValueOfExpressionAsInt(integer.get(), 0, 10), 10);
    EXPECT_EQ(calculator->ComputeValueOfExpressionAsInt(integer.get(), 0, 100), 42);
    std::unique_ptr<KEFOScriptExpression> real(KEFOScriptExpression::NewReal(1.5));
    EXPECT_EQ(calculator->ComputeValueOfExpressionAsInt(real.get(), -5, 5), 0);
    EXPECT_DOUBLE_EQ(calculator->ComputeValueOfExpressionAsDouble(real.get(), 0.0, 1.0), 1.0);
    EXPECT_DOUBLE_EQ(calculator->ComputeValueOfExpressionAsDouble(integer.get(), 0.0, 100.0), 42.0);
    EXPECT_DOUBLE_EQ(calculator->ComputeValueOfExpressionAsProbability(real.get()), 1.0);
    EXPECT_FALSE(calculator->ComputeValueOfExpressionAsBool(integer.get()));
    std::unique_ptr<KEFOScriptExpression> truth(KEFOScriptExpression::NewBoolean(true));
    EXPECT_TRUE(calculator->ComputeValueOfExpressionAsBool(truth.get()));
    EXPECT_DOUBLE_EQ(calculator->ComputeValueOfChildOfExpressionAsDouble(sum.get(), 2, 0.0, 1.0), 0.5);
    EXPECT_EQ(calculator->ComputeValueOfChildOfExpressionAsInt(sum.get(), 1, 0, 1), 1);
    EXPECT_TRUE(calculator->ComputeValueOfChildOfExpression(sum.get(), 3).IsNil());
    // References read variables (copied), or 0.0 when there is none.
    std::unique_ptr<KEFOScriptExpression> reference(KEFOScriptExpression::NewReference("maximum-order"));
    EXPECT_EQ(calculator->ComputeValueOfExpression(reference.get()).GetInt(), 100);
    reference->SetReferenceIdentifier("nothing-of-that-name");
    EXPECT_EQ(calculator->ComputeValueOfExpression(reference.get()).GetType(), Value::Real);
    EXPECT_EQ(calculator->LookForVariable("mode")->GetValue().ToString(), "write");
    EXPECT_EQ(calculator->GetEnvironment(), engine.interpreter->GetScriptEnvironment());
}

TEST(ScriptEnvironment, VariablesAndParents) {
    KEFOScriptEnvironment* parent = new KEFOScriptEnvironment();
    parent->SetVariableValueAsInteger("shared", 1);
    parent->SetVariableValueAsDouble("only-parent", 2.5);
    KEFOScriptEnvironment environment(parent);
    EXPECT_EQ(environment.GetParent(), parent);
    EXPECT_EQ(environment.LookForVariable("only-parent")->GetValueAsDouble(), 2.5);
    EXPECT_EQ(environment.LookForLocalVariable("only-parent"), nullptr);
    // A setter changes the variable found in a parent...
    environment.SetVariableValueAsInteger("shared", 7);
    EXPECT_EQ(parent->LookForVariable("shared")->GetValueAsInteger(), 7);
    EXPECT_EQ(environment.GetNumberOfVariables(), 0);
    // ...and creates a missing one here.
    KEFOScriptVariable* mine = environment.SetVariableValueAsSymbol("mine", "word");
    EXPECT_EQ(mine->GetEnvironment(), &environment);
    EXPECT_STREQ(mine->GetValueAsSymbol(), "word");
    EXPECT_EQ(mine->GetValueAsRawString(), nullptr);
    EXPECT_EQ(mine->GetValueAsInteger(), 0);
    EXPECT_EQ(environment.NewVariable("mine"), mine);
    KEFOScriptVariable* fresh = environment.NewVariable("fresh");
    EXPECT_TRUE(fresh->GetValue().IsNil());
    EXPECT_EQ(environment.FindOrAddVariable("shared"), parent->LookForVariable("shared"));
    EXPECT_EQ(environment.GetVariableValue("shared")->GetInt(), 7);
    EXPECT_EQ(environment.GetVariableValue("nothing"), nullptr);
    environment.SetVariableValueAsRawString("text", "a b");
    EXPECT_STREQ(environment.LookForVariable("text")->GetValueAsRawString(), "a b");
    environment.SetVariableValueAsBoolean("flag", true);
    EXPECT_TRUE(environment.LookForVariable("flag")->GetValueAsBoolean());
    // Variables are kept in byte order of their names.
    environment.NewVariable("B");
    environment.NewVariable("a");
    std::string order;
    for (const auto& entry : environment.GetVariables()) order += entry.first + " ";
    EXPECT_EQ(order, "B a flag fresh mine text ");
    EXPECT_TRUE(environment.DeleteVariable("fresh"));
    EXPECT_FALSE(environment.DeleteVariable("fresh"));
    EXPECT_FALSE(environment.DeleteVariable(parent->LookForVariable("shared")));
    EXPECT_TRUE(environment.DeleteVariable(mine));
    environment.Reset();
    EXPECT_EQ(environment.GetNumberOfVariables(), 0);
    EXPECT_NE(environment.LookForVariable("shared"), nullptr);
}
