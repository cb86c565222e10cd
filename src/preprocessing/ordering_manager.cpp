#include "preprocessing/ordering_manager.h"

#include "diagrams/bdd_manager.h"
#include "model/block.h"
#include "model/gate.h"
#include "model/type.h"
#include "model/variable.h"
#include "script/interpreter.h"

#if __has_include("preprocessing/module_record.h")
#include "preprocessing/module_record.h"
#define KEFO_HAS_MODULE_RECORD 1
#endif

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {
// Indices 0xFFFFFE and 0xFFFFFF label the leaves of the BDD store.
const int highestBDDIndex = 0xFFFFFD;

struct HeuristicName {
    int heuristic;
    const char* name;
};
const HeuristicName heuristicNames[] = {{KEFOOrderingManager::PureDFLM, "pure-DFLM"},
                                        {KEFOOrderingManager::DFLM, "DFLM"},
                                        {KEFOOrderingManager::CPFLM, "CPFLM"},
                                        {KEFOOrderingManager::SCGOAF, "SCG-OAF"},
                                        {KEFOOrderingManager::SCGDPN, "SCG-DPN"}};

KEFOGate* DefinitionGate(const KEFOVariable* variable) { return variable->GetDefinitionAsGate(); }
}  // namespace

const std::vector<KEFOVariable*> KEFOOrderingManager::_emptyList;

// --- comparator ---------------------------------------------------------------

int KEFOVariableComparator::CompareItems(KEFOVariable* a, KEFOVariable* b) const {
    return _type == OrderAtomsFirst ? _OrderAtomsFirst(a, b) : _CompareDecreasingOrderOfParentNumbers(a, b);
}

int KEFOVariableComparator::_OrderAtomsFirst(KEFOVariable* a, KEFOVariable* b) const {
    if (a->IsStateVariable()) return 1;
    if (b->IsStateVariable()) return -1;
    if (KEFOOrderingManager::IsModule(a)) return 1;
    if (KEFOOrderingManager::IsModule(b)) return -1;
    const int na = _manager->GetNumberOfParents(a);
    const int nb = _manager->GetNumberOfParents(b);
    return na > nb ? 1 : (na < nb ? -1 : 0);
}

int KEFOVariableComparator::_CompareDecreasingOrderOfParentNumbers(KEFOVariable* a, KEFOVariable* b) const {
    const int na = _manager->GetNumberOfParents(a);
    const int nb = _manager->GetNumberOfParents(b);
    if (na > nb) return 1;
    if (na < nb) return -1;
    if (a->IsStateVariable()) return 1;
    if (b->IsStateVariable()) return -1;
    if (KEFOOrderingManager::IsModule(a)) return 1;
    if (KEFOOrderingManager::IsModule(b)) return -1;
    return 0;
}

// --- manager ------------------------------------------------------------------

KEFOOrderingManager::KEFOOrderingManager(KEFOInterpreter* interpreter) : _interpreter(interpreter) {}

KEFOOrderingManager::~KEFOOrderingManager() = default;

void KEFOOrderingManager::UpdateEnvironment() {
    if (_interpreter != nullptr) _bddManager = _interpreter->GetBDDManager();
}

const char* KEFOOrderingManager::GetHeuristicName(int heuristic) {
    for (const HeuristicName& h : heuristicNames)
        if (h.heuristic == heuristic) return h.name;
    return nullptr;
}

int KEFOOrderingManager::GetHeuristic(const char* name) {
    if (name == nullptr) return 0;
    for (const HeuristicName& h : heuristicNames)
        if (std::strcmp(h.name, name) == 0) return h.heuristic;
    return 0;
}

bool KEFOOrderingManager::IsModule(const KEFOVariable* variable) {
#ifdef KEFO_HAS_MODULE_RECORD
    if (variable == nullptr || !variable->IsFlowVariable() || variable->GetDefinition() == nullptr) return false;
    const KEFOModuleRecord* record = KEFOModuleRecord::Get(variable);
    return record != nullptr && record->IsModule();
#else
    (void)variable;
    return false;
#endif
}

bool KEFOOrderingManager::IsStateVariableOrModule(const KEFOVariable* variable) {
    return variable != nullptr && (variable->IsStateVariable() || IsModule(variable));
}

// --- indices --------------------------------------------------------------------

int KEFOOrderingManager::GetVariableIndex(const KEFOVariable* variable, int ordering) {
    if (variable == nullptr) return 0;
    return ordering == BDTOrdering ? variable->GetBDTIndex() : variable->GetBDDIndex();
}

