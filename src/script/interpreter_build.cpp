// The build commands of decision diagrams (build BDD, WBDD, ZBDD-from-BDD,
// WZBDD-from-BDD), the commands that tune and print the BDD store and the
// variable indices, print BDD and print BDD-statistics, with the public
// build operations that hosts may call directly.
//
// Common steps of a build, each only while the error count is 0: the
// argument count (checked by the dispatch table); the target model, built
// when there is none; the variable argument; the options of the
// sub-command; the operation, timed; the running-time line when the
// setting "verbose" is true.
#include "script/interpreter.h"

#include "diagrams/bdd_builder.h"
#include "diagrams/bdd_handle.h"
#include "diagrams/bdd_manager.h"
#include "diagrams/cutoff.h"
#include "diagrams/handle.h"
#include "model/model.h"
#include "model/type.h"
#include "model/variable.h"
#include "preprocessing/ordering_manager.h"
#include "script/script_command.h"
#include "script/script_environment.h"
#include "script/script_variable.h"
#include "support/managed_value.h"
#include "support/measure.h"
#include "support/bin_table.h"
#include "support/quantile_table.h"
#include "support/stream.h"
#include "support/timer.h"

#include <cfloat>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {
const int numberOfStatisticsBins = 20;

// Writes "<label>\t<value>\n".
void PrintLine(PLOVStream* stream, const char* label, long long value) { stream->Printf("%s\t%lld\n", label, value); }
void PrintLine(PLOVStream* stream, const char* label, double value) {
    stream->PrintString(label);
    stream->PrintChar('\t');
    stream->PrintDouble(value);
    stream->PrintNewLine();
}

// The four figures and the bin table of a measure.
void PrintMeasure(PLOVStream* stream, PLOVMeasure& measure, const char* minimum, const char* maximum,
                  const char* mean, const char* distribution) {
    const bool any = measure.GetNumberOfValues() > 0;
    PrintLine(stream, minimum, any ? measure.GetMinimum() : 0.0);
    PrintLine(stream, maximum, any ? measure.GetMaximum() : 0.0);
    PrintLine(stream, mean, any ? measure.ComputeMean() : 0.0);
    stream->Printf("%s\n", distribution);
    stream->PrintString("bin\tvalue\n");
    PLOVBinTable* bins = measure.GetBinTable();
    if (bins == nullptr) return;
    std::unique_ptr<PLOVQuantileTable> table(bins->ExtractBins(numberOfStatisticsBins));
    for (int i = 0; i < table->GetSize(); ++i) {
        stream->PrintDouble(table->GetAbscissa(i));
        stream->PrintChar('\t');
        stream->PrintDouble(table->GetValue(i));
        stream->PrintNewLine();
    }
}
}  // namespace

// --- common steps -----------------------------------------------------------------

// The target model, built when there is none (flattening, completion,
// expansion of the CCF groups).
bool KEFOInterpreter::_BuildTargetModelOnDemand(int& errors, KEFOScriptCommand* /*command*/) {
    return GetOrBuildTargetModel(errors) != nullptr;
}

// The preprocessing of the target variable into the normal form (modules
// detected), before the BDD and WBDD builds.
void KEFOInterpreter::_PreprocessTargetVariable(int& errors, KEFOScriptCommand* /*command*/, KEFOVariable* variable) {
    BuildPreprocessedModel(errors, variable);
}

void KEFOInterpreter::_ForgetDiagramEntriesOfModel(KEFOModel* model) {
    if (model == nullptr || _bddManager == nullptr) return;
    const int highest = _bddManager->GetIndexOfHighestEntry();
    for (int i = _bddManager->GetIndexOfLowestEntry(); i <= highest; ++i) {
        KEFOVariable* variable = _bddManager->GetModelVariable(i);
        if (variable != nullptr && variable->GetRootContainer() == model) _bddManager->SetModelVariable(i, nullptr);
    }
}

