// Probabilities of a diagram handle: the four top-event methods, the highest
// cutset probability, and the probabilities with some variables forced true
// or false through the value codes of their entries.
#include "diagrams/bdd_handle.h"

#include "diagrams/bdd_entry.h"
#include "diagrams/bdd_manager.h"
#include "model/variable.h"

namespace {

// The index of a variable in the store when the store can hold an entry for
// it; 0 otherwise (the variable takes no part in the store's diagrams).
int StoreIndex(const KEFOBDDManager* manager, const KEFOVariable* variable) {
    if (variable == nullptr) return 0;
    const int index = variable->GetBDDIndex();
    return index > 0 && index < manager->GetSizeOfEntryTable() ? index : 0;
}

}  // namespace

double KEFOBDDHandle::ComputeProbability() const { return ComputeTopEventProbability(1); }

double KEFOBDDHandle::ComputeRareEventApproximation() const { return ComputeTopEventProbability(2); }

double KEFOBDDHandle::ComputeMincutUpperBound() const { return ComputeTopEventProbability(3); }

double KEFOBDDHandle::ComputePivotalUpperBound() const { return ComputeTopEventProbability(4); }

double KEFOBDDHandle::ComputeHighestMinimalCutsetProbability() const {
    return _root == nullptr ? 0.0 : _manager->ComputeHighestMinimalCutsetProbability(_root);
}

double KEFOBDDHandle::ComputeConditionalProbability(KEFOVariable* variable, bool value, int method) const {
    if (_root == nullptr) return 0.0;
    const int index = StoreIndex(_manager, variable);
    if (index == 0) return ComputeTopEventProbability(method);
    const int remembered = _manager->GetValue(index);
    _manager->SetValue(index, value ? KEFOBDDEntry::True : KEFOBDDEntry::False);
    const double p = ComputeTopEventProbability(method);
    _manager->SetValue(index, remembered);
    return p;
}

double KEFOBDDHandle::ComputeProbabilityOfGroupOfStateVariables(const std::vector<KEFOVariable*>& group,
                                                                bool value) const {
    double product = 1.0;
    for (const KEFOVariable* variable : group) {
        const int index = StoreIndex(_manager, variable);
        const double p = index != 0 ? _manager->GetProbability(index) : 0.0;
        product *= value ? p : 1.0 - p;
    }
    return product;
}

double KEFOBDDHandle::ComputeConditionalProbabilityOfGroupOfStateVariables(const std::vector<KEFOVariable*>& group,
                                                                          bool value, int method) const {
    if (_root == nullptr) return 0.0;
    const int code = value ? KEFOBDDEntry::True : KEFOBDDEntry::False;
    for (const KEFOVariable* variable : group) {
        const int index = StoreIndex(_manager, variable);
        if (index != 0) _manager->SetValue(index, code);
    }
    const double p = ComputeTopEventProbability(method);
    for (const KEFOVariable* variable : group) {
        const int index = StoreIndex(_manager, variable);
        if (index != 0) _manager->SetValue(index, KEFOBDDEntry::Unknown);
    }
    return p;
}