int KEFOOrderingManager::GetHighestUsableIndex(int /*ordering*/) const { return highestBDDIndex; }

KEFOVariable* KEFOOrderingManager::_GetHolder(int ordering, int index) const {
    if (ordering == BDTOrdering)
        return index > 0 && index < static_cast<int>(_bdtHolders.size()) ? _bdtHolders[index] : nullptr;
    return _bddManager != nullptr ? _bddManager->GetModelVariable(index) : nullptr;
}

void KEFOOrderingManager::SetVariableIndex(KEFOVariable* variable, int ordering, int index) {
    if (variable == nullptr || index < 1 || index > GetHighestUsableIndex(ordering)) return;
    if (ordering != BDTOrdering && _bddManager == nullptr) UpdateEnvironment();
    if (ordering != BDTOrdering && _bddManager == nullptr) return;
    KEFOVariable* holder = _GetHolder(ordering, index);
    if (holder != nullptr && holder != variable && GetVariableIndex(holder, ordering) == index) {
        if (ordering == BDTOrdering)
            holder->SetBDTIndex(0);
        else
            holder->SetBDDIndex(0);
    }
    // The entry the variable leaves no longer names it, so that a later
    // owner of that index does not take this variable's new index away.
    const int previous = GetVariableIndex(variable, ordering);
    if (previous != 0 && previous != index && _GetHolder(ordering, previous) == variable) {
        if (ordering == BDTOrdering)
            _bdtHolders[previous] = nullptr;
        else
            _bddManager->SetModelVariable(previous, nullptr);
    }
    if (ordering == BDTOrdering) {
        if (index >= static_cast<int>(_bdtHolders.size())) _bdtHolders.resize(static_cast<std::size_t>(index) + 1);
        _bdtHolders[index] = variable;
        variable->SetBDTIndex(index);
        return;
    }
    if (index >= _bddManager->GetSizeOfEntryTable()) {
        long long size = _bddManager->GetSizeOfEntryTable();
        while (size <= index) size *= 2;
        if (size > static_cast<long long>(highestBDDIndex) + 1) size = static_cast<long long>(highestBDDIndex) + 1;
        _bddManager->SetSizeOfEntryTable(static_cast<int>(size));
    }
    // Setting the model variable resets the entry: value free, probability
    // 0, failure intensity 0, weight 1, no module diagram.
    _bddManager->SetModelVariable(index, variable);
    variable->SetBDDIndex(index);
}

int KEFOOrderingManager::GetHighestVariableIndex(int ordering) const {
    if (ordering == BDTOrdering) {
        for (int i = static_cast<int>(_bdtHolders.size()) - 1; i > 0; --i)
            if (_bdtHolders[i] != nullptr) return i;
        return 0;
    }
    return _bddManager != nullptr ? _bddManager->GetIndexOfHighestEntry() : 0;
}

int KEFOOrderingManager::GetNextFreeVariableIndex(int ordering, int index) {
    const int highest = GetHighestUsableIndex(ordering);
    for (int i = index < 0 ? 1 : index + 1; i <= highest; ++i) {
        if (i == 0) continue;
        if (ordering == BDTOrdering) {
            if (_GetHolder(ordering, i) == nullptr) return i;
            continue;
        }
        if (_bddManager == nullptr) return 0;
        // Past the table every index is free (SetVariableIndex grows it).
        if (i >= _bddManager->GetSizeOfEntryTable()) return i;
        if (_bddManager->GetModelVariable(i) == nullptr) return i;
    }
    return 0;
}

void KEFOOrderingManager::_StartRun() {
    UpdateEnvironment();
    _lastIndex = 0;
}

void KEFOOrderingManager::_GiveIndex(KEFOVariable* variable, int ordering) {
    const int index = GetVariableIndex(variable, ordering);
    if (index != 0 && _GetHolder(ordering, index) == variable) return;
    if (index != 0 && _GetHolder(ordering, index) == nullptr) {
        // The store was reset since the index was given: the variable takes
        // its entry back.
        SetVariableIndex(variable, ordering, index);
        return;
    }
    const int next = GetNextFreeVariableIndex(ordering, _lastIndex);
    if (next == 0) return;
    _lastIndex = next;
    SetVariableIndex(variable, ordering, next);
}

