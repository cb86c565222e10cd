#include "script/script_variable.h"

KEFOScriptVariable::KEFOScriptVariable(KEFOScriptEnvironment* environment, const char* name)
    : _environment(environment), _name(name != nullptr ? name : "") {}
