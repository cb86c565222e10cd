// The script environment seen from the interpreter: the default settings,
// the typed reads of settings, and the output streams of commands.
#include "script/interpreter.h"

#include "script/script_command.h"
#include "script/script_environment.h"
#include "script/script_variable.h"
#include "support/managed_value.h"
#include "support/stream.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {
enum SettingKind { BooleanSetting, IntegerSetting, RealSetting, SymbolSetting, StringSetting };

struct Setting {
    const char* name;
    SettingKind kind;
    bool boolean;
    int integer;
    double real;
    const char* text;
};

// The default settings, in creation order. The weight scale factor (e) is
// filled in at run time.
const Setting defaultSettings[] = {
    {"format", SymbolSetting, false, 0, 0.0, "qoln-sbe"},
    {"output", StringSetting, false, 0, 0.0, "results.txt"},
    {"mode", SymbolSetting, false, 0, 0.0, "write"},
    {"maximum-number", IntegerSetting, false, 1000000, 0.0, nullptr},
    {"maximum-order", IntegerSetting, false, 100, 0.0, nullptr},
    {"minimum-probability", RealSetting, false, 0, 0.0, nullptr},
    {"minimum-contribution", RealSetting, false, 0, 0.0, nullptr},
    {"weight-scale-factor", RealSetting, false, 0, -1.0, nullptr},
    {"mission-time", RealSetting, false, 0, 0.0, nullptr},
    {"print-minimal-cutset-rank", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-minimal-cutset-order", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-minimal-cutset-probability", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-minimal-cutset-contribution", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-minimal-cutset-failure-intensity", BooleanSetting, false, 0, 0.0, nullptr},
    {"keep-intermediate-BDD-handles", BooleanSetting, true, 0, 0.0, nullptr},
    {"variable-ordering-heuristic", SymbolSetting, false, 0, 0.0, "DFLM"},
    {"quantification-method", SymbolSetting, false, 0, 0.0, "pivotal-upper-bound"},
    {"print-number-of-occurrences", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-probability", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-conditional-probability-1", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-conditional-probability-0", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-marginal-importance-factor", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-critical-importance-factor", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-diagnostic-importance-factor", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-risk-achievement-worth", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-risk-reduction-worth", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-Fussel-Vesely-importance-factor", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-differential-importance-measure", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-Barlow-Proschan-factor", BooleanSetting, false, 0, 0.0, nullptr},
    {"number-of-tries", IntegerSetting, false, 10000, 0.0, nullptr},
    {"print-basic-event-sensitivity", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-parameter-sensitivity", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-mean", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-standard-deviation", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-confidence-range", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-error-factor", BooleanSetting, false, 0, 0.0, nullptr},
    {"number-of-quantiles", IntegerSetting, false, 0, 0.0, nullptr},
    {"number-of-bins", IntegerSetting, false, 0, 0.0, nullptr},
    {"randomizer-seed", IntegerSetting, false, 12345, 0.0, nullptr},
    {"confidence-factor", RealSetting, false, 0, 1.959963984540054, nullptr},
    {"add-singular-points", BooleanSetting, false, 0, 0.0, nullptr},
    {"smooth-curve", BooleanSetting, false, 0, 0.0, nullptr},
    {"smoothing-ratio", RealSetting, false, 0, 0.1, nullptr},
    {"print-unavailability", BooleanSetting, true, 0, 0.0, nullptr},
    {"print-mean-unavailability", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-conditional-failure-intensity", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-mean-conditional-failure-intensity", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-unreliability", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-probability-of-failure-per-hour", BooleanSetting, false, 0, 0.0, nullptr},
    {"print-safety-integrity-level", BooleanSetting, false, 0, 0.0, nullptr},
    {"probability-margin", RealSetting, false, 0, 0.1, nullptr},
    {"time-lower-bound", RealSetting, false, 0, 0.0, nullptr},
    {"time-upper-bound", RealSetting, false, 0, 8760.0, nullptr},
    {"time-grain", RealSetting, false, 0, 1.0, nullptr},
    {"verbose", BooleanSetting, false, 0, 0.0, nullptr},
};
static_assert(sizeof defaultSettings / sizeof defaultSettings[0] == 55, "every default setting once");
}  // namespace

void KEFOInterpreter::ResetDefaultEnvironment() {
    if (_scriptEnvironment == nullptr) return;
    _scriptEnvironment->Reset();
    for (const Setting& setting : defaultSettings) {
        KEFOScriptVariable* variable = _scriptEnvironment->NewVariable(setting.name);
        switch (setting.kind) {
        case BooleanSetting: variable->SetValueAsBoolean(setting.boolean); break;
        case IntegerSetting: variable->SetValueAsInteger(setting.integer); break;
        case RealSetting:
            variable->SetValueAsDouble(std::strcmp(setting.name, "weight-scale-factor") == 0 ? std::exp(1.0)
                                                                                             : setting.real);
            break;
        case SymbolSetting: variable->SetValueAsSymbol(setting.text); break;
        case StringSetting: variable->SetValueAsRawString(setting.text); break;
        }
    }
}

// --- typed reads ------------------------------------------------------------

const PLOVManagedValue* KEFOInterpreter::GetValueOfEnvironmentVariable(int& errors, const char* name) {
    KEFOScriptVariable* variable = _scriptEnvironment != nullptr ? _scriptEnvironment->LookForVariable(name) : nullptr;
    if (variable == nullptr) {
        RaiseError(errors, 11300, name != nullptr ? name : "");
        return nullptr;
    }
    return &variable->GetValue();
}

bool KEFOInterpreter::GetValueOfEnvironmentVariableAsBoolean(int& errors, const char* name) {
    const PLOVManagedValue* value = GetValueOfEnvironmentVariable(errors, name);
    if (value == nullptr) return false;
    if (!value->IsBool()) {
        RaiseError(errors, 11302, name);
        return false;
    }
    return value->GetBool();
}

int KEFOInterpreter::GetValueOfEnvironmentVariableAsInteger(int& errors, const char* name) {
    const PLOVManagedValue* value = GetValueOfEnvironmentVariable(errors, name);
    if (value == nullptr) return 0;
    if (!value->IsInt()) {
        RaiseError(errors, 11303, name);
        return 0;
    }
    return value->GetInt();
}

double KEFOInterpreter::GetValueOfEnvironmentVariableAsDouble(int& errors, const char* name) {
    const PLOVManagedValue* value = GetValueOfEnvironmentVariable(errors, name);
    if (value == nullptr) return 0.0;
    if (!value->IsNum()) {
        RaiseError(errors, 11304, name);
        return 0.0;
    }
    return value->GetDouble();
}

const char* KEFOInterpreter::GetValueOfEnvironmentVariableAsSymbol(int& errors, const char* name) {
    const PLOVManagedValue* value = GetValueOfEnvironmentVariable(errors, name);
    if (value == nullptr) return nullptr;
    if (!value->IsSymbol()) {
        RaiseError(errors, 11305, name);
        return nullptr;
    }
    return value->GetSymbol();
}

const char* KEFOInterpreter::GetValueOfEnvironmentVariableAsString(int& errors, const char* name) {
    const PLOVManagedValue* value = GetValueOfEnvironmentVariable(errors, name);
    if (value == nullptr) return nullptr;
    if (!value->IsString()) {
        RaiseError(errors, 11306, name);
        return nullptr;
    }
    return value->GetRawString();
}

// --- output streams ---------------------------------------------------------

// The settings "output" (a String) and "mode" (a Symbol), overridden by the
// command's options of the same names; the file is appended to in mode
// "append" and truncated in any other mode.
void KEFOInterpreter::_OpenOutputStream(int& errors, KEFOScriptCommand* command, PLOVStream*& stream) {
    stream = nullptr;
    if (errors != 0) return;
    const char* path = GetValueOfEnvironmentVariableAsString(errors, "output");
    const char* mode = GetValueOfEnvironmentVariableAsSymbol(errors, "mode");
    if (errors != 0 || path == nullptr || mode == nullptr) return;
    std::string pathText = path;
    std::string modeText = mode;
    if (command != nullptr) {
        const char* optionPath = _GetStringOption(errors, command, "output", pathText.c_str());
        if (errors != 0 || optionPath == nullptr) return;
        std::string newPath = optionPath;
        const char* optionMode = _GetSymbolOption(errors, command, "mode", modeText.c_str());
        if (errors != 0 || optionMode == nullptr) return;
        std::string newMode = optionMode;
        pathText.swap(newPath);
        modeText.swap(newMode);
    }
    FILE* file = std::fopen(pathText.c_str(), modeText == "append" ? "a" : "w");
    if (file == nullptr) {
        if (command != nullptr)
            RaiseError(errors, 10003, command, pathText.c_str());
        else
            RaiseError(errors, 10003, pathText.c_str());
        return;
    }
    try {
        stream = new PLOVFileStream(file);
    } catch (...) {
        std::fclose(file);
        throw;
    }
}

void KEFOInterpreter::_CloseOutputStream(int& /*errors*/, PLOVStream*& stream) {
    if (stream == nullptr) return;
    stream->Flush();
    PLOVFileStream* fileStream = dynamic_cast<PLOVFileStream*>(stream);
    FILE* file = fileStream != nullptr ? fileStream->Release() : nullptr;
    delete stream;
    stream = nullptr;
    if (file != nullptr && file != stdout && file != stderr) std::fclose(file);
}
