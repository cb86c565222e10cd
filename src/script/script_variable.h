// A named variable of a script environment: a user variable made by an
// assignment, or a setting that commands read as the default of their
// options.
#ifndef KEFO_SCRIPT_SCRIPT_VARIABLE_H
#define KEFO_SCRIPT_SCRIPT_VARIABLE_H

#include "support/managed_value.h"
#include "support/memory_manager.h"

#include <string>

class KEFOScriptEnvironment;

class KEFOScriptVariable {
    PLOV_MANAGED_ALLOCATION(KEFOScriptVariable)
public:
    KEFOScriptVariable(KEFOScriptEnvironment* environment, const char* name);
    KEFOScriptVariable(const KEFOScriptVariable&) = delete;
    KEFOScriptVariable& operator=(const KEFOScriptVariable&) = delete;

    KEFOScriptEnvironment* GetEnvironment() const { return _environment; }
    const std::string& GetName() const { return _name; }
    const char* GetNameAsCString() const { return _name.c_str(); }

    const PLOVManagedValue& GetValue() const { return _value; }
    PLOVManagedValue& GetValue() { return _value; }
    // Typed reads: the value when it has that kind, else false, 0, 0.0 or
    // null (GetValueAsDouble converts an Integer).
    bool GetValueAsBoolean() const { return _value.GetBool(); }
    int GetValueAsInteger() const { return _value.GetInt(); }
    double GetValueAsDouble() const { return _value.GetDouble(); }
    const char* GetValueAsSymbol() const { return _value.GetSymbol(); }
    const char* GetValueAsRawString() const { return _value.GetRawString(); }
    PLOVManagedString* GetValueAsString() const { return _value.GetString(); }

    // Makes the value a copy of another (sharing container bodies).
    void SetValue(const PLOVManagedValue& value) { _value.Set(value); }
    void SetValue() { _value.SetNil(); }
    void SetValueAsBoolean(bool value) { _value.SetBool(value); }
    void SetValueAsInteger(int value) { _value.SetInt(value); }
    void SetValueAsDouble(double value) { _value.SetDouble(value); }
    void SetValueAsSymbol(const char* text) { _value.SetSymbol(text != nullptr ? text : ""); }
    void SetValueAsRawString(const char* text) { _value.SetRawString(text != nullptr ? text : ""); }
    void SetValueAsString(PLOVManagedString* body) { _value.SetString(body); }

private:
    KEFOScriptEnvironment* _environment;
    std::string _name;
    PLOVManagedValue _value;
};

#endif
