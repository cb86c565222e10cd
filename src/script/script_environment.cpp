#include "script/script_environment.h"

#include "script/script_variable.h"
#include "support/managed_value.h"

KEFOScriptEnvironment::KEFOScriptEnvironment(KEFOScriptEnvironment* parent) : _parent(parent) {}

KEFOScriptEnvironment::~KEFOScriptEnvironment() {
    Reset();
    // The parent chain is deleted one environment at a time.
    KEFOScriptEnvironment* parent = _parent;
    while (parent != nullptr) {
        KEFOScriptEnvironment* next = parent->_parent;
        parent->_parent = nullptr;
        delete parent;
        parent = next;
    }
}

KEFOScriptVariable* KEFOScriptEnvironment::LookForLocalVariable(const char* name) const {
    if (name == nullptr) return nullptr;
    auto found = _variables.find(name);
    return found == _variables.end() ? nullptr : found->second;
}

KEFOScriptVariable* KEFOScriptEnvironment::LookForVariable(const char* name) const {
    for (const KEFOScriptEnvironment* environment = this; environment != nullptr; environment = environment->_parent) {
        KEFOScriptVariable* variable = environment->LookForLocalVariable(name);
        if (variable != nullptr) return variable;
    }
    return nullptr;
}

KEFOScriptVariable* KEFOScriptEnvironment::NewVariable(const char* name) {
    if (name == nullptr) return nullptr;
    KEFOScriptVariable* variable = LookForLocalVariable(name);
    if (variable != nullptr) return variable;
    variable = new KEFOScriptVariable(this, name);
    try {
        _variables.emplace(variable->GetName(), variable);
    } catch (...) {
        delete variable;
        throw;
    }
    return variable;
}

KEFOScriptVariable* KEFOScriptEnvironment::FindOrAddVariable(const char* name) {
    KEFOScriptVariable* variable = LookForVariable(name);
    return variable != nullptr ? variable : NewVariable(name);
}

bool KEFOScriptEnvironment::DeleteVariable(const char* name) {
    if (name == nullptr) return false;
    auto found = _variables.find(name);
    if (found == _variables.end()) return false;
    KEFOScriptVariable* variable = found->second;
    _variables.erase(found);
    delete variable;
    return true;
}

bool KEFOScriptEnvironment::DeleteVariable(KEFOScriptVariable* variable) {
    if (variable == nullptr || variable->GetEnvironment() != this) return false;
    auto found = _variables.find(variable->GetName());
    if (found == _variables.end() || found->second != variable) return false;
    _variables.erase(found);
    delete variable;
    return true;
}

void KEFOScriptEnvironment::Reset() {
    for (auto& entry : _variables) delete entry.second;
    _variables.clear();
}

const PLOVManagedValue* KEFOScriptEnvironment::GetVariableValue(const char* name) const {
    KEFOScriptVariable* variable = LookForVariable(name);
    return variable != nullptr ? &variable->GetValue() : nullptr;
}

KEFOScriptVariable* KEFOScriptEnvironment::SetVariableValue(const char* name, const PLOVManagedValue& value) {
    KEFOScriptVariable* variable = FindOrAddVariable(name);
    if (variable != nullptr) variable->SetValue(value);
    return variable;
}

KEFOScriptVariable* KEFOScriptEnvironment::SetVariableValueAsBoolean(const char* name, bool value) {
    KEFOScriptVariable* variable = FindOrAddVariable(name);
    if (variable != nullptr) variable->SetValueAsBoolean(value);
    return variable;
}

KEFOScriptVariable* KEFOScriptEnvironment::SetVariableValueAsInteger(const char* name, int value) {
    KEFOScriptVariable* variable = FindOrAddVariable(name);
    if (variable != nullptr) variable->SetValueAsInteger(value);
    return variable;
}

KEFOScriptVariable* KEFOScriptEnvironment::SetVariableValueAsDouble(const char* name, double value) {
    KEFOScriptVariable* variable = FindOrAddVariable(name);
    if (variable != nullptr) variable->SetValueAsDouble(value);
    return variable;
}

KEFOScriptVariable* KEFOScriptEnvironment::SetVariableValueAsSymbol(const char* name, const char* text) {
    KEFOScriptVariable* variable = FindOrAddVariable(name);
    if (variable != nullptr) variable->SetValueAsSymbol(text);
    return variable;
}

KEFOScriptVariable* KEFOScriptEnvironment::SetVariableValueAsRawString(const char* name, const char* text) {
    KEFOScriptVariable* variable = FindOrAddVariable(name);
    if (variable != nullptr) variable->SetValueAsRawString(text);
    return variable;
}

KEFOScriptVariable* KEFOScriptEnvironment::SetVariableValueAsString(const char* name, PLOVManagedString* body) {
    KEFOScriptVariable* variable = FindOrAddVariable(name);
    if (variable != nullptr) variable->SetValueAsString(body);
    return variable;
}
