// The compiler of formulas into the BDD store. It compiles the definition of
// a target variable (its cone of gates, through nested gates and references)
// into a BDD, optionally truncated under a cutoff, and converts results
// between BDDs and ZBDDs of minimal cutsets. Every result goes into a handle
// on the target variable.
//
// Shared gates are compiled once per build: each variable of the cone
// carries the number of times the build will still ask for its diagram
// (the integer attribute "ACTIVE_PARENTS_COUNT"); the diagram of a variable
// asked for again later is parked in a handle named like the target's handle
// on that variable, and dropped when its last user has taken it (unless the
// keep flag asks to keep every intermediate diagram). Dropping parked
// diagrams early lets garbage collection reclaim their nodes in long builds.
//
// The compilation runs on an explicit stack (a chain of 100,000 gates is
// safe). The variable order is fixed beforehand by the ordering manager,
// which gives every state variable its BDD index; a state variable met
// without a valid index takes the next free one.
//
// Handles named like the target's handle that an earlier build left on the
// variables of the cone are removed when a build starts: they may hold
// diagrams made under another order or another cutoff.
#ifndef KEFO_DIAGRAMS_BDD_BUILDER_H
#define KEFO_DIAGRAMS_BDD_BUILDER_H

#include "support/memory_manager.h"

#include <string>
#include <unordered_set>
#include <vector>

class KEFOBDDManager;
class KEFOBDDNode;
class KEFOCutoff;
class KEFOExpressionEvaluator;
class KEFOGate;
class KEFOHandle;
class KEFOInterpreter;
class KEFOModel;
class KEFOOrderingManager;
class KEFOTerm;
class KEFOVariable;

class KEFOBDDBuilder {
    PLOV_MANAGED_ALLOCATION(KEFOBDDBuilder)
public:
    static const char* const activeParentsCountAttribute;  // "ACTIVE_PARENTS_COUNT"

    explicit KEFOBDDBuilder(KEFOInterpreter* interpreter);
    ~KEFOBDDBuilder();
    KEFOBDDBuilder(const KEFOBDDBuilder&) = delete;
    KEFOBDDBuilder& operator=(const KEFOBDDBuilder&) = delete;

    // For hosts and tests that drive the builder without an interpreter:
    // the managers used when the builder has no interpreter.
    void SetManagers(KEFOBDDManager* bddManager, KEFOOrderingManager* orderingManager) {
        _ownBDDManager = bddManager;
        _ownOrderingManager = orderingManager;
    }

    // The BDD of the target's formula into the handle `name` on the target.
    void BuildBDD(KEFOModel* model, KEFOVariable* target, const char* name);
    // The same, truncated: with a minimum probability above 0, the
    // probabilities of the state variables at the cutoff's mission time give
    // the weights (-ln p / ln s, s the weight scale factor) and the budget is
    // -ln(minimum probability) / ln s; otherwise every weight is 1 and the
    // budget is the maximum order.
    void BuildWeightedBDD(KEFOModel* model, KEFOVariable* target, KEFOCutoff* cutoff, const char* name);
    // Conversions; the source is a handle of the named kind, the result
    // replaces the handle `name` on the variable.
    void BuildZBDDFromBDD(KEFOModel* model, KEFOVariable* variable, KEFOHandle* source, const char* name);
    void BuildBDDFromZBDD(KEFOModel* model, KEFOVariable* variable, KEFOHandle* source, const char* name);
    // The minimal cutsets of the source BDD under the cutoff: weights and
    // budget as for the weighted build, the minimum probability first raised
    // to minimum contribution x top-event probability when that is larger.
    void BuildWeightedZBDDFromBDD(KEFOModel* model, KEFOVariable* variable, KEFOHandle* source, KEFOCutoff* cutoff,
                                  const char* name);

    // Counts, for every variable of the target's cone, how many times the
    // build will ask for its diagram (the target counting once).
    void UpdateActiveParentsCounts(KEFOVariable* target);
    static int GetActiveParentsCount(const KEFOVariable* variable);

    bool GetKeepIntermediateHandles() const { return _keepIntermediateHandles; }
    void SetKeepIntermediateHandles(bool keep) { _keepIntermediateHandles = keep; }
    // Keep flag true, managers and top variable none.
    void Reset();

    KEFOVariable* GetTopVariable() const { return _topVariable; }

private:
    struct Frame;

    void _TakeManagers();
    // Removes the handles named `name` from the variables of the target's
    // cone (results of earlier builds).
    void _RemoveStaleHandles(KEFOVariable* target, const char* name);
    // The diagram of the target (one reference for the caller); weighted
    // when `weighted` is true, with the given budget.
    KEFOBDDNode* _BuildDiagramOfVariable(KEFOVariable* target, const char* name, bool weighted, double budget);
    KEFOBDDNode* _BuildLiteral(KEFOVariable* variable, bool weighted, double budget);
    // Loads the probabilities of the state variables under the variable at
    // time t into their variables and store entries.
    void _LoadProbabilitiesOfStateVariables(KEFOVariable* variable, double t);
    // Sets the weights and answers the budget of a cutoff.
    double _PrepareWeights(KEFOVariable* target, KEFOCutoff* cutoff, KEFOHandle* source);

    KEFOInterpreter* _interpreter;
    KEFOBDDManager* _bddManager = nullptr;
    KEFOOrderingManager* _orderingManager = nullptr;
    KEFOBDDManager* _ownBDDManager = nullptr;
    KEFOOrderingManager* _ownOrderingManager = nullptr;
    KEFOVariable* _topVariable = nullptr;
    bool _keepIntermediateHandles = true;
    KEFOExpressionEvaluator* _evaluator = nullptr;

    // Working storage of the compilation, kept between builds.
    std::vector<Frame>* _frames = nullptr;
    std::vector<KEFOBDDNode*> _rows;
    // The diagrams of a gate's children being combined (foldChildren): a
    // list in the children's order, and a heap of its adjacent pairs.
    struct FoldCell {
        KEFOBDDNode* node;
        int size;     // number of nodes of the diagram
        int next;     // the cell after it in the list, -1 at the end
        int previous;
        int version;  // changes when the cell is merged
    };
    struct FoldPair {
        long long size;  // the sum of the two sizes
        int left;        // the first cell; the second is its next
        int leftVersion;
        int rightVersion;
    };
    std::vector<FoldCell> _foldCells;
    std::vector<FoldPair> _foldPairs;
    std::unordered_set<const KEFOVariable*> _inProgress;
};

#endif
