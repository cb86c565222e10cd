// Quantification on a result handle: loading the state variables'
// probabilities into the handle's store, and the cached conditional and
// group probabilities of its target. Indicators and caches hold -1.0 until
// computed; a value in [0, 1] is answered as it stands.
#include "diagrams/handle.h"

#include "diagrams/bdd_handle.h"
#include "diagrams/bdd_manager.h"
#include "model/variable.h"

namespace {

bool IsProbability(double p) { return p >= 0.0 && p <= 1.0; }

// The index of the variable in the store when an entry can exist for it.
int StoreIndex(const KEFOBDDManager* manager, const KEFOVariable* variable) {
    const int index = variable->GetBDDIndex();
    return index > 0 && index < manager->GetSizeOfEntryTable() ? index : 0;
}

}  // namespace

void KEFOHandle::ResetProbabilisticIndicatorsOfVariables() {
    for (KEFOVariable* variable : GetStateVariables()) variable->ResetProbabilisticIndicators();
    if (_variable != nullptr) _variable->ResetProbabilisticIndicators();
}

void KEFOHandle::LoadProbabilitiesOfStateVariables() {
    if (GetBDDHandle() == nullptr) return;
    for (KEFOVariable* variable : GetStateVariables()) LoadProbabilityOfStateVariable(variable);
}

void KEFOHandle::LoadProbabilitiesOfStateVariables(const std::vector<KEFOVariable*>& variables) {
    if (GetBDDHandle() == nullptr) return;
    for (KEFOVariable* variable : variables) LoadProbabilityOfStateVariable(variable);
}

void KEFOHandle::LoadProbabilityOfStateVariable(KEFOVariable* variable) {
    KEFOBDDHandle* diagram = GetBDDHandle();
    if (diagram == nullptr || variable == nullptr) return;
    KEFOBDDManager* manager = diagram->GetManager();
    const int index = StoreIndex(manager, variable);
    if (index != 0) manager->SetProbability(index, variable->GetProbability());
}

void KEFOHandle::LoadFailureIntensitiesOfStateVariables() {
    KEFOBDDHandle* diagram = GetBDDHandle();
    if (diagram == nullptr) return;
    KEFOBDDManager* manager = diagram->GetManager();
    for (KEFOVariable* variable : GetStateVariables()) {
        const int index = StoreIndex(manager, variable);
        if (index != 0) manager->SetFailureIntensity(index, variable->GetUnconditionalFailureIntensity());
    }
}

double KEFOHandle::ComputeConditionalProbabilityOfStateVariable(KEFOVariable* variable, bool value) {
    if (variable == nullptr) return 0.0;
    const double cached = variable->GetConditionalProbability(value);
    if (IsProbability(cached)) return cached;
    double p = 0.0;
    if (KEFOBDDHandle* diagram = GetBDDHandle()) p = diagram->ComputeConditionalProbability(variable, value, _quantificationMethod);
    variable->SetConditionalProbability(value, p);
    return p;
}

double KEFOHandle::ComputeHighestMinimalCutsetProbability() {
    if (_type != ZBDD) return 0.0;
    return GetBDDHandle()->ComputeHighestMinimalCutsetProbability();
}

double KEFOHandle::ComputeProbabilityOfGroupOfStateVariables(const std::vector<KEFOVariable*>& group, bool value) {
    double& cache = value ? _groupProbabilityTrue : _groupProbabilityFalse;
    if (IsProbability(cache)) return cache;
    KEFOBDDHandle* diagram = GetBDDHandle();
    if (diagram == nullptr) return cache < 0.0 ? 0.0 : cache;
    cache = diagram->ComputeProbabilityOfGroupOfStateVariables(group, value);
    return cache;
}

double KEFOHandle::ComputeConditionalProbabilityOfGroupOfStateVariables(const std::vector<KEFOVariable*>& group,
                                                                       bool value) {
    double& cache = value ? _groupConditionalProbabilityTrue : _groupConditionalProbabilityFalse;
    if (IsProbability(cache)) return cache;
    KEFOBDDHandle* diagram = GetBDDHandle();
    if (diagram == nullptr) return cache < 0.0 ? 0.0 : cache;
    cache = diagram->ComputeConditionalProbabilityOfGroupOfStateVariables(group, value, _quantificationMethod);
    return cache;
}

void KEFOHandle::ResetProbabilisticIndicatorsOfGroupOfStateVariables(const std::vector<KEFOVariable*>& /*group*/) {
    _groupProbabilityTrue = -1.0;
    _groupProbabilityFalse = -1.0;
    _groupConditionalProbabilityTrue = -1.0;
    _groupConditionalProbabilityFalse = -1.0;
}