void KEFOInterpreter::_PrintRunningTime(int& errors, KEFOScriptCommand* command, const char* word,
                                        const PLOVTimer& timer) {
    if (errors != 0) return;
    KEFOScriptVariable* setting = _scriptEnvironment->LookForVariable("verbose");
    if (setting == nullptr) return;
    if (!setting->GetValue().IsBool()) {
        RaiseError(errors, 11302, command, "verbose");
        return;
    }
    if (!setting->GetValue().GetBool()) return;
    std::printf("build %s\trunning-time\t%s\n", word, timer.ToString().c_str());
    std::fflush(stdout);
}

// The option "target-handle" (a Symbol), by default the kind of result.
bool KEFOInterpreter::_GetTargetHandleOption(int& errors, KEFOScriptCommand* command, const char* byDefault,
                                             std::string& name) {
    const char* value = _GetSymbolOption(errors, command, "target-handle", byDefault);
    if (errors != 0 || value == nullptr) return false;
    name = value;
    return true;
}

// "mission-time": the option (a number in [0, largest double]), by default
// the setting; a setting that lists several mission times gives its first.
double KEFOInterpreter::_GetBuildMissionTimeOption(int& errors, KEFOScriptCommand* command) {
    double byDefault = 0.0;
    const PLOVManagedValue* setting = GetValueOfEnvironmentVariable(errors, "mission-time");
    if (errors != 0 || setting == nullptr) return 0.0;
    if (setting->IsNum())
        byDefault = setting->GetDouble();
    else if (setting->IsNumList() && setting->GetListSize() > 0)
        byDefault = setting->GetValueInList(0).GetDouble();
    return _GetDoubleOption(errors, command, "mission-time", byDefault, 0.0, DBL_MAX);
}

KEFOCutoff* KEFOInterpreter::_GetCutoffOption(int& errors, KEFOScriptCommand* command) {
    const int before = errors;
    double minimumProbability = GetValueOfEnvironmentVariableAsDouble(errors, "minimum-probability");
    double minimumContribution = GetValueOfEnvironmentVariableAsDouble(errors, "minimum-contribution");
    int maximumOrder = GetValueOfEnvironmentVariableAsInteger(errors, "maximum-order");
    int maximumNumber = GetValueOfEnvironmentVariableAsInteger(errors, "maximum-number");
    double weightScaleFactor = GetValueOfEnvironmentVariableAsDouble(errors, "weight-scale-factor");
    if (errors != before) return nullptr;
    minimumProbability = _GetDoubleOption(errors, command, "minimum-probability", minimumProbability, 0.0, 1.0);
    minimumContribution = _GetDoubleOption(errors, command, "minimum-contribution", minimumContribution, 0.0, 1.0);
    maximumOrder = _GetIntegerOption(errors, command, "maximum-order", maximumOrder, 0, INT_MAX);
    maximumNumber = _GetIntegerOption(errors, command, "maximum-number", maximumNumber, 0, INT_MAX);
    weightScaleFactor = _GetDoubleOption(errors, command, "weight-scale-factor", weightScaleFactor, 2.0, 10.0);
    if (errors != before) return nullptr;
    KEFOCutoff* cutoff = new KEFOCutoff();
    cutoff->SetMinimumProbability(minimumProbability);
    cutoff->SetMinimumContribution(minimumContribution);
    cutoff->SetMaximumOrder(maximumOrder);
    cutoff->SetMaximumNumber(maximumNumber);
    cutoff->SetWeightScaleFactor(weightScaleFactor);
    return cutoff;
}

// "keep-intermediate-BDD-handles": the option, by default the setting
// (false when there is none; 11302 when it is not a Boolean).
bool KEFOInterpreter::_GetKeepIntermediateHandlesOption(int& errors, KEFOScriptCommand* command) {
    bool byDefault = false;
    KEFOScriptVariable* setting = _scriptEnvironment->LookForVariable("keep-intermediate-BDD-handles");
    if (setting != nullptr) {
        if (!setting->GetValue().IsBool()) {
            RaiseError(errors, 11302, command, "keep-intermediate-BDD-handles");
            return false;
        }
        byDefault = setting->GetValue().GetBool();
    }
    return _GetBooleanOption(errors, command, "keep-intermediate-BDD-handles", byDefault);
}

// --- public build operations ----------------------------------------------------

