#include "script/script_printer.h"

#include "script/interpreter.h"
#include "script/script_command.h"
#include "script/script_command_option.h"
#include "script/script_environment.h"
#include "script/script_expression.h"
#include "script/script_variable.h"
#include "support/managed_value.h"
#include "support/stream.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
using Expression = KEFOScriptExpression;

// Binding level of an expression in the grammar, from the loosest (1: the
// complete forms, which take no operator) to the tightest (11: primaries).
int BindingLevel(int type) {
    switch (type) {
    case Expression::Switch: case Expression::List: case Expression::QuotedSymbol: return 1;
    case Expression::Or: return 2;
    case Expression::And: return 3;
    case Expression::Not: return 4;
    case Expression::Eq: case Expression::Df: case Expression::Lt: case Expression::Gt:
    case Expression::Leq: case Expression::Geq: return 5;
    case Expression::Sub: return 6;
    case Expression::Add: return 7;
    case Expression::Div: return 8;
    case Expression::Mul: return 9;
    case Expression::Neg: return 10;
    default: return 11;
    }
}

// The lowest binding level an operand of the operator may have without
// parentheses (0 for nodes whose children are complete expressions).
int OperandLevel(int type) {
    switch (type) {
    case Expression::Or: return 3;
    case Expression::And: return 4;
    case Expression::Not: return 5;
    case Expression::Eq: case Expression::Df: case Expression::Lt: case Expression::Gt:
    case Expression::Leq: case Expression::Geq: return 6;
    case Expression::Sub: return 7;
    case Expression::Add: return 8;
    case Expression::Div: return 9;
    case Expression::Mul: return 10;
    case Expression::Neg: return 11;
    default: return 0;
    }
}

const char* OperatorText(int type) {
    switch (type) {
    case Expression::And: return " and ";
    case Expression::Or: return " or ";
    case Expression::Eq: return " == ";
    case Expression::Df: return " != ";
    case Expression::Lt: return " < ";
    case Expression::Gt: return " > ";
    case Expression::Leq: return " <= ";
    case Expression::Geq: return " >= ";
    case Expression::Add: return " + ";
    case Expression::Sub: return " - ";
    case Expression::Mul: return " * ";
    case Expression::Div: return " / ";
    default: return nullptr;
    }
}

bool IsFunctionKeyword(const std::string& word) {
    static const char* const words[] = {"abs", "exp", "log", "log10", "mod", "pow", "sqrt", "ceil",
                                        "floor", "min", "max", "mean", "count", "append", "range"};
    for (const char* candidate : words)
        if (word == candidate) return true;
    return false;
}

bool IsWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// Whether the text ends with a bare function keyword (which would take a
// following parenthesis as its argument list).
bool EndsWithFunctionKeyword(const std::string& text) {
    std::size_t end = text.size();
    std::size_t start = end;
    while (start > 0 && IsWordCharacter(text[start - 1])) --start;
    // A name starts with a letter or '_': digits and '-' before it belong
    // to other tokens (a number, a minus sign).
    while (start < end && !((text[start] >= 'a' && text[start] <= 'z') || (text[start] >= 'A' && text[start] <= 'Z') ||
                            text[start] == '_'))
        ++start;
    if (start == end) return false;
    if (start > 0 && (text[start - 1] == '.' || text[start - 1] == '\'')) return false;
    return IsFunctionKeyword(text.substr(start));
}

std::string FormatWith(const std::string& format, int value) {
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    if (n < 0) return std::string();
    if (static_cast<std::size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<std::size_t>(n));
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::snprintf(big.data(), big.size(), format.c_str(), value);
    return std::string(big.data(), static_cast<std::size_t>(n));
}

std::string FormatWith(const std::string& format, double value) {
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    if (n < 0) return std::string();
    if (static_cast<std::size_t>(n) < sizeof buffer) return std::string(buffer, static_cast<std::size_t>(n));
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::snprintf(big.data(), big.size(), format.c_str(), value);
    return std::string(big.data(), static_cast<std::size_t>(n));
}
}  // namespace

KEFOScriptPrinter::KEFOScriptPrinter(KEFOInterpreter* interpreter) : _interpreter(interpreter) {}

void KEFOScriptPrinter::SetIntegerFormat(const char* format) { _integerFormat = format != nullptr ? format : "%d"; }