void KEFOOrderingManager::AllocateVariableIndex(KEFOVariable* variable, int ordering) {
    if (variable == nullptr) return;
    if (ordering != BDTOrdering && _bddManager == nullptr) UpdateEnvironment();
    _GiveIndex(variable, ordering);
}

// --- cone -----------------------------------------------------------------------

int KEFOOrderingManager::_GetNumber(const KEFOVariable* variable) const {
    auto it = _numbers.find(variable);
    return it == _numbers.end() ? -1 : it->second;
}

// Depth-first, left-most first, each variable listed at its first visit
// (the order of KEFOPort::CollectDescendants), the top first.
void KEFOOrderingManager::_BuildCone(KEFOVariable* top) {
    ResetParentsAndChildrenLists();
    if (top == nullptr) return;
    std::vector<KEFOVariable*> stack{top};
    std::vector<KEFOPort*> referred;
    while (!stack.empty()) {
        KEFOVariable* variable = stack.back();
        stack.pop_back();
        if (!_numbers.emplace(variable, static_cast<int>(_cone.size())).second) continue;
        _cone.push_back(variable);
        if (variable->GetDefinition() == nullptr) continue;
        referred.clear();
        variable->GetDefinition()->CollectReferredPorts(referred);
        for (auto it = referred.rbegin(); it != referred.rend(); ++it) {
            if (!KEFOType::IsVariableType((*it)->GetType())) continue;
            KEFOVariable* child = static_cast<KEFOVariable*>(*it);
            if (_numbers.count(child) == 0) stack.push_back(child);
        }
    }
    const std::size_t n = _cone.size();
    _parents.assign(n, {});
    _children.assign(n, {});
    std::vector<int> stamp(n, -1);
    for (std::size_t i = 0; i < n; ++i) {
        KEFOVariable* variable = _cone[i];
        if (variable->GetDefinition() == nullptr) continue;
        referred.clear();
        variable->GetDefinition()->CollectReferredPorts(referred);
        for (KEFOPort* port : referred) {
            if (!KEFOType::IsVariableType(port->GetType())) continue;
            KEFOVariable* child = static_cast<KEFOVariable*>(port);
            const int c = _GetNumber(child);
            if (c < 0 || stamp[c] == static_cast<int>(i)) continue;
            stamp[c] = static_cast<int>(i);
            _children[i].push_back(child);
            _parents[c].push_back(variable);
        }
    }
}

void KEFOOrderingManager::UpdateParentsAndChildrenLists(KEFOVariable* top) { _BuildCone(top); }

void KEFOOrderingManager::ResetParentsAndChildrenLists() {
    _cone.clear();
    _numbers.clear();
    _parents.clear();
    _children.clear();
    _ranks.clear();
}

const std::vector<KEFOVariable*>& KEFOOrderingManager::GetParentList(KEFOVariable* variable) const {
    const int n = _GetNumber(variable);
    return n < 0 ? _emptyList : _parents[n];
}

const std::vector<KEFOVariable*>& KEFOOrderingManager::GetChildrenList(KEFOVariable* variable) const {
    const int n = _GetNumber(variable);
    return n < 0 ? _emptyList : _children[n];
}

// --- sorting of children ------------------------------------------------------------

double KEFOOrderingManager::_KeyOfTerm(const KEFOTerm* term, const std::vector<double>& keyOfNumber) const {
    // The first variable the term refers to, depth-first, left-most first.
    std::vector<const KEFOTerm*> stack{term};
    while (!stack.empty()) {
        const KEFOTerm* t = stack.back();
        stack.pop_back();
        KEFOPort* port = t->GetReferredPort();
        if (port != nullptr && KEFOType::IsVariableType(port->GetType())) {
            const int n = _GetNumber(static_cast<KEFOVariable*>(port));
            return n < 0 ? 0.0 : keyOfNumber[n];
        }
        for (KEFOTerm* c = t->GetLastChild(); c != nullptr; c = c->GetPreviousSibling()) stack.push_back(c);
    }
    return 0.0;
}

