#include "diagrams/handle.h"

#include "diagrams/bdd_handle.h"
#include "model/parameter.h"
#include "model/type.h"
#include "model/variable.h"

#include <unordered_set>

const KEFOHandle::TreeMeasures* KEFOHandle::_treeMeasures = nullptr;

KEFOHandle::KEFOHandle(const char* name, int type) : _name(name != nullptr ? name : ""), _type(type) {
    if (type == BDD) _quantificationMethod = ExactProbability;
}

KEFOHandle::~KEFOHandle() {
    if (_payload != nullptr) {
        if ((_type & DecisionDiagram) != 0)
            delete static_cast<KEFOBDDHandle*>(_payload);
        else if (_deleter != nullptr)
            _deleter(_payload);
    }
    _payload = nullptr;
}

KEFOHandle* KEFOHandle::_New(KEFOVariable* variable, const char* name, int type, void* payload,
                             PayloadDeleter deleter) {
    KEFOHandle* handle;
    try {
        handle = new KEFOHandle(name, type);
    } catch (...) {
        // The handle owns its payload from the call on, even when it could
        // not be made.
        if (payload != nullptr) {
            if ((type & DecisionDiagram) != 0)
                delete static_cast<KEFOBDDHandle*>(payload);
            else if (deleter != nullptr)
                deleter(payload);
        }
        throw;
    }
    handle->_variable = variable;
    handle->_payload = payload;
    handle->_deleter = deleter;
    return handle;
}

KEFOHandle* KEFOHandle::NewZBDD(KEFOVariable* variable, const char* name, KEFOBDDHandle* diagram) {
    return _New(variable, name, ZBDD, diagram, nullptr);
}

KEFOHandle* KEFOHandle::NewBDD(KEFOVariable* variable, const char* name, KEFOBDDHandle* diagram) {
    return _New(variable, name, BDD, diagram, nullptr);
}

KEFOHandle* KEFOHandle::AttachNewZBDD(KEFOVariable* variable, const char* name, KEFOBDDHandle* diagram) {
    return variable->InsertHandle(NewZBDD(variable, name, diagram));
}

KEFOHandle* KEFOHandle::AttachNewBDD(KEFOVariable* variable, const char* name, KEFOBDDHandle* diagram) {
    return variable->InsertHandle(NewBDD(variable, name, diagram));
}

void KEFOHandle::Delete(void* handle) { delete static_cast<KEFOHandle*>(handle); }

int KEFOHandle::CompareAsSystemHandle(const KEFOHandle* handle, const void*) {
    return handle != nullptr && handle->_type == System ? 0 : 1;
}
int KEFOHandle::CompareAsBDTHandle(const KEFOHandle* handle, const void*) {
    return handle != nullptr && handle->_type == BDT ? 0 : 1;
}
int KEFOHandle::CompareAsZBDDHandle(const KEFOHandle* handle, const void*) {
    return handle != nullptr && handle->_type == ZBDD ? 0 : 1;
}
int KEFOHandle::CompareAsBDDHandle(const KEFOHandle* handle, const void*) {
    return handle != nullptr && handle->_type == BDD ? 0 : 1;
}
int KEFOHandle::CompareAsSumOfMinimalCutsetsHandle(const KEFOHandle* handle, const void*) {
    return handle != nullptr && handle->IsSumOfMinimalCutsetsHandle() ? 0 : 1;
}
int KEFOHandle::CompareAsDecisionDiagramHandle(const KEFOHandle* handle, const void*) {
    return handle != nullptr && handle->IsDecisionDiagramHandle() ? 0 : 1;
}
int KEFOHandle::CompareAsSumOfProductsHandle(const KEFOHandle* handle, const void*) {
    return handle != nullptr && handle->IsSumOfProductsHandle() ? 0 : 1;
}

// --- lists ------------------------------------------------------------------

void KEFOHandle::_CollectLists() {
    _listsCollected = true;
    _parameters.clear();
    _stateVariables.clear();
    if (_variable == nullptr) return;
    if (_variable->IsStateVariable()) _stateVariables.push_back(_variable);
    std::vector<KEFOPort*> ports;
    _variable->CollectDescendants(KEFOType::CompareAsStateVariable, nullptr, ports);
    for (KEFOPort* port : ports) {
        KEFOVariable* variable = static_cast<KEFOVariable*>(port);
        if (variable->IsStateVariable() && variable != _variable) _stateVariables.push_back(variable);
    }
    std::unordered_set<const KEFOParameter*> seen;
    std::vector<KEFOParameter*> found;
    _variable->CollectParameters(found);
    for (KEFOVariable* variable : _stateVariables) {
        if (variable != _variable) variable->CollectParameters(found);
    }
    for (KEFOParameter* parameter : found)
        if (seen.insert(parameter).second) _parameters.push_back(parameter);
}

