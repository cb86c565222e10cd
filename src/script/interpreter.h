// The interpreter: owner of every engine and of the script machinery (parser,
// printer, environment, calculator, messenger). KEFO_EvalScript creates one
// for each script run; a host may keep one and drive it directly.
//
// Every operation that can fail takes the error counter first: raising an
// error increments it by one and queues a coded message; an operation that
// finds it non-zero on entry does nothing. The first command that raises an
// error ends the script.
//
// Engines are owned through the pointers below. Adding one means: a field,
// an accessor, one line in _Construct and one in _Destroy (each in its place
// of the construction and destruction orders).
//
// Built-in commands: each command word has a handler that dispatches its
// sub-command word (argument 1) through a table of {word, number of
// arguments, handler} (interpreter_commands.cpp); the dispatcher raises 11210
// for an unknown word and 11202 for a wrong count, so a handler starts with
// its arguments counted. A null handler raises 13002: adding a sub-command is
// declaring its handler below and naming it in its table line.
#ifndef KEFO_SCRIPT_INTERPRETER_H
#define KEFO_SCRIPT_INTERPRETER_H

#include "support/memory_manager.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

class KEFOBDDBuilder;
class KEFOBDDManager;
class KEFOCalculator;
class PLOVTimer;
class KEFOCutoff;
class KEFOHandle;
class KEFOMessenger;
class KEFOMissionProfile;
class KEFOAnalyzer;
class KEFOChecker;
class KEFOFlattener;
class KEFOModel;
class KEFOModelParser;
class KEFOModelPrinter;
class KEFOOrderingManager;
class KEFORewriter;
class KEFOParameter;
class KEFOScriptCalculator;
class KEFOScriptCommand;
class KEFOScriptEnvironment;
class KEFOScriptParser;
class KEFOScriptPrinter;
class KEFOScriptVariable;
class KEFOToken;
class KEFOVariable;
class PLOVManagedValue;
class PLOVMessenger;
class PLOVRandomizer;
class PLOVStream;
class PLOVXMLNode;

class KEFOInterpreter {
    PLOV_MANAGED_ALLOCATION(KEFOInterpreter)
public:
    // Deepest nesting of "load script" commands (a script that loads itself
    // ends with 13003 instead of exhausting the stack).
    static const int maximumScriptNestingDepth = 16;

    KEFOInterpreter();
    ~KEFOInterpreter();
    KEFOInterpreter(const KEFOInterpreter&) = delete;
    KEFOInterpreter& operator=(const KEFOInterpreter&) = delete;

    // ---- Accessors ---------------------------------------------------------
    // The model "load" fills (never null) and the flat model "build" derives
    // from it (null until built; it may be the source model itself).
    KEFOModel* GetSourceModel() const { return _sourceModel; }
    KEFOModel* GetTargetModel() const { return _targetModel; }
    // Installs a built target model (owned from here on; the previous one is
    // deleted unless it is the source model or the same object).
    void SetTargetModel(KEFOModel* model);
    KEFOModelPrinter* GetPrinter() const { return _modelPrinter; }
    KEFOModelParser* GetParser() const { return _modelParser; }
    KEFOChecker* GetChecker() const { return _checker; }
    KEFORewriter* GetRewriter() const { return _rewriter; }
    KEFOFlattener* GetFlattener() const { return _flattener; }
    KEFOAnalyzer* GetAnalyzer() const { return _analyzer; }
    KEFOOrderingManager* GetOrderingManager() const { return _orderingManager; }
    KEFOBDDBuilder* GetBDDBuilder() const { return _bddBuilder; }
    KEFOCalculator* GetCalculator() const { return _calculator; }
    KEFOBDDManager* GetBDDManager() const { return _bddManager; }
    KEFOScriptParser* GetScriptParser() const { return _scriptParser; }
    KEFOScriptPrinter* GetScriptPrinter() const { return _scriptPrinter; }
    KEFOScriptEnvironment* GetScriptEnvironment() const { return _scriptEnvironment; }
    KEFOScriptCalculator* GetScriptCalculator() const { return _scriptCalculator; }
    KEFOMessenger* GetMessenger() const { return _messenger; }
    // The store of message patterns and pending messages that the messenger
    // uses: the model parser's (its XML reader's codes and the engine's
    // codes in one store and one queue).
    PLOVMessenger* GetMessageStore() const;
    PLOVStream* GetErrorStream() const { return _errorStream; }

