// A node of the command tree that parsing a script produces. A command owns
// its arguments (expressions numbered from 1), its options (keyed by name)
// and its children (the commands of a script, block or conditional, or the
// body of a guarded branch or loop).
//
//   Script, Block          children: the commands
//   BuiltinCommand         text: the command word; arguments and options
//   Assignment             argument 1: the target (a reference), 2: the value
//   GuardedCommand         argument 1: the guard; child 1: the command
//   ConditionalCommand     children: guarded commands, then at most one
//                          unguarded command (the else part)
//   WhileCommand           argument 1: the condition; child 1: the body
#ifndef KEFO_SCRIPT_SCRIPT_COMMAND_H
#define KEFO_SCRIPT_SCRIPT_COMMAND_H

#include "support/memory_manager.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class KEFOScriptExpression;
class KEFOScriptCommandOption;

class KEFOScriptCommand {
    PLOV_MANAGED_ALLOCATION(KEFOScriptCommand)
public:
    enum Type {
        Script = 0,
        BuiltinCommand = 1,
        Assignment = 2,
        GuardedCommand = 3,
        ConditionalCommand = 4,
        WhileCommand = 5,
        Block = 6
    };

    explicit KEFOScriptCommand(int type = Script);
    ~KEFOScriptCommand();
    KEFOScriptCommand(const KEFOScriptCommand&) = delete;
    KEFOScriptCommand& operator=(const KEFOScriptCommand&) = delete;

    int GetType() const { return _type; }
    void SetType(int type) { _type = type; }
    // The command word of a built-in command (empty otherwise).
    const std::string& GetText() const { return _text; }
    void SetText(const char* text) { _text = text != nullptr ? text : ""; }

    // Arguments, numbered from 1; GetArgument gives null out of range.
    KEFOScriptExpression* GetArgument(int i) const;
    // Takes ownership (the argument is deleted if it cannot be stored).
    void AppendArgument(KEFOScriptExpression* argument);
    int GetNumberOfArguments() const { return static_cast<int>(_arguments.size()); }

    KEFOScriptCommandOption* LookForOption(const char* name) const;
    // Gives the option that name and value; the value of an existing option
    // of that name is replaced and deleted. Takes ownership of the value.
    void SetOption(const char* name, KEFOScriptExpression* value);
    int GetNumberOfOptions() const { return static_cast<int>(_options.size()); }
    // Options in name order.
    const std::map<std::string, KEFOScriptCommandOption*>& GetOptions() const { return _options; }

    // Children, numbered from 1; GetChild gives null out of range.
    KEFOScriptCommand* GetChild(int i) const;
    // Takes ownership (the child is deleted if it cannot be stored).
    void AppendChild(KEFOScriptCommand* child);
    // Detaches the child without deleting it; false when it is no child.
    bool RemoveChild(KEFOScriptCommand* child);
    // Detaches and deletes the child.
    bool DeleteChild(KEFOScriptCommand* child);
    int GetNumberOfChildren() const { return static_cast<int>(_children.size()); }
    const std::vector<KEFOScriptCommand*>& GetChildren() const { return _children; }

    // Null when the command does not come from a named file.
    const char* GetFileName() const { return _fileName ? _fileName->c_str() : nullptr; }
    const std::shared_ptr<const std::string>& GetSharedFileName() const { return _fileName; }
    void SetFileName(std::shared_ptr<const std::string> name) { _fileName = std::move(name); }
    void SetFileName(const char* name);
    int GetLineNumber() const { return _line; }
    void SetLineNumber(int line) { _line = line; }

private:
    int _type;
    std::string _text;
    std::vector<KEFOScriptExpression*> _arguments;
    std::map<std::string, KEFOScriptCommandOption*> _options;
    std::vector<KEFOScriptCommand*> _children;
    std::shared_ptr<const std::string> _fileName;
    int _line = -1;
};

#endif
