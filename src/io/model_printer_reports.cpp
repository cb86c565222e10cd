// The tab-separated reports of the quantification commands: minimal cutsets
// of a ZBDD handle with their rank, order, probability, contribution and
// failure intensity; the top-event probability and the unavailability table;
// values of parameters and probabilities of basic events; the counting
// matrices and the occurrences of variables in the minimal cutsets.
#include "io/model_printer.h"

#include "diagrams/bdd_entry.h"
#include "diagrams/bdd_handle.h"
#include "diagrams/bdd_manager.h"
#include "diagrams/handle.h"
#include "diagrams/minimal_cutset.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/variable.h"
#include "quantification/curve.h"
#include "support/managed_value.h"
#include "support/memory_manager.h"
#include "support/stream.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_set>

namespace {

// Pending text is handed to the stream in pieces of about this size.
const std::size_t pendingCapacity = 1 << 16;
// Lines between two looks at the clock.
const int linesPerClockCheck = 16;
const std::chrono::milliseconds flushInterval(100);

const char* NameOf(const KEFOVariable* variable) { return variable != nullptr ? variable->GetPathAsString() : ""; }

}  // namespace

const char* KEFOModelPrinter::GetQuantificationMethodAcronym(int method) {
    switch (method) {
    case KEFOHandle::ExactProbability: return "Pr";
    case KEFOHandle::RareEventApproximation: return "REA";
    case KEFOHandle::MincutUpperBound: return "MCUB";
    case KEFOHandle::PivotalUpperBound: return "PUB";
    default: return "";
    }
}

// --- line assembly -------------------------------------------------------------

void KEFOModelPrinter::_Text(const char* text) {
    if (text != nullptr) _line.append(text);
}

// The "%.<n>g" form; std::to_chars with a precision gives exactly what
// printf gives, without the locale and format parsing.
void KEFOModelPrinter::_Real(double value) {
    char buffer[64];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                                                _reportDigits);
    if (result.ec == std::errc()) {
        _line.append(buffer, static_cast<std::size_t>(result.ptr - buffer));
    } else {
        _line.append(PLOVStream::FormatDouble(value, _reportDigits));
    }
}

