// Reads of the arguments (by position, from 1) and options (by name) of
// built-in commands. A failed read raises its error at the command and
// gives a neutral value; a read after an earlier failure of the same command
// still runs, and the handler tests the counter before acting.
#include "script/interpreter.h"

#include "script/script_calculator.h"
#include "script/script_command.h"
#include "script/script_command_option.h"
#include "script/script_environment.h"
#include "support/managed_value.h"

#include <string>

bool KEFOInterpreter::_CheckNumberOfArguments(int& errors, KEFOScriptCommand* command, int expected) {
    int given = command->GetNumberOfArguments();
    if (given == expected) return true;
    std::string expectedText = std::to_string(expected);
    std::string givenText = std::to_string(given);
    RaiseError(errors, 11202, command, expectedText.c_str(), givenText.c_str());
    return false;
}

const PLOVManagedValue* KEFOInterpreter::_GetArgument(int& errors, KEFOScriptCommand* command, int number) {
    if (number < 1 || number > command->GetNumberOfArguments()) {
        RaiseError(errors, 11201, command);
        return nullptr;
    }
    return &_scriptCalculator->ComputeValueOfExpression(command->GetArgument(number));
}

const char* KEFOInterpreter::_GetSymbolArgument(int& errors, KEFOScriptCommand* command, int number) {
    const PLOVManagedValue* value = _GetArgument(errors, command, number);
    if (value == nullptr) return nullptr;
    if (!value->IsSymbol()) {
        std::string numberText = std::to_string(number);
        RaiseError(errors, 11205, command, numberText.c_str());
        return nullptr;
    }
    return value->GetSymbol();
}

KEFOScriptVariable* KEFOInterpreter::_GetEnvironmentVariableArgument(int& errors, KEFOScriptCommand* command,
                                                                     int number) {
    const char* name = _GetSymbolArgument(errors, command, number);
    if (name == nullptr) return nullptr;
    KEFOScriptVariable* variable = _scriptEnvironment->LookForVariable(name);
    if (variable == nullptr) RaiseError(errors, 11300, command, name);
    return variable;
}

const PLOVManagedValue* KEFOInterpreter::_GetOption(int& /*errors*/, KEFOScriptCommand* command, const char* name) {
    KEFOScriptCommandOption* option = command->LookForOption(name);
    if (option == nullptr || option->GetValue() == nullptr) return nullptr;
    return &_scriptCalculator->ComputeValueOfExpression(option->GetValue());
}

const char* KEFOInterpreter::_GetSymbolOption(int& errors, KEFOScriptCommand* command, const char* name,
                                              const char* defaultValue) {
    const PLOVManagedValue* value = _GetOption(errors, command, name);
    if (value == nullptr || value->IsNil()) return defaultValue;
    if (!value->IsSymbol()) {
        RaiseError(errors, 11305, command, name);
        return nullptr;
    }
    return value->GetSymbol();
}

const char* KEFOInterpreter::_GetStringOption(int& errors, KEFOScriptCommand* command, const char* name,
                                              const char* defaultValue) {
    const PLOVManagedValue* value = _GetOption(errors, command, name);
    if (value == nullptr || value->IsNil()) return defaultValue;
    if (!value->IsString()) {
        RaiseError(errors, 11306, command, name);
        return nullptr;
    }
    return value->GetRawString();
}
