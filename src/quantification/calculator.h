// The quantification façade used by the compute commands. This part holds
// the evaluation of stochastic expressions at a mission time and the draw
// and reset of random deviates for uncertainty analyses; the probability
// computations over diagrams join it in their own files.
#ifndef KEFO_QUANTIFICATION_CALCULATOR_H
#define KEFO_QUANTIFICATION_CALCULATOR_H

#include "model/expression_evaluator.h"
#include "support/memory_manager.h"

#include <vector>

class KEFOParameter;
class KEFOStochasticExpression;
class KEFOVariable;

class KEFOCalculator {
    PLOV_MANAGED_ALLOCATION(KEFOCalculator)
public:
    KEFOCalculator();
    virtual ~KEFOCalculator();
    KEFOCalculator(const KEFOCalculator&) = delete;
    KEFOCalculator& operator=(const KEFOCalculator&) = delete;

    // Evaluation at time t (see KEFOExpressionEvaluator): the value is stored
    // in every node visited and answered.
    const PLOVManagedValue& ComputeValueOfStochasticExpression(KEFOStochasticExpression* expression, double t);
    // The value read as a real (integers converted, other values 0).
    double ComputeValueOfStochasticExpressionAsDouble(KEFOStochasticExpression* expression, double t);
    // The value taken as a probability: read as a real and clamped into
    // [0, 1].
    double ComputeValueOfStochasticExpressionAsProbability(KEFOStochasticExpression* expression, double t);
    KEFOExpressionEvaluator& GetEvaluator() { return _evaluator; }

private:
    KEFOExpressionEvaluator _evaluator;
};

#endif
