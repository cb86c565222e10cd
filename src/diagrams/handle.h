// A named result slot on a variable: what a build left for that variable (a
// system of equations, a tree of minimal cutsets, a ZBDD of minimal cutsets
// or a BDD). The handle owns its result and the lists of parameters and
// state variables that the quantification reads. A variable keeps its
// handles in a tree sorted by name, one handle per name
// (KEFOVariable::InsertHandle replaces a handle of the same name, whatever
// its type).
//
// Types are powers of two so that families are tested by masks: sums of
// products are every type but the system, sums of minimal cutsets the BDT
// and the ZBDD, decision diagrams the ZBDD and the BDD.
//
// The state-variable and parameter lists are collected from the variable
// when first asked for (and again by UpdateStateVariablesAndParameters):
// the builders park intermediate diagrams in handles on thousands of gates,
// and collecting the cone of each at creation would make large builds
// quadratic.
#ifndef KEFO_DIAGRAMS_HANDLE_H
#define KEFO_DIAGRAMS_HANDLE_H

#include "support/memory_manager.h"

#include <string>
#include <vector>

class KEFOBDDHandle;
class KEFOBDTHandle;
class KEFOParameter;
class KEFOSystem;
class KEFOVariable;

class KEFOHandle {
    PLOV_MANAGED_ALLOCATION(KEFOHandle)
public:
    enum Type {
        NoType = 0,
        System = 1,
        BDT = 2,
        ZBDD = 4,
        BDD = 8
    };
    enum Family {
        SumOfProducts = BDT | ZBDD | BDD,
        SumOfMinimalCutsets = BDT | ZBDD,
        DecisionDiagram = ZBDD | BDD
    };
    // How the top-event probability of the handle is computed.
    enum QuantificationMethod {
        ExactProbability = 1,
        RareEventApproximation = 2,
        MincutUpperBound = 3,
        PivotalUpperBound = 4
    };
    typedef void (*PayloadDeleter)(void* payload);

    // A handle without payload, not attached to a variable.
    KEFOHandle(const char* name, int type);
    // Deletes the payload according to the type (a BDD handle releases its
    // root) and the lists.
    virtual ~KEFOHandle();
    KEFOHandle(const KEFOHandle&) = delete;
    KEFOHandle& operator=(const KEFOHandle&) = delete;

    // Constructors of the four kinds. The handle owns the payload from here
    // on; it is not attached: KEFOVariable::InsertHandle (or the Attach
    // forms below) gives it to the variable. The system and tree payloads
    // are deleted through their own destructors, instantiated where their
    // classes are complete.
    template <class S>
    static KEFOHandle* NewSystem(KEFOVariable* variable, const char* name, S* system) {
        return _New(variable, name, System, system, system != nullptr ? &_DeletePayload<S> : nullptr);
    }
    template <class T>
    static KEFOHandle* NewBDT(KEFOVariable* variable, const char* name, T* tree) {
        return _New(variable, name, BDT, tree, tree != nullptr ? &_DeletePayload<T> : nullptr);
    }
    static KEFOHandle* NewZBDD(KEFOVariable* variable, const char* name, KEFOBDDHandle* diagram);
    static KEFOHandle* NewBDD(KEFOVariable* variable, const char* name, KEFOBDDHandle* diagram);

    // The variable side: a new handle of that name on the variable (an
    // existing handle of the same name is deleted first, whatever its type).
    static KEFOHandle* AttachNewZBDD(KEFOVariable* variable, const char* name, KEFOBDDHandle* diagram);
    static KEFOHandle* AttachNewBDD(KEFOVariable* variable, const char* name, KEFOBDDHandle* diagram);

    // Deletes a handle given as an untyped item (list item destructor).
    static void Delete(void* handle);

    KEFOVariable* GetVariable() const { return _variable; }
    const char* GetName() const { return _name.c_str(); }
    const std::string& GetStdName() const { return _name; }
    int GetType() const { return _type; }

    // Comparisons of types (negative, zero, positive).
    int CompareType(int type) const { return _type < type ? -1 : (_type > type ? 1 : 0); }
    static int CompareTypes(const KEFOHandle* a, const KEFOHandle* b) { return a->CompareType(b->_type); }
    // Search predicates (KEFOVariable::SearchHandle): zero when the handle
    // is of the wanted type or family, non-zero otherwise; the key is not
    // read.
    static int CompareAsSystemHandle(const KEFOHandle* handle, const void* key);
    static int CompareAsBDTHandle(const KEFOHandle* handle, const void* key);
    static int CompareAsZBDDHandle(const KEFOHandle* handle, const void* key);
    static int CompareAsBDDHandle(const KEFOHandle* handle, const void* key);
    static int CompareAsSumOfMinimalCutsetsHandle(const KEFOHandle* handle, const void* key);
    static int CompareAsDecisionDiagramHandle(const KEFOHandle* handle, const void* key);
    static int CompareAsSumOfProductsHandle(const KEFOHandle* handle, const void* key);

    bool IsSystemHandle() const { return _type == System; }
    bool IsBDTHandle() const { return _type == BDT; }
    bool IsZBDDHandle() const { return _type == ZBDD; }
    bool IsBDDHandle() const { return _type == BDD; }
    bool IsSumOfProductsHandle() const { return (_type & SumOfProducts) != 0; }
    bool IsSumOfMinimalCutsetsHandle() const { return (_type & SumOfMinimalCutsets) != 0; }
    bool IsDecisionDiagramHandle() const { return (_type & DecisionDiagram) != 0; }

