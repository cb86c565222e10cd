// The interpreter frame: construction and destruction of the engines, error
// raising, and the trace channel.
#include "script/interpreter.h"

#include "diagrams/bdd_builder.h"
#include "diagrams/bdd_manager.h"
#include "io/checker.h"
#include "io/model_parser.h"
#include "io/model_printer.h"
#include "model/model.h"
#include "preprocessing/analyzer.h"
#include "preprocessing/flattener.h"
#include "preprocessing/ordering_manager.h"
#include "preprocessing/rewriter.h"
#include "quantification/calculator.h"
#include "script/messenger.h"
#include "script/script_calculator.h"
#include "script/script_environment.h"
#include "script/script_parser.h"
#include "script/script_printer.h"
#include "support/messenger.h"
#include "support/randomizer.h"
#include "support/stream.h"

#include <cstdio>

FILE* KEFOInterpreter::_traceFile = nullptr;

KEFOInterpreter::KEFOInterpreter() {
    try {
        _Construct();
    } catch (...) {
        // A failure half way (memory exhaustion) leaves nothing behind.
        _Destroy();
        throw;
    }
}

KEFOInterpreter::~KEFOInterpreter() { _Destroy(); }

// Construction order: source model (empty), target model (none), messenger,
// the model engines (model printer, model parser, checker, rewriter,
// flattener, ordering manager, analyzer, system builder, BDD builder,
// calculator, BDT manager, BDD manager, BDT builder), then the messenger on
// the model parser's store (with the registration of the codes), error
// stream, script parser, script printer, script environment, script
// calculator; last the default settings.
void KEFOInterpreter::_Construct() {
    _sourceModel = new KEFOModel();
    _targetModel = nullptr;
    _messenger = new KEFOMessenger(this);
    _modelPrinter = new KEFOModelPrinter(_messenger, this);
    _modelParser = new KEFOModelParser(_messenger, this);
    _checker = new KEFOChecker(this);
    _rewriter = new KEFORewriter(this);
    _flattener = new KEFOFlattener(this);
    _orderingManager = new KEFOOrderingManager(this);
    _analyzer = new KEFOAnalyzer(this);
    _bddBuilder = new KEFOBDDBuilder(this);
    _calculator = new KEFOCalculator();
    _bddManager = new KEFOBDDManager();
    _messenger->Initialize(_modelParser->GetMessenger());
    _errorStream = new PLOVFileStream(stderr);
    _scriptParser = new KEFOScriptParser(this);
    _scriptPrinter = new KEFOScriptPrinter(this);
    _scriptEnvironment = new KEFOScriptEnvironment(nullptr);
    _scriptCalculator = new KEFOScriptCalculator(this);
    ResetDefaultEnvironment();
}

// Destruction order: script calculator, script environment, script printer,
// script parser, error stream, then the model engines (BDT builder,
// calculator, BDD builder, system builder, analyzer, ordering manager,
// flattener, rewriter, checker, model parser, model printer), target model
// (unless it is the source model), source model, BDD manager, BDT manager,
// messenger. Every pointer may be null (a half-built interpreter).
void KEFOInterpreter::_Destroy() noexcept {
    delete _scriptCalculator;
    _scriptCalculator = nullptr;
    delete _scriptEnvironment;
    _scriptEnvironment = nullptr;
    delete _scriptPrinter;
    _scriptPrinter = nullptr;
    delete _scriptParser;
    _scriptParser = nullptr;
    delete _errorStream;
    _errorStream = nullptr;
    delete _calculator;
    _calculator = nullptr;
    delete _bddBuilder;
    _bddBuilder = nullptr;
    delete _analyzer;
    _analyzer = nullptr;
    delete _orderingManager;
    _orderingManager = nullptr;
    delete _flattener;
    _flattener = nullptr;
    delete _rewriter;
    _rewriter = nullptr;
    delete _checker;
    _checker = nullptr;
    // The messenger's store belongs to the model parser.
    if (_messenger != nullptr) _messenger->Initialize(nullptr);
    delete _modelParser;
    _modelParser = nullptr;
    delete _modelPrinter;
    _modelPrinter = nullptr;
    if (_targetModel != _sourceModel) delete _targetModel;
    _targetModel = nullptr;
    delete _sourceModel;
    _sourceModel = nullptr;
    // After the models: their handles release nodes of the store.
    delete _bddManager;
    _bddManager = nullptr;
    delete _messenger;
    _messenger = nullptr;
}

PLOVMessenger* KEFOInterpreter::GetMessageStore() const {
    return _modelParser != nullptr ? _modelParser->GetMessenger() : nullptr;
}

// --- state ------------------------------------------------------------------

