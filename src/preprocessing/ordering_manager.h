// Variable ordering: before a diagram is built, every basic event and every
// module under the top variable receives an index in a diagram store (the
// BDD store, or the BDT store of the tree engine); the indices fix the
// variable order (a smaller index is nearer the root). Five heuristics
// compute the order; most of them also reorder the children of commutative
// gates so that the builders meet the variables in index order.
//
// A variable keeps one index per ordering (0 for none). A variable that
// already has an index in the requested store keeps it; the others take the
// free indices that follow the last index given in the current run.
//
// The working data of a heuristic (ranks, parent and children lists) are
// kept by the manager for the duration of one run, indexed by a dense
// number given to each variable of the cone, and dropped at its end.
#ifndef KEFO_PREPROCESSING_ORDERING_MANAGER_H
#define KEFO_PREPROCESSING_ORDERING_MANAGER_H

#include "support/memory_manager.h"

#include <unordered_map>
#include <vector>

class KEFOBDDManager;
class KEFOBlock;
class KEFOGate;
class KEFOInterpreter;
class KEFOModel;
class KEFOTerm;
class KEFOVariable;

class KEFOOrderingManager;

// The two comparators of the SCG heuristics. Lists are sorted in increasing
// order: an item comes after another when Compare returns a positive value.
class KEFOVariableComparator {
    PLOV_MANAGED_ALLOCATION(KEFOVariableComparator)
public:
    enum Type {
        OrderAtomsFirst = 1,
        DecreasingOrderOfParentNumbers = 2
    };

    KEFOVariableComparator(KEFOOrderingManager* manager, int type) : _manager(manager), _type(type) {}
    int GetType() const { return _type; }
    int CompareItems(KEFOVariable* a, KEFOVariable* b) const;

private:
    // +1 when a is a basic event, else -1 when b is one, else +1 when a is a
    // module, else -1 when b is one, else the comparison of their numbers of
    // parents.
    int _OrderAtomsFirst(KEFOVariable* a, KEFOVariable* b) const;
    // The comparison of the numbers of parents first; on equality the same
    // basic event / module rules.
    int _CompareDecreasingOrderOfParentNumbers(KEFOVariable* a, KEFOVariable* b) const;

    KEFOOrderingManager* _manager;
    int _type;
};

class KEFOOrderingManager {
    PLOV_MANAGED_ALLOCATION(KEFOOrderingManager)
public:
    enum Ordering {
        BDTOrdering = 1,
        BDDOrdering = 2
    };
    enum Heuristic {
        PureDFLM = 1,
        DFLM = 2,
        CPFLM = 3,
        SCGOAF = 4,
        SCGDPN = 5
    };

    explicit KEFOOrderingManager(KEFOInterpreter* interpreter);
    ~KEFOOrderingManager();
    KEFOOrderingManager(const KEFOOrderingManager&) = delete;
    KEFOOrderingManager& operator=(const KEFOOrderingManager&) = delete;

    // Takes the interpreter's BDD store (and tree store when there is one).
    void UpdateEnvironment();
    KEFOBDDManager* GetBDDManager() const { return _bddManager; }
    // For hosts and tests that drive the manager without an interpreter.
    void SetBDDManager(KEFOBDDManager* manager) { _bddManager = manager; }

    // The symbol of a heuristic ("pure-DFLM", "DFLM", "CPFLM", "SCG-OAF",
    // "SCG-DPN") and back (0 for an unknown symbol).
    static const char* GetHeuristicName(int heuristic);
    static int GetHeuristic(const char* name);

    // Runs the heuristic on the cone of the top variable; an unknown
    // heuristic runs DFLM.
    void DefineOrdering(KEFOVariable* top, int ordering, int heuristic);
    void DefineOrderingPureDFLM(KEFOVariable* top, int ordering);
    void DefineOrderingDFLM(KEFOVariable* top, int ordering);
    void DefineOrderingCPFLM(KEFOVariable* top, int ordering);
    void DefineOrderingSCGOAF(KEFOVariable* top, int ordering);
    void DefineOrderingSCGDPN(KEFOVariable* top, int ordering);

    // Indices.
    static int GetVariableIndex(const KEFOVariable* variable, int ordering);
    // The variable that held entry i loses its index, the variable takes i
    // (leaving its previous entry), and the store's entry i is created when
    // missing and reset for the variable (BDD store: value free,
    // probability 0, weight 1, failure intensity 0, no module diagram).
    // An index outside [1, highest usable index] does nothing.
    void SetVariableIndex(KEFOVariable* variable, int ordering, int index);
    // The highest index in use in the store (0 when none).
    int GetHighestVariableIndex(int ordering) const;
    // The first index after `index` whose entry holds no variable; the
    // store's entry table grows when it is full. 0 only when the index
    // space of the store (2^24 - 3 indices) is exhausted.
    int GetNextFreeVariableIndex(int ordering, int index);
    // The index of a basic event or module when it has none (or its entry
    // does not name it any more), after the last index given in this run.
    void AllocateVariableIndex(KEFOVariable* variable, int ordering);
    // The largest index a store accepts.
    int GetHighestUsableIndex(int ordering) const;