void KEFOInterpreter::BuildBDD(int& errors, KEFOVariable* variable, const char* name, int heuristic) {
    if (errors != 0 || variable == nullptr || name == nullptr) return;
    _orderingManager->UpdateEnvironment();
    _orderingManager->DefineOrdering(variable, KEFOOrderingManager::BDDOrdering, heuristic);
    _bddBuilder->BuildBDD(_targetModel, variable, name);
}

void KEFOInterpreter::BuildWBDD(int& errors, KEFOVariable* variable, KEFOCutoff* cutoff, const char* name,
                                int heuristic) {
    if (errors != 0 || variable == nullptr || cutoff == nullptr || name == nullptr) return;
    _orderingManager->UpdateEnvironment();
    _orderingManager->DefineOrdering(variable, KEFOOrderingManager::BDDOrdering, heuristic);
    _bddBuilder->BuildWeightedBDD(_targetModel, variable, cutoff, name);
}

void KEFOInterpreter::BuildZBDDFromBDD(int& errors, KEFOVariable* variable, KEFOHandle* source, const char* name) {
    if (errors != 0 || variable == nullptr || source == nullptr || name == nullptr) return;
    _bddBuilder->BuildZBDDFromBDD(_targetModel, variable, source, name);
}

void KEFOInterpreter::BuildBDDFromZBDD(int& errors, KEFOVariable* variable, KEFOHandle* source, const char* name) {
    if (errors != 0 || variable == nullptr || source == nullptr || name == nullptr) return;
    _bddBuilder->BuildBDDFromZBDD(_targetModel, variable, source, name);
}

void KEFOInterpreter::BuildWZBDDFromBDD(int& errors, KEFOVariable* variable, KEFOHandle* source, KEFOCutoff* cutoff,
                                        const char* name) {
    if (errors != 0 || variable == nullptr || source == nullptr || cutoff == nullptr || name == nullptr) return;
    _bddBuilder->BuildWeightedZBDDFromBDD(_targetModel, variable, source, cutoff, name);
}

// --- build sub-commands -------------------------------------------------------------

void KEFOInterpreter::_ExecuteBuiltinCommandBuildBDD(int& errors, KEFOScriptCommand* command) {
    if (!_BuildTargetModelOnDemand(errors, command)) return;
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    std::string name;
    if (!_GetTargetHandleOption(errors, command, "BDD", name)) return;
    const bool keep = _GetKeepIntermediateHandlesOption(errors, command);
    const int heuristic = _GetOptionVariableOrderingHeuristic(errors, command);
    if (errors != 0) return;
    _PreprocessTargetVariable(errors, command, variable);
    if (errors != 0) return;
    PLOVTimer timer;
    timer.Start();
    _bddBuilder->SetKeepIntermediateHandles(keep);
    BuildBDD(errors, variable, name.c_str(), heuristic);
    timer.Stop();
    _PrintRunningTime(errors, command, "BDD", timer);
}

void KEFOInterpreter::_ExecuteBuiltinCommandBuildWBDD(int& errors, KEFOScriptCommand* command) {
    if (!_BuildTargetModelOnDemand(errors, command)) return;
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    std::string name;
    if (!_GetTargetHandleOption(errors, command, "BDD", name)) return;
    const bool keep = _GetKeepIntermediateHandlesOption(errors, command);
    const int heuristic = _GetOptionVariableOrderingHeuristic(errors, command);
    const double missionTime = _GetBuildMissionTimeOption(errors, command);
    if (errors != 0) return;
    std::unique_ptr<KEFOCutoff> cutoff(_GetCutoffOption(errors, command));
    if (errors != 0 || cutoff == nullptr) return;
    cutoff->SetMissionTime(missionTime);
    _PreprocessTargetVariable(errors, command, variable);
    if (errors != 0) return;
    PLOVTimer timer;
    timer.Start();
    _bddBuilder->SetKeepIntermediateHandles(keep);
    BuildWBDD(errors, variable, cutoff.get(), name.c_str(), heuristic);
    timer.Stop();
    _PrintRunningTime(errors, command, "WBDD", timer);
}