void KEFOModelPrinter::_Integer(long long value) {
    char buffer[32];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    _line.append(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

void KEFOModelPrinter::_BeginReport(PLOVStream* stream) {
    _reportDigits = stream != nullptr ? stream->GetNumberOfSignificantDigits() : 6;
    _line.clear();
    _pending.clear();
    _linesSinceClockCheck = 0;
    _lastFlush = std::chrono::steady_clock::now();
}

void KEFOModelPrinter::_EndLine(PLOVStream* stream) {
    _line.push_back('\n');
    _pending.append(_line);
    _line.clear();
    if (stream == nullptr) {
        _pending.clear();
        return;
    }
    if (_pending.size() >= pendingCapacity) {
        stream->Write(_pending.data(), _pending.size());
        _pending.clear();
    }
    if (++_linesSinceClockCheck < linesPerClockCheck) return;
    _linesSinceClockCheck = 0;
    const std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
    if (now - _lastFlush < flushInterval) return;
    if (!_pending.empty()) stream->Write(_pending.data(), _pending.size());
    _pending.clear();
    stream->Flush();
    _lastFlush = now;
}

void KEFOModelPrinter::_EndReport(PLOVStream* stream) {
    if (stream != nullptr) {
        if (!_pending.empty()) stream->Write(_pending.data(), _pending.size());
        stream->Flush();
    }
    _pending.clear();
    _line.clear();
    // Long reports leave no large buffer behind.
    if (_pending.capacity() > pendingCapacity * 2) std::string().swap(_pending);
}

// --- minimal cutsets -----------------------------------------------------------

void KEFOModelPrinter::PrintMinimalCutsetsAtTSVFormat(KEFOVariable* variable, KEFOHandle* handle,
                                                       double missionTime, PLOVStream* stream) {
    _BeginReport(stream);
    _Text("variable");
    _Separator();
    _Text(NameOf(variable));
    _EndLine(stream);
    _Text("source-handle");
    _Separator();
    _Text(handle != nullptr ? handle->GetName() : "");
    _EndLine(stream);
    if (_printProbability || _printContribution || _printFailureIntensity) {
        _Text("time");
        _Separator();
        _Real(missionTime);
        _EndLine(stream);
    }
    if (_printContribution) {
        _Text("rare-event-approximation");
        _Separator();
        _Real(_topEventProbability);
        _EndLine(stream);
    }
    _rank = 0;
    if (handle != nullptr && handle->IsZBDDHandle()) _PrintCutsetsOfZBDD(handle->GetBDDHandle(), stream);
    _EndReport(stream);
}

void KEFOModelPrinter::PrintMinimalCutsetsAtTSVFormat(KEFOBDDHandle* handle, PLOVStream* stream) {
    _BeginReport(stream);
    _rank = 0;
    _PrintCutsetsOfZBDD(handle, stream);
    _EndReport(stream);
}

void KEFOModelPrinter::_PrintCutsetsOfZBDD(KEFOBDDHandle* handle, PLOVStream* stream) {
    if (handle == nullptr || handle->GetRootNode() == nullptr) return;
    _manager = handle->GetManager();
    KEFOBDDManager* manager = _manager;
    const bool anyColumn = _printRank || _printOrder || _printProbability || _printContribution || _printFailureIntensity;
    const bool contribution = _printContribution;
    const double top = _topEventProbability;

    // The walk: an explicit stack of the else-sides still to visit, each with
    // the length of the working cutset and the product of its probabilities
    // at the node. Along a descent the node's variable joins the cutset.
    struct Pending {
        KEFOBDDNode* node;
        int order;
        double probability;
    };
    std::vector<Pending> stack;
    KEFOMinimalCutset cutset(64);
    std::vector<double> products;
    products.reserve(64);
    // The names of the indices met, looked up once.
    std::vector<const char*> names;

    stack.push_back(Pending{handle->GetRootNode(), 0, 1.0});
    while (!stack.empty()) {
        Pending item = stack.back();
        stack.pop_back();
        while (cutset.GetOrder() > item.order) cutset.PopIndex();
        KEFOBDDNode* node = item.node;
        double probability = item.probability;
        while (manager->IsInternalNode(node)) {
            KEFOBDDNode* elseSon = node->GetElseSon();
            if (!manager->IsLeafEmptySet(elseSon)) stack.push_back(Pending{elseSon, cutset.GetOrder(), probability});
            const int index = node->GetIndex();
            cutset.PushIndex(index);
            probability *= manager->GetProbability(index);
            node = node->GetThenSon();
        }
        if (!manager->IsLeafEmptyProduct(node)) continue;
        // One line for the working cutset.
        ++_rank;
        bool first = true;
        auto column = [&]() {
            if (!first) _Separator();
            first = false;
        };
        if (_printRank) {
            column();
            _Integer(_rank);
        }
        if (_printOrder) {
            column();
            _Integer(cutset.GetOrder());
        }
        if (_printProbability) {
            column();
            _Real(probability);
        }
        if (contribution) {
            column();
            _Real(top != 0.0 ? probability / top : 0.0);
        }
        if (_printFailureIntensity) {
            column();
            _Real(manager->ComputeFailureIntensityOfMinimalCutset(&cutset));
        }
        const int order = cutset.GetOrder();
        const int* indices = cutset.GetIndices();
        for (int k = 0; k < order; ++k) {
            if (anyColumn || k > 0) _Separator();
            const int index = indices[k];
            if (index >= static_cast<int>(names.size())) names.resize(static_cast<std::size_t>(index) + 1, nullptr);
            const char*& name = names[static_cast<std::size_t>(index)];
            if (name == nullptr) name = NameOf(manager->GetModelVariable(index));
            _Text(name);
        }
        _EndLine(stream);
    }
}

// --- probabilities ---------------------------------------------------------------

void KEFOModelPrinter::PrintProbabilisticCalculationHeader(KEFOHandle* handle, PLOVStream* stream) {
    _BeginReport(stream);
    _Header(handle, stream);
    _EndReport(stream);
}

void KEFOModelPrinter::_Header(KEFOHandle* handle, PLOVStream* stream) {
    _Text("variable");
    _Separator();
    _Text(handle != nullptr ? NameOf(handle->GetVariable()) : "");
    _EndLine(stream);
    _Text("source-handle");
    _Separator();
    _Text(handle != nullptr ? handle->GetName() : "");
    _EndLine(stream);
    _Text("quantification-method");
    _Separator();
    _Text(GetQuantificationMethodAcronym(handle != nullptr ? handle->GetQuantificationMethod() : 0));
    _EndLine(stream);
}

void KEFOModelPrinter::PrintVariableProbability(KEFOHandle* handle, double t, double q, PLOVStream* stream) {
    _BeginReport(stream);
    _Header(handle, stream);
    _Text("time");
    _Separator();
    _Text("Q");
    _EndLine(stream);
    _Real(t);
    _Separator();
    _Real(q);
    _EndLine(stream);
    _EndReport(stream);
}

void KEFOModelPrinter::PrintUnavailability(KEFOHandle* handle, const PLOVCurve* curve, PLOVStream* stream) {
    _BeginReport(stream);
    _Header(handle, stream);
    _Text("time");
    if (_printUnavailability) {
        _Separator();
        _Text("Q");
    }
    if (_printMeanUnavailability) {
        _Separator();
        _Text("Qavg");
    }
    _EndLine(stream);
    if (curve != nullptr) {
        bool first = true;
        double t0 = 0.0, previousT = 0.0, previousQ = 0.0, integral = 0.0;
        for (const auto& point : curve->GetPoints()) {
            const double t = point.first;
            const double q = point.second;
            double mean = q;
            if (first) {
                t0 = t;
            } else {
                if (t == previousT) continue;
                integral += (q + previousQ) / 2.0 * (t - previousT);
                mean = integral / (t - t0);
            }
            first = false;
            previousT = t;
            previousQ = q;
            _Real(t);
            if (_printUnavailability) {
                _Separator();
                _Real(q);
            }
            if (_printMeanUnavailability) {
                _Separator();
                _Real(mean);
            }
            _EndLine(stream);
        }
    }
    _EndReport(stream);
}

void KEFOModelPrinter::PrintValuesOfParameters(KEFOVariable* variable, double t,
                                                const std::vector<KEFOParameter*>& parameters, PLOVStream* stream) {
    _BeginReport(stream);
    _Text("variable");
    _Separator();
    _Text(NameOf(variable));
    _EndLine(stream);
    _Text("time");
    _Separator();
    _Real(t);
    _EndLine(stream);
    _Text("parameter");
    _Separator();
    _Text("value");
    _EndLine(stream);
    for (const KEFOParameter* parameter : parameters) {
        _Text(parameter->GetPathAsString());
        _Separator();
        const KEFOStochasticExpression* definition = parameter->GetDefinitionAsExpression();
        _Text(definition != nullptr ? definition->GetValue().ToString() : PLOVManagedValue().ToString());
        _EndLine(stream);
    }
    _EndReport(stream);
}

void KEFOModelPrinter::PrintProbabilitiesOfStateVariables(KEFOVariable* variable, double t,
                                                           const std::vector<KEFOVariable*>& variables,
                                                           PLOVStream* stream) {
    _BeginReport(stream);
    _Text("variable");
    _Separator();
    _Text(NameOf(variable));
    _EndLine(stream);
    _Text("time");
    _Separator();
    _Real(t);
    _EndLine(stream);
    _Text("variable");
    _Separator();
    _Text("Q");
    _EndLine(stream);
    for (const KEFOVariable* event : variables) {
        _Text(NameOf(event));
        _Separator();
        _Real(event->GetProbability());
        _EndLine(stream);
    }
    _EndReport(stream);
}

// --- counting reports -------------------------------------------------------------

void KEFOModelPrinter::PrintMatrixAtCSVFormat(const PLOVManagedValue& matrix, PLOVStream* stream) {
    _BeginReport(stream);
    const int rows = matrix.GetNumberOfRows();
    const int columns = matrix.GetNumberOfColumns();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0) _Separator();
            const PLOVManagedValue& cell = matrix.GetValueInMatrix(r, c);
            if (cell.IsInt()) {
                _Integer(cell.GetInt());
            } else if (cell.IsDouble()) {
                const double v = cell.GetDouble();
                if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9007199254740992.0)
                    _Integer(static_cast<long long>(v));
                else
                    _Real(v);
            } else if (!cell.IsNil()) {
                _Text(cell.ToRawString());
            }
        }
        _EndLine(stream);
    }
    _EndReport(stream);
}

