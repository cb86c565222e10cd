#include "quantification/calculator.h"

#include "model/stochastic_expression.h"
#include "support/mersenne_twister_randomizer.h"

KEFOCalculator::KEFOCalculator() : _randomizer(new PLOVMersenneTwisterRandomizer) {}

KEFOCalculator::~KEFOCalculator() { delete _randomizer; }

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

void KEFOCalculator::SetRandomizer(PLOVRandomizer* randomizer) {
    if (randomizer == _randomizer) return;
    if (randomizer == nullptr) {
        randomizer = new PLOVMersenneTwisterRandomizer;
        randomizer->SetSeed(defaultRandomizerSeed);
    }
    delete _randomizer;
    _randomizer = randomizer;
}

long KEFOCalculator::GetRandomizerSeed() const { return _randomizer->GetSeed(); }

void KEFOCalculator::SetRandomizerSeed(long seed) {
    _randomizer->SetSeed(seed);
    _randomizer->ResetNormalDrawValue();
}
