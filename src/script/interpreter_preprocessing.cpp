// The target model and its preprocessing: build target-model, build
// preprocessed-model, the check command and the module, parent-count and
// statistics reports of a variable.
#include "script/interpreter.h"

#include "io/checker.h"
#include "io/model_printer.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/type.h"
#include "model/variable.h"
#include "preprocessing/flattener.h"
#include "preprocessing/rewriter.h"
#include "preprocessing/rewriter_cone.h"
#include "quantification/calculator.h"
#include "script/messenger.h"
#include "script/script_command.h"
#include "support/stream.h"

#include <cstring>
#include <unordered_set>
#include <vector>

namespace {
// Set on a variable of the target model once its definitions are
// preprocessed.
const char* const preprocessedAttribute = "__PREPROCESSED__";
}  // namespace

void KEFOInterpreter::BuildTargetModel(int& errors) {
    if (errors != 0) return;
    KEFOModel* target = _flattener->FlattenModel(errors, _sourceModel);
    if (target == nullptr) return;
    _rewriter->CompleteModel(errors, target);
    _rewriter->ExpandCCFGroups(errors, target);
    if (errors != 0) {
        delete target;
        return;
    }
    SetTargetModel(target);
}

KEFOModel* KEFOInterpreter::GetOrBuildTargetModel(int& errors) {
    if (errors != 0) return nullptr;
    if (_targetModel == nullptr) BuildTargetModel(errors);
    return errors == 0 ? _targetModel : nullptr;
}

void KEFOInterpreter::BuildPreprocessedModel(int& errors, KEFOVariable* variable) {
    if (errors != 0 || variable == nullptr) return;
    KEFOModel* model = GetOrBuildTargetModel(errors);
    if (model == nullptr) return;
    if (variable->GetAttributeAsBool(preprocessedAttribute, false)) {
        // Preprocessed already (definitions under a variable only ever get
        // rewritten into the normal form): the modules are found again, as
        // the preprocessing of another variable may have redated some of
        // them, and the result is checked again.
        _rewriter->CheckCone(errors, model, variable);
        _rewriter->DetectModules(errors, model, variable);
        _checker->CheckNormalForm(errors, model, variable);
    } else {
        _rewriter->BuildPreprocessedModel(errors, model, variable, _checker);
    }
    if (errors != 0) {
        PrintErrorMessages();
        return;
    }
    variable->SetAttribute(preprocessedAttribute, true);
    // The random deviates of the distributions and parameters under the
    // variable go back to their nominal values.
    KEFORewriterCone cone(variable);
    std::vector<KEFOVariable*> events;
    std::vector<KEFOParameter*> parameters;
    std::unordered_set<const KEFOParameter*> seen;
    std::vector<KEFOParameter*> used;
    for (KEFOVariable* v : cone.GetVariables()) {
        if (!v->IsStateVariable()) continue;
        events.push_back(v);
        used.clear();
        v->CollectParameters(used);
        for (KEFOParameter* p : used) {
            if (seen.insert(p).second) parameters.push_back(p);
        }
    }
    if (_calculator != nullptr) _calculator->ResetRandomDeviates(events, parameters);
}

// build target-model: the target model is made again from the source model.
void KEFOInterpreter::_ExecuteBuiltinCommandBuildTargetModel(int& errors, KEFOScriptCommand* /*command*/) {
    BuildTargetModel(errors);
}

// build preprocessed-model variable: the target model is built when there
// is none, then the variable's definitions are preprocessed.
void KEFOInterpreter::_ExecuteBuiltinCommandBuildPreprocessedModel(int& errors, KEFOScriptCommand* command) {
    if (GetOrBuildTargetModel(errors) == nullptr) return;
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    BuildPreprocessedModel(errors, variable);
}

// check word: once the target model is built, the definition checks the word
// names run on the declarations held directly in the source model.
void KEFOInterpreter::_ExecuteBuiltinCommandCheckDefinitions(int& errors, KEFOScriptCommand* command) {
    if (_targetModel == nullptr) {
        RaiseError(errors, 11001, command);
        return;
    }
    const char* word = _GetSymbolArgument(errors, command, 1);
    if (errors != 0 || word == nullptr) return;
    if (std::strcmp(word, "model") == 0) {
        _checker->CheckModel(errors, _sourceModel);
    } else if (std::strcmp(word, "events") == 0) {
        _checker->CheckVariableDefinitions(errors, _sourceModel);
    } else if (std::strcmp(word, "gates") == 0) {
        _checker->CheckGateDefinitions(errors, _sourceModel);
    } else if (std::strcmp(word, "basic-events") == 0) {
        _checker->CheckBasicEventDefinitions(errors, _sourceModel);
    } else if (std::strcmp(word, "house-events") == 0) {
        _checker->CheckHouseEventDefinitions(errors, _sourceModel);
    } else if (std::strcmp(word, "parameters") == 0) {
        _checker->CheckParameterDefinitions(errors, _sourceModel);
    } else if (std::strcmp(word, "top-event") != 0) {
        RaiseError(errors, 11210, command, "1", word);
    }
}

namespace {
enum Report { Modules, NumbersOfParents, ModelStatistics };
}  // namespace

void KEFOInterpreter::_PrintReportOfVariable(int& errors, KEFOScriptCommand* command, int report) {
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    try {
        switch (report) {
        case Modules:
            _modelPrinter->PrintModules(variable, stream);
            break;
        case NumbersOfParents:
            _modelPrinter->PrintNumbersOfParents(variable, stream);
            break;
        default:
            _modelPrinter->PrintModelStatistics(variable, stream);
            break;
        }
    } catch (...) {
        _CloseOutputStream(errors, stream);
        throw;
    }
    _CloseOutputStream(errors, stream);
}

void KEFOInterpreter::_ExecuteBuiltinCommandPrintModules(int& errors, KEFOScriptCommand* command) {
    _PrintReportOfVariable(errors, command, Modules);
}

void KEFOInterpreter::_ExecuteBuiltinCommandPrintNumbersOfParents(int& errors, KEFOScriptCommand* command) {
    _PrintReportOfVariable(errors, command, NumbersOfParents);
}

void KEFOInterpreter::_ExecuteBuiltinCommandPrintModelStatistics(int& errors, KEFOScriptCommand* command) {
    _PrintReportOfVariable(errors, command, ModelStatistics);
}
