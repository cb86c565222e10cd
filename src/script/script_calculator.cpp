#include "script/script_calculator.h"

#include "script/interpreter.h"
#include "script/script_environment.h"
#include "script/script_expression.h"
#include "script/script_variable.h"
#include "support/managed_value.h"

#include <cfloat>
#include <cmath>

namespace {
using Expression = KEFOScriptExpression;
}

KEFOScriptCalculator::KEFOScriptCalculator(KEFOInterpreter* interpreter, KEFOScriptEnvironment* environment)
    : _interpreter(interpreter), _environment(environment) {}

KEFOScriptEnvironment* KEFOScriptCalculator::GetEnvironment() const {
    if (_environment != nullptr) return _environment;
    return _interpreter != nullptr ? _interpreter->GetScriptEnvironment() : nullptr;
}

KEFOScriptVariable* KEFOScriptCalculator::LookForVariable(const char* name) const {
    KEFOScriptEnvironment* environment = GetEnvironment();
    return environment != nullptr ? environment->LookForVariable(name) : nullptr;
}

const PLOVManagedValue& KEFOScriptCalculator::ComputeValueOfExpression(KEFOScriptExpression* expression) {
    if (expression == nullptr) return PLOVManagedValue::nil;
    PLOVManagedValue& value = expression->GetValue();
    const int n = expression->GetNumberOfChildren();
    switch (expression->GetType()) {
    case Expression::Reference: {
        KEFOScriptVariable* variable = LookForVariable(expression->GetReferenceIdentifier().c_str());
        if (variable != nullptr)
            value.Set(variable->GetValue());
        else
            value.SetDouble(0.0);
        break;
    }
    case Expression::Boolean:
    case Expression::Integer:
    case Expression::Real:
    case Expression::Symbol:
    case Expression::String:
    case Expression::QuotedSymbol:
        break;  // the literal itself
    case Expression::And:
        value.SetBool(true);
        for (int i = 1; i <= n; ++i) value.SetAnd(value, ComputeValueOfChildOfExpression(expression, i));
        break;
    case Expression::Or:
        value.SetBool(false);
        for (int i = 1; i <= n; ++i) value.SetOr(value, ComputeValueOfChildOfExpression(expression, i));
        break;
    case Expression::Not:
        value.SetNot(ComputeValueOfChildOfExpression(expression, 1));
        break;
    case Expression::Eq:
        value.SetEq(ComputeValueOfChildOfExpression(expression, 1), ComputeValueOfChildOfExpression(expression, 2));
        break;
    case Expression::Df:
        value.SetDf(ComputeValueOfChildOfExpression(expression, 1), ComputeValueOfChildOfExpression(expression, 2));
        break;
    case Expression::Lt:
        value.SetLt(ComputeValueOfChildOfExpression(expression, 1), ComputeValueOfChildOfExpression(expression, 2));
        break;
    case Expression::Gt:
        value.SetGt(ComputeValueOfChildOfExpression(expression, 1), ComputeValueOfChildOfExpression(expression, 2));
        break;
    case Expression::Leq:
        value.SetLeq(ComputeValueOfChildOfExpression(expression, 1), ComputeValueOfChildOfExpression(expression, 2));
        break;
    case Expression::Geq:
        value.SetGeq(ComputeValueOfChildOfExpression(expression, 1), ComputeValueOfChildOfExpression(expression, 2));
        break;
    case Expression::Neg:
        value.SetNeg(ComputeValueOfChildOfExpression(expression, 1));
        break;
    case Expression::Add:
        value.SetInt(0);
        for (int i = 1; i <= n; ++i) value.Add(ComputeValueOfChildOfExpression(expression, i));
        break;
    case Expression::Mul:
        value.SetInt(1);
        for (int i = 1; i <= n; ++i) value.Mul(ComputeValueOfChildOfExpression(expression, i));
        break;
    case Expression::Sub:
        value.SetSub(ComputeValueOfChildOfExpression(expression, 1), ComputeValueOfChildOfExpression(expression, 2));
        break;
    case Expression::Div:
        value.SetDiv(ComputeValueOfChildOfExpression(expression, 1), ComputeValueOfChildOfExpression(expression, 2));
        break;
    case Expression::Mod:
        value.SetMod(ComputeValueOfChildOfExpression(expression, 1), ComputeValueOfChildOfExpression(expression, 2));
        break;
    case Expression::Pow:
        value.SetPow(ComputeValueOfChildOfExpression(expression, 1), ComputeValueOfChildOfExpression(expression, 2));
        break;
    case Expression::Abs:
        value.SetAbs(ComputeValueOfChildOfExpression(expression, 1));
        break;
    case Expression::Exp:
        value.SetExp(ComputeValueOfChildOfExpression(expression, 1));
        break;
    case Expression::Log:
        value.SetLog(ComputeValueOfChildOfExpression(expression, 1));
        break;
    case Expression::Log10:
        value.SetLog10(ComputeValueOfChildOfExpression(expression, 1));
        break;
    case Expression::Sqrt:
        value.SetSqrt(ComputeValueOfChildOfExpression(expression, 1));
        break;
    case Expression::Ceil:
        value.SetCeil(ComputeValueOfChildOfExpression(expression, 1));
        break;
    case Expression::Floor:
        value.SetFloor(ComputeValueOfChildOfExpression(expression, 1));
        break;
    case Expression::Min:
        value.SetDouble(DBL_MAX);
        for (int i = 1; i <= n; ++i) value.Inf(ComputeValueOfChildOfExpression(expression, i));
        break;
    case Expression::Max:
        // Below every number, so that the result is the largest child.
        value.SetDouble(-HUGE_VAL);
        for (int i = 1; i <= n; ++i) value.Sup(ComputeValueOfChildOfExpression(expression, i));
        break;
    case Expression::Mean:
    case Expression::Count:
        value.SetDouble(0.0);
        for (int i = 1; i <= n; ++i) value.Add(ComputeValueOfChildOfExpression(expression, i));
        value.Div(n);
        break;
    case Expression::Switch:
        _ComputeSwitch(expression);
        break;
    case Expression::List:
        value.SetList();
        for (int i = 1; i <= n; ++i) {
            const PLOVManagedValue& element = ComputeValueOfChildOfExpression(expression, i);
            value.AppendToList(element);
        }
        break;
    case Expression::Range:
        _ComputeRange(expression);
        break;
    case Expression::Append:
    case Expression::Case:
    default:
        break;  // not evaluated: the node's value as it is
    }
    return value;
}