void KEFOScriptPrinter::SetDoubleFormat(const char* format) { _doubleFormat = format != nullptr ? format : "%g"; }

std::string KEFOScriptPrinter::FormatExactDouble(double value) {
    char buffer[64];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        if (std::strtod(buffer, nullptr) == value) break;
    }
    return buffer;
}

// --- commands ---------------------------------------------------------------

void KEFOScriptPrinter::ExportScript(int& errors, KEFOScriptCommand* command, const char* path) {
    if (errors != 0 || command == nullptr) return;
    FILE* file = path != nullptr ? std::fopen(path, "w") : nullptr;
    if (file == nullptr) {
        if (_interpreter != nullptr)
            _interpreter->RaiseError(errors, 10003, path != nullptr ? path : "");
        else
            ++errors;
        return;
    }
    try {
        PLOVFileStream stream(file);
        PrintChildrenOfCommand(errors, command, &stream);
        stream.Flush();
    } catch (...) {
        std::fclose(file);
        throw;
    }
    std::fclose(file);
}

void KEFOScriptPrinter::PrintScript(int& errors, KEFOScriptCommand* command, PLOVStream* stream) {
    if (errors != 0 || command == nullptr || stream == nullptr) return;
    PrintCommand(errors, command, stream);
}

void KEFOScriptPrinter::_Indent(PLOVStream* stream) {
    for (int i = 0; i < _indentationLevel; ++i) stream->PrintString(_indentationString);
}

// Whether an elif or else written after the command would be read as a
// branch of a conditional inside it.
bool KEFOScriptPrinter::_EndsOpen(const KEFOScriptCommand* command) const {
    while (command != nullptr) {
        switch (command->GetType()) {
        case KEFOScriptCommand::ConditionalCommand: {
            const KEFOScriptCommand* last = command->GetChild(command->GetNumberOfChildren());
            if (last == nullptr || last->GetType() == KEFOScriptCommand::GuardedCommand) return true;
            command = last;
            break;
        }
        case KEFOScriptCommand::WhileCommand:
            command = command->GetChild(1);
            if (command != nullptr && command->GetType() == KEFOScriptCommand::Block) return false;
            break;
        case KEFOScriptCommand::Block:
            if (_BlockNeedsBraces(command)) return false;
            command = command->GetChild(1);
            break;
        default:
            return false;
        }
    }
    return false;
}

// A block of one command is written as that command, unless a following
// elif or else would then attach to a conditional inside it.
bool KEFOScriptPrinter::_BlockNeedsBraces(const KEFOScriptCommand* block) const {
    if (block->GetNumberOfChildren() != 1) return block->GetNumberOfChildren() > 1;
    return _EndsOpen(block->GetChild(1));
}

void KEFOScriptPrinter::_PrintBody(int& errors, KEFOScriptCommand* command, PLOVStream* stream) {
    ++_indentationLevel;
    PrintCommand(errors, command, stream);
    --_indentationLevel;
}

