// A node of a script expression. Each node owns its children and its own
// value object: evaluating a node (KEFOScriptCalculator) overwrites that value
// and returns it, so a result stays valid until the same node is evaluated
// again. Literal nodes hold their literal as their value.
#ifndef KEFO_SCRIPT_SCRIPT_EXPRESSION_H
#define KEFO_SCRIPT_SCRIPT_EXPRESSION_H

#include "support/managed_value.h"
#include "support/memory_manager.h"

#include <string>
#include <vector>

class KEFOScriptExpression {
    PLOV_MANAGED_ALLOCATION(KEFOScriptExpression)
public:
    enum Type {
        Reference = 0,  // assignment target: names a variable
        Boolean = 1,
        Integer = 2,
        Real = 3,
        Symbol = 4,
        String = 5,
        And = 6,
        Or = 7,
        Not = 8,
        Eq = 9,
        Df = 10,
        Lt = 11,
        Gt = 12,
        Leq = 13,
        Geq = 14,
        Neg = 15,
        Add = 16,
        Sub = 17,
        Mul = 18,
        Div = 19,
        Abs = 20,
        Exp = 21,
        Log = 22,
        Log10 = 23,
        Mod = 24,
        Pow = 25,
        Sqrt = 26,
        Ceil = 27,
        Floor = 28,
        Min = 29,
        Max = 30,
        Mean = 31,
        Count = 32,
        Append = 33,
        Switch = 34,
        Case = 35,
        List = 36,
        Range = 37,
        QuotedSymbol = 38
    };
    static const int numberOfTypes = 39;

    explicit KEFOScriptExpression(int type);
    ~KEFOScriptExpression();
    KEFOScriptExpression(const KEFOScriptExpression&) = delete;
    KEFOScriptExpression& operator=(const KEFOScriptExpression&) = delete;

    static KEFOScriptExpression* NewBoolean(bool value);
    static KEFOScriptExpression* NewInteger(int value);
    static KEFOScriptExpression* NewReal(double value);
    static KEFOScriptExpression* NewSymbol(const char* text);
    static KEFOScriptExpression* NewString(const char* text);
    static KEFOScriptExpression* NewQuotedSymbol(const char* text);
    static KEFOScriptExpression* NewReference(const char* name);

    int GetType() const { return _type; }
    bool IsLiteral() const;

    int GetNumberOfChildren() const { return static_cast<int>(_children.size()); }
    // Child number i, from 1; null when out of range.
    KEFOScriptExpression* GetChild(int i) const;
    // Takes ownership of the child (deleted if it cannot be stored).
    void AppendChild(KEFOScriptExpression* child);
    const std::vector<KEFOScriptExpression*>& GetChildren() const { return _children; }

    PLOVManagedValue& GetValue() { return _value; }
    const PLOVManagedValue& GetValue() const { return _value; }

    const std::string& GetReferenceIdentifier() const { return _referenceIdentifier; }
    void SetReferenceIdentifier(const char* name) { _referenceIdentifier = name != nullptr ? name : ""; }

    // Functor words of types 0 to 35 ("reference", "and", "==", "abs"...);
    // null for other types. GetTypeFromFunctor gives -1 for an unknown word.
    static const char* GetFunctorFromType(int type);
    static int GetTypeFromFunctor(const char* text);
    // Printing priority: a child whose priority is greater than its
    // parent's is printed in parentheses.
    static int GetPriority(int type);
    int GetPriority() const { return GetPriority(_type); }
    // Whether a node of the type may have n children.
    static bool CheckNumberOfChildren(int type, int n);

private:
    int _type;
    std::vector<KEFOScriptExpression*> _children;
    PLOVManagedValue _value;
    std::string _referenceIdentifier;
};

#endif
