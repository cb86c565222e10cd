#include "model/term.h"

#include "model/object_comparator.h"
#include "model/path.h"
#include "model/port.h"

#include <algorithm>
#include <cfloat>
#include <unordered_set>

namespace {

void DeletePath(void* pointer) { delete static_cast<KEFOPath*>(pointer); }

}  // namespace

KEFOTerm::KEFOTerm(int type, KEFOContainer* owner, bool isExpression)
    : KEFOObject(type), _owner(owner), _isExpression(isExpression) {}

KEFOTerm::~KEFOTerm() {
    if (_parent != nullptr) _parent->_Detach(this);
    // Children are taken out of their parents before being deleted, so no
    // destructor below recurses: deep formulas are deleted with a loop.
    std::vector<KEFOTerm*> pending;
    for (KEFOTerm* c = _firstChild; c != nullptr; c = c->_nextSibling) pending.push_back(c);
    _firstChild = _lastChild = nullptr;
    _numberOfChildren = 0;
    while (!pending.empty()) {
        KEFOTerm* term = pending.back();
        pending.pop_back();
        for (KEFOTerm* c = term->_firstChild; c != nullptr; c = c->_nextSibling) pending.push_back(c);
        term->_firstChild = term->_lastChild = nullptr;
        term->_numberOfChildren = 0;
        term->_parent = nullptr;
        term->_previousSibling = term->_nextSibling = nullptr;
        delete term;
    }
}

KEFOTerm* KEFOTerm::GetChild(int i) const {
    if (i < 1 || i > _numberOfChildren) return nullptr;
    KEFOTerm* c = _firstChild;
    for (int k = 1; k < i; ++k) c = c->_nextSibling;
    return c;
}

void KEFOTerm::_Detach(KEFOTerm* child) {
    if (child->_previousSibling != nullptr) {
        child->_previousSibling->_nextSibling = child->_nextSibling;
    } else {
        _firstChild = child->_nextSibling;
    }
    if (child->_nextSibling != nullptr) {
        child->_nextSibling->_previousSibling = child->_previousSibling;
    } else {
        _lastChild = child->_previousSibling;
    }
    child->_previousSibling = child->_nextSibling = nullptr;
    child->_parent = nullptr;
    --_numberOfChildren;
}

void KEFOTerm::AppendChild(KEFOTerm* term) { AddChildBefore(nullptr, term); }

void KEFOTerm::PrependChild(KEFOTerm* term) { AddChildAfter(nullptr, term); }

void KEFOTerm::AddChildBefore(KEFOTerm* position, KEFOTerm* term) {
    if (term == nullptr || term == this || term == position) return;
    if (position != nullptr && position->_parent != this) return;
    if (term->_parent != nullptr) term->_parent->_Detach(term);
    term->_parent = this;
    if (position == nullptr) {
        term->_previousSibling = _lastChild;
        term->_nextSibling = nullptr;
        if (_lastChild != nullptr) {
            _lastChild->_nextSibling = term;
        } else {
            _firstChild = term;
        }
        _lastChild = term;
    } else {
        term->_previousSibling = position->_previousSibling;
        term->_nextSibling = position;
        if (position->_previousSibling != nullptr) {
            position->_previousSibling->_nextSibling = term;
        } else {
            _firstChild = term;
        }
        position->_previousSibling = term;
    }
    ++_numberOfChildren;
}

void KEFOTerm::AddChildAfter(KEFOTerm* position, KEFOTerm* term) {
    if (term == nullptr || term == this || term == position) return;
    if (position != nullptr && position->_parent != this) return;
    if (term->_parent != nullptr) term->_parent->_Detach(term);
    term->_parent = this;
    if (position == nullptr) {
        term->_previousSibling = nullptr;
        term->_nextSibling = _firstChild;
        if (_firstChild != nullptr) {
            _firstChild->_previousSibling = term;
        } else {
            _lastChild = term;
        }
        _firstChild = term;
    } else {
        term->_previousSibling = position;
        term->_nextSibling = position->_nextSibling;
        if (position->_nextSibling != nullptr) {
            position->_nextSibling->_previousSibling = term;
        } else {
            _lastChild = term;
        }
        position->_nextSibling = term;
    }
    ++_numberOfChildren;
}

