// A node of a Boolean formula: a reference to a variable, a Boolean constant
// or a connective over child gates. The connective's keyword is kept in the
// attribute "__FUNCTOR__" (for inspection only), the value of a constant in
// "__VALUE__", the bounds of atleast, atmost and cardinality in "__min__" and
// "__max__".
#ifndef KEFO_MODEL_GATE_H
#define KEFO_MODEL_GATE_H

#include "model/term.h"
#include "model/variable.h"

#include <vector>

class KEFOGate : public KEFOTerm {
    PLOV_MANAGED_ALLOCATION(KEFOGate)
public:
    enum Type {
        Reference = 0,
        Constant = 1,
        And = 2,
        Or = 3,
        Nand = 4,
        Nor = 5,
        AtLeast = 6,
        AtMost = 7,
        Cardinality = 8,
        Not = 9
    };
    static const int numberOfTypes = 10;

    ~KEFOGate() override;

    // Constructors; the owner is the container in whose context the gate is
    // made. Given children become the gate's children in order.
    static KEFOGate* New(KEFOContainer* owner, int type);
    static KEFOGate* NewConstant(KEFOContainer* owner, bool value);
    // A reference by path expecting a variable of the given KEFOType::Type
    // code (takes ownership of the path).
    static KEFOGate* NewVariableReference(KEFOContainer* owner, int type, KEFOPath* path);
    // A reference resolved at once.
    static KEFOGate* NewVariableReference(KEFOContainer* owner, KEFOVariable* variable);
    static KEFOGate* NewAnd(KEFOContainer* owner, const std::vector<KEFOGate*>& children = {});
    static KEFOGate* NewOr(KEFOContainer* owner, const std::vector<KEFOGate*>& children = {});
    static KEFOGate* NewNand(KEFOContainer* owner, const std::vector<KEFOGate*>& children = {});
    static KEFOGate* NewNor(KEFOContainer* owner, const std::vector<KEFOGate*>& children = {});
    static KEFOGate* NewAtLeast(KEFOContainer* owner, int k, const std::vector<KEFOGate*>& children = {});
    static KEFOGate* NewAtMost(KEFOContainer* owner, int k, const std::vector<KEFOGate*>& children = {});
    static KEFOGate* NewCardinality(KEFOContainer* owner, int min, int max,
                                    const std::vector<KEFOGate*>& children = {});
    static KEFOGate* NewNot(KEFOContainer* owner, KEFOGate* gate);
    // Deep copy made in the context of `owner` (type, "__VALUE__", "__min__",
    // "__max__", referred path, type and port, children in order).
    static KEFOGate* Copy(KEFOContainer* owner, const KEFOGate* gate);
    // Appends to `to` copies of the children of `from`.
    static void CopyChildren(KEFOContainer* owner, const KEFOGate* from, KEFOGate* to);

    // Keyword of a connective (null for references, constants and unknown
    // codes) and connective of a keyword (-1 for an unknown word).
    static const char* GetFunctor(int type);
    static int GetType(const char* keyword);
    using KEFOObject::GetType;

    // The child as a gate (null when it is not one).
    static KEFOGate* AsGate(KEFOTerm* term) {
        return term != nullptr && term->IsGate() ? static_cast<KEFOGate*>(term) : nullptr;
    }

    bool IsReference() const { return GetType() == Reference; }
    bool IsConstant() const { return GetType() == Constant; }
    bool IsConstantTrue() const { return IsConstant() && GetConstantValue(); }
    bool IsConstantFalse() const { return IsConstant() && !GetConstantValue(); }
    bool GetConstantValue() const { return GetAttributeAsBool("__VALUE__", false); }
    // A resolved reference whose port has exactly that type.
    bool IsStateVariableReference() const;
    bool IsFlowVariableReference() const;
    bool IsSourceVariableReference() const;
    KEFOVariable* GetReferredVariable() const;
    bool IsNegation() const { return GetType() == Not; }
    // A reference, or a not whose single child is a reference.
    bool IsLiteral() const;
    bool IsAssociative() const;
    bool IsCommutative() const;
    // and 2, or 3, not 1, others 0 (printers' parentheses).
    int GetPriority() const;
    // Bounds of the connective (n is the number of children): reference 1..1,
    // and n..n, or 1..n, nand 0..n-1, nor 0..0, atleast k..n, atmost 0..k,
    // cardinality l..h, not 0..0; constants 0..0.
    int GetMin() const;
    int GetMax() const;
    void SetMin(int min) { SetAttribute("__min__", min); }
    void SetMax(int max) { SetAttribute("__max__", max); }
    // An and, or or atleast gate whose children are all literals.
    bool IsNormalized() const;
    // Turns the gate in place into a constant: children deleted, bounds and
    // reference attributes removed, "__VALUE__" set.
    void MuteToConstant(bool value);

    KEFOVariable::Value GetValue() const { return _value; }
    void SetValue(KEFOVariable::Value value) { _value = value; }
    // Three-valued evaluation (see the .cpp), stored in each gate of the
    // formula and answered.
    KEFOVariable::Value ComputeValue();

    KEFOVariable* GetDefinedVariable() const;
    void SetDefinedVariable(KEFOVariable* variable) { SetDefinedPort(variable); }

private:
    KEFOGate(int type, KEFOContainer* owner);
    void _SetFunctor();
    // Value of one node from the values of its children.
    KEFOVariable::Value _ComputeNodeValue() const;

    KEFOVariable::Value _value = KEFOVariable::Unknown;
};

#endif
