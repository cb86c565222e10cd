#include "script/script_command_option.h"

#include "script/script_expression.h"

#include <memory>

KEFOScriptCommandOption::KEFOScriptCommandOption(const char* name, KEFOScriptExpression* value) : _value(nullptr) {
    std::unique_ptr<KEFOScriptExpression> owned(value);
    _name = name != nullptr ? name : "";
    _value = owned.release();
}

KEFOScriptCommandOption::~KEFOScriptCommandOption() { delete _value; }

void KEFOScriptCommandOption::SetValue(KEFOScriptExpression* value) {
    if (value == _value) return;
    delete _value;
    _value = value;
}
