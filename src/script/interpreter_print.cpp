// The print commands of models, handles, settings and the random
// generator's seed. Each writes into the command's output stream (settings
// and options "output" and "mode") and closes it.
#include "script/interpreter.h"

#include "diagrams/handle.h"
#include "io/model_printer.h"
#include "model/container.h"
#include "model/parameter.h"
#include "model/model.h"
#include "model/path.h"
#include "model/type.h"
#include "model/variable.h"
#include "script/script_command.h"
#include "script/script_environment.h"
#include "script/script_printer.h"
#include "script/script_variable.h"
#include "support/stream.h"
#include "support/xml_document.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
// Closes the stream however the printing ends.
class OutputStreamCloser {
public:
    typedef void (KEFOInterpreter::*Closer)(int& errors, PLOVStream*& stream);
    OutputStreamCloser(KEFOInterpreter* interpreter, Closer closer, int& errors, PLOVStream*& stream)
        : _interpreter(interpreter), _closer(closer), _errors(errors), _stream(stream) {}
    ~OutputStreamCloser() { (_interpreter->*_closer)(_errors, _stream); }
    OutputStreamCloser(const OutputStreamCloser&) = delete;
    OutputStreamCloser& operator=(const OutputStreamCloser&) = delete;

private:
    KEFOInterpreter* _interpreter;
    Closer _closer;
    int& _errors;
    PLOVStream*& _stream;
};

const char* HandleTypeWord(int type) {
    switch (type) {
    case 1: return "system";
    case 2: return "BDT";
    case 4: return "ZBDD";
    case 8: return "BDD";
    default: return "none";
    }
}
}  // namespace

namespace {
void PrintDeclarationElement(KEFOModelPrinter* printer, const KEFODeclaration* declaration, PLOVStream* stream) {
    if (printer == nullptr || declaration == nullptr || stream == nullptr) return;
    PLOVXMLDocument document;
    printer->UploadDeclarationAtOpenPSAFormat(&document, nullptr, declaration);
    const PLOVXMLNode* element = document.GetRootElement();
    if (element == nullptr) return;
    printer->PrintNode(stream, element);
    stream->Flush();
}
}  // namespace

void KEFOInterpreter::PrintVariableDeclaration(KEFOVariable* variable, PLOVStream* stream) {
    PrintDeclarationElement(_modelPrinter, variable, stream);
}

void KEFOInterpreter::PrintParameterDeclaration(KEFOParameter* parameter, PLOVStream* stream) {
    PrintDeclarationElement(_modelPrinter, parameter, stream);
}

// print model, print source-model [format = ...].
void KEFOInterpreter::_ExecuteBuiltinCommandPrintSourceModel(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 1)) return;
    _PrintModel(errors, command, _sourceModel);
}

// print target-model [format = ...]: 11001 before the target model is built.
void KEFOInterpreter::_ExecuteBuiltinCommandPrintTargetModel(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 1)) return;
    if (_targetModel == nullptr) {
        RaiseError(errors, 11001, command);
        return;
    }
    _PrintModel(errors, command, _targetModel);
}

void KEFOInterpreter::_PrintModel(int& errors, KEFOScriptCommand* command, KEFOModel* model) {
    const char* format = _GetModelFormatOption(errors, command);
    if (errors != 0 || format == nullptr) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    OutputStreamCloser closer(this, &KEFOInterpreter::_CloseOutputStream, errors, stream);
    if (std::strcmp(format, "open-psa") == 0)
        _modelPrinter->PrintModelAtXMLFormat(errors, model, stream);
    else if (std::strcmp(format, "qoln-sbe") == 0)
        _modelPrinter->PrintModelAtQOLNFormat(errors, model, stream);
    // "vorlek" has no model printer: the file is opened and left empty.
}

// print handles: one line per handle of the target model's variables,
// "<variable path>\t<handle name>\t<type>\n" where the type is "system",
// "BDT", "ZBDD" or "BDD"; variables in declaration order (the declarations
// of a block where the block is declared), each variable's handles in name
// order. 11001 before the target model is built.
void KEFOInterpreter::_ExecuteBuiltinCommandPrintHandles(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 1)) return;
    if (_targetModel == nullptr) {
        RaiseError(errors, 11001, command);
        return;
    }
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    OutputStreamCloser closer(this, &KEFOInterpreter::_CloseOutputStream, errors, stream);
    // Depth-first over the containers with an explicit stack of the next
    // declaration to visit at each level.
    std::vector<const KEFODeclaration*> stack;
    stack.push_back(_targetModel->GetFirstDeclaration());
    while (!stack.empty()) {
        const KEFODeclaration* declaration = stack.back();
        if (declaration == nullptr) {
            stack.pop_back();
            continue;
        }
        stack.back() = declaration->GetNextDeclaration();
        if (declaration->IsContainer()) {
            stack.push_back(static_cast<const KEFOContainer*>(declaration)->GetFirstDeclaration());
            continue;
        }
        if (!KEFOType::IsVariableType(declaration->GetType())) continue;
        const KEFOVariable* variable = static_cast<const KEFOVariable*>(declaration);
        if (variable->GetNumberOfHandles() == 0) continue;
        // A variable inside a block is named by its path from the model.
        std::string path = variable->GetPathAsString();
        if (stack.size() > 1) {
            std::unique_ptr<KEFOPath> absolute(variable->NewAbsolutePath(false));
            if (absolute != nullptr) path = absolute->GetStdString();
        }
        for (const auto& entry : variable->GetHandles()) {
            const KEFOHandle* handle = entry.second;
            stream->PrintString(path);
            stream->PrintString("\t");
            stream->PrintString(handle->GetName());
            stream->PrintString("\t");
            stream->PrintString(HandleTypeWord(handle->GetType()));
            stream->PrintString("\n");
        }
    }
}

// print option name: "set option <name> <value>;" in the output stream.
void KEFOInterpreter::_ExecuteBuiltinCommandPrintEnvironmentVariable(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 2)) return;
    KEFOScriptVariable* variable = _GetEnvironmentVariableArgument(errors, command, 2);
    if (errors != 0 || variable == nullptr) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    OutputStreamCloser closer(this, &KEFOInterpreter::_CloseOutputStream, errors, stream);
    _scriptPrinter->PrintValueOfVariable(variable, stream);
}

// print options: the line of every setting and variable, in name order,
// then those of each parent environment.
void KEFOInterpreter::_ExecuteBuiltinCommandPrintEnvironmentVariables(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 1)) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    OutputStreamCloser closer(this, &KEFOInterpreter::_CloseOutputStream, errors, stream);
    _scriptPrinter->PrintValuesOfVariablesOfEnvironment(_scriptEnvironment, stream);
}

// print randomizer-seed: "set randomizer-seed <seed>;", which sets the same
// seed when read back.
void KEFOInterpreter::_ExecuteBuiltinCommandPrintRandomizerSeed(int& errors, KEFOScriptCommand* command) {
    if (!_CheckNumberOfArguments(errors, command, 1)) return;
    PLOVStream* stream = nullptr;
    _OpenOutputStream(errors, command, stream);
    if (errors != 0 || stream == nullptr) return;
    OutputStreamCloser closer(this, &KEFOInterpreter::_CloseOutputStream, errors, stream);
    std::string line = "set randomizer-seed " + std::to_string(GetRandomizerSeed()) + ";\n";
    stream->PrintString(line.c_str());
}