void KEFOInterpreter::_ExecuteBuiltinCommandBuildZBDDFromBDD(int& errors, KEFOScriptCommand* command) {
    if (!_BuildTargetModelOnDemand(errors, command)) return;
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    KEFOHandle* source = _GetSourceHandleOption(errors, command, variable, KEFOHandle::CompareAsBDDHandle);
    if (errors != 0 || source == nullptr) return;
    std::string name;
    if (!_GetTargetHandleOption(errors, command, "ZBDD", name)) return;
    PLOVTimer timer;
    timer.Start();
    BuildZBDDFromBDD(errors, variable, source, name.c_str());
    timer.Stop();
    _PrintRunningTime(errors, command, "ZBDD-from-BDD", timer);
}

void KEFOInterpreter::_ExecuteBuiltinCommandBuildWZBDDFromBDD(int& errors, KEFOScriptCommand* command) {
    if (!_BuildTargetModelOnDemand(errors, command)) return;
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    KEFOHandle* source = _GetSourceHandleOption(errors, command, variable, KEFOHandle::CompareAsBDDHandle);
    if (errors != 0 || source == nullptr) return;
    std::string name;
    if (!_GetTargetHandleOption(errors, command, "ZBDD", name)) return;
    const double missionTime = _GetBuildMissionTimeOption(errors, command);
    if (errors != 0) return;
    std::unique_ptr<KEFOCutoff> cutoff(_GetCutoffOption(errors, command));
    if (errors != 0 || cutoff == nullptr) return;
    cutoff->SetMissionTime(missionTime);
    PLOVTimer timer;
    timer.Start();
    BuildWZBDDFromBDD(errors, variable, source, cutoff.get(), name.c_str());
    timer.Stop();
    _PrintRunningTime(errors, command, "WZBDD-from-BDD", timer);
}

// --- the store -----------------------------------------------------------------------

void KEFOInterpreter::_ExecuteBuiltinCommandSetBDDTableSize(int& errors, KEFOScriptCommand* command) {
    const int size = _GetIntegerArgument(errors, command, 2, 0, INT_MAX);
    if (errors != 0) return;
    _bddManager->SetUniqueTableSize(size);
}

void KEFOInterpreter::_ExecuteBuiltinCommandSetBDDPageSize(int& errors, KEFOScriptCommand* command) {
    const int size = _GetIntegerArgument(errors, command, 2, 0, INT_MAX);
    if (errors != 0) return;
    _bddManager->SetSizeOfPages(size);
}

void KEFOInterpreter::_ExecuteBuiltinCommandSetBDDCacheSize(int& errors, KEFOScriptCommand* command) {
    const int size = _GetIntegerArgument(errors, command, 2, 0, INT_MAX);
    if (errors != 0) return;
    _bddManager->ResizeCache(size);
}

void KEFOInterpreter::_ExecuteBuiltinCommandSetBDDHashtableSize(int& errors, KEFOScriptCommand* command) {
    const int size = _GetIntegerArgument(errors, command, 2, 0, INT_MAX);
    if (errors != 0) return;
    _bddManager->SetMaximumSizeOfHashTables(size);
}

// The counts of the store are measurements: their print lines read back as
// commands that check their value and change nothing.
void KEFOInterpreter::_ExecuteBuiltinCommandSetBDDCount(int& errors, KEFOScriptCommand* command) {
    _GetIntegerArgument(errors, command, 2, 0, INT_MAX);
}

void KEFOInterpreter::_PrintBDDStoreSetting(int& errors, KEFOScriptCommand* command, const char* name, long value) {
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    stream->Printf("set %s %ld;\n", name, value);
    _CloseOutputStream(errors, stream);
}

void KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDTableSize(int& errors, KEFOScriptCommand* command) {
    _PrintBDDStoreSetting(errors, command, "BDD-table-size", _bddManager->GetUniqueTableSize());
}
void KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDCacheSize(int& errors, KEFOScriptCommand* command) {
    _PrintBDDStoreSetting(errors, command, "BDD-cache-size", _bddManager->GetCacheSize());
}
void KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDPageSize(int& errors, KEFOScriptCommand* command) {
    _PrintBDDStoreSetting(errors, command, "BDD-page-size", _bddManager->GetSizeOfPages());
}
void KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDHashtableSize(int& errors, KEFOScriptCommand* command) {
    _PrintBDDStoreSetting(errors, command, "BDD-hashtable-size", _bddManager->GetMaximumSizeOfHashTables());
}
void KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDNumberOfNodes(int& errors, KEFOScriptCommand* command) {
    _PrintBDDStoreSetting(errors, command, "BDD-number-of-nodes", _bddManager->GetNumberOfNodesInUniqueTable());
}
void KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDNumberOfPages(int& errors, KEFOScriptCommand* command) {
    _PrintBDDStoreSetting(errors, command, "BDD-number-of-pages", _bddManager->GetNumberOfPagesInUniqueTable());
}
void KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDNumberOfActiveNodes(int& errors, KEFOScriptCommand* command) {
    _PrintBDDStoreSetting(errors, command, "BDD-number-of-active-nodes",
                          _bddManager->GetNumberOfActiveNodesInUniqueTable());
}

// --- variable indices -------------------------------------------------------------

// "set BDD-index <variable> <index>;" for a variable that has an index.
static void PrintBDDIndex(PLOVStream* stream, const KEFOVariable* variable) {
    if (variable->GetBDDIndex() <= 0) return;
    stream->Printf("set BDD-index %s %d;\n", variable->GetPathAsString(), variable->GetBDDIndex());
}

void KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDIndex(int& errors, KEFOScriptCommand* command) {
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    PrintBDDIndex(stream, variable);
    _CloseOutputStream(errors, stream);
}

// The line of the variable (when indexed) and of every indexed variable
// below it, depth-first.
void KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDIndices(int& errors, KEFOScriptCommand* command) {
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    std::vector<KEFOPort*> below;
    variable->CollectDescendants(KEFOType::CompareAsVariable, nullptr, below);
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    PrintBDDIndex(stream, variable);
    for (KEFOPort* port : below)
        if (port != variable) PrintBDDIndex(stream, static_cast<KEFOVariable*>(port));
    _CloseOutputStream(errors, stream);
}

void KEFOInterpreter::_ExecuteBuiltinCommandSetBDDIndex(int& errors, KEFOScriptCommand* command) {
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    const int index = _GetIntegerArgument(errors, command, 3, 1, _bddManager->GetSizeOfEntryTable() - 1);
    if (errors != 0) return;
    _orderingManager->UpdateEnvironment();
    _orderingManager->SetVariableIndex(variable, KEFOOrderingManager::BDDOrdering, index);
}

void KEFOInterpreter::_ExecuteBuiltinCommandSetBDDIndices(int& errors, KEFOScriptCommand* command) {
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    const int heuristic = _GetOptionVariableOrderingHeuristic(errors, command);
    if (errors != 0) return;
    _orderingManager->UpdateEnvironment();
    _orderingManager->DefineOrdering(variable, KEFOOrderingManager::BDDOrdering, heuristic);
}

// --- print BDD ------------------------------------------------------------------------

