#include "model/port.h"

#include "model/term.h"
#include "support/measure.h"

#include <unordered_set>

KEFOPort::KEFOPort(int type, KEFOContainer* owner, KEFOPath* path) : KEFODeclaration(type, owner, path) {}

KEFOPort::~KEFOPort() {
    delete _definition;
    delete _measure;
}

PLOVMeasure* KEFOPort::ResetMeasure(int numberOfQuantiles, int numberOfBins) {
    if (_measure == nullptr) _measure = new PLOVMeasure(GetPathAsString());
    _measure->Reset();
    if (numberOfQuantiles > 0) {
        _measure->CreateQuantilizer(numberOfQuantiles);
    } else {
        _measure->DeleteQuantilizer();
    }
    if (numberOfBins > 0) {
        _measure->CreateBinTable(numberOfBins);
    } else {
        _measure->DeleteBinTable();
    }
    return _measure;
}

void KEFOPort::DeleteMeasure() {
    delete _measure;
    _measure = nullptr;
}

void KEFOPort::SetDefinition(KEFOTerm* term) {
    if (term == _definition) {
        if (term != nullptr) term->SetDefinedPort(this);
        return;
    }
    if (_definition != nullptr) {
        _definition->ResetDefinedPort();
        delete _definition;
    }
    _definition = term;
    if (term != nullptr) {
        if (term->GetParent() != nullptr) term->GetParent()->RemoveChild(term);
        term->SetDefinedPort(this);
    }
}

KEFOTerm* KEFOPort::ReleaseDefinition() {
    KEFOTerm* definition = _definition;
    _definition = nullptr;
    if (definition != nullptr) definition->ResetDefinedPort();
    return definition;
}

int KEFOPort::CompareAsAnyPort(const KEFOObject* object, const void*) {
    const KEFODeclaration* d = dynamic_cast<const KEFODeclaration*>(object);
    return d != nullptr && d->IsPort() ? 0 : 1;
}

int KEFOPort::CompareAsInputPort(const KEFOObject* object, const void*) {
    const KEFOPort* p = dynamic_cast<const KEFOPort*>(object);
    return p != nullptr && p->IsInputPort() ? 0 : 1;
}

int KEFOPort::CompareAsInternalPort(const KEFOObject* object, const void*) {
    const KEFOPort* p = dynamic_cast<const KEFOPort*>(object);
    return p != nullptr && p->IsInternalPort() ? 0 : 1;
}

void KEFOPort::CollectReachablePorts(const std::vector<KEFOPort*>& roots, KEFOObjectComparison compare,
                                     const void* key, std::vector<KEFOPort*>& out) {
    std::unordered_set<const KEFOPort*> visited;
    std::vector<KEFOPort*> stack;
    std::vector<KEFOPort*> children;
    for (auto it = roots.rbegin(); it != roots.rend(); ++it) stack.push_back(*it);
    while (!stack.empty()) {
        KEFOPort* port = stack.back();
        stack.pop_back();
        if (port == nullptr || !visited.insert(port).second) continue;
        if (compare == nullptr || compare(port, key) == 0) out.push_back(port);
        if (port->_definition == nullptr) continue;
        children.clear();
        port->_definition->CollectReferredPorts(children);
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (visited.count(*it) == 0) stack.push_back(*it);
        }
    }
}

void KEFOPort::SetFlagsOfDescendants(int flag) {
    std::vector<KEFOPort*> stack{this};
    std::vector<KEFOPort*> children;
    SetFlag(flag);
    while (!stack.empty()) {
        KEFOPort* port = stack.back();
        stack.pop_back();
        if (port->_definition == nullptr) continue;
        children.clear();
        port->_definition->CollectReferredPorts(children);
        for (KEFOPort* child : children) {
            if (child->GetFlag() == flag) continue;
            child->SetFlag(flag);
            stack.push_back(child);
        }
    }
}

void KEFOPort::CollectDescendants(KEFOObjectComparison compare, const void* key, std::vector<KEFOPort*>& out) const {
    if (_definition == nullptr) return;
    std::vector<KEFOPort*> roots;
    _definition->CollectReferredPorts(roots);
    CollectReachablePorts(roots, compare, key, out);
}

void KEFOPort::CollectChildren(KEFOObjectComparison compare, const void* key, std::vector<KEFOPort*>& out) const {
    if (_definition == nullptr) return;
    std::vector<KEFOPort*> referred;
    _definition->CollectReferredPorts(referred);
    std::unordered_set<const KEFOPort*> seen;
    for (KEFOPort* port : referred) {
        if (!seen.insert(port).second) continue;
        if (compare == nullptr || compare(port, key) == 0) out.push_back(port);
    }
}

void KEFOPort::ResetAttributeOfDescendants(const char* name) {
    std::vector<KEFOPort*> all;
    CollectReachablePorts(std::vector<KEFOPort*>{this}, nullptr, nullptr, all);
    for (KEFOPort* port : all) port->ResetAttribute(name);
}
