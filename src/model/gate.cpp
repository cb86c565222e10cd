#include "model/gate.h"

#include "model/path.h"
#include "model/type.h"

#include <cstring>

namespace {

const char* const functors[KEFOGate::numberOfTypes] = {
    nullptr, nullptr, "and", "or", "nand", "nor", "atleast", "atmost", "cardinality", "not",
};

}  // namespace

KEFOGate::KEFOGate(int type, KEFOContainer* owner) : KEFOTerm(type, owner, false) { _SetFunctor(); }

KEFOGate::~KEFOGate() = default;

void KEFOGate::_SetFunctor() {
    const char* functor = GetFunctor(GetType());
    if (functor != nullptr) {
        GetAttributes().SetStaticStringAttribute("__FUNCTOR__", functor);
    } else {
        ResetAttribute("__FUNCTOR__");
    }
}

const char* KEFOGate::GetFunctor(int type) {
    if (type < 0 || type >= numberOfTypes) return nullptr;
    return functors[type];
}

int KEFOGate::GetType(const char* keyword) {
    if (keyword == nullptr) return -1;
    for (int type = 0; type < numberOfTypes; ++type) {
        if (functors[type] != nullptr && std::strcmp(functors[type], keyword) == 0) return type;
    }
    return -1;
}

KEFOGate* KEFOGate::New(KEFOContainer* owner, int type) { return new KEFOGate(type, owner); }

KEFOGate* KEFOGate::NewConstant(KEFOContainer* owner, bool value) {
    KEFOGate* gate = new KEFOGate(Constant, owner);
    gate->SetAttribute("__VALUE__", value);
    return gate;
}

KEFOGate* KEFOGate::NewVariableReference(KEFOContainer* owner, int type, KEFOPath* path) {
    KEFOGate* gate = new KEFOGate(Reference, owner);
    gate->SetReferredPortType(type);
    if (path != nullptr) gate->SetReferredPortPath(path);
    return gate;
}

KEFOGate* KEFOGate::NewVariableReference(KEFOContainer* owner, KEFOVariable* variable) {
    KEFOGate* gate = new KEFOGate(Reference, owner);
    if (variable != nullptr) {
        gate->SetReferredPortType(variable->GetType());
        gate->SetReferredPort(variable);
    }
    return gate;
}

namespace {

KEFOGate* WithChildren(KEFOGate* gate, const std::vector<KEFOGate*>& children) {
    for (KEFOGate* child : children) gate->AppendChild(child);
    return gate;
}

}  // namespace

KEFOGate* KEFOGate::NewAnd(KEFOContainer* owner, const std::vector<KEFOGate*>& children) {
    return WithChildren(new KEFOGate(And, owner), children);
}

KEFOGate* KEFOGate::NewOr(KEFOContainer* owner, const std::vector<KEFOGate*>& children) {
    return WithChildren(new KEFOGate(Or, owner), children);
}

KEFOGate* KEFOGate::NewNand(KEFOContainer* owner, const std::vector<KEFOGate*>& children) {
    return WithChildren(new KEFOGate(Nand, owner), children);
}

KEFOGate* KEFOGate::NewNor(KEFOContainer* owner, const std::vector<KEFOGate*>& children) {
    return WithChildren(new KEFOGate(Nor, owner), children);
}

KEFOGate* KEFOGate::NewAtLeast(KEFOContainer* owner, int k, const std::vector<KEFOGate*>& children) {
    KEFOGate* gate = new KEFOGate(AtLeast, owner);
    gate->SetMin(k);
    return WithChildren(gate, children);
}

KEFOGate* KEFOGate::NewAtMost(KEFOContainer* owner, int k, const std::vector<KEFOGate*>& children) {
    KEFOGate* gate = new KEFOGate(AtMost, owner);
    gate->SetMax(k);
    return WithChildren(gate, children);
}

KEFOGate* KEFOGate::NewCardinality(KEFOContainer* owner, int min, int max, const std::vector<KEFOGate*>& children) {
    KEFOGate* gate = new KEFOGate(Cardinality, owner);
    gate->SetMin(min);
    gate->SetMax(max);
    return WithChildren(gate, children);
}