KEFOTerm* KEFOTerm::SubstituteChild(KEFOTerm* oldChild, KEFOTerm* newChild) {
    if (oldChild == nullptr || oldChild->_parent != this || newChild == nullptr || newChild == oldChild) {
        return nullptr;
    }
    if (newChild->_parent == this) _Detach(newChild);
    AddChildBefore(oldChild, newChild);
    _Detach(oldChild);
    return oldChild;
}

void KEFOTerm::AddChildren(const std::vector<KEFOTerm*>& terms) {
    for (KEFOTerm* term : terms) AppendChild(term);
}

bool KEFOTerm::RemoveChild(KEFOTerm* child) {
    if (child == nullptr || child->_parent != this) return false;
    _Detach(child);
    return true;
}

void KEFOTerm::RemoveChildren(const std::vector<KEFOTerm*>& children) {
    for (KEFOTerm* child : children) RemoveChild(child);
}

void KEFOTerm::DeleteChild(KEFOTerm* child) {
    if (RemoveChild(child)) delete child;
}

void KEFOTerm::DeleteChildren() {
    while (_firstChild != nullptr) DeleteChild(_firstChild);
}

void KEFOTerm::CollectChildren(std::vector<KEFOTerm*>& out) const {
    for (KEFOTerm* c = _firstChild; c != nullptr; c = c->_nextSibling) out.push_back(c);
}

void KEFOTerm::CollectReferredPorts(std::vector<KEFOPort*>& out) const {
    // Depth-first, children in order, with an explicit stack.
    std::vector<const KEFOTerm*> stack{this};
    while (!stack.empty()) {
        const KEFOTerm* term = stack.back();
        stack.pop_back();
        KEFOPort* port = term->GetReferredPort();
        if (port != nullptr) out.push_back(port);
        for (KEFOTerm* c = term->_lastChild; c != nullptr; c = c->_previousSibling) stack.push_back(c);
    }
}

void KEFOTerm::SetFlagsOfDescendants(int flag) const {
    std::vector<KEFOPort*> ports;
    CollectReferredPorts(ports);
    for (KEFOPort* port : ports) {
        if (port->GetFlag() != flag) port->SetFlagsOfDescendants(flag);
    }
}

void KEFOTerm::CollectDescendants(KEFOObjectComparison compare, const void* key, std::vector<KEFOPort*>& out) const {
    std::vector<KEFOPort*> roots;
    CollectReferredPorts(roots);
    KEFOPort::CollectReachablePorts(roots, compare, key, out);
}

KEFOPath* KEFOTerm::GetReferredPortPath() const {
    return static_cast<KEFOPath*>(GetAttributeAsPointer("__REFERRED_PORT_PATH__"));
}

const char* KEFOTerm::GetReferredPortPathAsString() const {
    KEFOPath* path = GetReferredPortPath();
    return path != nullptr ? path->GetString() : "";
}

void KEFOTerm::SetReferredPortPath(KEFOPath* path) {
    if (path == nullptr) {
        ResetReferredPortPath();
        return;
    }
    SetAttribute("__REFERRED_PORT_PATH__", static_cast<void*>(path), DeletePath);
}

void KEFOTerm::_CopyReferenceAttributes(const KEFOTerm* from) {
    if (from->HasAttribute("__REFERRED_PORT_TYPE__")) SetReferredPortType(from->GetReferredPortType());
    if (from->GetReferredPortPath() != nullptr) SetReferredPortPath(from->GetReferredPortPath()->Copy());
    if (from->GetReferredPort() != nullptr) SetReferredPort(from->GetReferredPort());
}

double KEFOTerm::GetMinimumOfAttributesOfReferencedPorts(const char* name) const {
    double result = DBL_MAX;
    for (KEFOTerm* c = _firstChild; c != nullptr; c = c->_nextSibling) {
        KEFOPort* port = c->GetReferredPort();
        if (port != nullptr) result = std::min(result, port->GetAttributeAsDouble(name, 0.0));
    }
    return result;
}

double KEFOTerm::GetMaximumOfAttributesOfReferencedPorts(const char* name) const {
    double result = -DBL_MAX;
    for (KEFOTerm* c = _firstChild; c != nullptr; c = c->_nextSibling) {
        KEFOPort* port = c->GetReferredPort();
        if (port != nullptr) result = std::max(result, port->GetAttributeAsDouble(name, 0.0));
    }
    return result;
}

