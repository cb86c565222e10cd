#include "model/variable.h"

#include "diagrams/handle.h"
#include "model/gate.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "preprocessing/module_record.h"

#include <unordered_map>
#include <unordered_set>

KEFOVariable::KEFOVariable(int type, KEFOContainer* owner, KEFOPath* path) : KEFOPort(type, owner, path) {}

KEFOVariable::~KEFOVariable() {
    delete _distribution;
    DeleteHandles(nullptr, nullptr);
}

bool KEFOVariable::IsModule() const {
    if (IsStateVariable() || GetDefinition() == nullptr) return false;
    const KEFOModuleRecord* record = KEFOModuleRecord::Get(this);
    return record != nullptr && record->IsModule();
}

KEFOGate* KEFOVariable::GetDefinitionAsGate() const { return KEFOGate::AsGate(GetDefinition()); }

void KEFOVariable::SetProbabilityDistribution(KEFOStochasticExpression* distribution) {
    if (distribution == _distribution) return;
    delete _distribution;
    _distribution = distribution;
    if (distribution != nullptr && distribution->GetParent() != nullptr) {
        distribution->GetParent()->RemoveChild(distribution);
    }
}

KEFOStochasticExpression* KEFOVariable::ReleaseProbabilityDistribution() {
    KEFOStochasticExpression* distribution = _distribution;
    _distribution = nullptr;
    return distribution;
}

KEFOHandle* KEFOVariable::LookForHandle(std::string_view name) const {
    auto it = _handles.find(name);
    return it == _handles.end() ? nullptr : it->second;
}

KEFOHandle* KEFOVariable::SearchHandle(KEFOHandleComparison compare, const void* key) const {
    for (const auto& entry : _handles) {
        if (compare == nullptr || compare(entry.second, key) == 0) return entry.second;
    }
    return nullptr;
}

KEFOHandle* KEFOVariable::InsertHandle(KEFOHandle* handle) {
    if (handle == nullptr) return nullptr;
    auto it = _handles.find(std::string_view(handle->GetStdName()));
    if (it != _handles.end()) {
        if (it->second == handle) return handle;
        KEFOHandle* previous = it->second;
        it->second = handle;
        delete previous;
        return handle;
    }
    _handles.emplace(handle->GetStdName(), handle);
    return handle;
}

KEFOHandle* KEFOVariable::RemoveHandle(std::string_view name) {
    auto it = _handles.find(name);
    if (it == _handles.end()) return nullptr;
    KEFOHandle* handle = it->second;
    _handles.erase(it);
    return handle;
}

void KEFOVariable::DeleteHandle(std::string_view name) { delete RemoveHandle(name); }

void KEFOVariable::DeleteHandle(KEFOHandle* handle) {
    if (handle == nullptr) return;
    auto it = _handles.find(std::string_view(handle->GetStdName()));
    if (it == _handles.end() || it->second != handle) return;
    _handles.erase(it);
    delete handle;
}

void KEFOVariable::DeleteHandles(KEFOHandleComparison compare, const void* key) {
    for (auto it = _handles.begin(); it != _handles.end();) {
        if (compare == nullptr || compare(it->second, key) == 0) {
            KEFOHandle* handle = it->second;
            it = _handles.erase(it);
            delete handle;
        } else {
            ++it;
        }
    }
}

void KEFOVariable::ComputeValue() {
    KEFOGate* definition = GetDefinitionAsGate();
    if (definition == nullptr) return;
    _value = definition->ComputeValue();
}

void KEFOVariable::ResetLocalReferenceCounts() {
    // Descends once into each flow variable below this one and counts, for
    // each, the references met in the definitions visited.
    std::unordered_set<KEFOVariable*> visited{this};
    std::vector<KEFOVariable*> stack{this};
    std::vector<KEFOPort*> children;
    std::vector<KEFOVariable*> reached;
    std::unordered_map<KEFOVariable*, int> counts;
    while (!stack.empty()) {
        KEFOVariable* variable = stack.back();
        stack.pop_back();
        if (variable->GetDefinition() == nullptr) continue;
        children.clear();
        variable->GetDefinition()->CollectReferredPorts(children);
        for (KEFOPort* port : children) {
            if (!KEFOType::IsVariableType(port->GetType())) continue;
            KEFOVariable* child = static_cast<KEFOVariable*>(port);
            if (!child->IsFlowVariable()) continue;
            ++counts[child];
            if (visited.insert(child).second) {
                reached.push_back(child);
                stack.push_back(child);
            }
        }
    }
    _localReferenceCount = 0;
    _singleton = false;
    for (KEFOVariable* variable : reached) {
        int count = counts[variable];
        variable->_localReferenceCount = count;
        variable->_singleton = count == 1;
    }
}

void KEFOVariable::ResetProbabilisticIndicators() {
    _probability = -1.0;
    _failureIntensity = -1.0;
    _probabilityIfTrue = -1.0;
    _probabilityIfFalse = -1.0;
    _partialDerivative = -1.0;
    _marginalImportanceFactor = -1.0;
}

void KEFOVariable::CollectParameters(std::vector<KEFOParameter*>& out) const {
    std::vector<KEFOPort*> roots;
    if (_distribution != nullptr) _distribution->CollectReferredPorts(roots);
    if (GetDefinition() != nullptr) GetDefinition()->CollectReferredPorts(roots);
    // Parameters reach other parameters only; variables met in a definition
    // are not followed (their parameters are their own).
    std::vector<KEFOPort*> parameterRoots;
    for (KEFOPort* port : roots) {
        if (port->GetType() == KEFOType::Parameter) parameterRoots.push_back(port);
    }
    std::vector<KEFOPort*> reached;
    KEFOPort::CollectReachablePorts(parameterRoots, KEFOType::CompareAsParameter, nullptr, reached);
    for (KEFOPort* port : reached) out.push_back(static_cast<KEFOParameter*>(port));
}