    // The payload when the type matches, none otherwise.
    KEFOSystem* GetSystem() const { return _type == System ? static_cast<KEFOSystem*>(_payload) : nullptr; }
    KEFOBDTHandle* GetBDTHandle() const { return _type == BDT ? static_cast<KEFOBDTHandle*>(_payload) : nullptr; }
    // For the ZBDD and BDD types.
    KEFOBDDHandle* GetBDDHandle() const {
        return (_type & DecisionDiagram) != 0 ? static_cast<KEFOBDDHandle*>(_payload) : nullptr;
    }

    // Parameters reachable from the variable (those of the distributions of
    // its state variables and of its own formulas), and its state variables
    // (the variable itself when it is one, then the basic events below it in
    // depth-first order). Collected on first use.
    const std::vector<KEFOParameter*>& GetParameters();
    const std::vector<KEFOVariable*>& GetStateVariables();
    const std::vector<KEFOParameter*>& NewCursorOnParameters() { return GetParameters(); }
    const std::vector<KEFOVariable*>& NewCursorOnStateVariables() { return GetStateVariables(); }
    // Empties both lists and collects them again from the variable.
    void UpdateStateVariablesAndParameters();

    // The quantification method: a BDD handle keeps the exact probability;
    // the ZBDD and BDT handles start with the rare-event approximation and
    // take the method they are given.
    int GetQuantificationMethod() const { return _quantificationMethod; }
    void SetQuantificationMethod(int method);

    // Measures dispatched by type: the store's measures on a ZBDD or BDD
    // root (0 without root), the tree's for a BDT (0 until the tree engine
    // provides them), 0 for a system (the orders give no array, highest 0
    // and total 0).
    int ComputeSizeOfDiagram() const;
    double ComputeNumberOfProducts() const;
    double ComputeSizeOfSumOfProducts() const;
    int ComputeLowestOrderOfMinimalCutsets() const;
    int ComputeHighestOrderOfMinimalCutsets() const;
    void ComputeOrdersOfMinimalCutsets(int*& counts, int& highest, int& total) const;
    void ComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(KEFOVariable**& variables, int*& counts,
                                                               int& highestIndex) const;

    // The top-event probability with the handle's method, from the
    // probabilities already in the store's entries: the target variable's
    // cached probability when it lies in [0, 1], otherwise computed (ZBDD
    // and BDD handles) and cached on the variable. System and tree handles
    // answer the cached value as it stands.
    double ComputeProbabilityOfTargetVariable();

    // ---- Quantification (handle_quantification.cpp). The probabilities
    // are those of the state variables' indicators, loaded into the entries
    // of the handle's store (the BDD store for ZBDD and BDD handles); system
    // handles load nothing and answer 0 (or leave their caches as they are).
    // The six indicators of every state variable of the handle and of the
    // target variable back to "not computed".
    void ResetProbabilisticIndicatorsOfVariables();
    void LoadProbabilitiesOfStateVariables();
    void LoadProbabilitiesOfStateVariables(const std::vector<KEFOVariable*>& variables);
    void LoadProbabilityOfStateVariable(KEFOVariable* variable);
    // The unconditional failure intensities of the state variables into the
    // entries (read by the failure intensities of cutsets).
    void LoadFailureIntensitiesOfStateVariables();
    // The probability of the target given the variable true (value) or
    // false, cached in the variable's conditional-probability indicator.
    double ComputeConditionalProbabilityOfStateVariable(KEFOVariable* variable, bool value);
    // The largest probability of a minimal cutset (0 for BDD and system
    // handles).
    double ComputeHighestMinimalCutsetProbability();
    // Group caches: the probability that every member is true (value) or
    // false, and the probability of the target given every member forced
    // true (value) or false; each computed once until the group reset.
    double ComputeProbabilityOfGroupOfStateVariables(const std::vector<KEFOVariable*>& group, bool value);
    double ComputeConditionalProbabilityOfGroupOfStateVariables(const std::vector<KEFOVariable*>& group, bool value);
    void ResetProbabilisticIndicatorsOfGroupOfStateVariables(const std::vector<KEFOVariable*>& group);

    // Tree measures supplied by the tree engine when it joins (null: 0).
    struct TreeMeasures {
        int (*sizeOfDiagram)(KEFOBDTHandle*);
        double (*numberOfProducts)(KEFOBDTHandle*);
        double (*sizeOfSumOfProducts)(KEFOBDTHandle*);
        int (*lowestOrder)(KEFOBDTHandle*);
        int (*highestOrder)(KEFOBDTHandle*);
        void (*orders)(KEFOBDTHandle*, int*&, int&, int&);
        void (*occurrences)(KEFOBDTHandle*, KEFOVariable**&, int*&, int&);
    };
    static void SetTreeMeasures(const TreeMeasures* measures) { _treeMeasures = measures; }

protected:
    void SetType(int type) { _type = type; }

private:
    static KEFOHandle* _New(KEFOVariable* variable, const char* name, int type, void* payload,
                            PayloadDeleter deleter);
    template <class P>
    static void _DeletePayload(void* payload) {
        delete static_cast<P*>(payload);
    }
    void _CollectLists();

    KEFOVariable* _variable = nullptr;
    std::string _name;
    int _type;
    void* _payload = nullptr;
    PayloadDeleter _deleter = nullptr;
    std::vector<KEFOParameter*> _parameters;
    std::vector<KEFOVariable*> _stateVariables;
    bool _listsCollected = false;
    int _quantificationMethod = RareEventApproximation;

    // Group caches (-1.0 when not computed).
    double _groupProbabilityTrue = -1.0;
    double _groupProbabilityFalse = -1.0;
    double _groupConditionalProbabilityTrue = -1.0;
    double _groupConditionalProbabilityFalse = -1.0;

    static const TreeMeasures* _treeMeasures;
};

#endif
