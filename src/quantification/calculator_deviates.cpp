// The draw and reset of the random deviates of stochastic expressions.
#include "quantification/calculator.h"

#include "model/empirical_distribution.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/variable.h"
#include "support/randomizer.h"

#include <cmath>

namespace {
typedef KEFOStochasticExpression E;
}  // namespace

int KEFOCalculator::_ForEachDeviate(E* expression, bool draw) {
    if (expression == nullptr) return 0;
    // Post-order with an explicit stack: (node, children pushed).
    struct Frame {
        E* node;
        bool expanded;
    };
    std::vector<Frame> stack{Frame{expression, false}};
    int count = 0;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        E* node = frame.node;
        if (!frame.expanded) {
            frame.expanded = true;
            for (KEFOTerm* c = node->GetLastChild(); c != nullptr; c = c->GetPreviousSibling()) {
                E* child = E::AsExpression(c);
                if (child != nullptr) stack.push_back(Frame{child, false});
            }
            continue;
        }
        stack.pop_back();
        if (!node->IsRandomDeviate()) continue;
        if (draw) {
            _DrawDeviate(node);
        } else {
            _ResetDeviate(node);
        }
        ++count;
    }
    return count;
}

int KEFOCalculator::DrawRandomDeviates(E* expression) { return _ForEachDeviate(expression, true); }

int KEFOCalculator::ResetRandomDeviates(E* expression) { return _ForEachDeviate(expression, false); }

int KEFOCalculator::DrawRandomDeviatesOfVariable(KEFOVariable* variable) {
    return variable != nullptr ? DrawRandomDeviates(variable->GetProbabilityDistribution()) : 0;
}

int KEFOCalculator::ResetRandomDeviatesOfVariable(KEFOVariable* variable) {
    return variable != nullptr ? ResetRandomDeviates(variable->GetProbabilityDistribution()) : 0;
}

int KEFOCalculator::DrawRandomDeviatesOfParameter(KEFOParameter* parameter) {
    return parameter != nullptr ? DrawRandomDeviates(parameter->GetDefinitionAsExpression()) : 0;
}

int KEFOCalculator::ResetRandomDeviatesOfParameter(KEFOParameter* parameter) {
    return parameter != nullptr ? ResetRandomDeviates(parameter->GetDefinitionAsExpression()) : 0;
}

int KEFOCalculator::DrawRandomDeviates(const std::vector<KEFOVariable*>& variables,
                                       const std::vector<KEFOParameter*>& parameters) {
    int count = 0;
    for (KEFOParameter* parameter : parameters) count += DrawRandomDeviatesOfParameter(parameter);
    for (KEFOVariable* variable : variables) count += DrawRandomDeviatesOfVariable(variable);
    return count;
}

int KEFOCalculator::ResetRandomDeviates(const std::vector<KEFOVariable*>& variables,
                                        const std::vector<KEFOParameter*>& parameters) {
    int count = 0;
    for (KEFOParameter* parameter : parameters) count += ResetRandomDeviatesOfParameter(parameter);
    for (KEFOVariable* variable : variables) count += ResetRandomDeviatesOfVariable(variable);
    return count;
}

void KEFOCalculator::_ResetDeviate(E* deviate) { _evaluator.ResetDeviate(deviate); }

void KEFOCalculator::_DrawDeviate(E* deviate) {
    double a[3] = {KEFOExpressionEvaluator::smallestNormal, KEFOExpressionEvaluator::smallestNormal,
                   KEFOExpressionEvaluator::smallestNormal};
    if (deviate->GetType() != E::Histogram) _evaluator.ReadDeviateArguments(deviate, a, 3);
    double value = 0.0;
    switch (deviate->GetType()) {
    case E::UniformDeviate:
        value = _DrawUniformDeviate(a);
        break;
    case E::LoguniformDeviate:
        value = _DrawLoguniformDeviate(a);
        break;
    case E::NormalDeviate:
        value = _DrawNormalDeviate(a);
        break;
    case E::LognormalDeviate:
        value = _DrawLognormalDeviate(a);
        break;
    case E::TriangularDeviate:
        value = _DrawTriangularDeviate(a);
        break;
    case E::BetaDeviate:
        value = _DrawBetaDeviate(a);
        break;
    case E::GammaDeviate:
        value = _DrawGammaDeviate(a);
        break;
    case E::Histogram:
        value = _DrawHistogramDeviate(deviate);
        break;
    default:
        return;
    }
    if (std::isnan(value)) value = 0.0;
    deviate->GetMutableValue().SetDouble(value);
}

double KEFOCalculator::_DrawUniformDeviate(const double* a) { return _randomizer->UniformDraw(a[0], a[1]); }

double KEFOCalculator::_DrawLoguniformDeviate(const double* a) { return _randomizer->LoguniformDraw(a[0], a[1]); }

double KEFOCalculator::_DrawNormalDeviate(const double* a) { return _randomizer->NormalDraw(a[0], a[1]); }

double KEFOCalculator::_DrawLognormalDeviate(const double* a) { return _randomizer->LognormalDraw(a[0], a[1], a[2]); }

double KEFOCalculator::_DrawTriangularDeviate(const double* a) {
    return _randomizer->TriangularDraw(a[0], a[1], a[2]);
}

double KEFOCalculator::_DrawBetaDeviate(const double* a) { return _randomizer->BetaDraw(a[0], a[1]); }

double KEFOCalculator::_DrawGammaDeviate(const double* a) { return _randomizer->GammaDraw(a[0], a[1]); }

double KEFOCalculator::_DrawHistogramDeviate(E* deviate) {
    const KEFOEmpiricalDistribution* table = deviate->GetHistogram();
    double u = _randomizer->UniformDraw();
    return table != nullptr ? table->GetYFromX(u) : 0.0;
}
