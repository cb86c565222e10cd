#include "script/script_expression.h"

#include <cstring>
#include <memory>

namespace {
// Functor words of types 0 to 35, in type order.
const char* const functors[] = {
    "reference", "Boolean", "Integer", "Real", "Symbol", "String", "and", "or", "not", "==", "!=", "<",
    ">", "<=", ">=", "neg", "add", "sub", "mul", "div", "abs", "exp", "log", "log10",
    "mod", "pow", "sqrt", "ceil", "floor", "min", "max", "mean", "count", "append", "switch", "case"};
const int numberOfFunctors = static_cast<int>(sizeof functors / sizeof functors[0]);
}  // namespace

KEFOScriptExpression::KEFOScriptExpression(int type) : _type(type) {}

KEFOScriptExpression::~KEFOScriptExpression() {
    for (KEFOScriptExpression* child : _children) delete child;
}

KEFOScriptExpression* KEFOScriptExpression::NewBoolean(bool value) {
    KEFOScriptExpression* expression = new KEFOScriptExpression(Boolean);
    expression->_value.SetBool(value);
    return expression;
}

KEFOScriptExpression* KEFOScriptExpression::NewInteger(int value) {
    KEFOScriptExpression* expression = new KEFOScriptExpression(Integer);
    expression->_value.SetInt(value);
    return expression;
}

KEFOScriptExpression* KEFOScriptExpression::NewReal(double value) {
    KEFOScriptExpression* expression = new KEFOScriptExpression(Real);
    expression->_value.SetDouble(value);
    return expression;
}

KEFOScriptExpression* KEFOScriptExpression::NewSymbol(const char* text) {
    std::unique_ptr<KEFOScriptExpression> expression(new KEFOScriptExpression(Symbol));
    expression->_value.SetSymbol(text != nullptr ? text : "");
    return expression.release();
}

KEFOScriptExpression* KEFOScriptExpression::NewString(const char* text) {
    std::unique_ptr<KEFOScriptExpression> expression(new KEFOScriptExpression(String));
    expression->_value.SetRawString(text != nullptr ? text : "");
    return expression.release();
}

KEFOScriptExpression* KEFOScriptExpression::NewQuotedSymbol(const char* text) {
    std::unique_ptr<KEFOScriptExpression> expression(new KEFOScriptExpression(QuotedSymbol));
    expression->_value.SetSymbol(text != nullptr ? text : "");
    return expression.release();
}

KEFOScriptExpression* KEFOScriptExpression::NewReference(const char* name) {
    std::unique_ptr<KEFOScriptExpression> expression(new KEFOScriptExpression(Reference));
    expression->SetReferenceIdentifier(name);
    return expression.release();
}

bool KEFOScriptExpression::IsLiteral() const {
    return (_type >= Boolean && _type <= String) || _type == QuotedSymbol;
}

KEFOScriptExpression* KEFOScriptExpression::GetChild(int i) const {
    if (i < 1 || i > static_cast<int>(_children.size())) return nullptr;
    return _children[static_cast<std::size_t>(i - 1)];
}

void KEFOScriptExpression::AppendChild(KEFOScriptExpression* child) {
    if (child == nullptr) return;
    try {
        _children.push_back(child);
    } catch (...) {
        delete child;
        throw;
    }
}

const char* KEFOScriptExpression::GetFunctorFromType(int type) {
    if (type < 0 || type >= numberOfFunctors) return nullptr;
    return functors[type];
}

int KEFOScriptExpression::GetTypeFromFunctor(const char* text) {
    if (text == nullptr) return -1;
    for (int type = 0; type < numberOfFunctors; ++type)
        if (std::strcmp(functors[type], text) == 0) return type;
    return -1;
}

int KEFOScriptExpression::GetPriority(int type) {
    switch (type) {
    case And: return 7;
    case Or: return 8;
    case Not: return 6;
    case Eq: case Df: case Lt: case Gt: case Leq: case Geq: return 5;
    case Add: return 4;
    case Sub: return 3;
    case Mul: return 2;
    case Div: return 1;
    default: return 0;
    }
}

bool KEFOScriptExpression::CheckNumberOfChildren(int type, int n) {
    switch (type) {
    case Reference: case Boolean: case Integer: case Real: case Symbol: case String: case QuotedSymbol:
        return n == 0;
    case And: case Or: case Add: case Mul:
        return n >= 2;
    case Not: case Neg: case Abs: case Exp: case Log: case Log10: case Sqrt: case Ceil: case Floor:
        return n == 1;
    case Eq: case Df: case Lt: case Gt: case Leq: case Geq: case Sub: case Div: case Mod: case Pow: case Case:
        return n == 2;
    case Min: case Max: case Mean: case Switch:
        return n >= 1;
    case Count: case Append: case List:
        return n >= 0;
    case Range:
        return n == 3;
    default:
        return false;
    }
}
