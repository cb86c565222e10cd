// The built-in command words and the dispatch of their sub-command words.
// Each word has a table of its sub-commands in the order they are compared:
// the word, the exact number of arguments counting the word (-1: not
// counted here), the handler. A null handler marks a sub-command whose
// engine is not available: it raises 13002 "Command not implemented yet."
// once its arguments are counted.
#include "script/interpreter.h"

#include "script/script_command.h"

#include <cstring>
#include <string>

void KEFOInterpreter::_DispatchSubCommand(int& errors, KEFOScriptCommand* command, const SubCommand* table,
                                          std::size_t size) {
    if (errors != 0) return;
    const char* word = _GetSymbolArgument(errors, command, 1);
    if (errors != 0 || word == nullptr) return;
    for (std::size_t i = 0; i < size; ++i) {
        const SubCommand& entry = table[i];
        if (std::strcmp(word, entry.word) != 0) continue;
        if (entry.numberOfArguments >= 0 && !_CheckNumberOfArguments(errors, command, entry.numberOfArguments))
            return;
        if (entry.handler == nullptr) {
            RaiseError(errors, 13002, command);
            return;
        }
        (this->*entry.handler)(errors, command);
        return;
    }
    RaiseError(errors, 11210, command, "1", word);
}

void KEFOInterpreter::_ExecuteBuiltinCommandNothing(int& /*errors*/, KEFOScriptCommand* /*command*/) {}

void KEFOInterpreter::_ExecuteBuiltinCommandBuild(int& errors, KEFOScriptCommand* command) {
    static const SubCommand subCommands[] = {
        {"target-model", 1, &KEFOInterpreter::_ExecuteBuiltinCommandBuildTargetModel},
        {"preprocessed-model", 2, &KEFOInterpreter::_ExecuteBuiltinCommandBuildPreprocessedModel},
        {"system", 2, nullptr},
        {"BDT", 2, nullptr},
        {"BDD", 2, &KEFOInterpreter::_ExecuteBuiltinCommandBuildBDD},
        {"ZBDD-from-BDD", 2, &KEFOInterpreter::_ExecuteBuiltinCommandBuildZBDDFromBDD},
        {"WBDD", 2, &KEFOInterpreter::_ExecuteBuiltinCommandBuildWBDD},
        {"WZBDD-from-BDD", 2, &KEFOInterpreter::_ExecuteBuiltinCommandBuildWZBDDFromBDD},
        {"BDD-from-BDT", 2, nullptr},
        {"ZBDD-from-BDT", 2, nullptr},
        {"BDT-from-BDD", 2, nullptr},
        {"BDT-from-ZBDD", 2, nullptr},
    };
    _DispatchSubCommand(errors, command, subCommands);
}

// Every check needs a built target model and takes no further argument.
void KEFOInterpreter::_ExecuteBuiltinCommandCheck(int& errors, KEFOScriptCommand* command) {
    static const SubCommand subCommands[] = {
        {"model", 1, &KEFOInterpreter::_ExecuteBuiltinCommandCheckDefinitions},
        {"events", 1, &KEFOInterpreter::_ExecuteBuiltinCommandCheckDefinitions},
        {"gates", 1, &KEFOInterpreter::_ExecuteBuiltinCommandCheckDefinitions},
        {"basic-events", 1, &KEFOInterpreter::_ExecuteBuiltinCommandCheckDefinitions},
        {"house-events", 1, &KEFOInterpreter::_ExecuteBuiltinCommandCheckDefinitions},
        {"parameters", 1, &KEFOInterpreter::_ExecuteBuiltinCommandCheckDefinitions},
        {"top-event", 1, &KEFOInterpreter::_ExecuteBuiltinCommandCheckDefinitions},
    };
    _DispatchSubCommand(errors, command, subCommands);
}

void KEFOInterpreter::_ExecuteBuiltinCommandCompute(int& errors, KEFOScriptCommand* command) {
    static const SubCommand subCommands[] = {
        {"values-of-parameters", 2, &KEFOInterpreter::_ExecuteBuiltinCommandComputeValuesOfParameters},
        {"probabilities-of-basic-events", 2, &KEFOInterpreter::_ExecuteBuiltinCommandComputeProbabilitiesOfBasicEvents},
        {"probability", 2, &KEFOInterpreter::_ExecuteBuiltinCommandComputeTopEventProbability},
        {"time-to-probability", 3, nullptr},
        {"importance-measures", 2, nullptr},
        {"group-importance-measures", 3, nullptr},
        {"orders", 2, &KEFOInterpreter::_ExecuteBuiltinCommandComputeOrdersOfMinimalCutsets},
        {"sensitivity", 2, nullptr},
        {"failure-intensity", 2, nullptr},
        {"size-of-diagram", 2, &KEFOInterpreter::_ExecuteBuiltinCommandComputeSizeOfDiagram},
        {"number-of-products", 2, &KEFOInterpreter::_ExecuteBuiltinCommandComputeNumberOfProducts},
        {"size-of-sum-of-products", 2, &KEFOInterpreter::_ExecuteBuiltinCommandComputeSizeOfSumOfProducts},
        {"lowest-order", 2, &KEFOInterpreter::_ExecuteBuiltinCommandComputeLowestOrderOfMinimalCutsets},
        {"highest-order", 2, &KEFOInterpreter::_ExecuteBuiltinCommandComputeHighestOrderOfMinimalCutsets},
        {"numbers-of-occurrences", 2,
         &KEFOInterpreter::_ExecuteBuiltinCommandComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets},
    };
    _DispatchSubCommand(errors, command, subCommands);
}

