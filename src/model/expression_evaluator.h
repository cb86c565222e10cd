// Evaluation of stochastic expressions at a time t. Every node visited stores
// its result in its value slot. The walk uses an explicit stack kept between
// calls, so deep expressions (long chains of parameters) are safe and an
// evaluation allocates nothing once the stack has grown to the depth needed.
//
// Rules beyond the arithmetic and comparisons of PLOVManagedValue:
// - a parameter reference takes the value of the parameter's definition,
//   evaluated at t; 0 (a real) when unresolved or undefined; a reference met
//   again while its definition is being evaluated (a cycle of parameters)
//   takes the definition's current value;
// - ite and switch evaluate only the branches they need; a case evaluated on
//   its own gives its value when its condition is true, else nil;
// - distributions read their arguments as reals (integers converted, other
//   values 0) clamped into [0, 1.7976931348623157e308] (see num below);
// - random deviates and histograms are not drawn here: their value slot
//   holds the last drawn (or reset) value; a deviate that was never drawn
//   nor reset gets its nominal value.
#ifndef KEFO_MODEL_EXPRESSION_EVALUATOR_H
#define KEFO_MODEL_EXPRESSION_EVALUATOR_H

#include "support/managed_value.h"
#include "support/memory_manager.h"

#include <vector>

class KEFOEmpiricalDistribution;
class KEFOStochasticExpression;

class KEFOExpressionEvaluator {
    PLOV_MANAGED_ALLOCATION(KEFOExpressionEvaluator)
public:
    static const double smallestNormal;  // 2.2250738585072014e-308
    static const double largest;         // 1.7976931348623157e308

    KEFOExpressionEvaluator();
    ~KEFOExpressionEvaluator();
    KEFOExpressionEvaluator(const KEFOExpressionEvaluator&) = delete;
    KEFOExpressionEvaluator& operator=(const KEFOExpressionEvaluator&) = delete;

    // The value at time t (stored in the expression's value slot too; a nil
    // value for a null expression).
    const PLOVManagedValue& Evaluate(KEFOStochasticExpression* expression, double t);
    // The value read as a real: integers converted, other values 0.
    double EvaluateAsDouble(KEFOStochasticExpression* expression, double t);
    // The value read as a real and clamped into [low, high].
    double EvaluateAsBoundedDouble(KEFOStochasticExpression* expression, double t, double low, double high);
    // The value read as a real and clamped into [0, 1].
    double EvaluateAsProbability(KEFOStochasticExpression* expression, double t);

    // Random deviates. The arguments of a deviate are its children evaluated
    // at time 0 as reals clamped into [smallestNormal, largest]; answers how
    // many were read (at most `maximum`).
    int ReadDeviateArguments(KEFOStochasticExpression* deviate, double* arguments, int maximum);
    // Nominal value of a deviate of the given kind from its arguments: the
    // mean of the law (uniform (a+b)/2, loguniform (b-a)/ln(b/a), normal and
    // lognormal their first argument, triangular (a+b+c)/3, beta a/(a+b),
    // gamma a b, histogram the mean of its table).
    static double ComputeNominalValue(int type, const double* arguments, int n, const KEFOEmpiricalDistribution* table);
    // Stores the nominal value in the deviate's value slot.
    void ResetDeviate(KEFOStochasticExpression* deviate);

    // num: a value read as a real clamped into [0, largest] (NaN reads 0).
    static double ReadNumber(const PLOVManagedValue& value);
    // A value read as a real clamped into [low, high] (NaN reads low).
    static double ReadBounded(const PLOVManagedValue& value, double low, double high);
    // A value read as an integer: integers as they are, reals truncated
    // toward zero (saturated), other values 0.
    static int ReadInteger(const PLOVManagedValue& value);

private:
    struct Frame {
        KEFOStochasticExpression* node;
        KEFOStochasticExpression* cursor;  // next child, or the chosen one
        double t;
        int state;
    };

    void _Push(KEFOStochasticExpression* node, double t);
    void _Pop();
    // The value of a node whose children have all been evaluated.
    void _Compute(KEFOStochasticExpression* node, double t);

    std::vector<Frame> _stack;
};

#endif