const std::vector<KEFOParameter*>& KEFOHandle::GetParameters() {
    if (!_listsCollected) _CollectLists();
    return _parameters;
}

const std::vector<KEFOVariable*>& KEFOHandle::GetStateVariables() {
    if (!_listsCollected) _CollectLists();
    return _stateVariables;
}

void KEFOHandle::UpdateStateVariablesAndParameters() { _CollectLists(); }

void KEFOHandle::SetQuantificationMethod(int method) {
    if ((_type & SumOfMinimalCutsets) != 0) _quantificationMethod = method;
}

// --- measures ---------------------------------------------------------------

int KEFOHandle::ComputeSizeOfDiagram() const {
    if (KEFOBDDHandle* d = GetBDDHandle()) return d->ComputeSizeOfDiagram();
    if (KEFOBDTHandle* t = GetBDTHandle())
        return _treeMeasures != nullptr && _treeMeasures->sizeOfDiagram != nullptr ? _treeMeasures->sizeOfDiagram(t) : 0;
    return 0;
}

double KEFOHandle::ComputeNumberOfProducts() const {
    if (KEFOBDDHandle* d = GetBDDHandle()) return d->ComputeNumberOfProducts();
    if (KEFOBDTHandle* t = GetBDTHandle())
        return _treeMeasures != nullptr && _treeMeasures->numberOfProducts != nullptr ? _treeMeasures->numberOfProducts(t)
                                                                                       : 0.0;
    return 0.0;
}

double KEFOHandle::ComputeSizeOfSumOfProducts() const {
    if (KEFOBDDHandle* d = GetBDDHandle()) return d->ComputeSizeOfSumOfProducts();
    if (KEFOBDTHandle* t = GetBDTHandle())
        return _treeMeasures != nullptr && _treeMeasures->sizeOfSumOfProducts != nullptr
                   ? _treeMeasures->sizeOfSumOfProducts(t)
                   : 0.0;
    return 0.0;
}

int KEFOHandle::ComputeLowestOrderOfMinimalCutsets() const {
    if (KEFOBDDHandle* d = GetBDDHandle()) return d->ComputeLowestOrderOfMinimalCutsets();
    if (KEFOBDTHandle* t = GetBDTHandle())
        return _treeMeasures != nullptr && _treeMeasures->lowestOrder != nullptr ? _treeMeasures->lowestOrder(t) : 0;
    return 0;
}

int KEFOHandle::ComputeHighestOrderOfMinimalCutsets() const {
    if (KEFOBDDHandle* d = GetBDDHandle()) return d->ComputeHighestOrderOfMinimalCutsets();
    if (KEFOBDTHandle* t = GetBDTHandle())
        return _treeMeasures != nullptr && _treeMeasures->highestOrder != nullptr ? _treeMeasures->highestOrder(t) : 0;
    return 0;
}

void KEFOHandle::ComputeOrdersOfMinimalCutsets(int*& counts, int& highest, int& total) const {
    counts = nullptr;
    highest = 0;
    total = 0;
    if (KEFOBDDHandle* d = GetBDDHandle()) {
        d->ComputeOrdersOfMinimalCutsets(counts, highest, total);
    } else if (KEFOBDTHandle* t = GetBDTHandle()) {
        if (_treeMeasures != nullptr && _treeMeasures->orders != nullptr) _treeMeasures->orders(t, counts, highest, total);
    }
}

void KEFOHandle::ComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(KEFOVariable**& variables, int*& counts,
                                                                       int& highestIndex) const {
    variables = nullptr;
    counts = nullptr;
    highestIndex = 0;
    if (KEFOBDDHandle* d = GetBDDHandle()) {
        d->ComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(variables, counts, highestIndex);
    } else if (KEFOBDTHandle* t = GetBDTHandle()) {
        if (_treeMeasures != nullptr && _treeMeasures->occurrences != nullptr)
            _treeMeasures->occurrences(t, variables, counts, highestIndex);
    }
}

double KEFOHandle::ComputeProbabilityOfTargetVariable() {
    if (_variable == nullptr) return 0.0;
    double p = _variable->GetProbability();
    if (p >= 0.0 && p <= 1.0) return p;
    KEFOBDDHandle* d = GetBDDHandle();
    if (d == nullptr) return p;
    p = d->ComputeTopEventProbability(_quantificationMethod);
    _variable->SetProbability(p);
    return p;
}