    // ---- Builds of decision diagrams (interpreter_build.cpp) -----------------
    // On a variable of the target model, into the handle of the given name.
    // BuildBDD and BuildWBDD first order the variables of the cone with the
    // heuristic (KEFOOrderingManager::Heuristic); the conversions read a
    // source handle of the named kind.
    void BuildBDD(int& errors, KEFOVariable* variable, const char* name, int heuristic = 2);
    void BuildWBDD(int& errors, KEFOVariable* variable, KEFOCutoff* cutoff, const char* name, int heuristic = 2);
    void BuildZBDDFromBDD(int& errors, KEFOVariable* variable, KEFOHandle* source, const char* name);
    void BuildBDDFromZBDD(int& errors, KEFOVariable* variable, KEFOHandle* source, const char* name);
    void BuildWZBDDFromBDD(int& errors, KEFOVariable* variable, KEFOHandle* source, KEFOCutoff* cutoff,
                           const char* name);

    // ---- Scripts -----------------------------------------------------------
    // Reads the script file into a fresh tree, runs it and deletes the tree,
    // with the "load", "execute" and "done" lines on the standard output.
    void DownloadAndExecuteScript(int& errors, const char* path);
    // Runs a command tree; prints and clears the pending messages if the
    // counter is non-zero afterwards.
    void ExecuteScript(int& errors, KEFOScriptCommand* command);
    // Runs one command without printing the messages.
    void ExecuteCommand(int& errors, KEFOScriptCommand* command);

    // ---- State -------------------------------------------------------------
    // Returns every engine to its freshly built state and replaces the
    // source model by an empty one; keeps the environment.
    void Reset(int& errors);
    // Deletes the target model (unless it is the source model) and forgets it.
    void ResetTargetModel();
    // Empties the environment and fills it with the default settings.
    void ResetDefaultEnvironment();

    // ---- Declarations as open-psa elements -------------------------------------
    // The element of one variable (basic event, gate or house event) or
    // parameter, as the model printer uploads it, at the printer's current
    // depth. Nothing for a null variable or stream.
    void PrintVariableDeclaration(KEFOVariable* variable, PLOVStream* stream);
    void PrintParameterDeclaration(KEFOParameter* parameter, PLOVStream* stream);

    // ---- Target and preprocessed models (interpreter_preprocessing.cpp) ----
    // Flattens the source model into a new target model (replacing the one
    // there), completes it and expands its CCF groups. Nothing is kept after
    // an error.
    void BuildTargetModel(int& errors);
    // The target model, built first when there is none; null after errors.
    KEFOModel* GetOrBuildTargetModel(int& errors);
    // Preprocesses the definitions under a variable of the target model in
    // place (the target model is the preprocessed model), checks the result
    // (pending messages are printed when a check fails) and resets the
    // random deviates of the parameters under the variable. A variable
    // preprocessed before only has its modules detected and checked again,
    // so that repeated builds see the same preprocessed model.
    void BuildPreprocessedModel(int& errors, KEFOVariable* variable);

    // ---- Random generator (the calculator's) ---------------------------------
    PLOVRandomizer* GetRandomizer() const;
    // Deletes the current generator and installs the given one (owned).
    void SetRandomizer(PLOVRandomizer* randomizer);
    // The current generator's seed (0 without generator).
    long GetRandomizerSeed() const;
    // Restarts the current generator (if any) from the seed.
    void SetRandomizerSeed(long seed);