void KEFOInterpreter::_ExecuteBuiltinCommandLoad(int& errors, KEFOScriptCommand* command) {
    static const SubCommand subCommands[] = {
        {"model", 2, &KEFOInterpreter::_ExecuteBuiltinCommandLoadModel},
        {"script", 2, &KEFOInterpreter::_ExecuteBuiltinCommandLoadScript},
    };
    _DispatchSubCommand(errors, command, subCommands);
}

void KEFOInterpreter::_ExecuteBuiltinCommandPrint(int& errors, KEFOScriptCommand* command) {
    static const SubCommand subCommands[] = {
        {"model", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintSourceModel},
        {"source-model", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintSourceModel},
        {"target-model", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintTargetModel},
        {"modules", 2, &KEFOInterpreter::_ExecuteBuiltinCommandPrintModules},
        {"numbers-of-parents", 2, &KEFOInterpreter::_ExecuteBuiltinCommandPrintNumbersOfParents},
        {"model-statistics", 2, &KEFOInterpreter::_ExecuteBuiltinCommandPrintModelStatistics},
        {"system", 2, nullptr},
        {"occurrences-of-variables", 2, nullptr},
        {"values-of-variables", 2, nullptr},
        {"system-statistics", 2, nullptr},
        {"handles", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintHandles},
        {"option", 2, &KEFOInterpreter::_ExecuteBuiltinCommandPrintEnvironmentVariable},
        {"options", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintEnvironmentVariables},
        {"randomizer-seed", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintRandomizerSeed},
        {"minimal-cutsets", 2, &KEFOInterpreter::_ExecuteBuiltinCommandPrintMinimalCutsets},
        {"BDD", 2, &KEFOInterpreter::_ExecuteBuiltinCommandPrintBDD},
        {"BDT-index", 2, nullptr},
        {"BDT-indices", 2, nullptr},
        {"BDD-index", 2, &KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDIndex},
        {"BDD-indices", 2, &KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDIndices},
        {"BDD-table-size", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDTableSize},
        {"BDD-cache-size", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDCacheSize},
        {"BDD-page-size", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDPageSize},
        {"BDD-hashtable-size", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDHashtableSize},
        {"BDD-number-of-nodes", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDNumberOfNodes},
        {"BDD-number-of-pages", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDNumberOfPages},
        {"BDD-number-of-active-nodes", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDNumberOfActiveNodes},
        {"BDD-statistics", 1, &KEFOInterpreter::_ExecuteBuiltinCommandPrintBDDStatistics},
        {"walk-statistics", 1, nullptr},
        {"cutset-justification", -1, &KEFOInterpreter::_ExecuteBuiltinCommandNothing},
    };
    _DispatchSubCommand(errors, command, subCommands);
}

void KEFOInterpreter::_ExecuteBuiltinCommandReset(int& errors, KEFOScriptCommand* command) {
    static const SubCommand subCommands[] = {
        {"model", 1, &KEFOInterpreter::_ExecuteBuiltinCommandResetSourceModel},
        {"source-model", 1, &KEFOInterpreter::_ExecuteBuiltinCommandResetSourceModel},
        {"target-model", 1, &KEFOInterpreter::_ExecuteBuiltinCommandResetTargetModel},
        {"source-handle", 3, &KEFOInterpreter::_ExecuteBuiltinCommandResetHandle},
    };
    _DispatchSubCommand(errors, command, subCommands);
}

void KEFOInterpreter::_ExecuteBuiltinCommandSet(int& errors, KEFOScriptCommand* command) {
    static const SubCommand subCommands[] = {
        {"option", 3, &KEFOInterpreter::_ExecuteBuiltinCommandSetOption},
        {"randomizer-seed", 2, &KEFOInterpreter::_ExecuteBuiltinCommandSetRandomizerSeed},
        {"BDT-index", 3, nullptr},
        {"BDD-index", 3, &KEFOInterpreter::_ExecuteBuiltinCommandSetBDDIndex},
        {"BDT-indices", 2, nullptr},
        {"BDD-indices", 2, &KEFOInterpreter::_ExecuteBuiltinCommandSetBDDIndices},
        {"BDD-table-size", 2, &KEFOInterpreter::_ExecuteBuiltinCommandSetBDDTableSize},
        {"BDD-page-size", 2, &KEFOInterpreter::_ExecuteBuiltinCommandSetBDDPageSize},
        {"BDD-cache-size", 2, &KEFOInterpreter::_ExecuteBuiltinCommandSetBDDCacheSize},
        {"BDD-hashtable-size", 2, &KEFOInterpreter::_ExecuteBuiltinCommandSetBDDHashtableSize},
        // The counts printed by "print" read back as checks that change nothing.
        {"BDD-number-of-nodes", 2, &KEFOInterpreter::_ExecuteBuiltinCommandSetBDDCount},
        {"BDD-number-of-pages", 2, &KEFOInterpreter::_ExecuteBuiltinCommandSetBDDCount},
        {"BDD-number-of-active-nodes", 2, &KEFOInterpreter::_ExecuteBuiltinCommandSetBDDCount},
    };
    _DispatchSubCommand(errors, command, subCommands);
}
