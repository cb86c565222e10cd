// The model checker: reports the elements of a flat model that lack a
// definition, and verifies that a preprocessed top variable is in the flat
// normal form the decision-diagram and decision-tree engines build from.
// It only reports; the model is not changed. Every check takes the error
// counter first; each finding is one message (the path of the element) and
// adds one to the counter. The definition checks look at the declarations
// held directly in the model, in declaration order.
#ifndef KEFO_IO_CHECKER_H
#define KEFO_IO_CHECKER_H

#include "support/memory_manager.h"

class KEFOGate;
class KEFOInterpreter;
class KEFOMessenger;
class KEFOModel;
class KEFOVariable;

class KEFOChecker {
    PLOV_MANAGED_ALLOCATION(KEFOChecker)
public:
    explicit KEFOChecker(KEFOInterpreter* interpreter = nullptr);
    ~KEFOChecker();
    KEFOChecker(const KEFOChecker&) = delete;
    KEFOChecker& operator=(const KEFOChecker&) = delete;

    // Messages go through this messenger when one is set (not owned), else
    // through the interpreter's; without either errors are only counted.
    void SetMessenger(KEFOMessenger* messenger) { _messenger = messenger; }
    KEFOMessenger* GetMessenger() const { return _messenger; }

    // Gates, basic events, house events, parameters, in that order.
    void CheckModel(int& errors, KEFOModel* model);
    // Flow (or undetermined) variables without definition: 10035.
    void CheckGateDefinitions(int& errors, KEFOModel* model);
    // State (or undetermined) variables without distribution: 10036.
    void CheckBasicEventDefinitions(int& errors, KEFOModel* model);
    // Source (or undetermined) variables without definition: 10037.
    void CheckHouseEventDefinitions(int& errors, KEFOModel* model);
    // Parameters without definition: 10038.
    void CheckParameterDefinitions(int& errors, KEFOModel* model);
    // One pass over the variables: undetermined 10034, state variable
    // without distribution 10036, flow variable without definition 10035,
    // source variable without definition 10037.
    void CheckVariableDefinitions(int& errors, KEFOModel* model);
    // A top defined by a constant: 11023 (true) or 11022 (false); otherwise
    // the top and every flow variable under it whose definition is not
    // buildable: 11021.
    void CheckNormalForm(int& errors, KEFOModel* model, KEFOVariable* top);

    // A reference; a not over a reference; an and, or or atleast gate over
    // literals (references or nots over references).
    static bool IsGateBuildable(const KEFOGate* gate);

private:
    void _RaiseError(int& errors, int code, const char* argument);

    KEFOInterpreter* _interpreter;
    KEFOMessenger* _messenger = nullptr;
};

#endif
