#include "quantification/calculator.h"

#include "model/stochastic_expression.h"

KEFOCalculator::KEFOCalculator() = default;

KEFOCalculator::~KEFOCalculator() = default;

const PLOVManagedValue& KEFOCalculator::ComputeValueOfStochasticExpression(KEFOStochasticExpression* expression,
                                                                             double t) {
    return _evaluator.Evaluate(expression, t);
}

double KEFOCalculator::ComputeValueOfStochasticExpressionAsDouble(KEFOStochasticExpression* expression, double t) {
    return _evaluator.EvaluateAsDouble(expression, t);
}

double KEFOCalculator::ComputeValueOfStochasticExpressionAsProbability(KEFOStochasticExpression* expression,
                                                                       double t) {
    return _evaluator.EvaluateAsProbability(expression, t);
}