void KEFOScriptPrinter::PrintCommand(int& errors, KEFOScriptCommand* command, PLOVStream* stream) {
    if (errors != 0 || command == nullptr || stream == nullptr) return;
    switch (command->GetType()) {
    case KEFOScriptCommand::Script:
        PrintChildrenOfCommand(errors, command, stream);
        break;
    case KEFOScriptCommand::BuiltinCommand:
        _Indent(stream);
        stream->PrintString(command->GetText());
        PrintArgumentsOfCommand(errors, command, stream);
        PrintOptionsOfCommand(errors, command, stream);
        stream->PrintString(";\n");
        break;
    case KEFOScriptCommand::Assignment: {
        _Indent(stream);
        KEFOScriptExpression* target = command->GetArgument(1);
        if (target != nullptr) {
            if (target->GetType() == Expression::Reference)
                stream->PrintString(target->GetReferenceIdentifier());
            else
                PrintExpression(target, stream);
        }
        stream->PrintString(" == ");
        PrintExpression(command->GetArgument(2), stream);
        stream->PrintString(";\n");
        break;
    }
    case KEFOScriptCommand::GuardedCommand:
        _Indent(stream);
        stream->PrintString("if ");
        PrintExpression(command->GetArgument(1), stream);
        stream->PrintNewLine();
        _PrintBody(errors, command->GetChild(1), stream);
        break;
    case KEFOScriptCommand::ConditionalCommand: {
        bool first = true;
        for (KEFOScriptCommand* branch : command->GetChildren()) {
            _Indent(stream);
            if (branch->GetType() == KEFOScriptCommand::GuardedCommand) {
                stream->PrintString(first ? "if " : "elif ");
                PrintExpression(branch->GetArgument(1), stream);
                stream->PrintNewLine();
                _PrintBody(errors, branch->GetChild(1), stream);
            } else {
                stream->PrintString("else\n");
                _PrintBody(errors, branch, stream);
            }
            first = false;
        }
        break;
    }
    case KEFOScriptCommand::WhileCommand: {
        _Indent(stream);
        stream->PrintString("while ");
        PrintExpression(command->GetArgument(1), stream);
        KEFOScriptCommand* body = command->GetChild(1);
        if (body != nullptr && body->GetType() == KEFOScriptCommand::Block) {
            stream->PrintString(" {\n");
            ++_indentationLevel;
            PrintChildrenOfCommand(errors, body, stream);
            --_indentationLevel;
            _Indent(stream);
            stream->PrintString("}\n");
        } else {
            stream->PrintNewLine();
            if (body != nullptr) {
                _PrintBody(errors, body, stream);
            } else {
                ++_indentationLevel;
                _Indent(stream);
                --_indentationLevel;
                stream->PrintString("skip;\n");
            }
        }
        break;
    }
    case KEFOScriptCommand::Block:
        if (command->GetNumberOfChildren() == 0) {
            _Indent(stream);
            stream->PrintString("skip;\n");
        } else if (!_BlockNeedsBraces(command)) {
            PrintCommand(errors, command->GetChild(1), stream);
        } else {
            _Indent(stream);
            stream->PrintString("{\n");
            ++_indentationLevel;
            PrintChildrenOfCommand(errors, command, stream);
            --_indentationLevel;
            _Indent(stream);
            stream->PrintString("}\n");
        }
        break;
    default:
        break;
    }
}

void KEFOScriptPrinter::PrintArgumentsOfCommand(int& errors, KEFOScriptCommand* command, PLOVStream* stream) {
    if (errors != 0 || command == nullptr || stream == nullptr) return;
    std::vector<std::string> texts;
    for (int i = 1; i <= command->GetNumberOfArguments(); ++i) texts.push_back(GetTextOfExpression(command->GetArgument(i)));
    _SeparateJuxtaposed(texts);
    for (const std::string& text : texts) {
        stream->PrintChar(' ');
        stream->PrintString(text);
    }
}

void KEFOScriptPrinter::PrintOptionsOfCommand(int& errors, KEFOScriptCommand* command, PLOVStream* stream) {
    if (errors != 0 || command == nullptr || stream == nullptr) return;
    for (const auto& entry : command->GetOptions()) {
        stream->PrintChar(' ');
        stream->PrintString(entry.first);
        stream->PrintChar('=');
        KEFOScriptExpression* value = entry.second->GetValue();
        if (value != nullptr) PrintExpression(value, stream);
    }
}

void KEFOScriptPrinter::PrintChildrenOfCommand(int& errors, KEFOScriptCommand* command, PLOVStream* stream) {
    if (command == nullptr || stream == nullptr) return;
    for (KEFOScriptCommand* child : command->GetChildren()) {
        if (errors != 0) return;
        PrintCommand(errors, child, stream);
    }
}

// --- expressions ------------------------------------------------------------

std::string KEFOScriptPrinter::GetTextOfExpression(KEFOScriptExpression* expression) {
    std::string text;
    if (expression != nullptr) _AppendExpression(text, expression);
    return text;
}

void KEFOScriptPrinter::PrintExpression(KEFOScriptExpression* expression, PLOVStream* stream) {
    if (expression == nullptr || stream == nullptr) return;
    stream->PrintString(GetTextOfExpression(expression));
}

void KEFOScriptPrinter::PrintChildrenOfExpression(KEFOScriptExpression* expression, const char* separator,
                                                  PLOVStream* stream) {
    if (expression == nullptr || stream == nullptr) return;
    std::string text;
    _AppendJoined(text, expression, separator != nullptr ? separator : ", ");
    stream->PrintString(text);
}