double KEFOTerm::GetSumOfAttributesOfReferencedPorts(const char* name) const {
    double result = 0.0;
    for (KEFOTerm* c = _firstChild; c != nullptr; c = c->_nextSibling) {
        KEFOPort* port = c->GetReferredPort();
        if (port != nullptr) result += port->GetAttributeAsDouble(name, 0.0);
    }
    return result;
}

void KEFOTerm::ResetAttributes(const char* name) {
    std::vector<KEFOTerm*> stack{this};
    while (!stack.empty()) {
        KEFOTerm* term = stack.back();
        stack.pop_back();
        term->ResetAttribute(name);
        for (KEFOTerm* c = term->_firstChild; c != nullptr; c = c->_nextSibling) stack.push_back(c);
    }
}

void KEFOTerm::_SynthesizeAttributes(const char* name, bool minimum) {
    // Post-order with an explicit stack: a node is computed once all its
    // children are.
    struct Frame {
        KEFOTerm* term;
        bool expanded;
    };
    std::vector<Frame> stack{Frame{this, false}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        KEFOTerm* term = frame.term;
        if (!frame.expanded && term->_firstChild != nullptr) {
            frame.expanded = true;
            for (KEFOTerm* c = term->_lastChild; c != nullptr; c = c->_previousSibling) stack.push_back(Frame{c, false});
            continue;
        }
        stack.pop_back();
        double value = 0.0;
        KEFOPort* port = term->GetReferredPort();
        if (port != nullptr) {
            value = port->GetAttributeAsDouble(name, 0.0);
        } else if (term->_firstChild != nullptr) {
            value = minimum ? DBL_MAX : -DBL_MAX;
            for (KEFOTerm* c = term->_firstChild; c != nullptr; c = c->_nextSibling) {
                double v = c->GetAttributeAsDouble(name, 0.0);
                value = minimum ? std::min(value, v) : std::max(value, v);
            }
        }
        term->SetAttribute(name, value);
    }
}

void KEFOTerm::SynthesizeAttributesFromAsMinimumOfAttributesOfReferredPorts(const char* name) {
    _SynthesizeAttributes(name, true);
}

void KEFOTerm::SynthesizeAttributesFromAsMaximumOfAttributesOfReferredPorts(const char* name) {
    _SynthesizeAttributes(name, false);
}

void KEFOTerm::_SortChildrenByAttribute(const char* name, bool increasing) {
    if (_numberOfChildren < 2) return;
    std::vector<std::pair<double, KEFOTerm*>> keyed;
    keyed.reserve(static_cast<std::size_t>(_numberOfChildren));
    for (KEFOTerm* c = _firstChild; c != nullptr; c = c->_nextSibling) {
        double value = 0.0;
        if (c->HasAttribute(name)) {
            value = c->GetAttributeAsDouble(name, 0.0);
        } else if (c->GetReferredPort() != nullptr) {
            value = c->GetReferredPort()->GetAttributeAsDouble(name, 0.0);
        }
        keyed.emplace_back(value, c);
    }
    if (increasing) {
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    } else {
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
    }
    KEFOTerm* previous = nullptr;
    for (auto& entry : keyed) {
        KEFOTerm* c = entry.second;
        c->_previousSibling = previous;
        c->_nextSibling = nullptr;
        if (previous != nullptr) {
            previous->_nextSibling = c;
        } else {
            _firstChild = c;
        }
        previous = c;
    }
    _lastChild = previous;
}

void KEFOTerm::SortChildrenInIncreasingOrderOfAttributeValue(const char* name) {
    _SortChildrenByAttribute(name, true);
}

void KEFOTerm::SortChildrenInDecreasingOrderOfAttributeValue(const char* name) {
    _SortChildrenByAttribute(name, false);
}

void KEFOTerm::SortChildren(const KEFOObjectComparator& comparator) {
    if (_numberOfChildren < 2) return;
    std::vector<KEFOTerm*> children;
    CollectChildren(children);
    std::stable_sort(children.begin(), children.end(),
                     [&comparator](const KEFOTerm* a, const KEFOTerm* b) { return comparator.Compare(a, b) < 0; });
    KEFOTerm* previous = nullptr;
    for (KEFOTerm* c : children) {
        c->_previousSibling = previous;
        c->_nextSibling = nullptr;
        if (previous != nullptr) {
            previous->_nextSibling = c;
        } else {
            _firstChild = c;
        }
        previous = c;
    }
    _lastChild = previous;
}