void KEFOOrderingManager::_SortChildrenOfTerm(KEFOTerm* term, const std::vector<double>& keyOfNumber,
                                              bool increasing) {
    const int n = term->GetNumberOfChildren();
    if (n < 2) return;
    std::vector<std::pair<double, KEFOTerm*>> keyed;
    keyed.reserve(static_cast<std::size_t>(n));
    for (KEFOTerm* c : term->GetChildren()) keyed.emplace_back(_KeyOfTerm(c, keyOfNumber), c);
    std::vector<std::pair<double, KEFOTerm*>> sorted = keyed;
    if (increasing)
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    else
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
    bool changed = false;
    for (std::size_t i = 0; i < sorted.size() && !changed; ++i) changed = sorted[i].second != keyed[i].second;
    if (!changed) return;
    for (const auto& entry : sorted) {
        term->RemoveChild(entry.second);
        term->AppendChild(entry.second);
    }
}

void KEFOOrderingManager::_SortChildrenOfCommutativeGates(KEFOVariable* top, const std::vector<double>& keyOfNumber,
                                                          bool increasing) {
    (void)top;
    // Nested gates are sorted before the gates that hold them, so that a
    // nested gate is keyed by its first child in the new order.
    std::vector<KEFOGate*> stack;
    std::vector<KEFOGate*> gates;
    for (KEFOVariable* variable : _cone) {
        KEFOGate* definition = DefinitionGate(variable);
        if (definition == nullptr) continue;
        gates.clear();
        stack.assign(1, definition);
        while (!stack.empty()) {
            KEFOGate* gate = stack.back();
            stack.pop_back();
            gates.push_back(gate);
            for (KEFOTerm* c : gate->GetChildren()) {
                KEFOGate* child = KEFOGate::AsGate(c);
                if (child != nullptr && child->GetFirstChild() != nullptr) stack.push_back(child);
            }
        }
        for (auto it = gates.rbegin(); it != gates.rend(); ++it)
            if ((*it)->IsCommutative()) _SortChildrenOfTerm(*it, keyOfNumber, increasing);
    }
}

void KEFOOrderingManager::_SortChildrenOfCommutativeGatesByRank(KEFOVariable* top) {
    _SortChildrenOfCommutativeGates(top, _ranks, true);
}

void KEFOOrderingManager::SortChildrenOfCommutativeConnectivesInIncreasingOrderOfAttributeValues(
    KEFOVariable* top, const char* attribute) {
    _BuildCone(top);
    std::vector<double> keys(_cone.size());
    for (std::size_t i = 0; i < _cone.size(); ++i) keys[i] = _cone[i]->GetAttributeAsDouble(attribute, 0.0);
    for (std::size_t i = 0; i < _cone.size(); ++i)
        if (keys[i] == 0.0) keys[i] = _cone[i]->GetAttributeAsInt(attribute, 0);
    _SortChildrenOfCommutativeGates(top, keys, true);
    ResetParentsAndChildrenLists();
}

void KEFOOrderingManager::SortChildrenOfCommutativeConnectivesInDecreasingOrderOfAttributeValues(
    KEFOVariable* top, const char* attribute) {
    _BuildCone(top);
    std::vector<double> keys(_cone.size());
    for (std::size_t i = 0; i < _cone.size(); ++i) keys[i] = _cone[i]->GetAttributeAsDouble(attribute, 0.0);
    for (std::size_t i = 0; i < _cone.size(); ++i)
        if (keys[i] == 0.0) keys[i] = _cone[i]->GetAttributeAsInt(attribute, 0);
    _SortChildrenOfCommutativeGates(top, keys, false);
    ResetParentsAndChildrenLists();
}

void KEFOOrderingManager::SortChildrenOfCommutativeConnectivesInIncreasingOrderOfAttributeValues(
    KEFOBlock* block, const char* attribute) {
    if (block == nullptr) return;
    std::vector<KEFOVariable*> variables;
    block->CollectVariables(variables);
    for (KEFOVariable* variable : variables) {
        if (variable->GetDefinition() != nullptr)
            SortChildrenOfCommutativeConnectivesInIncreasingOrderOfAttributeValues(variable, attribute);
    }
}

void KEFOOrderingManager::SortChildrenOfCommutativeConnectivesInDecreasingOrderOfAttributeValues(
    KEFOBlock* block, const char* attribute) {
    if (block == nullptr) return;
    std::vector<KEFOVariable*> variables;
    block->CollectVariables(variables);
    for (KEFOVariable* variable : variables) {
        if (variable->GetDefinition() != nullptr)
            SortChildrenOfCommutativeConnectivesInDecreasingOrderOfAttributeValues(variable, attribute);
    }
}

void KEFOOrderingManager::ResetAttributeOfVariables(KEFOVariable* top, const char* attribute) {
    if (top == nullptr) return;
    top->ResetAttributeOfDescendants(attribute);
}