// The engines that hold models and diagrams go back to their initial state
// (BDT builder, BDD builder, system builder, flattener, rewriter, model
// parser); both models are dropped and an empty source model takes their
// place; then the diagram stores are emptied (BDD manager, BDT store). The
// script environment is kept.
void KEFOInterpreter::Reset(int& errors) {
    if (errors != 0) return;
    if (_flattener != nullptr) _flattener->Reset();
    if (_rewriter != nullptr) _rewriter->Reset();
    KEFOModel* fresh = new KEFOModel();
    if (_bddBuilder != nullptr) _bddBuilder->Reset();
    ResetTargetModel();
    delete _sourceModel;
    _sourceModel = fresh;
    // After the models, whose handles hold nodes of the store.
    if (_bddManager != nullptr) _bddManager->Reset();
}

void KEFOInterpreter::ResetTargetModel() {
    if (_targetModel != _sourceModel) {
        _ForgetDiagramEntriesOfModel(_targetModel);
        delete _targetModel;
    }
    _targetModel = nullptr;
}

void KEFOInterpreter::SetTargetModel(KEFOModel* model) {
    if (model == _targetModel) return;
    ResetTargetModel();
    _targetModel = model;
}

// --- random generator ---------------------------------------------------------

PLOVRandomizer* KEFOInterpreter::GetRandomizer() const {
    return _calculator != nullptr ? _calculator->GetRandomizer() : nullptr;
}

void KEFOInterpreter::SetRandomizer(PLOVRandomizer* randomizer) {
    if (_calculator != nullptr)
        _calculator->SetRandomizer(randomizer);
    else
        delete randomizer;
}

long KEFOInterpreter::GetRandomizerSeed() const {
    PLOVRandomizer* randomizer = GetRandomizer();
    return randomizer != nullptr ? randomizer->GetSeed() : 0;
}

void KEFOInterpreter::SetRandomizerSeed(long seed) {
    PLOVRandomizer* randomizer = GetRandomizer();
    if (randomizer != nullptr) randomizer->SetSeed(seed);
}

// --- errors -----------------------------------------------------------------

void KEFOInterpreter::RaiseError(int& errors, int code, const char* a1, const char* a2, const char* a3) {
    ++errors;
    if (_messenger != nullptr) _messenger->RaiseError(code, a1, a2, a3);
}

void KEFOInterpreter::RaiseError(int& errors, int code, const PLOVXMLNode* node, const char* a1, const char* a2,
                                 const char* a3) {
    ++errors;
    if (_messenger != nullptr) _messenger->RaiseError(code, node, a1, a2, a3);
}

void KEFOInterpreter::RaiseError(int& errors, int code, const KEFOToken* token, const char* a1, const char* a2,
                                 const char* a3) {
    ++errors;
    if (_messenger != nullptr) _messenger->RaiseError(code, token, a1, a2, a3);
}

void KEFOInterpreter::RaiseError(int& errors, int code, const KEFOScriptCommand* command, const char* a1,
                                 const char* a2, const char* a3) {
    ++errors;
    if (_messenger != nullptr) _messenger->RaiseError(code, command, a1, a2, a3);
}

void KEFOInterpreter::PrintErrorMessages() {
    if (_messenger != nullptr) _messenger->PrintErrorMessages();
}

// --- trace ------------------------------------------------------------------

FILE* KEFOInterpreter::GetTraceFile() { return _traceFile; }

void KEFOInterpreter::SetTraceFile(FILE* file) { _traceFile = file; }

void KEFOInterpreter::Trace(const char* text) {
    if (_traceFile == nullptr) return;
    std::fprintf(_traceFile, "%s", text != nullptr ? text : "");
    std::fflush(_traceFile);
}

void KEFOInterpreter::Trace(const char* format, const char* s) {
    if (_traceFile == nullptr || format == nullptr) return;
    std::fprintf(_traceFile, format, s != nullptr ? s : "");
    std::fflush(_traceFile);
}

void KEFOInterpreter::Trace(const char* format, int i) {
    if (_traceFile == nullptr || format == nullptr) return;
    std::fprintf(_traceFile, format, i);
    std::fflush(_traceFile);
}

void KEFOInterpreter::Trace(const char* format, double d) {
    if (_traceFile == nullptr || format == nullptr) return;
    std::fprintf(_traceFile, format, d);
    std::fflush(_traceFile);
}

void KEFOInterpreter::Trace(int i) {
    if (_traceFile == nullptr) return;
    std::fprintf(_traceFile, "%d", i);
    std::fflush(_traceFile);
}

void KEFOInterpreter::Trace(double d) {
    if (_traceFile == nullptr) return;
    std::fprintf(_traceFile, "%g", d);
    std::fflush(_traceFile);
}
