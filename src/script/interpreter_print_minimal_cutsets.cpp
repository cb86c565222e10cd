// "print minimal-cutsets": the minimal cutsets of a ZBDD handle with the
// columns asked for, at a mission time.
#include "script/interpreter.h"

#include "diagrams/handle.h"
#include "io/model_printer.h"
#include "model/variable.h"
#include "quantification/calculator.h"
#include "script/script_command.h"
#include "support/stream.h"

#include <string>

namespace {
const double largestDouble = 1.7976931348623157e308;
}  // namespace

void KEFOInterpreter::_ExecuteBuiltinCommandPrintMinimalCutsets(int& errors, KEFOScriptCommand* command) {
    if (errors != 0) return;
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    KEFOHandle* handle = _GetSourceHandleOption(errors, command, variable, KEFOHandle::CompareAsSumOfMinimalCutsetsHandle);
    if (errors != 0 || handle == nullptr) return;
    const char* format = _GetMinimalCutsetsFormatOption(errors, command);
    const double t = _GetDoubleOptionOrSetting(errors, command, "mission-time", 0.0, largestDouble);
    const bool rank = _GetBooleanOptionOrSetting(errors, command, "print-minimal-cutset-rank");
    const bool order = _GetBooleanOptionOrSetting(errors, command, "print-minimal-cutset-order");
    const bool probability = _GetBooleanOptionOrSetting(errors, command, "print-minimal-cutset-probability");
    const bool contribution = _GetBooleanOptionOrSetting(errors, command, "print-minimal-cutset-contribution");
    const bool intensity = _GetBooleanOptionOrSetting(errors, command, "print-minimal-cutset-failure-intensity");
    if (errors != 0 || format == nullptr) return;
    // Trees of minimal cutsets, the other formats and the failure
    // intensities of cutsets come with the engines that produce them.
    if (std::string(format) != "tsv" || !handle->IsZBDDHandle() || intensity) {
        RaiseError(errors, 13002, command);
        return;
    }
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;

    _calculator->ResetRandomDeviates(handle->GetStateVariables(), handle->GetParameters());
    _calculator->ComputeProbabilitiesOfStateVariables(handle, t);
    double top = 0.0;
    if (contribution) top = _calculator->ComputeProbabilityOfTargetVariable(handle);
    _modelPrinter->SetMinimalCutsetColumns(rank, order, probability, contribution, intensity);
    _modelPrinter->SetTopEventProbability(top);
    _modelPrinter->PrintMinimalCutsetsAtTSVFormat(variable, handle, t, stream);
    _CloseOutputStream(errors, stream);
}
