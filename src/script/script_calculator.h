// Evaluation of script expressions. Each node holds its own value object:
// evaluating a node overwrites it and returns it, so a result stays valid
// until the same node is evaluated again; callers that keep a result copy
// it. Evaluation raises no error: unsuitable operands give nil, and the
// command that receives the value reports it.
#ifndef KEFO_SCRIPT_SCRIPT_CALCULATOR_H
#define KEFO_SCRIPT_SCRIPT_CALCULATOR_H

#include "support/memory_manager.h"

class KEFOInterpreter;
class KEFOScriptEnvironment;
class KEFOScriptExpression;
class KEFOScriptVariable;
class PLOVManagedValue;

class KEFOScriptCalculator {
    PLOV_MANAGED_ALLOCATION(KEFOScriptCalculator)
public:
    // A range is listed only up to this many elements; a longer one is nil.
    static const int maximumRangeLength = 10000000;

    // The environment is the one references are looked up in (the
    // interpreter's global environment when null).
    explicit KEFOScriptCalculator(KEFOInterpreter* interpreter, KEFOScriptEnvironment* environment = nullptr);
    KEFOScriptCalculator(const KEFOScriptCalculator&) = delete;
    KEFOScriptCalculator& operator=(const KEFOScriptCalculator&) = delete;

    KEFOInterpreter* GetInterpreter() const { return _interpreter; }
    KEFOScriptEnvironment* GetEnvironment() const;
    KEFOScriptVariable* LookForVariable(const char* name) const;

    // The node's value after evaluation (a shared nil for a null node).
    const PLOVManagedValue& ComputeValueOfExpression(KEFOScriptExpression* expression);
    // The Boolean value, false for any other kind.
    bool ComputeValueOfExpressionAsBool(KEFOScriptExpression* expression);
    // An Integer clamped into [minimum, maximum]; any other kind counts as 0.
    int ComputeValueOfExpressionAsInt(KEFOScriptExpression* expression, int minimum, int maximum);
    // An Integer or Real clamped into [minimum, maximum]; any other kind
    // counts as 0.0.
    double ComputeValueOfExpressionAsDouble(KEFOScriptExpression* expression, double minimum, double maximum);
    double ComputeValueOfExpressionAsProbability(KEFOScriptExpression* expression);

    // The same for child number i (from 1) of the expression.
    const PLOVManagedValue& ComputeValueOfChildOfExpression(KEFOScriptExpression* expression, int i);
    bool ComputeValueOfChildOfExpressionAsBool(KEFOScriptExpression* expression, int i);
    int ComputeValueOfChildOfExpressionAsInt(KEFOScriptExpression* expression, int i, int minimum, int maximum);
    double ComputeValueOfChildOfExpressionAsDouble(KEFOScriptExpression* expression, int i, double minimum,
                                                   double maximum);

private:
    void _ComputeRange(KEFOScriptExpression* expression);
    void _ComputeSwitch(KEFOScriptExpression* expression);

    KEFOInterpreter* _interpreter;
    KEFOScriptEnvironment* _environment;
};

#endif
