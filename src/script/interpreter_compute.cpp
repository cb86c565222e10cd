// The compute commands: values of parameters and probabilities of basic
// events at a mission time, the top-event probability (one time, or the
// unavailability table over several), and the counting reports of a
// handle's sum of products. Each sub-command reads the variable, the source
// handle, the mission profile and its own options, opens the output stream,
// sets the handle's quantification method, computes and prints, and closes
// the stream; an error stops it where it is raised.
#include "script/interpreter.h"

#include "diagrams/handle.h"
#include "io/model_printer.h"
#include "model/variable.h"
#include "quantification/calculator.h"
#include "quantification/curve.h"
#include "quantification/mission_profile.h"
#include "script/script_command.h"
#include "support/managed_value.h"
#include "support/stream.h"
#include "support/timer.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const double largestDouble = 1.7976931348623157e308;

// The state variables of a variable (itself when it is one, then the basic
// events below it in order of collection) and the parameters they and its
// formulas use: the lists a handle of the variable holds.
class ConeOfVariable {
public:
    explicit ConeOfVariable(KEFOVariable* variable) : _probe(KEFOHandle::NewBDD(variable, "", nullptr)) {}
    const std::vector<KEFOVariable*>& StateVariables() { return _probe->GetStateVariables(); }
    const std::vector<KEFOParameter*>& Parameters() { return _probe->GetParameters(); }

private:
    std::unique_ptr<KEFOHandle> _probe;
};

void SetRow(PLOVManagedValue& matrix, int row, const char* label, const PLOVManagedValue& value) {
    matrix.SetValueInMatrix(row, 0, PLOVManagedValue::NewSymbol(label));
    matrix.SetValueInMatrix(row, 1, value);
}

}  // namespace

// --- common steps -------------------------------------------------------------

bool KEFOInterpreter::_GetBooleanOptionOrSetting(int& errors, KEFOScriptCommand* command, const char* name) {
    const int before = errors;
    const bool setting = GetValueOfEnvironmentVariableAsBoolean(errors, name);
    if (errors != before) return false;
    return _GetBooleanOption(errors, command, name, setting);
}

double KEFOInterpreter::_GetDoubleOptionOrSetting(int& errors, KEFOScriptCommand* command, const char* name,
                                                  double minimum, double maximum) {
    const int before = errors;
    const double setting = GetValueOfEnvironmentVariableAsDouble(errors, name);
    if (errors != before) return 0.0;
    return _GetDoubleOption(errors, command, name, setting, minimum, maximum);
}

KEFOMissionProfile* KEFOInterpreter::_PrepareComputeOnHandle(int& errors, KEFOScriptCommand* command,
                                                             int (*test)(const KEFOHandle* handle, const void* key),
                                                             KEFOHandle*& handle) {
    handle = nullptr;
    if (errors != 0) return nullptr;
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return nullptr;
    handle = _GetSourceHandleOption(errors, command, variable, test);
    if (errors != 0 || handle == nullptr) return nullptr;
    std::unique_ptr<KEFOMissionProfile> profile(_GetOptionMissionProfile(errors, command));
    if (errors != 0 || profile == nullptr) return nullptr;
    return profile.release();
}

void KEFOInterpreter::_PrepareHandleForComputation(KEFOHandle* handle, const KEFOMissionProfile* profile) {
    handle->SetQuantificationMethod(profile->GetQuantificationMethod());
    _calculator->ResetRandomDeviates(handle->GetStateVariables(), handle->GetParameters());
}

KEFOVariable* KEFOInterpreter::_PrepareModelOfVariable(int& errors, KEFOScriptCommand* command) {
    return _GetVariableArgument(errors, command, 2);
}

// --- values of parameters, probabilities of basic events ----------------------

void KEFOInterpreter::_ExecuteBuiltinCommandComputeValuesOfParameters(int& errors, KEFOScriptCommand* command) {
    _ExecuteBuiltinCommandComputeValuesInCone(errors, command, true);
}

void KEFOInterpreter::_ExecuteBuiltinCommandComputeProbabilitiesOfBasicEvents(int& errors,
                                                                                KEFOScriptCommand* command) {
    _ExecuteBuiltinCommandComputeValuesInCone(errors, command, false);
}

