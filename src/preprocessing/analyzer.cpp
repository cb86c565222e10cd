#include "preprocessing/analyzer.h"

#include "model/gate.h"
#include "model/type.h"
#include "model/variable.h"
#include "preprocessing/rewriter_cone.h"

#include <algorithm>

const char* const KEFOAnalyzer::attributeName = "__NUMBER_OF_PARENTS__";

void KEFOAnalyzer::ResetNumberOfParents(KEFOVariable* variable) {
    if (variable != nullptr) variable->ResetAttribute(attributeName);
}

void KEFOAnalyzer::IncrementNumberOfParents(KEFOVariable* variable) {
    if (variable != nullptr) variable->SetAttribute(attributeName, GetNumberOfParents(variable) + 1);
}

int KEFOAnalyzer::GetNumberOfParents(const KEFOVariable* variable) {
    return variable != nullptr ? variable->GetAttributeAsInt(attributeName, 0) : 0;
}

int KEFOAnalyzer::CompareNumbersOfParents(const KEFOVariable* a, const KEFOVariable* b) {
    int na = GetNumberOfParents(a);
    int nb = GetNumberOfParents(b);
    return na > nb ? -1 : (na < nb ? 1 : 0);
}

void KEFOAnalyzer::SortDescendantsByDecreasingNumbersOfParents(KEFOVariable* top, std::vector<KEFOVariable*>& sorted) {
    sorted.clear();
    if (top == nullptr) return;
    std::vector<KEFOPort*> descendants;
    top->CollectDescendants(KEFOType::CompareAsVariable, nullptr, descendants);
    ResetNumberOfParents(top);
    for (KEFOPort* port : descendants) ResetNumberOfParents(static_cast<KEFOVariable*>(port));
    // Counts are kept aside and written once, so that the walk does not
    // rewrite attributes at every reference.
    KEFORewriterCone cone(top);
    std::vector<int> counts(static_cast<std::size_t>(cone.GetNumberOfVariables()), 0);
    std::vector<KEFOGate*> references;
    for (KEFOVariable* variable : cone.GetVariables()) {
        if (variable->IsStateVariable()) continue;
        references.clear();
        KEFORewriterCone::CollectReferences(variable->GetDefinitionAsGate(), references);
        for (KEFOGate* reference : references) {
            int index = cone.GetIndex(reference->GetReferredVariable());
            if (index >= 0) ++counts[static_cast<std::size_t>(index)];
        }
    }
    for (KEFOPort* port : descendants) {
        KEFOVariable* variable = static_cast<KEFOVariable*>(port);
        if (variable == top) continue;
        int index = cone.GetIndex(variable);
        if (index >= 0) variable->SetAttribute(attributeName, counts[static_cast<std::size_t>(index)]);
        sorted.push_back(variable);
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const KEFOVariable* a, const KEFOVariable* b) {
        return CompareNumbersOfParents(a, b) < 0;
    });
}
