// An environment of script variables, keyed by name (byte order). Look-ups
// search this environment, then each parent in turn. Deleting an environment
// deletes its parent chain and all its variables.
#ifndef KEFO_SCRIPT_SCRIPT_ENVIRONMENT_H
#define KEFO_SCRIPT_SCRIPT_ENVIRONMENT_H

#include "support/memory_manager.h"

#include <map>
#include <string>

class KEFOScriptVariable;
class PLOVManagedString;
class PLOVManagedValue;

class KEFOScriptEnvironment {
    PLOV_MANAGED_ALLOCATION(KEFOScriptEnvironment)
public:
    // Takes ownership of the parent (which may be null).
    explicit KEFOScriptEnvironment(KEFOScriptEnvironment* parent = nullptr);
    ~KEFOScriptEnvironment();
    KEFOScriptEnvironment(const KEFOScriptEnvironment&) = delete;
    KEFOScriptEnvironment& operator=(const KEFOScriptEnvironment&) = delete;

    KEFOScriptEnvironment* GetParent() const { return _parent; }

    // This environment, then its parents; null when no one has the name.
    KEFOScriptVariable* LookForVariable(const char* name) const;
    // This environment only.
    KEFOScriptVariable* LookForLocalVariable(const char* name) const;
    // A new variable of this environment holding nil (an existing variable of
    // that name in this environment is returned as it is).
    KEFOScriptVariable* NewVariable(const char* name);
    // The variable found by LookForVariable, or a new one here.
    KEFOScriptVariable* FindOrAddVariable(const char* name);
    bool DeleteVariable(const char* name);
    bool DeleteVariable(KEFOScriptVariable* variable);
    // Deletes all the variables of this environment.
    void Reset();

    // The value of the variable found by LookForVariable, or null.
    const PLOVManagedValue* GetVariableValue(const char* name) const;
    // Setters: the variable found by LookForVariable, created here when
    // missing, receives the value.
    KEFOScriptVariable* SetVariableValue(const char* name, const PLOVManagedValue& value);
    KEFOScriptVariable* SetVariableValueAsBoolean(const char* name, bool value);
    KEFOScriptVariable* SetVariableValueAsInteger(const char* name, int value);
    KEFOScriptVariable* SetVariableValueAsDouble(const char* name, double value);
    KEFOScriptVariable* SetVariableValueAsSymbol(const char* name, const char* text);
    KEFOScriptVariable* SetVariableValueAsRawString(const char* name, const char* text);
    KEFOScriptVariable* SetVariableValueAsString(const char* name, PLOVManagedString* body);

    int GetNumberOfVariables() const { return static_cast<int>(_variables.size()); }
    // Variables of this environment in name order.
    const std::map<std::string, KEFOScriptVariable*>& GetVariables() const { return _variables; }

private:
    KEFOScriptEnvironment* _parent;
    std::map<std::string, KEFOScriptVariable*> _variables;
};

#endif
