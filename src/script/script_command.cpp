#include "script/script_command.h"

#include "script/script_command_option.h"
#include "script/script_expression.h"

#include <algorithm>
#include <memory>

KEFOScriptCommand::KEFOScriptCommand(int type) : _type(type) {}

KEFOScriptCommand::~KEFOScriptCommand() {
    for (KEFOScriptExpression* argument : _arguments) delete argument;
    for (auto& entry : _options) delete entry.second;
    for (KEFOScriptCommand* child : _children) delete child;
}

KEFOScriptExpression* KEFOScriptCommand::GetArgument(int i) const {
    if (i < 1 || i > static_cast<int>(_arguments.size())) return nullptr;
    return _arguments[static_cast<std::size_t>(i - 1)];
}

void KEFOScriptCommand::AppendArgument(KEFOScriptExpression* argument) {
    if (argument == nullptr) return;
    try {
        _arguments.push_back(argument);
    } catch (...) {
        delete argument;
        throw;
    }
}

KEFOScriptCommandOption* KEFOScriptCommand::LookForOption(const char* name) const {
    if (name == nullptr) return nullptr;
    auto found = _options.find(name);
    return found == _options.end() ? nullptr : found->second;
}

void KEFOScriptCommand::SetOption(const char* name, KEFOScriptExpression* value) {
    if (name == nullptr) {
        delete value;
        return;
    }
    KEFOScriptCommandOption* option = LookForOption(name);
    if (option != nullptr) {
        option->SetValue(value);
        return;
    }
    std::unique_ptr<KEFOScriptExpression> owned(value);
    option = new KEFOScriptCommandOption(name, nullptr);
    option->SetValue(owned.release());
    try {
        _options.emplace(option->GetName(), option);
    } catch (...) {
        delete option;
        throw;
    }
}

KEFOScriptCommand* KEFOScriptCommand::GetChild(int i) const {
    if (i < 1 || i > static_cast<int>(_children.size())) return nullptr;
    return _children[static_cast<std::size_t>(i - 1)];
}

void KEFOScriptCommand::AppendChild(KEFOScriptCommand* child) {
    if (child == nullptr) return;
    try {
        _children.push_back(child);
    } catch (...) {
        delete child;
        throw;
    }
}

bool KEFOScriptCommand::RemoveChild(KEFOScriptCommand* child) {
    auto found = std::find(_children.begin(), _children.end(), child);
    if (found == _children.end()) return false;
    _children.erase(found);
    return true;
}

bool KEFOScriptCommand::DeleteChild(KEFOScriptCommand* child) {
    if (!RemoveChild(child)) return false;
    delete child;
    return true;
}

void KEFOScriptCommand::SetFileName(const char* name) {
    if (name == nullptr)
        _fileName.reset();
    else
        _fileName = std::make_shared<const std::string>(name);
}
