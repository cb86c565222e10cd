// One diagram root kept in the BDD store: the payload of the ZBDD and BDD
// result handles. The handle holds one reference on its root, so that the
// nodes of a kept result survive garbage collection until the handle goes.
#ifndef KEFO_DIAGRAMS_BDD_HANDLE_H
#define KEFO_DIAGRAMS_BDD_HANDLE_H

#include "support/memory_manager.h"

#include <vector>

class KEFOBDDManager;
class KEFOBDDNode;
class KEFOVariable;

class KEFOBDDHandle {
    PLOV_MANAGED_ALLOCATION(KEFOBDDHandle)
public:
    // Takes over the caller's reference on the root (which may be none).
    KEFOBDDHandle(KEFOBDDManager* manager, KEFOBDDNode* root) : _manager(manager), _root(root) {}
    // Releases the root.
    ~KEFOBDDHandle();
    KEFOBDDHandle(const KEFOBDDHandle&) = delete;
    KEFOBDDHandle& operator=(const KEFOBDDHandle&) = delete;

    KEFOBDDManager* GetManager() const { return _manager; }
    KEFOBDDNode* GetRootNode() const { return _root; }
    // Takes a reference on the new root and releases the old one; nothing
    // when they are the same.
    void SetRootNode(KEFOBDDNode* root);
    bool IsEmpty() const { return _root == nullptr; }

    // A slot for the owner's use; no operation reads it.
    void* GetData() const { return _data; }
    void SetData(void* data) { _data = data; }

    // The measures of the store applied to the root (0 for no root; the
    // orders give no array, highest -1 and total 0).
    int ComputeSizeOfDiagram() const;
    double ComputeNumberOfProducts() const;
    double ComputeSizeOfSumOfProducts() const;
    int ComputeLowestOrderOfMinimalCutsets() const;
    int ComputeHighestOrderOfMinimalCutsets() const;
    // counts[k] for k in [0, highest], allocated with PLOVMemoryManager::NewCell
    // and owned by the caller.
    void ComputeOrdersOfMinimalCutsets(int*& counts, int& highest, int& total) const;
    // Arrays of highestIndex + 1 cells, owned by the caller (DeleteCell).
    void ComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(KEFOVariable**& variables, int*& counts,
                                                               int& highestIndex) const;

    // The top-event probability from the probabilities in the store's
    // entries: method 1 exact (the root read as a BDD), 2 rare-event
    // approximation, 3 min-cut upper bound, 4 pivotal upper bound (the root
    // read as a ZBDD; 2 and 4 clamped to [0, 1]); any other method and no
    // root give 0.
    double ComputeTopEventProbability(int method) const;

    // ---- Quantification (bdd_handle_quantification.cpp), from the
    // probabilities and value codes in the store's entries. Each starts
    // with its own marker pass where it has a memo.
    double ComputeProbability() const;
    double ComputeRareEventApproximation() const;
    double ComputeMincutUpperBound() const;
    double ComputePivotalUpperBound() const;
    double ComputeHighestMinimalCutsetProbability() const;
    // The top-event probability with the variable forced true (value) or
    // false; its entry's value code is restored afterwards.
    double ComputeConditionalProbability(KEFOVariable* variable, bool value, int method) const;
    // The product of p (value) or 1 - p over the group (p read from the
    // entries, 0 without one), in double precision.
    double ComputeProbabilityOfGroupOfStateVariables(const std::vector<KEFOVariable*>& group, bool value) const;
    // The top-event probability with every member of the group forced true
    // (value) or false; every member is free afterwards.
    double ComputeConditionalProbabilityOfGroupOfStateVariables(const std::vector<KEFOVariable*>& group, bool value,
                                                                int method) const;

private:
    KEFOBDDManager* _manager;
    KEFOBDDNode* _root;
    void* _data = nullptr;
};

#endif