    // ---- Environment reads (settings) ----------------------------------------
    // 11300 when no environment holds the name; the typed forms raise 11302 to
    // 11306 on a value of another kind. After an error: null, false, 0, 0.0.
    const PLOVManagedValue* GetValueOfEnvironmentVariable(int& errors, const char* name);
    bool GetValueOfEnvironmentVariableAsBoolean(int& errors, const char* name);
    int GetValueOfEnvironmentVariableAsInteger(int& errors, const char* name);
    double GetValueOfEnvironmentVariableAsDouble(int& errors, const char* name);  // Integer converted
    const char* GetValueOfEnvironmentVariableAsSymbol(int& errors, const char* name);
    const char* GetValueOfEnvironmentVariableAsString(int& errors, const char* name);

    // ---- Errors ------------------------------------------------------------
    // Each increments the counter by one and queues the message with its
    // location (none, an XML node, a token, a command).
    void RaiseError(int& errors, int code, const char* a1 = nullptr, const char* a2 = nullptr,
                    const char* a3 = nullptr);
    void RaiseError(int& errors, int code, const PLOVXMLNode* node, const char* a1 = nullptr,
                    const char* a2 = nullptr, const char* a3 = nullptr);
    void RaiseError(int& errors, int code, const KEFOToken* token, const char* a1 = nullptr,
                    const char* a2 = nullptr, const char* a3 = nullptr);
    void RaiseError(int& errors, int code, const KEFOScriptCommand* command, const char* a1 = nullptr,
                    const char* a2 = nullptr, const char* a3 = nullptr);
    void PrintErrorMessages();

    // ---- Trace channel (process-wide; null by default) ----------------------
    static FILE* GetTraceFile();
    static void SetTraceFile(FILE* file);
    static void Trace(const char* text);
    static void Trace(const char* format, const char* s);
    static void Trace(const char* format, int i);
    static void Trace(const char* format, double d);
    static void Trace(int i);
    static void Trace(double d);

private:
    // Tests drive the argument and option getters directly.
    friend class KEFOInterpreterProbe;

    typedef void (KEFOInterpreter::*CommandHandler)(int& errors, KEFOScriptCommand* command);
    // One line of a dispatch table: the sub-command word, its exact number
    // of arguments counting the word (-1: any number), its handler (null:
    // not available, 13002).
    struct SubCommand {
        const char* word;
        int numberOfArguments;
        CommandHandler handler;
    };

    // Creates the engines in the construction order; deletes whatever exists
    // in the destruction order (safe on a half-built interpreter).
    void _Construct();
    void _Destroy() noexcept;

