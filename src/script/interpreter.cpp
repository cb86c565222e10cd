// The interpreter frame: construction and destruction of the engines, error
// raising, and the trace channel.
#include "script/interpreter.h"

#include "script/messenger.h"
#include "script/script_calculator.h"
#include "script/script_environment.h"
#include "script/script_parser.h"
#include "script/script_printer.h"
#include "support/messenger.h"
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

// Construction order: messenger, (the model engines as they join), message
// store and its registration, error stream, script parser, script printer,
// script environment, script calculator; last the default settings.
void KEFOInterpreter::_Construct() {
    _messenger = new KEFOMessenger(this);
    _messageStore = new PLOVMessenger();
    _messenger->Initialize(_messageStore);
    _errorStream = new PLOVFileStream(stderr);
    _scriptParser = new KEFOScriptParser(this);
    _scriptPrinter = new KEFOScriptPrinter(this);
    _scriptEnvironment = new KEFOScriptEnvironment(nullptr);
    _scriptCalculator = new KEFOScriptCalculator(this);
    ResetDefaultEnvironment();
}

// Destruction order: script calculator, script environment, script printer,
// script parser, error stream, (the model engines), message store,
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
    delete _messageStore;
    _messageStore = nullptr;
    delete _messenger;
    _messenger = nullptr;
}

// --- state ------------------------------------------------------------------

void KEFOInterpreter::Reset(int& errors) {
    if (errors != 0) return;
    // The engines that hold models and diagrams are reset here as they join;
    // the script environment is kept.
    ResetTargetModel();
}

void KEFOInterpreter::ResetTargetModel() {}

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