// The cases in order: a case whose guard is true gives its value, any other
// case is skipped, a child that is not a case (the default) gives its own
// value; nil when nothing matches.
void KEFOScriptCalculator::_ComputeSwitch(KEFOScriptExpression* expression) {
    PLOVManagedValue& value = expression->GetValue();
    for (KEFOScriptExpression* child : expression->GetChildren()) {
        if (child->GetType() == Expression::Case) {
            if (!ComputeValueOfChildOfExpression(child, 1).Is(true)) continue;
            value.Set(ComputeValueOfChildOfExpression(child, 2));
            return;
        }
        value.Set(ComputeValueOfExpression(child));
        return;
    }
    value.SetNil();
}

// The List of Reals low, low + step, low + 2 step, ... not above high. A
// range that cannot be listed (bounds or step not numbers, a step that is
// not positive while low <= high, more than maximumRangeLength elements) is
// nil.
void KEFOScriptCalculator::_ComputeRange(KEFOScriptExpression* expression) {
    PLOVManagedValue& value = expression->GetValue();
    const PLOVManagedValue& lowValue = ComputeValueOfChildOfExpression(expression, 1);
    const PLOVManagedValue& highValue = ComputeValueOfChildOfExpression(expression, 2);
    const PLOVManagedValue& stepValue = ComputeValueOfChildOfExpression(expression, 3);
    if (!lowValue.IsNum() || !highValue.IsNum() || !stepValue.IsNum()) {
        value.SetNil();
        return;
    }
    const double low = lowValue.GetDouble();
    const double high = highValue.GetDouble();
    const double step = stepValue.GetDouble();
    if (std::isnan(low) || std::isnan(high) || std::isnan(step)) {
        value.SetNil();
        return;
    }
    if (low > high) {
        value.SetList();
        return;
    }
    if (!(step > 0.0) || std::isinf(low) || std::isinf(step) || (high - low) / step >= maximumRangeLength) {
        value.SetNil();
        return;
    }
    value.SetList();
    for (long k = 0;; ++k) {
        double element = low + static_cast<double>(k) * step;
        if (element > high) break;
        value.AppendToList(PLOVManagedValue(element));
    }
}

bool KEFOScriptCalculator::ComputeValueOfExpressionAsBool(KEFOScriptExpression* expression) {
    return ComputeValueOfExpression(expression).GetBool();
}

int KEFOScriptCalculator::ComputeValueOfExpressionAsInt(KEFOScriptExpression* expression, int minimum, int maximum) {
    const PLOVManagedValue& value = ComputeValueOfExpression(expression);
    int result = value.IsInt() ? value.GetInt() : 0;
    if (result < minimum) result = minimum;
    if (result > maximum) result = maximum;
    // The clamped value is written back into computed nodes; literals keep
    // their text's value.
    if (expression != nullptr && !expression->IsLiteral() && value.IsInt()) expression->GetValue().SetInt(result);
    return result;
}

double KEFOScriptCalculator::ComputeValueOfExpressionAsDouble(KEFOScriptExpression* expression, double minimum,
                                                              double maximum) {
    const PLOVManagedValue& value = ComputeValueOfExpression(expression);
    double result = value.IsNum() ? value.GetDouble() : 0.0;
    if (result < minimum) result = minimum;
    if (result > maximum) result = maximum;
    return result;
}

double KEFOScriptCalculator::ComputeValueOfExpressionAsProbability(KEFOScriptExpression* expression) {
    return ComputeValueOfExpressionAsDouble(expression, 0.0, 1.0);
}

const PLOVManagedValue& KEFOScriptCalculator::ComputeValueOfChildOfExpression(KEFOScriptExpression* expression,
                                                                              int i) {
    return ComputeValueOfExpression(expression != nullptr ? expression->GetChild(i) : nullptr);
}

bool KEFOScriptCalculator::ComputeValueOfChildOfExpressionAsBool(KEFOScriptExpression* expression, int i) {
    return ComputeValueOfExpressionAsBool(expression != nullptr ? expression->GetChild(i) : nullptr);
}

int KEFOScriptCalculator::ComputeValueOfChildOfExpressionAsInt(KEFOScriptExpression* expression, int i, int minimum,
                                                               int maximum) {
    return ComputeValueOfExpressionAsInt(expression != nullptr ? expression->GetChild(i) : nullptr, minimum, maximum);
}

double KEFOScriptCalculator::ComputeValueOfChildOfExpressionAsDouble(KEFOScriptExpression* expression, int i,
                                                                     double minimum, double maximum) {
    return ComputeValueOfExpressionAsDouble(expression != nullptr ? expression->GetChild(i) : nullptr, minimum,
                                            maximum);
}
