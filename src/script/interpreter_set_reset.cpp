// The set and reset commands: settings, the random generator's seed, the
// models and the result handles.
#include "script/interpreter.h"

#include "diagrams/handle.h"
#include "model/variable.h"
#include "script/script_command.h"
#include "script/script_variable.h"
#include "support/managed_value.h"

#include <climits>

// set option name value: a setting never changes its kind (an Integer is
// taken as a Real by a Real setting); "mission-time" takes a number or a
// list of numbers.
void KEFOInterpreter::_ExecuteBuiltinCommandSetOption(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 3)) return;
    KEFOScriptVariable* variable = _GetEnvironmentVariableArgument(errors, command, 2);
    const PLOVManagedValue* value = _GetArgument(errors, command, 3);
    if (errors != 0 || variable == nullptr || value == nullptr) return;
    if (variable->GetName() == "mission-time") {
        if (!value->IsNum() && !value->IsNumList()) {
            RaiseError(errors, 11308, command, variable->GetNameAsCString());
            return;
        }
        variable->SetValue(*value);
        return;
    }
    if (variable->GetValue().IsDouble() && value->IsInt()) {
        variable->SetValueAsDouble(value->GetDouble());
        return;
    }
    if (value->GetType() != variable->GetValue().GetType()) {
        RaiseError(errors, 11308, command, variable->GetNameAsCString());
        return;
    }
    variable->SetValue(*value);
}

// set randomizer-seed n: restarts the calculator's generator from n, an
// Integer in [0, 2147483647]. The setting "randomizer-seed" is not changed.
void KEFOInterpreter::_ExecuteBuiltinCommandSetRandomizerSeed(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 2)) return;
    int seed = _GetIntegerArgument(errors, command, 2, 0, INT_MAX);
    if (errors != 0) return;
    SetRandomizerSeed(seed);
}

// reset model, reset source-model: an empty source model and every engine
// in its initial state; the environment is kept.
void KEFOInterpreter::_ExecuteBuiltinCommandResetSourceModel(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 1)) return;
    Reset(errors);
}

void KEFOInterpreter::_ExecuteBuiltinCommandResetTargetModel(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 1)) return;
    ResetTargetModel();
}

// reset source-handle variable name: the variable's handle of that name is
// removed and deleted (11067 when it has none).
void KEFOInterpreter::_ExecuteBuiltinCommandResetHandle(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 3)) return;
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    const char* name = _GetSymbolArgument(errors, command, 3);
    if (errors != 0 || name == nullptr) return;
    if (variable->LookForHandle(name) == nullptr) {
        RaiseError(errors, 11067, command, name);
        return;
    }
    variable->DeleteHandle(name);
}
