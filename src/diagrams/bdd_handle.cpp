#include "diagrams/bdd_handle.h"

#include "diagrams/bdd_manager.h"

KEFOBDDHandle::~KEFOBDDHandle() {
    if (_manager != nullptr && _root != nullptr) _manager->FreeNode(_root);
    _root = nullptr;
}

void KEFOBDDHandle::SetRootNode(KEFOBDDNode* root) {
    if (root == _root) return;
    if (root != nullptr) _manager->CopyNode(root);
    if (_root != nullptr) _manager->FreeNode(_root);
    _root = root;
}

int KEFOBDDHandle::ComputeSizeOfDiagram() const {
    return _root == nullptr ? 0 : _manager->ComputeSizeOfDiagram(_root);
}

double KEFOBDDHandle::ComputeNumberOfProducts() const {
    return _root == nullptr ? 0.0 : _manager->ComputeNumberOfProducts(_root);
}

double KEFOBDDHandle::ComputeSizeOfSumOfProducts() const {
    return _root == nullptr ? 0.0 : _manager->ComputeSizeOfSumOfProducts(_root);
}

int KEFOBDDHandle::ComputeLowestOrderOfMinimalCutsets() const {
    return _root == nullptr ? 0 : _manager->ComputeLowestOrderOfMinimalCutsets(_root);
}

int KEFOBDDHandle::ComputeHighestOrderOfMinimalCutsets() const {
    return _root == nullptr ? 0 : _manager->ComputeHighestOrderOfMinimalCutsets(_root);
}

void KEFOBDDHandle::ComputeOrdersOfMinimalCutsets(int*& counts, int& highest, int& total) const {
    counts = nullptr;
    highest = -1;
    total = 0;
    if (_root == nullptr) return;
    _manager->ComputeOrdersOfMinimalCutsets(_root, counts, highest, total);
}

void KEFOBDDHandle::ComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(KEFOVariable**& variables, int*& counts,
                                                                          int& highestIndex) const {
    variables = nullptr;
    counts = nullptr;
    highestIndex = 0;
    if (_root == nullptr) return;
    _manager->ComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(_root, variables, counts, highestIndex);
}

double KEFOBDDHandle::ComputeTopEventProbability(int method) const {
    if (_root == nullptr) return 0.0;
    double p;
    switch (method) {
    case 1: return _manager->ComputeProbability(_root);
    case 2: p = _manager->ComputeRareEventApproximation(_root); break;
    case 3: return _manager->ComputeMincutUpperBound(_root);
    case 4: p = _manager->ComputePivotalUpperBound(_root); break;
    default: return 0.0;
    }
    return p < 0.0 ? 0.0 : (p > 1.0 ? 1.0 : p);
}