// --- auxiliary counts -------------------------------------------------------------

void KEFOOrderingManager::ComputeNumbersOfParents(KEFOVariable* top, const char* attribute) {
    _BuildCone(top);
    for (std::size_t i = 0; i < _cone.size(); ++i)
        _cone[i]->SetAttribute(attribute, i == 0 ? 0 : static_cast<int>(_parents[i].size()));
    ResetParentsAndChildrenLists();
}

void KEFOOrderingManager::ComputeNumbersOfPaths(KEFOVariable* top, const char* attribute) {
    _BuildCone(top);
    const std::size_t n = _cone.size();
    if (n == 0) return;
    // Each variable after all its parents (parents still to be processed
    // counted down); the paths of a parent flow to every reference it makes.
    std::vector<int> pending(n);
    for (std::size_t i = 0; i < n; ++i) pending[i] = static_cast<int>(_parents[i].size());
    std::vector<double> paths(n, 0.0);
    paths[0] = 1.0;
    std::vector<int> ready{0};
    std::vector<char> done(n, 0);
    std::vector<KEFOPort*> referred;
    while (!ready.empty()) {
        const int v = ready.back();
        ready.pop_back();
        done[v] = 1;
        if (_cone[v]->GetDefinition() != nullptr) {
            referred.clear();
            _cone[v]->GetDefinition()->CollectReferredPorts(referred);
            for (KEFOPort* port : referred) {
                const int c = KEFOType::IsVariableType(port->GetType()) ? _GetNumber(static_cast<KEFOVariable*>(port)) : -1;
                if (c > 0) paths[c] += paths[v];
            }
        }
        for (KEFOVariable* child : _children[v]) {
            const int c = _GetNumber(child);
            if (c > 0 && --pending[c] == 0) ready.push_back(c);
        }
    }
    for (std::size_t i = 0; i < n; ++i) _cone[i]->SetAttribute(attribute, paths[i]);
    ResetParentsAndChildrenLists();
}

// --- heuristics --------------------------------------------------------------------

void KEFOOrderingManager::DefineOrdering(KEFOVariable* top, int ordering, int heuristic) {
    switch (heuristic) {
    case PureDFLM: DefineOrderingPureDFLM(top, ordering); break;
    case CPFLM: DefineOrderingCPFLM(top, ordering); break;
    case SCGOAF: DefineOrderingSCGOAF(top, ordering); break;
    case SCGDPN: DefineOrderingSCGDPN(top, ordering); break;
    default: DefineOrderingDFLM(top, ordering); break;
    }
}

// The basic events and modules under the top variable, depth-first and
// left-most first, each take the next index; the top never takes one.
void KEFOOrderingManager::DefineOrderingPureDFLM(KEFOVariable* top, int ordering) {
    if (top == nullptr) return;
    _StartRun();
    _BuildCone(top);
    for (std::size_t i = 1; i < _cone.size(); ++i)
        if (IsStateVariableOrModule(_cone[i])) _GiveIndex(_cone[i], ordering);
    ResetParentsAndChildrenLists();
}

// As pure-DFLM, and every variable ranks by its position in the
// depth-first list; the children of the commutative gates are then sorted
// by rank, so that the builder meets the variables in index order.
void KEFOOrderingManager::DefineOrderingDFLM(KEFOVariable* top, int ordering) {
    if (top == nullptr) return;
    _StartRun();
    _BuildCone(top);
    _ranks.assign(_cone.size(), 0.0);
    for (std::size_t i = 1; i < _cone.size(); ++i) {
        _ranks[i] = static_cast<double>(i);
        if (IsStateVariableOrModule(_cone[i])) _GiveIndex(_cone[i], ordering);
    }
    _SortChildrenOfCommutativeGatesByRank(top);
    ResetParentsAndChildrenLists();
}

