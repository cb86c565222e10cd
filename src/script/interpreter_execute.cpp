// Execution of command trees: scripts, blocks, built-in commands,
// assignments, conditionals and loops.
#include "script/interpreter.h"

#include "script/script_calculator.h"
#include "script/script_command.h"
#include "script/script_environment.h"
#include "script/script_expression.h"
#include "script/script_parser.h"
#include "script/script_variable.h"
#include "support/managed_value.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {
// Whether the value of the expression may change from one evaluation to the
// next: only references read anything but the expression itself.
bool ReadsVariables(const KEFOScriptExpression* expression) {
    if (expression == nullptr) return false;
    if (expression->GetType() == KEFOScriptExpression::Reference) return true;
    for (const KEFOScriptExpression* child : expression->GetChildren())
        if (ReadsVariables(child)) return true;
    return false;
}
}  // namespace

void KEFOInterpreter::DownloadAndExecuteScript(int& errors, const char* path) {
    if (errors != 0) return;
    const char* shown = path != nullptr ? path : "(null)";
    std::printf("load KEFO script %s\n", shown);
    std::fflush(stdout);
    std::unique_ptr<KEFOScriptCommand> root(new KEFOScriptCommand(KEFOScriptCommand::Script));
    if (path != nullptr) root->SetFileName(path);
    _scriptParser->ImportScript(errors, path, root.get());
    if (errors != 0) return;
    std::printf("execute KEFO script %s\n", shown);
    std::fflush(stdout);
    ExecuteScript(errors, root.get());
    root.reset();
    std::printf("done KEFO script %s\n", shown);
    std::fflush(stdout);
}

void KEFOInterpreter::ExecuteScript(int& errors, KEFOScriptCommand* command) {
    if (errors != 0) return;
    _Dispatch(errors, command);
    if (errors != 0) PrintErrorMessages();
}

void KEFOInterpreter::ExecuteCommand(int& errors, KEFOScriptCommand* command) {
    if (errors != 0) return;
    _Dispatch(errors, command);
}

void KEFOInterpreter::_Dispatch(int& errors, KEFOScriptCommand* command) {
    if (errors != 0 || command == nullptr) return;
    switch (command->GetType()) {
    case KEFOScriptCommand::Script:
    case KEFOScriptCommand::Block:
        _ExecuteBlock(errors, command);
        break;
    case KEFOScriptCommand::BuiltinCommand:
        _ExecuteBuiltinCommand(errors, command);
        break;
    case KEFOScriptCommand::Assignment:
        _ExecuteAssignment(errors, command);
        break;
    case KEFOScriptCommand::ConditionalCommand:
        _ExecuteConditionalCommand(errors, command);
        break;
    case KEFOScriptCommand::WhileCommand:
        _ExecuteWhileCommand(errors, command);
        break;
    default:
        break;  // a guarded command runs only as a branch of a conditional
    }
}

void KEFOInterpreter::_ExecuteBlock(int& errors, KEFOScriptCommand* command) {
    for (KEFOScriptCommand* child : command->GetChildren()) {
        if (errors != 0) return;
        ExecuteCommand(errors, child);
    }
}

void KEFOInterpreter::_ExecuteBuiltinCommand(int& errors, KEFOScriptCommand* command) {
    const char* word = command->GetText().c_str();
    if (std::strcmp(word, "build") == 0)
        _ExecuteBuiltinCommandBuild(errors, command);
    else if (std::strcmp(word, "check") == 0)
        _ExecuteBuiltinCommandCheck(errors, command);
    else if (std::strcmp(word, "compute") == 0)
        _ExecuteBuiltinCommandCompute(errors, command);
    else if (std::strcmp(word, "load") == 0)
        _ExecuteBuiltinCommandLoad(errors, command);
    else if (std::strcmp(word, "print") == 0)
        _ExecuteBuiltinCommandPrint(errors, command);
    else if (std::strcmp(word, "reset") == 0)
        _ExecuteBuiltinCommandReset(errors, command);
    else if (std::strcmp(word, "set") == 0)
        _ExecuteBuiltinCommandSet(errors, command);
    // "skip", "test" and a command without a word do nothing.
}

// Argument 1 names the variable (it is not evaluated), argument 2 is the
// value. A variable found nowhere is created in the global environment.
void KEFOInterpreter::_ExecuteAssignment(int& /*errors*/, KEFOScriptCommand* command) {
    KEFOScriptExpression* target = command->GetArgument(1);
    if (target == nullptr) return;
    const PLOVManagedValue& value = _scriptCalculator->ComputeValueOfExpression(command->GetArgument(2));
    const char* name = target->GetType() == KEFOScriptExpression::Reference
                           ? target->GetReferenceIdentifier().c_str()
                           : target->GetValue().GetText();
    if (name == nullptr) return;
    KEFOScriptVariable* variable = _scriptEnvironment->FindOrAddVariable(name);
    variable->SetValue(value);
}

// The first branch whose guard is the Boolean true runs (a guard of any
// other kind counts as false); the unguarded branch runs when reached.
void KEFOInterpreter::_ExecuteConditionalCommand(int& errors, KEFOScriptCommand* command) {
    for (KEFOScriptCommand* branch : command->GetChildren()) {
        if (errors != 0) return;
        if (branch->GetType() != KEFOScriptCommand::GuardedCommand) {
            ExecuteCommand(errors, branch);
            return;
        }
        if (_scriptCalculator->ComputeValueOfExpression(branch->GetArgument(1)).Is(true)) {
            ExecuteCommand(errors, branch->GetChild(1));
            return;
        }
    }
}

// The body runs while the condition is the Boolean true (any other kind
// counts as false). A condition that reads no variable cannot change: when
// it holds after a first run of the body, the loop would never end, which
// raises 13004 instead of hanging.
void KEFOInterpreter::_ExecuteWhileCommand(int& errors, KEFOScriptCommand* command) {
    KEFOScriptExpression* condition = command->GetArgument(1);
    const bool constant = !ReadsVariables(condition);
    bool first = true;
    while (errors == 0 && _scriptCalculator->ComputeValueOfExpression(condition).Is(true)) {
        if (!first && constant) {
            RaiseError(errors, 13004, command);
            return;
        }
        first = false;
        ExecuteCommand(errors, command->GetChild(1));
    }
}