    // Executors (interpreter_execute.cpp).
    void _Dispatch(int& errors, KEFOScriptCommand* command);
    void _ExecuteBlock(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommand(int& errors, KEFOScriptCommand* command);
    void _ExecuteAssignment(int& errors, KEFOScriptCommand* command);
    void _ExecuteConditionalCommand(int& errors, KEFOScriptCommand* command);
    void _ExecuteWhileCommand(int& errors, KEFOScriptCommand* command);

    // Dispatch of the sub-command word (interpreter_commands.cpp).
    void _DispatchSubCommand(int& errors, KEFOScriptCommand* command, const SubCommand* table, std::size_t size);
    template <std::size_t N>
    void _DispatchSubCommand(int& errors, KEFOScriptCommand* command, const SubCommand (&table)[N]) {
        _DispatchSubCommand(errors, command, table, N);
    }
    // A sub-command that is accepted and does nothing.
    void _ExecuteBuiltinCommandNothing(int& errors, KEFOScriptCommand* command);

    // Command words (interpreter_commands.cpp).
    void _ExecuteBuiltinCommandBuild(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandCheck(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandCompute(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandLoad(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrint(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandReset(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandSet(int& errors, KEFOScriptCommand* command);

    // load (interpreter_load.cpp).
    void _ExecuteBuiltinCommandLoadModel(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandLoadScript(int& errors, KEFOScriptCommand* command);

    // set and reset (interpreter_set_reset.cpp).
    void _ExecuteBuiltinCommandSetOption(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandSetRandomizerSeed(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandResetSourceModel(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandResetTargetModel(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandResetHandle(int& errors, KEFOScriptCommand* command);

    // print (interpreter_print.cpp).
    void _ExecuteBuiltinCommandPrintSourceModel(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintTargetModel(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintHandles(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintEnvironmentVariable(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintEnvironmentVariables(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintRandomizerSeed(int& errors, KEFOScriptCommand* command);
    // build and the BDD store (interpreter_build.cpp).
    void _ExecuteBuiltinCommandBuildBDD(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandBuildWBDD(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandBuildZBDDFromBDD(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandBuildWZBDDFromBDD(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandSetBDDTableSize(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandSetBDDPageSize(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandSetBDDCacheSize(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandSetBDDHashtableSize(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandSetBDDCount(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandSetBDDIndex(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandSetBDDIndices(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintBDDTableSize(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintBDDCacheSize(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintBDDPageSize(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintBDDHashtableSize(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintBDDNumberOfNodes(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintBDDNumberOfPages(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintBDDNumberOfActiveNodes(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintBDDIndex(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintBDDIndices(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintBDD(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintBDDStatistics(int& errors, KEFOScriptCommand* command);
    // Common steps of the builds.
    bool _BuildTargetModelOnDemand(int& errors, KEFOScriptCommand* command);
    void _PreprocessTargetVariable(int& errors, KEFOScriptCommand* command, KEFOVariable* variable);
    void _PrintRunningTime(int& errors, KEFOScriptCommand* command, const char* word, const PLOVTimer& timer);
    bool _GetTargetHandleOption(int& errors, KEFOScriptCommand* command, const char* byDefault, std::string& name);
    double _GetBuildMissionTimeOption(int& errors, KEFOScriptCommand* command);
    bool _GetKeepIntermediateHandlesOption(int& errors, KEFOScriptCommand* command);
    // The cutoff of the settings "minimum-probability",
    // "minimum-contribution" (reals in [0, 1]), "maximum-order",
    // "maximum-number" (integers, not negative) and "weight-scale-factor"
    // (in [2, 10]), each overridden by the option of the same name; a new
    // record owned by the caller, null after an error.
    KEFOCutoff* _GetCutoffOption(int& errors, KEFOScriptCommand* command);
    void _PrintBDDStoreSetting(int& errors, KEFOScriptCommand* command, const char* name, long value);
    // The entries of the BDD store that name variables of the model forget
    // them (the model is about to go).
    void _ForgetDiagramEntriesOfModel(KEFOModel* model);

    // Prints a model in a model format ("qoln-sbe", "open-psa"; "vorlek"
    // writes nothing) into the command's output stream.
    void _PrintModel(int& errors, KEFOScriptCommand* command, KEFOModel* model);

    // compute (interpreter_compute.cpp) and print minimal-cutsets
    // (interpreter_print_minimal_cutsets.cpp). Handlers start with their
    // arguments counted by the dispatcher.
    void _ExecuteBuiltinCommandComputeValuesOfParameters(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandComputeProbabilitiesOfBasicEvents(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandComputeTopEventProbability(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandComputeOrdersOfMinimalCutsets(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandComputeSizeOfDiagram(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandComputeNumberOfProducts(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandComputeSizeOfSumOfProducts(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandComputeLowestOrderOfMinimalCutsets(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandComputeHighestOrderOfMinimalCutsets(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(int& errors,
                                                                                      KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintMinimalCutsets(int& errors, KEFOScriptCommand* command);
    // Values of parameters (true) or probabilities of basic events (false)
    // below the variable of argument 2.
    void _ExecuteBuiltinCommandComputeValuesInCone(int& errors, KEFOScriptCommand* command, bool parameters);
    // The counting reports: one measure of the handle in a matrix.
    void _ExecuteBuiltinCommandComputeCount(int& errors, KEFOScriptCommand* command, const char* word);
    // The variable (argument 2), its source handle of the family the test
    // accepts, and the mission profile (returned, owned by the caller);
    // null after an error.
    KEFOMissionProfile* _PrepareComputeOnHandle(int& errors, KEFOScriptCommand* command,
                                                int (*test)(const KEFOHandle* handle, const void* key),
                                                KEFOHandle*& handle);
    // The handle takes the profile's method; the random deviates of its
    // parameters and state variables go back to their nominal values.
    void _PrepareHandleForComputation(KEFOHandle* handle, const KEFOMissionProfile* profile);
    // A setting overridden by the option of the same name (the setting's
    // errors, then the option's).
    bool _GetBooleanOptionOrSetting(int& errors, KEFOScriptCommand* command, const char* name);
    double _GetDoubleOptionOrSetting(int& errors, KEFOScriptCommand* command, const char* name, double minimum,
                                     double maximum);
    // The variable of argument 2 in the model prepared for it (11001 when
    // no model is there).
    KEFOVariable* _PrepareModelOfVariable(int& errors, KEFOScriptCommand* command);

    // build target-model, build preprocessed-model, check, print modules,
    // numbers-of-parents and model-statistics (interpreter_preprocessing.cpp).
    void _ExecuteBuiltinCommandBuildTargetModel(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandBuildPreprocessedModel(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandCheckDefinitions(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintModules(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintNumbersOfParents(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintModelStatistics(int& errors, KEFOScriptCommand* command);
    // Opens the output stream, lets the model printer write the report of
    // the variable named by argument 2, closes the stream.
    void _PrintReportOfVariable(int& errors, KEFOScriptCommand* command, int report);

    // Argument reads, by position from 1 (interpreter_arguments.cpp). A
    // failed read raises at the command and gives a neutral value (null, 0,
    // 0.0, false); a read after an earlier failure of the same command still
    // runs, and handlers test the counter before acting.
    bool _CheckNumberOfArguments(int& errors, KEFOScriptCommand* command, int expected);
    const PLOVManagedValue* _GetArgument(int& errors, KEFOScriptCommand* command, int number);
    int _GetIntegerArgument(int& errors, KEFOScriptCommand* command, int number, int minimum, int maximum);
    double _GetDoubleArgument(int& errors, KEFOScriptCommand* command, int number, double minimum, double maximum);
    const char* _GetSymbolArgument(int& errors, KEFOScriptCommand* command, int number);
    const char* _GetStringArgument(int& errors, KEFOScriptCommand* command, int number);
    // A variable of the target model named by its path (11001, 11205,
    // 10039, 10061).
    KEFOVariable* _GetVariableArgument(int& errors, KEFOScriptCommand* command, int number);
    KEFOScriptVariable* _GetEnvironmentVariableArgument(int& errors, KEFOScriptCommand* command, int number);
    // A List of Symbols naming variables of the target model, appended to
    // `group` in the order given, each once (11207, 11001, 10039, 10061).
    // False after an error.
    bool _GetGroupOfStateVariablesArgument(int& errors, KEFOScriptCommand* command, int number,
                                           std::vector<KEFOVariable*>& group);

    // Option reads, by name (interpreter_arguments.cpp). The default is used
    // when the option is absent, has no value or evaluates to nil.
    const PLOVManagedValue* _GetOption(int& errors, KEFOScriptCommand* command, const char* name);
    bool _GetBooleanOption(int& errors, KEFOScriptCommand* command, const char* name, bool defaultValue);
    // The default is range-checked too (11307).
    int _GetIntegerOption(int& errors, KEFOScriptCommand* command, const char* name, int defaultValue, int minimum,
                          int maximum);
    double _GetDoubleOption(int& errors, KEFOScriptCommand* command, const char* name, double defaultValue,
                            double minimum, double maximum);
    const char* _GetSymbolOption(int& errors, KEFOScriptCommand* command, const char* name,
                                 const char* defaultValue);
    const char* _GetStringOption(int& errors, KEFOScriptCommand* command, const char* name,
                                 const char* defaultValue);
    // Option "format", lowered: "qoln-sbe" (also "sbe"; the default),
    // "open-psa" (also "opsa") or "vorlek"; null after 11058 or 11305.
    const char* _GetModelFormatOption(int& errors, KEFOScriptCommand* command);
    // "kefo" (the default) or "kefo-xml".
    const char* _GetScriptFormatOption(int& errors, KEFOScriptCommand* command);
    // "tsv" (the default), "open-psa" (also "opsa") or "qoln-sbe" (also "sbe").
    const char* _GetMinimalCutsetsFormatOption(int& errors, KEFOScriptCommand* command);
    // The handle of the variable named by the option "source-handle"
    // (11305; 11067 none of that name; 11066 when the test rejects it), or
    // without the option the first handle in name order the test accepts
    // (11060 when none does). The test answers zero for a suitable handle.
    KEFOHandle* _GetSourceHandleOption(int& errors, KEFOScriptCommand* command, KEFOVariable* variable,
                                       int (*test)(const KEFOHandle* handle, const void* key),
                                       const void* key = nullptr);
    // The setting "quantification-method" overridden by the option of that
    // name: a KEFOHandle::QuantificationMethod, 2 rare-event approximation ("REA",
    // "rare-event-approximation"), 3 min-cut upper bound ("MCUB",
    // "mincut-upper-bound"), 4 pivotal upper bound ("PUB",
    // "pivotal-upper-bound"), words matched exactly; 0 after an error (11068
    // for an unknown word).
    int _GetOptionQuantificationMethod(int& errors, KEFOScriptCommand* command);
    // The setting "variable-ordering-heuristic" overridden by the option: a
    // KEFOOrderingManager::Heuristic, 1 "pure-DFLM", 2 "DFLM", 3 "CPFLM",
    // 4 "SCG-OAF", 5 "SCG-DPN"; DFLM when the setting cannot be read, and
    // after 11069 for an unknown word.
    int _GetOptionVariableOrderingHeuristic(int& errors, KEFOScriptCommand* command);
    // The mission times of the option "mission-time" (else of the setting):
    // a number, or a List of numbers (11304 otherwise); they replace the
    // profile's times. False after an error.
    bool _GetOptionMissionTime(int& errors, KEFOScriptCommand* command, KEFOMissionProfile* profile);
    // A new profile (the caller owns it): mission times, quantification
    // method, "add-singular-points", "smooth-curve", "smoothing-ratio"; null
    // after an error.
    KEFOMissionProfile* _GetOptionMissionProfile(int& errors, KEFOScriptCommand* command);

    // Output stream of a command, from the settings and options "output"
    // and "mode" (interpreter_environment.cpp).
    void _OpenOutputStream(int& errors, KEFOScriptCommand* command, PLOVStream*& stream);
    void _CloseOutputStream(int& errors, PLOVStream*& stream);

    // Engines, in construction order.
    KEFOModel* _sourceModel = nullptr;
    KEFOModel* _targetModel = nullptr;
    KEFOMessenger* _messenger = nullptr;
    KEFOModelPrinter* _modelPrinter = nullptr;
    KEFOModelParser* _modelParser = nullptr;
    KEFOChecker* _checker = nullptr;
    KEFORewriter* _rewriter = nullptr;
    KEFOFlattener* _flattener = nullptr;
    KEFOOrderingManager* _orderingManager = nullptr;
    KEFOAnalyzer* _analyzer = nullptr;
    KEFOBDDBuilder* _bddBuilder = nullptr;
    KEFOCalculator* _calculator = nullptr;
    KEFOBDDManager* _bddManager = nullptr;
    PLOVStream* _errorStream = nullptr;
    KEFOScriptParser* _scriptParser = nullptr;
    KEFOScriptPrinter* _scriptPrinter = nullptr;
    KEFOScriptEnvironment* _scriptEnvironment = nullptr;
    KEFOScriptCalculator* _scriptCalculator = nullptr;

    // Nesting of "load script" in progress.
    int _scriptDepth = 0;

    static FILE* _traceFile;
};

#endif
