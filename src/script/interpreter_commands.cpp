// Handlers of the built-in command words. A command family that is not
// available yet raises 13002 at the command; its handler here is the place
// where the family's dispatch goes.
#include "script/interpreter.h"

#include "script/script_command.h"
#include "script/script_environment.h"
#include "script/script_printer.h"
#include "script/script_variable.h"
#include "support/managed_value.h"
#include "support/stream.h"

#include <cstring>

namespace {
bool IsOneOf(const char* word, const char* const* words) {
    for (; *words != nullptr; ++words)
        if (std::strcmp(word, *words) == 0) return true;
    return false;
}

const char* const printWords[] = {"model", "source-model", "target-model", "modules", "numbers-of-parents",
                                  "model-statistics", "system", "occurrences-of-variables", "values-of-variables",
                                  "system-statistics", "handles", "option", "options", "randomizer-seed",
                                  "minimal-cutsets", "BDD", "BDT-index", "BDT-indices", "BDD-index", "BDD-indices",
                                  "BDD-table-size", "BDD-cache-size", "BDD-page-size", "BDD-hashtable-size",
                                  "BDD-number-of-nodes", "BDD-number-of-pages", "BDD-number-of-active-nodes",
                                  "BDD-statistics", "walk-statistics", "cutset-justification", nullptr};

const char* const setWords[] = {"option", "randomizer-seed", "BDT-index", "BDD-index", "BDT-indices",
                                "BDD-indices", "BDD-table-size", "BDD-page-size", "BDD-cache-size",
                                "BDD-hashtable-size", nullptr};
}  // namespace

void KEFOInterpreter::_ExecuteBuiltinCommandBuild(int& errors, KEFOScriptCommand* command) {
    RaiseError(errors, 13002, command);
}

void KEFOInterpreter::_ExecuteBuiltinCommandCheck(int& errors, KEFOScriptCommand* command) {
    RaiseError(errors, 13002, command);
}

void KEFOInterpreter::_ExecuteBuiltinCommandCompute(int& errors, KEFOScriptCommand* command) {
    RaiseError(errors, 13002, command);
}

void KEFOInterpreter::_ExecuteBuiltinCommandLoad(int& errors, KEFOScriptCommand* command) {
    RaiseError(errors, 13002, command);
}

void KEFOInterpreter::_ExecuteBuiltinCommandReset(int& errors, KEFOScriptCommand* command) {
    RaiseError(errors, 13002, command);
}

// "print option", "print options" and "print cutset-justification" run; the
// other sub-commands are not available yet.
void KEFOInterpreter::_ExecuteBuiltinCommandPrint(int& errors, KEFOScriptCommand* command) {
    const char* word = _GetSymbolArgument(errors, command, 1);
    if (errors != 0 || word == nullptr) return;
    if (!IsOneOf(word, printWords)) {
        RaiseError(errors, 11210, command, "1", word);
        return;
    }
    if (std::strcmp(word, "option") == 0)
        _ExecuteBuiltinCommandPrintEnvironmentVariable(errors, command);
    else if (std::strcmp(word, "options") == 0)
        _ExecuteBuiltinCommandPrintEnvironmentVariables(errors, command);
    else if (std::strcmp(word, "cutset-justification") != 0)
        RaiseError(errors, 13002, command);
}

// "set option" runs; the other sub-commands are not available yet.
void KEFOInterpreter::_ExecuteBuiltinCommandSet(int& errors, KEFOScriptCommand* command) {
    const char* word = _GetSymbolArgument(errors, command, 1);
    if (errors != 0 || word == nullptr) return;
    if (!IsOneOf(word, setWords)) {
        RaiseError(errors, 11210, command, "1", word);
        return;
    }
    if (std::strcmp(word, "option") == 0)
        _ExecuteBuiltinCommandSetOption(errors, command);
    else
        RaiseError(errors, 13002, command);
}

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

// print option name: "set option <name> <value>;" in the output stream.
void KEFOInterpreter::_ExecuteBuiltinCommandPrintEnvironmentVariable(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 2)) return;
    KEFOScriptVariable* variable = _GetEnvironmentVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    try {
        _scriptPrinter->PrintValueOfVariable(variable, stream);
    } catch (...) {
        _CloseOutputStream(errors, stream);
        throw;
    }
    _CloseOutputStream(errors, stream);
}

// print options: the line of every setting and variable, in name order.
void KEFOInterpreter::_ExecuteBuiltinCommandPrintEnvironmentVariables(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 1)) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    try {
        _scriptPrinter->PrintValuesOfVariablesOfEnvironment(_scriptEnvironment, stream);
    } catch (...) {
        _CloseOutputStream(errors, stream);
        throw;
    }
    _CloseOutputStream(errors, stream);
}
