// Writes a command tree back as script text, and script values in the form
// of the "print option" lines. A printed script reads back into the same
// commands: assignments are written with "==", parentheses are added
// wherever the grammar needs them, and real literals are written with as
// many digits as they need to read back exactly.
#ifndef KEFO_SCRIPT_SCRIPT_PRINTER_H
#define KEFO_SCRIPT_SCRIPT_PRINTER_H

#include "support/memory_manager.h"

#include <string>
#include <vector>

class KEFOInterpreter;
class KEFOScriptCommand;
class KEFOScriptEnvironment;
class KEFOScriptExpression;
class KEFOScriptVariable;
class PLOVManagedValue;
class PLOVStream;

class KEFOScriptPrinter {
    PLOV_MANAGED_ALLOCATION(KEFOScriptPrinter)
public:
    // The interpreter receives the errors (it may be null).
    explicit KEFOScriptPrinter(KEFOInterpreter* interpreter = nullptr);
    KEFOScriptPrinter(const KEFOScriptPrinter&) = delete;
    KEFOScriptPrinter& operator=(const KEFOScriptPrinter&) = delete;

    // Writes the children of the command into the file (mode "w"); 10003
    // when the file cannot be opened.
    void ExportScript(int& errors, KEFOScriptCommand* command, const char* path);
    // A Script command as its children one after the other; any other
    // command as itself.
    void PrintScript(int& errors, KEFOScriptCommand* command, PLOVStream* stream);
    void PrintCommand(int& errors, KEFOScriptCommand* command, PLOVStream* stream);
    void PrintArgumentsOfCommand(int& errors, KEFOScriptCommand* command, PLOVStream* stream);
    void PrintOptionsOfCommand(int& errors, KEFOScriptCommand* command, PLOVStream* stream);
    void PrintChildrenOfCommand(int& errors, KEFOScriptCommand* command, PLOVStream* stream);

    void PrintExpression(KEFOScriptExpression* expression, PLOVStream* stream);
    // The children joined by the separator, each in parentheses where the
    // grammar needs them.
    void PrintChildrenOfExpression(KEFOScriptExpression* expression, const char* separator, PLOVStream* stream);
    // "if" guard value { "elif" guard value } [ "else" value ]
    void PrintConditionalExpression(KEFOScriptExpression* expression, PLOVStream* stream);
    // The text PrintExpression writes.
    std::string GetTextOfExpression(KEFOScriptExpression* expression);

    // Formats of integers ("%d") and reals ("%g") in printed values. While
    // the real format is the default one, a real that "%g" would not give
    // back exactly is written with the digits it needs.
    void SetIntegerFormat(const char* format);
    void SetDoubleFormat(const char* format);
    const std::string& GetIntegerFormat() const { return _integerFormat; }
    const std::string& GetDoubleFormat() const { return _doubleFormat; }

    // "set option <name> <value>;" lines: every variable of the environment in
    // name order, then those of each parent.
    void PrintValuesOfVariablesOfEnvironment(KEFOScriptEnvironment* environment, PLOVStream* stream);
    void PrintValueOfVariable(KEFOScriptVariable* variable, PLOVStream* stream);
    // nil, true/false, integers and reals with the formats, Symbols as their
    // text, Strings in double quotes, Tuples "(a, b)", Lists "[a, b]", Ranges
    // "range(l,h,s)".
    void PrintValue(const PLOVManagedValue& value, PLOVStream* stream);
    std::string GetTextOfValue(const PLOVManagedValue& value);

    int GetIndentationLevel() const { return _indentationLevel; }
    void SetIndentationLevel(int level) { _indentationLevel = level < 0 ? 0 : level; }
    const std::string& GetIndentationString() const { return _indentationString; }
    void SetIndentationString(const char* text) { _indentationString = text != nullptr ? text : ""; }

    // The shortest "%.<n>g" text of a real that reads back to the same
    // double.
    static std::string FormatExactDouble(double value);

private:
    void _Indent(PLOVStream* stream);
    void _PrintBody(int& errors, KEFOScriptCommand* command, PLOVStream* stream);
    bool _BlockNeedsBraces(const KEFOScriptCommand* block) const;
    bool _EndsOpen(const KEFOScriptCommand* command) const;
    void _AppendExpression(std::string& text, const KEFOScriptExpression* expression);
    void _AppendOperand(std::string& text, const KEFOScriptExpression* child, const KEFOScriptExpression* parent);
    void _AppendJoined(std::string& text, const KEFOScriptExpression* expression, const char* separator);
    void _AppendConditional(std::string& text, const KEFOScriptExpression* expression);
    void _AppendReal(std::string& text, double value);
    void _AppendInteger(std::string& text, int value);
    void _AppendValue(std::string& text, const PLOVManagedValue& value);
    // Texts of expressions written one after the other (command arguments, a
    // guard and its value), with parentheses where the second would
    // otherwise be read as part of the first.
    static void _SeparateJuxtaposed(std::vector<std::string>& texts);

    KEFOInterpreter* _interpreter;
    std::string _integerFormat = "%d";
    std::string _doubleFormat = "%g";
    int _indentationLevel = 0;
    std::string _indentationString = "  ";
};

#endif