// CPFLM (counted parents, left-most first). Every variable of the cone
// starts with the count of its distinct parents in the cone. The walk is
// depth-first from the top; when it enters a gate it counts down, for each
// of the gate's children, the parents still to be processed, and then goes
// into the children not entered yet in increasing order of that count, the
// left-most first among equal counts: the children whose last parent is
// this gate come first, the children still shared with gates not yet
// processed after them (nearer the leaves of the order, where the diagrams
// of their other parents meet them too). Each variable ranks by the order
// in which the walk enters it (from 1); basic events and modules take the
// next index when entered. Then the children of the commutative gates are
// sorted by rank.
void KEFOOrderingManager::DefineOrderingCPFLM(KEFOVariable* top, int ordering) {
    if (top == nullptr) return;
    _StartRun();
    _BuildCone(top);
    const std::size_t n = _cone.size();
    _ranks.assign(n, 0.0);
    std::vector<int> pending(n);
    for (std::size_t i = 0; i < n; ++i) pending[i] = static_cast<int>(_parents[i].size());
    std::vector<char> entered(n, 0);
    struct Frame {
        int number;
        std::size_t next;
        std::vector<int> order;
    };
    std::vector<Frame> stack;
    int counter = 0;
    auto enter = [&](int v) {
        entered[v] = 1;
        _ranks[v] = ++counter;
        if (v != 0 && IsStateVariableOrModule(_cone[v])) _GiveIndex(_cone[v], ordering);
        Frame frame{v, 0, {}};
        for (KEFOVariable* child : _children[v]) {
            const int c = _GetNumber(child);
            if (c <= 0) continue;
            --pending[c];
            frame.order.push_back(c);
        }
        std::stable_sort(frame.order.begin(), frame.order.end(),
                         [&pending](int x, int y) { return pending[x] < pending[y]; });
        stack.push_back(std::move(frame));
    };
    enter(0);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < frame.order.size()) {
            const int c = frame.order[frame.next++];
            if (!entered[c]) enter(c);
            continue;
        }
        stack.pop_back();
    }
    _SortChildrenOfCommutativeGatesByRank(top);
    ResetParentsAndChildrenLists();
}

void KEFOOrderingManager::DefineOrderingSCGOAF(KEFOVariable* top, int ordering) {
    _DefineOrderingSCG(top, ordering, KEFOVariableComparator::OrderAtomsFirst);
}

void KEFOOrderingManager::DefineOrderingSCGDPN(KEFOVariable* top, int ordering) {
    _DefineOrderingSCG(top, ordering, KEFOVariableComparator::DecreasingOrderOfParentNumbers);
}

void KEFOOrderingManager::_SortWithComparator(std::vector<KEFOVariable*>& items,
                                              const KEFOVariableComparator& comparator) {
    const std::size_t n = items.size();
    if (n < 2) return;
    std::vector<KEFOVariable*> buffer(n);
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t left = 0; left < n; left += 2 * width) {
            const std::size_t middle = std::min(left + width, n);
            const std::size_t right = std::min(left + 2 * width, n);
            std::size_t i = left, j = middle, k = left;
            while (i < middle && j < right) {
                if (comparator.CompareItems(items[i], items[j]) > 0)
                    buffer[k++] = items[j++];
                else
                    buffer[k++] = items[i++];
            }
            while (i < middle) buffer[k++] = items[i++];
            while (j < right) buffer[k++] = items[j++];
        }
        items.swap(buffer);
    }
}

// Depth-first walk from the top: a basic event or module (other than the
// top) takes the next index when reached; a gate sorts its children with the
// comparator and the walk goes into them in that order; a variable ranks by
// the post-order counter when the walk leaves it. Then the children of the
// commutative gates are sorted by rank.
void KEFOOrderingManager::_DefineOrderingSCG(KEFOVariable* top, int ordering, int comparatorType) {
    if (top == nullptr) return;
    _StartRun();
    _BuildCone(top);
    const std::size_t n = _cone.size();
    _ranks.assign(n, 0.0);
    KEFOVariableComparator comparator(this, comparatorType);
    std::vector<char> entered(n, 0);
    struct Frame {
        int number;
        std::size_t next;
    };
    std::vector<Frame> stack;
    int counter = 0;
    auto enter = [&](int v) {
        entered[v] = 1;
        if (v != 0 && IsStateVariableOrModule(_cone[v])) _GiveIndex(_cone[v], ordering);
        if (_cone[v]->GetDefinition() != nullptr) _SortWithComparator(_children[v], comparator);
        stack.push_back(Frame{v, 0});
    };
    enter(0);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const std::vector<KEFOVariable*>& children = _children[frame.number];
        if (frame.next < children.size()) {
            const int c = _GetNumber(children[frame.next++]);
            if (c >= 0 && !entered[c]) enter(c);
            continue;
        }
        _ranks[frame.number] = ++counter;
        stack.pop_back();
    }
    _SortChildrenOfCommutativeGatesByRank(top);
    ResetParentsAndChildrenLists();
}
