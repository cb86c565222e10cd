// A named option of a built-in command ("name = expression").
#ifndef KEFO_SCRIPT_SCRIPT_COMMAND_OPTION_H
#define KEFO_SCRIPT_SCRIPT_COMMAND_OPTION_H

#include "support/memory_manager.h"

#include <string>

class KEFOScriptExpression;

class KEFOScriptCommandOption {
    PLOV_MANAGED_ALLOCATION(KEFOScriptCommandOption)
public:
    // Takes ownership of the value (which may be null).
    KEFOScriptCommandOption(const char* name, KEFOScriptExpression* value);
    ~KEFOScriptCommandOption();
    KEFOScriptCommandOption(const KEFOScriptCommandOption&) = delete;
    KEFOScriptCommandOption& operator=(const KEFOScriptCommandOption&) = delete;

    const std::string& GetName() const { return _name; }
    KEFOScriptExpression* GetValue() const { return _value; }
    // Replaces (and deletes) the value.
    void SetValue(KEFOScriptExpression* value);

private:
    std::string _name;
    KEFOScriptExpression* _value;
};

#endif