// The diagram of the ZBDD or BDD handle of the variable chosen by
// "source-handle", one line per internal node, depth-first from the root:
// the node's number (from 1), its index, the name of the index's variable,
// and its then- and else-sons (a number, or "one" / "zero" for a leaf).
void KEFOInterpreter::_ExecuteBuiltinCommandPrintBDD(int& errors, KEFOScriptCommand* command) {
    KEFOVariable* variable = _GetVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    KEFOHandle* handle =
        _GetSourceHandleOption(errors, command, variable, KEFOHandle::CompareAsDecisionDiagramHandle);
    if (errors != 0 || handle == nullptr) return;
    KEFOBDDHandle* diagram = handle->GetBDDHandle();
    KEFOBDDManager* m = diagram->GetManager();
    KEFOBDDNode* root = diagram->GetRootNode();
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    try {
    stream->PrintString("node\tindex\tvariable\tthen\telse\n");
    if (root != nullptr) {
        m->SetIntValues(root, -1);
        // Numbers in depth-first order, then-side first.
        std::vector<KEFOBDDNode*> order;
        std::vector<KEFOBDDNode*> stack{root};
        int counter = 0;
        while (!stack.empty()) {
            KEFOBDDNode* node = stack.back();
            stack.pop_back();
            if (!m->IsInternalNode(node) || KEFOBDDManager::GetIntValue(node) != -1) continue;
            KEFOBDDManager::SetIntValue(node, ++counter);
            order.push_back(node);
            stack.push_back(KEFOBDDManager::GetElseSon(node));
            stack.push_back(KEFOBDDManager::GetThenSon(node));
        }
        auto name = [&](KEFOBDDNode* node) -> std::string {
            if (m->IsLeafOne(node)) return "one";
            if (m->IsLeafZero(node)) return "zero";
            return std::to_string(KEFOBDDManager::GetIntValue(node));
        };
        if (!m->IsInternalNode(root)) stream->Printf("root\t%s\n", name(root).c_str());
        for (KEFOBDDNode* node : order) {
            const int index = KEFOBDDManager::GetIndex(node);
            const KEFOVariable* v = m->GetModelVariable(index);
            stream->Printf("%d\t%d\t%s\t%s\t%s\n", KEFOBDDManager::GetIntValue(node), index,
                           v != nullptr ? v->GetPathAsString() : "", name(KEFOBDDManager::GetThenSon(node)).c_str(),
                           name(KEFOBDDManager::GetElseSon(node)).c_str());
        }
        m->SetIntValues(root, 0);
    }
    } catch (...) {
        _CloseOutputStream(errors, stream);
        throw;
    }
    _CloseOutputStream(errors, stream);
}

// --- print BDD-statistics ---------------------------------------------------------------

void KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDStatistics(int& errors, KEFOScriptCommand* command) {
    PLOVMeasure nodes;
    nodes.CreateBinTable(numberOfStatisticsBins);
    _bddManager->MeasureNumbersOfNodesInHashTables(&nodes);
    PLOVMeasure chains;
    chains.CreateBinTable(numberOfStatisticsBins);
    _bddManager->MeasureSizesOfCollisionChainInHashTables(&chains);
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    KEFOBDDManager* m = _bddManager;
    try {
    stream->PrintString("Unique table\n");
    PrintLine(stream, "Number of pages in unique table", static_cast<long long>(m->GetNumberOfPagesInUniqueTable()));
    PrintLine(stream, "Number of nodes in unique table", static_cast<long long>(m->GetNumberOfNodesInUniqueTable()));
    PrintLine(stream, "Number of nodes in a page", static_cast<long long>(m->GetSizeOfPages()));
    PrintLine(stream, "Size of a BDD node (in bytes)", static_cast<long long>(KEFOBDDManager::GetSizeOfNodeInBytes()));
    PrintLine(stream, "Size of the unique table (in bytes)", m->ComputeMemoryOccupationOfUniqueTableInBytes());
    stream->PrintString("Entry table\n");
    PrintLine(stream, "Number of active entries in entry table", static_cast<long long>(m->GetNumberOfActiveEntries()));
    PrintLine(stream, "Size of the entry table (in bytes)", m->ComputeMemoryOccupationOfEntryTableInBytes());
    stream->PrintString("Hashtables\n");
    PrintMeasure(stream, nodes, "Minimum number of nodes in hashtables", "Maximum number of nodes in hashtables",
                 "Mean number of nodes in hashtables", "Distribution of number of nodes in hashtables");
    PrintMeasure(stream, chains, "Minimum size of collision chain in hashtables",
                 "Maximum size of collision chain in hashtables", "Mean size of collision chain in hashtables",
                 "Distribution of size of collision chains in hashtables");
    stream->PrintString("Cache\n");
    PrintLine(stream, "Size of the cache (in number of records)", static_cast<long long>(m->GetCacheSize()));
    PrintLine(stream, "Number of operations recorded in cache",
              static_cast<long long>(m->GetNumberOfRecordedOperationsInCache()));
    PrintLine(stream, "Size of a BDD record (in bytes)", static_cast<long long>(KEFOBDDManager::GetSizeOfRecordInBytes()));
    PrintLine(stream, "Size of the cache (in bytes)", m->ComputeMemoryOccupationOfCacheInBytes());
    } catch (...) {
        _CloseOutputStream(errors, stream);
        throw;
    }
    _CloseOutputStream(errors, stream);
}