    // Parent and children lists of the variables under the top variable
    // (distinct parents and children, children in order of first
    // reference); valid until the reset or the next update.
    void UpdateParentsAndChildrenLists(KEFOVariable* top);
    void ResetParentsAndChildrenLists();
    const std::vector<KEFOVariable*>& GetParentList(KEFOVariable* variable) const;
    const std::vector<KEFOVariable*>& GetChildrenList(KEFOVariable* variable) const;
    int GetNumberOfParents(KEFOVariable* variable) const { return static_cast<int>(GetParentList(variable).size()); }
    int GetNumberOfChildren(KEFOVariable* variable) const {
        return static_cast<int>(GetChildrenList(variable).size());
    }

    // Auxiliary counts, written as integer (parents) and double (paths)
    // attributes on the top variable and every variable under it: the
    // number of distinct parents in the cone (0 for the top), and the number
    // of paths from the top (1 for the top; a child referred to twice by
    // one gate counts twice).
    void ComputeNumbersOfParents(KEFOVariable* top, const char* attribute);
    void ComputeNumbersOfPaths(KEFOVariable* top, const char* attribute);
    // Stable sorts of the children of every commutative gate under the
    // variable (or of every variable of the block) by a numeric attribute of
    // the variables the children refer to (a nested gate takes the value of
    // the first variable it refers to; 0 when none or absent).
    void SortChildrenOfCommutativeConnectivesInIncreasingOrderOfAttributeValues(KEFOVariable* top,
                                                                                const char* attribute);
    void SortChildrenOfCommutativeConnectivesInDecreasingOrderOfAttributeValues(KEFOVariable* top,
                                                                                const char* attribute);
    void SortChildrenOfCommutativeConnectivesInIncreasingOrderOfAttributeValues(KEFOBlock* block,
                                                                                const char* attribute);
    void SortChildrenOfCommutativeConnectivesInDecreasingOrderOfAttributeValues(KEFOBlock* block,
                                                                                const char* attribute);
    // Removes the attribute from the variable and every variable under it.
    void ResetAttributeOfVariables(KEFOVariable* top, const char* attribute);

    // A flow variable with a definition whose module record shows a module.
    static bool IsModule(const KEFOVariable* variable);
    static bool IsStateVariableOrModule(const KEFOVariable* variable);

private:
    // Cone of the top variable: dense numbers, parent and children lists.
    void _BuildCone(KEFOVariable* top);
    int _GetNumber(const KEFOVariable* variable) const;
    // Next index of the run for a basic event or module (skipped when it
    // keeps its index).
    void _GiveIndex(KEFOVariable* variable, int ordering);
    void _StartRun();
    // Sorts the children of every commutative gate of the cone by the rank
    // of the first variable each child refers to.
    void _SortChildrenOfCommutativeGatesByRank(KEFOVariable* top);
    void _SortChildrenOfCommutativeGates(KEFOVariable* top, const std::vector<double>& keyOfNumber, bool increasing);
    void _SortChildrenOfTerm(KEFOTerm* term, const std::vector<double>& keyOfNumber, bool increasing);
    double _KeyOfTerm(const KEFOTerm* term, const std::vector<double>& keyOfNumber) const;
    // The stable merge sort of the SCG heuristics: an item is moved before
    // another only when the comparator says the other comes after it.
    void _SortWithComparator(std::vector<KEFOVariable*>& items, const KEFOVariableComparator& comparator);
    void _DefineOrderingSCG(KEFOVariable* top, int ordering, int comparatorType);
    // Tree-store stand-in until the tree engine joins: who holds each BDT
    // index.
    KEFOVariable* _GetHolder(int ordering, int index) const;

    KEFOInterpreter* _interpreter;
    KEFOBDDManager* _bddManager = nullptr;
    std::vector<KEFOVariable*> _bdtHolders;

    int _lastIndex = 0;
    std::vector<KEFOVariable*> _cone;  // top first, then depth-first order
    std::unordered_map<const KEFOVariable*, int> _numbers;
    std::vector<std::vector<KEFOVariable*>> _parents;
    std::vector<std::vector<KEFOVariable*>> _children;
    std::vector<double> _ranks;
    static const std::vector<KEFOVariable*> _emptyList;
};

#endif