void KEFOScriptPrinter::PrintConditionalExpression(KEFOScriptExpression* expression, PLOVStream* stream) {
    if (expression == nullptr || stream == nullptr) return;
    std::string text;
    _AppendConditional(text, expression);
    stream->PrintString(text);
}

void KEFOScriptPrinter::_AppendInteger(std::string& text, int value) { text += FormatWith(_integerFormat, value); }

// A real literal: the digits it needs to read back exactly, and always a
// fraction or an exponent so that it reads back as a real.
void KEFOScriptPrinter::_AppendReal(std::string& text, double value) {
    if (std::isinf(value)) {
        text += value > 0 ? "1e999" : "-1e999";
        return;
    }
    std::string digits = FormatExactDouble(value);
    if (std::isfinite(value) && digits.find_first_of(".eE") == std::string::npos) digits += ".0";
    text += digits;
}

void KEFOScriptPrinter::_SeparateJuxtaposed(std::vector<std::string>& texts) {
    for (std::size_t i = 1; i < texts.size(); ++i) {
        std::string& next = texts[i];
        // A leading "-" would be read as a subtraction from the previous one.
        if (!next.empty() && next[0] == '-') next = "(" + next + ")";
        // "(" after a bare function keyword would be read as its argument
        // list. The parenthesized text starts with "(" in turn, so the one
        // before it is looked at again.
        for (std::size_t j = i; j > 0; --j) {
            if (texts[j].empty() || texts[j][0] != '(' || !EndsWithFunctionKeyword(texts[j - 1])) break;
            texts[j - 1] = "(" + texts[j - 1] + ")";
        }
    }
}

void KEFOScriptPrinter::_AppendOperand(std::string& text, const KEFOScriptExpression* child,
                                       const KEFOScriptExpression* parent) {
    std::string operand;
    _AppendExpression(operand, child);
    int parentType = parent->GetType();
    bool parentheses = BindingLevel(child->GetType()) < OperandLevel(parentType);
    // The usual reading order of operators is kept visible as well.
    if (child->GetPriority() > parent->GetPriority()) parentheses = true;
    if (parentType == Expression::Neg && !operand.empty() && operand[0] == '-') parentheses = true;
    if (parentheses) {
        text += '(';
        text += operand;
        text += ')';
    } else {
        text += operand;
    }
}

void KEFOScriptPrinter::_AppendJoined(std::string& text, const KEFOScriptExpression* expression,
                                      const char* separator) {
    bool first = true;
    for (const KEFOScriptExpression* child : expression->GetChildren()) {
        if (!first) text += separator;
        first = false;
        if (OperandLevel(expression->GetType()) > 0)
            _AppendOperand(text, child, expression);
        else
            _AppendExpression(text, child);
    }
}

void KEFOScriptPrinter::_AppendConditional(std::string& text, const KEFOScriptExpression* expression) {
    bool first = true;
    for (const KEFOScriptExpression* child : expression->GetChildren()) {
        // A nested conditional is parenthesized so that its branches stay its
        // own.
        auto append = [this](std::string& out, const KEFOScriptExpression* node) {
            if (node == nullptr) return;
            if (node->GetType() == Expression::Switch) {
                out += '(';
                _AppendExpression(out, node);
                out += ')';
            } else {
                _AppendExpression(out, node);
            }
        };
        if (child->GetType() == Expression::Case) {
            text += first ? "if " : " elif ";
            std::vector<std::string> pair(2);
            append(pair[0], child->GetChild(1));
            append(pair[1], child->GetChild(2));
            _SeparateJuxtaposed(pair);
            text += pair[0];
            text += ' ';
            text += pair[1];
        } else {
            text += first ? "" : " ";
            text += "else ";
            append(text, child);
        }
        first = false;
    }
}

