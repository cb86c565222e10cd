// The rewriter turns the flat target model of a top variable into the
// preprocessed model on which decision diagrams and systems of equations are
// built. Its passes each walk the variables under the top variable and
// rewrite their definitions in place, keeping the Boolean function of every
// variable they touch:
//
//   PushDownNegations      negations only over basic events ("not-" variables)
//   PropagateConstants     constants folded away
//   DereferenceVariables   chains of references shortened
//   ModularizeSingletons   single-use events gathered into "MODULE" gates
//   CoalesceGates          nested gates of the same connective merged
//   RemoveDuplicatedChildren
//   LayerModel             one connective over literals per definition ("G")
//   GroupChildren          children with the same parents grouped ("GROUP")
//   DetectModules          module records ("__MODULE_RECORD__")
//
// BuildPreprocessedModel runs them in that order and checks the result.
// Every pass takes the error counter first and does nothing when it is
// non-zero on entry. Passes walk with explicit stacks: deep models are safe,
// and a cycle among definitions never makes them loop (the checks of
// BuildPreprocessedModel report it first, see CheckCone).
#ifndef KEFO_PREPROCESSING_REWRITER_H
#define KEFO_PREPROCESSING_REWRITER_H

#include "support/memory_manager.h"

#include <string>

class KEFOCCFGroup;
class KEFOChecker;
class KEFOContainer;
class KEFOGate;
class KEFOInterpreter;
class KEFOMessenger;
class KEFOModel;
class KEFORewriterCone;
class KEFOVariable;

class KEFORewriter {
    PLOV_MANAGED_ALLOCATION(KEFORewriter)
public:
    static const char* const defaultPrefix;         // "G"
    static const char* const modulePrefix;          // "MODULE"
    static const char* const groupPrefix;           // "GROUP"
    static const char* const oppositePrefix;        // "not-"

    explicit KEFORewriter(KEFOInterpreter* interpreter = nullptr);
    ~KEFORewriter();
    KEFORewriter(const KEFORewriter&) = delete;
    KEFORewriter& operator=(const KEFORewriter&) = delete;

    KEFOInterpreter* GetInterpreter() const { return _interpreter; }
    // Messages go through this messenger when one is set (not owned), else
    // through the interpreter's; without either errors are only counted.
    void SetMessenger(KEFOMessenger* messenger) { _messenger = messenger; }

    // Generated flow variables: "%s%06d" from the prefix and a counter; the
    // first name not declared in the model is taken.
    void Reset();
    void SetGeneratedFlowVariablePrefix(const char* prefix);
    const char* GetGeneratedFlowVariablePrefix() const { return _prefix.c_str(); }
    int GetGeneratedFlowVariableCounter() const { return _counter; }
    KEFOVariable* GenerateFlowVariable(KEFOModel* model);

    // ---- Preparation of the target model ---------------------------------
    // An undetermined variable becomes a state variable; missing
    // distributions and parameter definitions become the real 0, missing
    // gate and house-event definitions the constant false.
    void CompleteModel(int& errors, KEFOModel* model);
    // Expands every CCF group that is not expanded yet into basic events and
    // removes the groups.
    void ExpandCCFGroups(int& errors, KEFOModel* model);
    void ExpandCCFGroup(int& errors, KEFOModel* model, KEFOCCFGroup* group);

    // ---- Preprocessing ---------------------------------------------------
    // CheckCone, the nine passes in order, then the checker's definition and
    // normal-form checks (when a checker is given). The random deviates of
    // the parameters are reset by the interpreter afterwards.
    void BuildPreprocessedModel(int& errors, KEFOModel* model, KEFOVariable* top, KEFOChecker* checker);
    // Reports what the passes cannot rewrite: a top that is not a variable
    // of the model with a definition (12005), a reference under the top that
    // does not designate a variable (12005, with its path), and a cycle among
    // the definitions (12006 "Unable to complete declaration of %1." for the
    // first variable of each cycle).
    void CheckCone(int& errors, KEFOModel* model, KEFOVariable* top);

    void PushDownNegations(int& errors, KEFOModel* model, KEFOVariable* top);
    void PropagateConstants(int& errors, KEFOModel* model, KEFOVariable* top);
    void DereferenceVariables(int& errors, KEFOModel* model, KEFOVariable* top);
    void ModularizeSingletons(int& errors, KEFOModel* model, KEFOVariable* top);
    void CoalesceGates(int& errors, KEFOModel* model, KEFOVariable* top);
    void RemoveDuplicatedChildren(int& errors, KEFOModel* model, KEFOVariable* top);
    void LayerModel(int& errors, KEFOModel* model, KEFOVariable* top);
    void GroupChildren(int& errors, KEFOModel* model, KEFOVariable* top);
    void DetectModules(int& errors, KEFOModel* model, KEFOVariable* top);
    // A gate variable whose module record shows a module.
    bool IsModule(const KEFOVariable* variable) const;

    // ---- Further operations for hosts (not run by the pipeline) ----------
    // PushDownNegations then PropagateConstants.
    void NormalizeConnectives(int& errors, KEFOModel* model, KEFOVariable* top);
    // DetectModules.
    void Modularize(int& errors, KEFOModel* model, KEFOVariable* top);
    // Stable sorts of the children of every definition under the top by a
    // double attribute of the children or of the variables they refer to.
    void SortChildrenInIncreasingOrderOfAttributeValue(int& errors, KEFOVariable* top, const char* name);
    void SortChildrenInDecreasingOrderOfAttributeValue(int& errors, KEFOVariable* top, const char* name);

    // Copying of children merged by CoalesceGates is bounded by this many
    // gate nodes per pass beyond the size of the cone (shared gates copied
    // into each of their parents can otherwise grow quadratically); past the
    // budget, shared gates stay referenced instead of being merged.
    static const long coalescingBudget = 2000000;

    void RaiseError(int& errors, int code, const char* a1 = nullptr, const char* a2 = nullptr,
                    const char* a3 = nullptr);

private:
    // The passes over a cone collected beforehand (BuildPreprocessedModel
    // shares one cone between passes that keep it valid: they only remove
    // references or redirect them to descendants, or add variables they
    // handle themselves).
    void _PropagateConstants(KEFOModel* model, const KEFORewriterCone& cone);
    void _DereferenceVariables(KEFOModel* model, const KEFORewriterCone& cone);
    void _ModularizeSingletons(KEFOModel* model, const KEFORewriterCone& cone);
    void _CoalesceGates(KEFOModel* model, const KEFORewriterCone& cone);
    void _RemoveDuplicatedChildren(KEFOModel* model, const KEFORewriterCone& cone);

    KEFOMessenger* _GetMessenger() const;
    // The opposite ("not-" name) of a variable; made when missing.
    KEFOVariable* _NewOppositeVariable(KEFOModel* model, KEFOVariable* variable);

    KEFOInterpreter* _interpreter;
    KEFOMessenger* _messenger = nullptr;
    std::string _prefix;
    int _counter = 0;
};

#endif
