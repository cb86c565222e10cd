// Reads of the arguments (by position, from 1) and options (by name) of
// built-in commands. A failed read raises its error at the command and
// gives a neutral value; a read after an earlier failure of the same command
// still runs, and the handler tests the counter before acting.
#include "script/interpreter.h"

#include "diagrams/handle.h"
#include "model/model.h"
#include "model/variable.h"
#include "preprocessing/ordering_manager.h"
#include "quantification/mission_profile.h"
#include "script/script_calculator.h"
#include "script/script_command.h"
#include "script/script_command_option.h"
#include "script/script_environment.h"
#include "script/script_variable.h"
#include "support/managed_value.h"

#include <cctype>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <unordered_set>

namespace {
std::string Decimal(int number) { return std::to_string(number); }

std::string Lowered(const char* word) {
    std::string text = word != nullptr ? word : "";
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A word and what it stands for.
struct Word {
    const char* text;
    const char* canonical;
};

// The canonical form of a lowered word, or null.
const char* LookForWord(const Word* words, std::size_t size, const std::string& word) {
    for (std::size_t i = 0; i < size; ++i)
        if (word == words[i].text) return words[i].canonical;
    return nullptr;
}

const Word modelFormats[] = {{"qoln-sbe", "qoln-sbe"}, {"sbe", "qoln-sbe"}, {"open-psa", "open-psa"},
                             {"opsa", "open-psa"},     {"vorlek", "vorlek"}};
const Word scriptFormats[] = {{"kefo", "kefo"}, {"kefo-xml", "kefo-xml"}};
const Word minimalCutsetsFormats[] = {{"tsv", "tsv"},           {"open-psa", "open-psa"}, {"opsa", "open-psa"},
                                      {"qoln-sbe", "qoln-sbe"}, {"sbe", "qoln-sbe"}};

struct Method {
    const char* word;
    int method;
};

const Method quantificationMethods[] = {{"rare-event-approximation", KEFOHandle::RareEventApproximation},
                                        {"REA", KEFOHandle::RareEventApproximation},
                                        {"mincut-upper-bound", KEFOHandle::MincutUpperBound},
                                        {"MCUB", KEFOHandle::MincutUpperBound},
                                        {"pivotal-upper-bound", KEFOHandle::PivotalUpperBound},
                                        {"PUB", KEFOHandle::PivotalUpperBound}};

int LookForQuantificationMethod(const char* word) {
    if (word == nullptr) return 0;
    for (const Method& m : quantificationMethods)
        if (std::strcmp(m.word, word) == 0) return m.method;
    return 0;
}
}  // namespace

// --- arguments ----------------------------------------------------------------

bool KEFOInterpreter::_CheckNumberOfArguments(int& errors, KEFOScriptCommand* command, int expected) {
    int given = command->GetNumberOfArguments();
    if (given == expected) return true;
    RaiseError(errors, 11202, command, Decimal(expected).c_str(), Decimal(given).c_str());
    return false;
}

const PLOVManagedValue* KEFOInterpreter::_GetArgument(int& errors, KEFOScriptCommand* command, int number) {
    if (number < 1 || number > command->GetNumberOfArguments()) {
        RaiseError(errors, 11201, command);
        return nullptr;
    }
    return &_scriptCalculator->ComputeValueOfExpression(command->GetArgument(number));
}

int KEFOInterpreter::_GetIntegerArgument(int& errors, KEFOScriptCommand* command, int number, int minimum,
                                         int maximum) {
    const PLOVManagedValue* value = _GetArgument(errors, command, number);
    if (value == nullptr) return 0;
    if (!value->IsInt()) {
        RaiseError(errors, 11203, command, Decimal(number).c_str());
        return 0;
    }
    int n = value->GetInt();
    if (n < minimum || n > maximum) {
        RaiseError(errors, 11208, command, Decimal(number).c_str());
        return 0;
    }
    return n;
}

double KEFOInterpreter::_GetDoubleArgument(int& errors, KEFOScriptCommand* command, int number, double minimum,
                                           double maximum) {
    const PLOVManagedValue* value = _GetArgument(errors, command, number);
    if (value == nullptr) return 0.0;
    if (!value->IsDouble()) {
        RaiseError(errors, 11204, command, Decimal(number).c_str());
        return 0.0;
    }
    double x = value->GetDouble();
    // Written so that a NaN is out of range too.
    if (!(x >= minimum && x <= maximum)) {
        RaiseError(errors, 11208, command, Decimal(number).c_str());
        return 0.0;
    }
    return x;
}

const char* KEFOInterpreter::_GetSymbolArgument(int& errors, KEFOScriptCommand* command, int number) {
    const PLOVManagedValue* value = _GetArgument(errors, command, number);
    if (value == nullptr) return nullptr;
    if (!value->IsSymbol()) {
        RaiseError(errors, 11205, command, Decimal(number).c_str());
        return nullptr;
    }
    return value->GetSymbol();
}

const char* KEFOInterpreter::_GetStringArgument(int& errors, KEFOScriptCommand* command, int number) {
    const PLOVManagedValue* value = _GetArgument(errors, command, number);
    if (value == nullptr) return nullptr;
    if (!value->IsString()) {
        RaiseError(errors, 11206, command, Decimal(number).c_str());
        return nullptr;
    }
    return value->GetRawString();
}

namespace {
// The variable of the model a name designates: 10039 when nothing of that
// name is declared, 10061 when the declaration is not a variable.
KEFOVariable* LookForModelVariable(KEFOInterpreter* interpreter, int& errors, KEFOScriptCommand* command,
                                   KEFOModel* model, const char* name) {
    bool mismatch = false;
    KEFOVariable* variable = model->LookForVariable(name, mismatch);
    if (variable != nullptr) return variable;
    interpreter->RaiseError(errors, mismatch ? 10061 : 10039, command, name);
    return nullptr;
}
}  // namespace

KEFOVariable* KEFOInterpreter::_GetVariableArgument(int& errors, KEFOScriptCommand* command, int number) {
    if (_targetModel == nullptr) {
        RaiseError(errors, 11001, command);
        return nullptr;
    }
    const char* name = _GetSymbolArgument(errors, command, number);
    if (name == nullptr) return nullptr;
    return LookForModelVariable(this, errors, command, _targetModel, name);
}

KEFOScriptVariable* KEFOInterpreter::_GetEnvironmentVariableArgument(int& errors, KEFOScriptCommand* command,
                                                                     int number) {
    const char* name = _GetSymbolArgument(errors, command, number);
    if (name == nullptr) return nullptr;
    KEFOScriptVariable* variable = _scriptEnvironment->LookForVariable(name);
    if (variable == nullptr) RaiseError(errors, 11300, command, name);
    return variable;
}

bool KEFOInterpreter::_GetGroupOfStateVariablesArgument(int& errors, KEFOScriptCommand* command, int number,
                                                        std::vector<KEFOVariable*>& group) {
    const PLOVManagedValue* value = _GetArgument(errors, command, number);
    if (value == nullptr) return false;
    bool identifiers = value->IsList();
    for (int i = 0, n = identifiers ? value->GetListSize() : 0; i < n && identifiers; ++i)
        identifiers = value->GetValueInList(i).IsSymbol();
    if (!identifiers) {
        RaiseError(errors, 11207, command, Decimal(number).c_str());
        return false;
    }
    if (_targetModel == nullptr) {
        RaiseError(errors, 11001, command);
        return false;
    }
    const int before = errors;
    std::unordered_set<KEFOVariable*> members(group.begin(), group.end());
    for (int i = 0, n = value->GetListSize(); i < n; ++i) {
        KEFOVariable* variable =
            LookForModelVariable(this, errors, command, _targetModel, value->GetValueInList(i).GetSymbol());
        if (variable != nullptr && members.insert(variable).second) group.push_back(variable);
    }
    return errors == before;
}

// --- options ------------------------------------------------------------------

const PLOVManagedValue* KEFOInterpreter::_GetOption(int& /*errors*/, KEFOScriptCommand* command, const char* name) {
    KEFOScriptCommandOption* option = command->LookForOption(name);
    if (option == nullptr || option->GetValue() == nullptr) return nullptr;
    return &_scriptCalculator->ComputeValueOfExpression(option->GetValue());
}

bool KEFOInterpreter::_GetBooleanOption(int& errors, KEFOScriptCommand* command, const char* name,
                                        bool defaultValue) {
    const PLOVManagedValue* value = _GetOption(errors, command, name);
    if (value == nullptr || value->IsNil()) return defaultValue;
    if (!value->IsBool()) {
        RaiseError(errors, 11302, command, name);
        return false;
    }
    return value->GetBool();
}

int KEFOInterpreter::_GetIntegerOption(int& errors, KEFOScriptCommand* command, const char* name, int defaultValue,
                                       int minimum, int maximum) {
    const PLOVManagedValue* value = _GetOption(errors, command, name);
    int n = defaultValue;
    if (value != nullptr && !value->IsNil()) {
        if (!value->IsInt()) {
            RaiseError(errors, 11303, command, name);
            return 0;
        }
        n = value->GetInt();
    }
    if (n < minimum || n > maximum) {
        RaiseError(errors, 11307, command, name);
        return 0;
    }
    return n;
}

double KEFOInterpreter::_GetDoubleOption(int& errors, KEFOScriptCommand* command, const char* name,
                                         double defaultValue, double minimum, double maximum) {
    const PLOVManagedValue* value = _GetOption(errors, command, name);
    double x = defaultValue;
    if (value != nullptr && !value->IsNil()) {
        if (!value->IsNum()) {
            RaiseError(errors, 11304, command, name);
            return 0.0;
        }
        x = value->GetDouble();
    }
    if (!(x >= minimum && x <= maximum)) {
        RaiseError(errors, 11307, command, name);
        return 0.0;
    }
    return x;
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

// --- formats ------------------------------------------------------------------

namespace {
// The option "format" as one of the words of a table, lowered first;
// 11058 with the word as given when it is none of them.
template <std::size_t N>
const char* ReadFormat(KEFOInterpreter* interpreter, int& errors, KEFOScriptCommand* command, const char* word,
                       const Word (&words)[N]) {
    if (word == nullptr) return nullptr;
    const char* canonical = LookForWord(words, N, Lowered(word));
    if (canonical == nullptr) interpreter->RaiseError(errors, 11058, command, word);
    return canonical;
}
}  // namespace

const char* KEFOInterpreter::_GetModelFormatOption(int& errors, KEFOScriptCommand* command) {
    return ReadFormat(this, errors, command, _GetSymbolOption(errors, command, "format", "qoln-sbe"), modelFormats);
}

const char* KEFOInterpreter::_GetScriptFormatOption(int& errors, KEFOScriptCommand* command) {
    return ReadFormat(this, errors, command, _GetSymbolOption(errors, command, "format", "kefo"), scriptFormats);
}

const char* KEFOInterpreter::_GetMinimalCutsetsFormatOption(int& errors, KEFOScriptCommand* command) {
    return ReadFormat(this, errors, command, _GetSymbolOption(errors, command, "format", "tsv"),
                      minimalCutsetsFormats);
}

// --- handles ------------------------------------------------------------------

KEFOHandle* KEFOInterpreter::_GetSourceHandleOption(int& errors, KEFOScriptCommand* command, KEFOVariable* variable,
                                                    int (*test)(const KEFOHandle* handle, const void* key),
                                                    const void* key) {
    if (variable == nullptr) return nullptr;
    const PLOVManagedValue* value = _GetOption(errors, command, "source-handle");
    if (value != nullptr && !value->IsNil()) {
        if (!value->IsSymbol()) {
            RaiseError(errors, 11305, command, "source-handle");
            return nullptr;
        }
        const char* name = value->GetSymbol();
        KEFOHandle* handle = variable->LookForHandle(name);
        if (handle == nullptr) {
            RaiseError(errors, 11067, command, name);
            return nullptr;
        }
        if (test != nullptr && test(handle, key) != 0) {
            RaiseError(errors, 11066, command, name);
            return nullptr;
        }
        return handle;
    }
    KEFOHandle* handle = nullptr;
    if (test != nullptr)
        handle = variable->SearchHandle(test, key);
    else if (!variable->GetHandles().empty())
        handle = variable->GetHandles().begin()->second;
    if (handle == nullptr) RaiseError(errors, 11060, command);
    return handle;
}

// --- methods and heuristics -----------------------------------------------------

int KEFOInterpreter::_GetOptionQuantificationMethod(int& errors, KEFOScriptCommand* command) {
    const int before = errors;
    const char* setting = GetValueOfEnvironmentVariableAsSymbol(errors, "quantification-method");
    if (errors != before || setting == nullptr) return 0;
    std::string settingText = setting;
    const char* word = _GetSymbolOption(errors, command, "quantification-method", settingText.c_str());
    if (errors != before || word == nullptr) return 0;
    int method = LookForQuantificationMethod(word);
    if (method == 0) RaiseError(errors, 11068, command, word);
    return method;
}

int KEFOInterpreter::_GetOptionVariableOrderingHeuristic(int& errors, KEFOScriptCommand* command) {
    // A setting that is missing or not a Symbol gives DFLM without error.
    std::string settingText = "DFLM";
    KEFOScriptVariable* setting = _scriptEnvironment->LookForVariable("variable-ordering-heuristic");
    if (setting != nullptr && setting->GetValue().IsSymbol()) settingText = setting->GetValueAsSymbol();
    const int before = errors;
    const char* word = _GetSymbolOption(errors, command, "variable-ordering-heuristic", settingText.c_str());
    if (errors != before || word == nullptr) return KEFOOrderingManager::DFLM;
    int heuristic = KEFOOrderingManager::GetHeuristic(word);
    if (heuristic == 0) {
        RaiseError(errors, 11069, command, word);
        return KEFOOrderingManager::DFLM;
    }
    return heuristic;
}

// --- mission profiles -----------------------------------------------------------

bool KEFOInterpreter::_GetOptionMissionTime(int& errors, KEFOScriptCommand* command, KEFOMissionProfile* profile) {
    const PLOVManagedValue* value = _GetOption(errors, command, "mission-time");
    if (value == nullptr || value->IsNil()) {
        const int before = errors;
        value = GetValueOfEnvironmentVariable(errors, "mission-time");
        if (errors != before || value == nullptr) return false;
    }
    if (!value->IsNum() && !value->IsNumList()) {
        RaiseError(errors, 11304, command, "mission-time");
        return false;
    }
    if (profile == nullptr) return true;
    profile->ResetMissionTimes();
    if (value->IsNum()) {
        profile->InsertMissionTime(value->GetDouble());
        return true;
    }
    for (int i = 0, n = value->GetListSize(); i < n; ++i) profile->InsertMissionTime(value->GetValueInList(i).GetDouble());
    return true;
}

KEFOMissionProfile* KEFOInterpreter::_GetOptionMissionProfile(int& errors, KEFOScriptCommand* command) {
    const int before = errors;
    std::unique_ptr<KEFOMissionProfile> profile(new KEFOMissionProfile());
    _GetOptionMissionTime(errors, command, profile.get());
    profile->SetQuantificationMethod(_GetOptionQuantificationMethod(errors, command));
    // Each flag: the setting, overridden by the option of the same name.
    bool addSingularPoints = GetValueOfEnvironmentVariableAsBoolean(errors, "add-singular-points");
    profile->SetAddSingularPoints(_GetBooleanOption(errors, command, "add-singular-points", addSingularPoints));
    bool smoothCurve = GetValueOfEnvironmentVariableAsBoolean(errors, "smooth-curve");
    profile->SetSmoothCurve(_GetBooleanOption(errors, command, "smooth-curve", smoothCurve));
    double smoothingRatio = GetValueOfEnvironmentVariableAsDouble(errors, "smoothing-ratio");
    profile->SetSmoothingRatio(_GetDoubleOption(errors, command, "smoothing-ratio", smoothingRatio, 0.0,
                                                std::numeric_limits<double>::max()));
    if (errors != before) return nullptr;
    return profile.release();
}