void KEFOModelPrinter::PrintNumbersOfOccurrencesOfVariablesInMinimalCutsets(KEFOHandle* handle,
                                                                              PLOVStream* stream) {
    _BeginReport(stream);
    _Text("Variables");
    _Separator();
    _Text("#Occurrences");
    _EndLine(stream);
    KEFOVariable** variables = nullptr;
    int* counts = nullptr;
    int highest = 0;
    long long total = 0;
    long long occurring = 0;
    if (handle != nullptr) {
        handle->ComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(variables, counts, highest);
        std::unordered_set<const KEFOVariable*> own(handle->GetStateVariables().begin(),
                                                    handle->GetStateVariables().end());
        if (variables != nullptr && counts != nullptr) {
            for (int i = 1; i <= highest; ++i) {
                const KEFOVariable* variable = variables[i];
                if (variable == nullptr || (counts[i] == 0 && own.count(variable) == 0)) continue;
                _Text(NameOf(variable));
                _Separator();
                _Integer(counts[i]);
                _EndLine(stream);
                total += counts[i];
                if (counts[i] > 0) ++occurring;
            }
        }
        if (variables != nullptr) PLOVMemoryManager::DeleteCell(variables);
        if (counts != nullptr) PLOVMemoryManager::DeleteCell(counts);
    }
    _Text("#Occurrences");
    _Separator();
    _Integer(total);
    _EndLine(stream);
    _Text("#Variables");
    _Separator();
    _Integer(occurring);
    _EndLine(stream);
    _EndReport(stream);
}