KEFOGate* KEFOGate::NewNot(KEFOContainer* owner, KEFOGate* child) {
    KEFOGate* gate = new KEFOGate(Not, owner);
    if (child != nullptr) gate->AppendChild(child);
    return gate;
}

namespace {

// One node copied without its children.
KEFOGate* CopyNode(KEFOContainer* owner, const KEFOGate* from) {
    KEFOGate* to = KEFOGate::New(owner, from->GetType());
    if (from->HasAttribute("__VALUE__")) to->SetAttribute("__VALUE__", from->GetConstantValue());
    if (from->HasAttribute("__min__")) to->SetAttribute("__min__", from->GetAttributeAsInt("__min__", 0));
    if (from->HasAttribute("__max__")) to->SetAttribute("__max__", from->GetAttributeAsInt("__max__", 0));
    return to;
}

}  // namespace

KEFOGate* KEFOGate::Copy(KEFOContainer* owner, const KEFOGate* gate) {
    if (gate == nullptr) return nullptr;
    KEFOGate* root = CopyNode(owner, gate);
    root->_CopyReferenceAttributes(gate);
    CopyChildren(owner, gate, root);
    return root;
}

void KEFOGate::CopyChildren(KEFOContainer* owner, const KEFOGate* from, KEFOGate* to) {
    if (from == nullptr || to == nullptr) return;
    // Pre-order with an explicit stack; each copy is appended to the copy of
    // its parent, so children keep their order.
    struct Frame {
        const KEFOTerm* source;
        KEFOGate* parentCopy;
    };
    std::vector<Frame> stack;
    for (KEFOTerm* c = from->GetLastChild(); c != nullptr; c = c->GetPreviousSibling()) stack.push_back(Frame{c, to});
    while (!stack.empty()) {
        Frame frame = stack.back();
        stack.pop_back();
        const KEFOGate* source = frame.source->IsGate() ? static_cast<const KEFOGate*>(frame.source) : nullptr;
        if (source == nullptr) continue;
        KEFOGate* copy = CopyNode(owner, source);
        copy->_CopyReferenceAttributes(source);
        frame.parentCopy->AppendChild(copy);
        for (KEFOTerm* c = source->GetLastChild(); c != nullptr; c = c->GetPreviousSibling()) {
            stack.push_back(Frame{c, copy});
        }
    }
}

KEFOVariable* KEFOGate::GetReferredVariable() const {
    KEFOPort* port = GetReferredPort();
    if (port == nullptr || !KEFOType::IsVariableType(port->GetType())) return nullptr;
    return static_cast<KEFOVariable*>(port);
}

bool KEFOGate::IsStateVariableReference() const {
    KEFOPort* port = IsReference() ? GetReferredPort() : nullptr;
    return port != nullptr && port->GetType() == KEFOType::StateVariable;
}

bool KEFOGate::IsFlowVariableReference() const {
    KEFOPort* port = IsReference() ? GetReferredPort() : nullptr;
    return port != nullptr && port->GetType() == KEFOType::FlowVariable;
}

bool KEFOGate::IsSourceVariableReference() const {
    KEFOPort* port = IsReference() ? GetReferredPort() : nullptr;
    return port != nullptr && port->GetType() == KEFOType::SourceVariable;
}

bool KEFOGate::IsLiteral() const {
    if (IsReference()) return true;
    if (!IsNegation() || GetNumberOfChildren() != 1) return false;
    KEFOGate* child = AsGate(GetFirstChild());
    return child != nullptr && child->IsReference();
}

bool KEFOGate::IsAssociative() const {
    int type = GetType();
    return type == And || type == Or || type == Nand || type == Nor;
}

bool KEFOGate::IsCommutative() const {
    int type = GetType();
    return type == And || type == Or || type == Nand || type == Nor || type == AtLeast || type == AtMost ||
           type == Cardinality;
}