void KEFOInterpreter::_ExecuteBuiltinCommandComputeValuesInCone(int& errors, KEFOScriptCommand* command,
                                                              bool parameters) {
    if (errors != 0) return;
    KEFOVariable* variable = _PrepareModelOfVariable(errors, command);
    if (errors != 0 || variable == nullptr) return;
    const double t = _GetDoubleOptionOrSetting(errors, command, "mission-time", -largestDouble, largestDouble);
    if (errors != 0) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    ConeOfVariable cone(variable);
    _calculator->ResetRandomDeviates(cone.StateVariables(), cone.Parameters());
    for (KEFOParameter* parameter : cone.Parameters()) _calculator->ComputeValueOfParameter(parameter, t);
    if (parameters) {
        _modelPrinter->PrintValuesOfParameters(variable, t, cone.Parameters(), stream);
    } else {
        for (KEFOVariable* event : cone.StateVariables()) _calculator->ComputeProbabilityOfStateVariable(event, t);
        _modelPrinter->PrintProbabilitiesOfStateVariables(variable, t, cone.StateVariables(), stream);
    }
    _CloseOutputStream(errors, stream);
}

// --- top-event probability ------------------------------------------------------

void KEFOInterpreter::_ExecuteBuiltinCommandComputeTopEventProbability(int& errors, KEFOScriptCommand* command) {
    KEFOHandle* handle = nullptr;
    std::unique_ptr<KEFOMissionProfile> profile(
        _PrepareComputeOnHandle(errors, command, KEFOHandle::CompareAsSumOfProductsHandle, handle));
    if (profile == nullptr) return;
    bool unavailability = false, meanUnavailability = false;
    if (!profile->IsSimpleMission()) {
        unavailability = _GetBooleanOptionOrSetting(errors, command, "print-unavailability");
        meanUnavailability = _GetBooleanOptionOrSetting(errors, command, "print-mean-unavailability");
        const bool sil = _GetBooleanOptionOrSetting(errors, command, "print-safety-integrity-level");
        if (errors != 0) return;
        // Curves refined around singular points or by smoothing, and the
        // SIL table, are not available yet.
        if (profile->GetAddSingularPoints() || profile->GetSmoothCurve() || sil) {
            RaiseError(errors, 13002, command);
            return;
        }
    }
    const bool verbose = _GetBooleanOptionOrSetting(errors, command, "verbose");
    if (errors != 0) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    PLOVTimer timer;
    timer.Start();
    _PrepareHandleForComputation(handle, profile.get());
    if (profile->IsSimpleMission()) {
        const double t = profile->GetMissionTime();
        _calculator->ComputeProbabilitiesOfStateVariables(handle, t);
        const double q = _calculator->ComputeProbabilityOfTargetVariable(handle);
        _modelPrinter->PrintVariableProbability(handle, t, q, stream);
    } else {
        PLOVCurve curve;
        _calculator->ComputeTimeDistributionOfProbabilityOfTargetVariable(handle, profile.get(), &curve);
        if ((unavailability || meanUnavailability) && curve.GetNumberOfPoints() > 1) {
            _modelPrinter->SetUnavailabilityColumns(unavailability, meanUnavailability);
            _modelPrinter->PrintUnavailability(handle, &curve, stream);
        }
    }
    timer.Stop();
    if (verbose) {
        std::printf("compute probability\trunning-time\t%s\n", timer.ToString().c_str());
        std::fflush(stdout);
    }
    _CloseOutputStream(errors, stream);
}

// --- counting reports -------------------------------------------------------------

void KEFOInterpreter::_ExecuteBuiltinCommandComputeSizeOfDiagram(int& errors, KEFOScriptCommand* command) {
    _ExecuteBuiltinCommandComputeCount(errors, command, "size-of-diagram");
}

void KEFOInterpreter::_ExecuteBuiltinCommandComputeNumberOfProducts(int& errors, KEFOScriptCommand* command) {
    _ExecuteBuiltinCommandComputeCount(errors, command, "number-of-products");
}

void KEFOInterpreter::_ExecuteBuiltinCommandComputeSizeOfSumOfProducts(int& errors, KEFOScriptCommand* command) {
    _ExecuteBuiltinCommandComputeCount(errors, command, "size-of-sum-of-products");
}

void KEFOInterpreter::_ExecuteBuiltinCommandComputeLowestOrderOfMinimalCutsets(int& errors,
                                                                                 KEFOScriptCommand* command) {
    _ExecuteBuiltinCommandComputeCount(errors, command, "lowest-order");
}

void KEFOInterpreter::_ExecuteBuiltinCommandComputeHighestOrderOfMinimalCutsets(int& errors,
                                                                                  KEFOScriptCommand* command) {
    _ExecuteBuiltinCommandComputeCount(errors, command, "highest-order");
}

