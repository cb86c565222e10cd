// The probability façade of the compute commands: loading of the handle's
// parameters and state variables at a mission time, and the top-event,
// conditional and group probabilities through the handle's caches.
#include "quantification/calculator.h"

#include "diagrams/handle.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/variable.h"

void KEFOCalculator::ComputeProbabilitiesOfStateVariables(KEFOHandle* handle, double t) {
    if (handle == nullptr) return;
    handle->ResetProbabilisticIndicatorsOfVariables();
    ComputeValuesOfParameters(handle, t);
    for (KEFOVariable* variable : handle->GetStateVariables()) ComputeProbabilityOfStateVariable(variable, t);
    handle->LoadProbabilitiesOfStateVariables();
}

void KEFOCalculator::ComputeProbabilityOfStateVariable(KEFOVariable* variable, double t) {
    if (variable == nullptr) return;
    KEFOStochasticExpression* distribution = variable->GetProbabilityDistribution();
    variable->SetProbability(distribution != nullptr ? _evaluator.EvaluateAsProbability(distribution, t) : 1.0);
}

void KEFOCalculator::ComputeValueOfParameter(KEFOParameter* parameter, double t) {
    if (parameter == nullptr) return;
    KEFOStochasticExpression* definition = parameter->GetDefinitionAsExpression();
    if (definition != nullptr) _evaluator.Evaluate(definition, t);
}

void KEFOCalculator::ComputeValuesOfParameters(KEFOHandle* handle, double t) {
    if (handle == nullptr) return;
    for (KEFOParameter* parameter : handle->GetParameters()) ComputeValueOfParameter(parameter, t);
}

double KEFOCalculator::ComputeProbabilityOfTargetVariable(KEFOHandle* handle) {
    return handle != nullptr ? handle->ComputeProbabilityOfTargetVariable() : 0.0;
}

double KEFOCalculator::_ComputeProbabilityOfTargetVariable(KEFOHandle* handle, double t) {
    if (handle == nullptr) return 0.0;
    ComputeProbabilitiesOfStateVariables(handle, t);
    return handle->ComputeProbabilityOfTargetVariable();
}

double KEFOCalculator::ComputeProbabilityOfStateVariable(KEFOHandle* /*handle*/, KEFOVariable* variable) {
    return variable != nullptr ? variable->GetProbability() : 0.0;
}

double KEFOCalculator::ComputeConditionalProbabilityOfStateVariable(KEFOHandle* handle, KEFOVariable* variable,
                                                                   bool value) {
    return handle != nullptr ? handle->ComputeConditionalProbabilityOfStateVariable(variable, value) : 0.0;
}

double KEFOCalculator::ComputeProbabilityOfGroupOfStateVariables(KEFOHandle* handle,
                                                                 const std::vector<KEFOVariable*>& group, bool value) {
    return handle != nullptr ? handle->ComputeProbabilityOfGroupOfStateVariables(group, value) : 0.0;
}

double KEFOCalculator::ComputeConditionalProbabilityOfGroupOfStateVariables(KEFOHandle* handle,
                                                                            const std::vector<KEFOVariable*>& group,
                                                                            bool value) {
    return handle != nullptr ? handle->ComputeConditionalProbabilityOfGroupOfStateVariables(group, value) : 0.0;
}

double KEFOCalculator::ComputeHighestMinimalCutsetProbability(KEFOHandle* handle) {
    return handle != nullptr ? handle->ComputeHighestMinimalCutsetProbability() : 0.0;
}

double KEFOCalculator::ComputeNumberOfMinimalCutsets(KEFOHandle* handle) {
    return handle != nullptr ? handle->ComputeNumberOfProducts() : 0.0;
}

void KEFOCalculator::ResetProbabilisticIndicatorsOfVariables(KEFOHandle* handle) {
    if (handle != nullptr) handle->ResetProbabilisticIndicatorsOfVariables();
}

void KEFOCalculator::ResetProbabilisticIndicatorsOfVariables(const std::vector<KEFOVariable*>& variables) {
    for (KEFOVariable* variable : variables) ResetProbabilisticIndicatorsOfVariable(variable);
}

void KEFOCalculator::ResetProbabilisticIndicatorsOfVariable(KEFOVariable* variable) {
    if (variable != nullptr) variable->ResetProbabilisticIndicators();
}