void KEFOScriptPrinter::_AppendExpression(std::string& text, const KEFOScriptExpression* expression) {
    const PLOVManagedValue& value = expression->GetValue();
    const int type = expression->GetType();
    switch (type) {
    case Expression::Reference:
        text += expression->GetReferenceIdentifier();
        return;
    case Expression::Boolean:
        text += value.GetBool() ? "true" : "false";
        return;
    case Expression::Integer:
        _AppendInteger(text, value.GetInt());
        return;
    case Expression::Real:
        _AppendReal(text, value.GetDouble());
        return;
    case Expression::Symbol:
        if (value.GetSymbol() != nullptr) text += value.GetSymbol();
        return;
    case Expression::String:
        text += '"';
        if (value.GetRawString() != nullptr) text += value.GetRawString();
        text += '"';
        return;
    case Expression::QuotedSymbol:
        text += '\'';
        if (value.GetSymbol() != nullptr) text += value.GetSymbol();
        return;
    case Expression::Not:
        text += "not ";
        _AppendJoined(text, expression, "");
        return;
    case Expression::Neg:
        text += "-";
        _AppendJoined(text, expression, "");
        return;
    case Expression::List:
        text += '[';
        _AppendJoined(text, expression, ", ");
        text += ']';
        return;
    case Expression::Switch:
        _AppendConditional(text, expression);
        return;
    case Expression::Range:
        text += "range(";
        _AppendJoined(text, expression, ", ");
        text += ')';
        return;
    default:
        break;
    }
    const char* separator = OperatorText(type);
    if (separator != nullptr) {
        _AppendJoined(text, expression, separator);
        return;
    }
    const char* functor = Expression::GetFunctorFromType(type);
    text += functor != nullptr ? functor : "?";
    text += '(';
    _AppendJoined(text, expression, ", ");
    text += ')';
}

// --- values -----------------------------------------------------------------

void KEFOScriptPrinter::_AppendValue(std::string& text, const PLOVManagedValue& value) {
    switch (value.GetType()) {
    case PLOVManagedValue::Nil:
        text += "nil";
        return;
    case PLOVManagedValue::Boolean:
        text += value.GetBool() ? "true" : "false";
        return;
    case PLOVManagedValue::Integer:
        _AppendInteger(text, value.GetInt());
        return;
    case PLOVManagedValue::Real: {
        double number = value.GetDouble();
        std::string digits = FormatWith(_doubleFormat, number);
        // The default format keeps six digits; a value it would not give back
        // exactly is written with the digits it needs.
        if (_doubleFormat == "%g" && std::isfinite(number) && std::strtod(digits.c_str(), nullptr) != number)
            digits = FormatExactDouble(number);
        text += digits;
        return;
    }
    case PLOVManagedValue::Symbol:
        if (value.GetSymbol() != nullptr) text += value.GetSymbol();
        return;
    case PLOVManagedValue::String:
        text += '"';
        if (value.GetRawString() != nullptr) text += value.GetRawString();
        text += '"';
        return;
    case PLOVManagedValue::Tuple:
        text += '(';
        for (int i = 0; i < value.GetTupleSize(); ++i) {
            if (i > 0) text += ", ";
            _AppendValue(text, value.GetValueInTuple(i));
        }
        text += ')';
        return;
    case PLOVManagedValue::List:
        text += '[';
        for (int i = 0; i < value.GetListSize(); ++i) {
            if (i > 0) text += ", ";
            _AppendValue(text, value.GetValueInList(i));
        }
        text += ']';
        return;
    case PLOVManagedValue::Range:
        text += "range(";
        _AppendInteger(text, value.GetRangeLowerBound());
        text += ',';
        _AppendInteger(text, value.GetRangeUpperBound());
        text += ',';
        _AppendInteger(text, value.GetRangeStep());
        text += ')';
        return;
    default:
        text += value.ToString();
        return;
    }
}

std::string KEFOScriptPrinter::GetTextOfValue(const PLOVManagedValue& value) {
    std::string text;
    _AppendValue(text, value);
    return text;
}

void KEFOScriptPrinter::PrintValue(const PLOVManagedValue& value, PLOVStream* stream) {
    if (stream == nullptr) return;
    stream->PrintString(GetTextOfValue(value));
}

void KEFOScriptPrinter::PrintValueOfVariable(KEFOScriptVariable* variable, PLOVStream* stream) {
    if (variable == nullptr || stream == nullptr) return;
    std::string line = "set option ";
    line += variable->GetName();
    line += ' ';
    _AppendValue(line, variable->GetValue());
    line += ";\n";
    stream->PrintString(line);
}

void KEFOScriptPrinter::PrintValuesOfVariablesOfEnvironment(KEFOScriptEnvironment* environment,
                                                            PLOVStream* stream) {
    if (stream == nullptr) return;
    for (; environment != nullptr; environment = environment->GetParent())
        for (const auto& entry : environment->GetVariables()) PrintValueOfVariable(entry.second, stream);
}