void KEFOInterpreter::_ExecuteBuiltinCommandComputeCount(int& errors, KEFOScriptCommand* command, const char* word) {
    const bool orders = std::strcmp(word, "lowest-order") == 0 || std::strcmp(word, "highest-order") == 0;
    KEFOHandle* handle = nullptr;
    std::unique_ptr<KEFOMissionProfile> profile(_PrepareComputeOnHandle(
        errors, command,
        orders ? KEFOHandle::CompareAsSumOfMinimalCutsetsHandle : KEFOHandle::CompareAsSumOfProductsHandle, handle));
    if (profile == nullptr) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    _PrepareHandleForComputation(handle, profile.get());
    PLOVManagedValue value;
    if (std::strcmp(word, "size-of-diagram") == 0)
        value = PLOVManagedValue::NewInt(handle->ComputeSizeOfDiagram());
    else if (std::strcmp(word, "number-of-products") == 0)
        value = PLOVManagedValue::NewDouble(handle->ComputeNumberOfProducts());
    else if (std::strcmp(word, "size-of-sum-of-products") == 0)
        value = PLOVManagedValue::NewDouble(handle->ComputeSizeOfSumOfProducts());
    else if (std::strcmp(word, "lowest-order") == 0)
        value = PLOVManagedValue::NewInt(handle->ComputeLowestOrderOfMinimalCutsets());
    else
        value = PLOVManagedValue::NewInt(handle->ComputeHighestOrderOfMinimalCutsets());
    PLOVManagedValue matrix = PLOVManagedValue::NewMatrix(3, 2);
    SetRow(matrix, 0, "variable", PLOVManagedValue::NewSymbol(handle->GetVariable()->GetPathAsString()));
    SetRow(matrix, 1, "source-handle", PLOVManagedValue::NewSymbol(handle->GetName()));
    SetRow(matrix, 2, word, value);
    _modelPrinter->PrintMatrixAtCSVFormat(matrix, stream);
    _CloseOutputStream(errors, stream);
}

void KEFOInterpreter::_ExecuteBuiltinCommandComputeOrdersOfMinimalCutsets(int& errors, KEFOScriptCommand* command) {
    KEFOHandle* handle = nullptr;
    std::unique_ptr<KEFOMissionProfile> profile(
        _PrepareComputeOnHandle(errors, command, KEFOHandle::CompareAsSumOfMinimalCutsetsHandle, handle));
    if (profile == nullptr) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    _PrepareHandleForComputation(handle, profile.get());
    int* counts = nullptr;
    int highest = 0;
    int total = 0;
    handle->ComputeOrdersOfMinimalCutsets(counts, highest, total);
    // One row per order from 1 to the highest, and one for order 0 (the
    // empty cutset) when it is there.
    std::vector<std::pair<int, int>> rows;
    if (counts != nullptr) {
        if (highest >= 0 && counts[0] != 0) rows.emplace_back(0, counts[0]);
        for (int k = 1; k <= highest; ++k) rows.emplace_back(k, counts[k]);
        PLOVMemoryManager::DeleteCell(counts);
    }
    PLOVManagedValue matrix = PLOVManagedValue::NewMatrix(4 + static_cast<int>(rows.size()), 2);
    SetRow(matrix, 0, "variable", PLOVManagedValue::NewSymbol(handle->GetVariable()->GetPathAsString()));
    SetRow(matrix, 1, "source-handle", PLOVManagedValue::NewSymbol(handle->GetName()));
    SetRow(matrix, 2, "order", PLOVManagedValue::NewSymbol("#MCS"));
    int row = 3;
    for (const std::pair<int, int>& r : rows) {
        matrix.SetValueInMatrix(row, 0, PLOVManagedValue::NewInt(r.first));
        matrix.SetValueInMatrix(row, 1, PLOVManagedValue::NewInt(r.second));
        ++row;
    }
    SetRow(matrix, row, "total", PLOVManagedValue::NewInt(total));
    _modelPrinter->PrintMatrixAtCSVFormat(matrix, stream);
    _CloseOutputStream(errors, stream);
}

void KEFOInterpreter::_ExecuteBuiltinCommandComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(
    int& errors, KEFOScriptCommand* command) {
    KEFOHandle* handle = nullptr;
    std::unique_ptr<KEFOMissionProfile> profile(
        _PrepareComputeOnHandle(errors, command, KEFOHandle::CompareAsSumOfMinimalCutsetsHandle, handle));
    if (profile == nullptr) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    _PrepareHandleForComputation(handle, profile.get());
    _modelPrinter->PrintNumbersOfOccurrencesOfVariablesInMinimalCutsets(handle, stream);
    _CloseOutputStream(errors, stream);
}
