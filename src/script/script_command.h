// A node of the command tree that parsing a script produces.
#ifndef KEFO_SCRIPT_SCRIPT_COMMAND_H
#define KEFO_SCRIPT_SCRIPT_COMMAND_H

#include "support/memory_manager.h"

#include <memory>
#include <string>

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

    explicit KEFOScriptCommand(int type = Script) : _type(type) {}
    virtual ~KEFOScriptCommand() = default;

    int GetType() const { return _type; }
    // Null when the command does not come from a named file.
    const char* GetFileName() const { return _fileName ? _fileName->c_str() : nullptr; }
    void SetFileName(std::shared_ptr<const std::string> name) { _fileName = std::move(name); }
    int GetLineNumber() const { return _line; }
    void SetLineNumber(int line) { _line = line; }

private:
    int _type;
    std::shared_ptr<const std::string> _fileName;
    int _line = -1;
};

#endif