int KEFOGate::GetPriority() const {
    switch (GetType()) {
    case And:
        return 2;
    case Or:
        return 3;
    case Not:
        return 1;
    default:
        return 0;
    }
}

int KEFOGate::GetMin() const {
    int n = GetNumberOfChildren();
    switch (GetType()) {
    case Reference:
        return 1;
    case And:
        return n;
    case Or:
        return 1;
    case AtLeast:
    case Cardinality:
        return GetAttributeAsInt("__min__", 0);
    default:
        return 0;
    }
}

int KEFOGate::GetMax() const {
    int n = GetNumberOfChildren();
    switch (GetType()) {
    case Reference:
        return 1;
    case And:
    case Or:
    case AtLeast:
        return n;
    case Nand:
        return n - 1;
    case AtMost:
    case Cardinality:
        return GetAttributeAsInt("__max__", 0);
    default:
        return 0;
    }
}

bool KEFOGate::IsNormalized() const {
    int type = GetType();
    if (type != And && type != Or && type != AtLeast) return false;
    for (KEFOTerm* c = GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
        KEFOGate* child = AsGate(c);
        if (child == nullptr || !child->IsLiteral()) return false;
    }
    return true;
}

void KEFOGate::MuteToConstant(bool value) {
    DeleteChildren();
    ResetAttribute("__min__");
    ResetAttribute("__max__");
    ResetReferredPort();
    ResetReferredPortPath();
    ResetReferredPortType();
    SetType(Constant);
    _SetFunctor();
    SetAttribute("__VALUE__", value);
}

KEFOVariable* KEFOGate::GetDefinedVariable() const {
    KEFOPort* port = GetDefinedPort();
    if (port == nullptr || !KEFOType::IsVariableType(port->GetType())) return nullptr;
    return static_cast<KEFOVariable*>(port);
}

// 1. A constant takes its "__VALUE__" (false when absent).
// 2. A reference takes the value of its variable (unknown when unresolved).
// 3. A connective counts over its children T, the number of true ones, and U,
//    the number of true or unknown ones; with its bounds min and max: true
//    when T >= min and U <= max; otherwise unknown when T <= max and U >= min;
//    otherwise false. (A child that is not a gate counts as unknown.)
KEFOVariable::Value KEFOGate::_ComputeNodeValue() const {
    switch (GetType()) {
    case Constant:
        return GetConstantValue() ? KEFOVariable::True : KEFOVariable::False;
    case Reference: {
        KEFOVariable* variable = GetReferredVariable();
        return variable != nullptr ? variable->GetValue() : KEFOVariable::Unknown;
    }
    default:
        break;
    }
    int t = 0;
    int u = 0;
    for (KEFOTerm* c = GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
        KEFOVariable::Value value = c->IsGate() ? static_cast<KEFOGate*>(c)->_value : KEFOVariable::Unknown;
        if (value == KEFOVariable::True) {
            ++t;
            ++u;
        } else if (value != KEFOVariable::False) {
            ++u;
        }
    }
    int min = GetMin();
    int max = GetMax();
    if (t >= min && u <= max) return KEFOVariable::True;
    if (t <= max && u >= min) return KEFOVariable::Unknown;
    return KEFOVariable::False;
}

KEFOVariable::Value KEFOGate::ComputeValue() {
    // Post-order over the formula with an explicit stack.
    struct Frame {
        KEFOGate* gate;
        bool expanded;
    };
    std::vector<Frame> stack{Frame{this, false}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        KEFOGate* gate = frame.gate;
        if (!frame.expanded && gate->GetFirstChild() != nullptr && gate->GetType() != Reference &&
            gate->GetType() != Constant) {
            frame.expanded = true;
            for (KEFOTerm* c = gate->GetLastChild(); c != nullptr; c = c->GetPreviousSibling()) {
                if (c->IsGate()) stack.push_back(Frame{static_cast<KEFOGate*>(c), false});
            }
            continue;
        }
        stack.pop_back();
        gate->_value = gate->_ComputeNodeValue();
    }
    return _value;
}
