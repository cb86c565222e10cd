// The load commands: a model file read into the source model, a script file
// run at once in this interpreter.
#include "script/interpreter.h"

#include "io/model_parser.h"
#include "model/model.h"
#include "script/script_command.h"

#include <cstring>
#include <string>

// load model "path" [format = qoln-sbe | open-psa | vorlek]: the file's
// declarations are added to the source model, so that several loads make
// one model; the target model no longer matches it and is dropped. No
// reader exists for "vorlek": the format is accepted and nothing is read.
void KEFOInterpreter::_ExecuteBuiltinCommandLoadModel(int& errors, KEFOScriptCommand* command) {
    const char* path = _GetStringArgument(errors, command, 2);
    if (errors != 0 || path == nullptr) return;
    std::string pathText = path;
    const char* format = _GetModelFormatOption(errors, command);
    if (errors != 0 || format == nullptr) return;
    if (std::strcmp(format, "vorlek") == 0) return;
    // Whatever the reader added before an error stays in the source model:
    // the target model is stale in every case.
    ResetTargetModel();
    if (std::strcmp(format, "open-psa") == 0)
        _modelParser->ImportModelAtXMLFormat(errors, pathText.c_str(), _sourceModel);
    else
        _modelParser->ImportModelAtQOLNFormat(errors, pathText.c_str(), _sourceModel);
}

// load script "path" [format = kefo | kefo-xml]: the script is read and run
// in this interpreter and environment, its errors counting in the same
// counter (an error in it ends the enclosing script too). Both formats are
// read by the textual reader. Loads nest at most maximumScriptNestingDepth
// deep (13003 beyond).
void KEFOInterpreter::_ExecuteBuiltinCommandLoadScript(int& errors, KEFOScriptCommand* command) {
    const char* path = _GetStringArgument(errors, command, 2);
    if (errors != 0 || path == nullptr) return;
    std::string pathText = path;
    const char* format = _GetScriptFormatOption(errors, command);
    if (errors != 0 || format == nullptr) return;
    if (_scriptDepth >= maximumScriptNestingDepth) {
        std::string limit = std::to_string(maximumScriptNestingDepth);
        RaiseError(errors, 13003, command, limit.c_str());
        return;
    }
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(_scriptDepth);
    DownloadAndExecuteScript(errors, pathText.c_str());
}
