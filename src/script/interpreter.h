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
#ifndef KEFO_SCRIPT_INTERPRETER_H
#define KEFO_SCRIPT_INTERPRETER_H

#include "support/memory_manager.h"

#include <cstdio>

class KEFOMessenger;
class KEFOScriptCalculator;
class KEFOScriptCommand;
class KEFOScriptEnvironment;
class KEFOScriptParser;
class KEFOScriptPrinter;
class KEFOScriptVariable;
class KEFOToken;
class PLOVManagedValue;
class PLOVMessenger;
class PLOVStream;
class PLOVXMLNode;

class KEFOInterpreter {
    PLOV_MANAGED_ALLOCATION(KEFOInterpreter)
public:
    KEFOInterpreter();
    ~KEFOInterpreter();
    KEFOInterpreter(const KEFOInterpreter&) = delete;
    KEFOInterpreter& operator=(const KEFOInterpreter&) = delete;

    // ---- Accessors ---------------------------------------------------------
    KEFOScriptParser* GetScriptParser() const { return _scriptParser; }
    KEFOScriptPrinter* GetScriptPrinter() const { return _scriptPrinter; }
    KEFOScriptEnvironment* GetScriptEnvironment() const { return _scriptEnvironment; }
    KEFOScriptCalculator* GetScriptCalculator() const { return _scriptCalculator; }
    KEFOMessenger* GetMessenger() const { return _messenger; }
    // The store of message patterns and pending messages that the messenger
    // uses (owned here until the model parser's XML reader holds it).
    PLOVMessenger* GetMessageStore() const { return _messageStore; }
    PLOVStream* GetErrorStream() const { return _errorStream; }

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
    // Returns every engine to its freshly built state; keeps the environment.
    void Reset(int& errors);
    // Deletes the target model (unless it is the source model).
    void ResetTargetModel();
    // Empties the environment and fills it with the default settings.
    void ResetDefaultEnvironment();

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

    // Command handlers, one per word (interpreter_commands.cpp).
    void _ExecuteBuiltinCommandBuild(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandCheck(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandCompute(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandLoad(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrint(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandReset(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandSet(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandSetOption(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintEnvironmentVariable(int& errors, KEFOScriptCommand* command);
    void _ExecuteBuiltinCommandPrintEnvironmentVariables(int& errors, KEFOScriptCommand* command);

    // Argument and option reads of the handlers (interpreter_arguments.cpp).
    bool _CheckNumberOfArguments(int& errors, KEFOScriptCommand* command, int expected);
    const PLOVManagedValue* _GetArgument(int& errors, KEFOScriptCommand* command, int number);
    const char* _GetSymbolArgument(int& errors, KEFOScriptCommand* command, int number);
    KEFOScriptVariable* _GetEnvironmentVariableArgument(int& errors, KEFOScriptCommand* command, int number);
    const PLOVManagedValue* _GetOption(int& errors, KEFOScriptCommand* command, const char* name);
    const char* _GetSymbolOption(int& errors, KEFOScriptCommand* command, const char* name,
                                 const char* defaultValue);
    const char* _GetStringOption(int& errors, KEFOScriptCommand* command, const char* name,
                                 const char* defaultValue);

    // Output stream of a command, from the settings and options "output"
    // and "mode" (interpreter_environment.cpp).
    void _OpenOutputStream(int& errors, KEFOScriptCommand* command, PLOVStream*& stream);
    void _CloseOutputStream(int& errors, PLOVStream*& stream);

    // Engines, in construction order.
    KEFOMessenger* _messenger = nullptr;
    PLOVMessenger* _messageStore = nullptr;
    PLOVStream* _errorStream = nullptr;
    KEFOScriptParser* _scriptParser = nullptr;
    KEFOScriptPrinter* _scriptPrinter = nullptr;
    KEFOScriptEnvironment* _scriptEnvironment = nullptr;
    KEFOScriptCalculator* _scriptCalculator = nullptr;

    static FILE* _traceFile;
};

#endif
