#include "preprocessing/pt_manager.h"

#include "model/gate.h"
#include "model/model.h"
#include "model/variable.h"
#include "preprocessing/pt_node.h"
#include "preprocessing/rewriter.h"
#include "preprocessing/rewriter_cone.h"

#include <algorithm>
#include <functional>

int KEFOPTNode::Compare(const KEFOPTNode* a, const KEFOPTNode* b) {
    while (a != nullptr && b != nullptr) {
        if (a == b) return 0;
        if (a->_parentIndex != b->_parentIndex) return a->_parentIndex < b->_parentIndex ? -1 : 1;
        if (a->_connective != b->_connective) return a->_connective < b->_connective ? -1 : 1;
        if (a->_polarity != b->_polarity) return a->_polarity ? 1 : -1;
        a = a->_next;
        b = b->_next;
    }
    if (a == b) return 0;
    // The longer set (the one with nodes left) comes first.
    return a != nullptr ? -1 : 1;
}

std::size_t KEFOPTManager::NodeKeyHash::operator()(const NodeKey& key) const {
    std::size_t h = std::hash<const void*>()(key.parent);
    h = h * 1000003u ^ std::hash<const void*>()(key.next);
    h = h * 31u + static_cast<std::size_t>(key.connective) * 2u + (key.polarity ? 1u : 0u);
    return h;
}

KEFOPTManager::KEFOPTManager(KEFORewriter* rewriter) : _rewriter(rewriter) {}

KEFOPTManager::~KEFOPTManager() { Clear(); }

void KEFOPTManager::Clear() {
    for (KEFOPTNode* node : _nodes) delete node;
    _nodes.clear();
    _table.clear();
    for (KEFOGate* gate : _removed) delete gate;
    _removed.clear();
    _dead.clear();
    _index.Clear();
    _entries.clear();
}

int KEFOPTManager::_AddVariable(KEFOVariable* variable) {
    int found = _index.Find(variable);
    if (found >= 0) return found;
    int index = static_cast<int>(_entries.size());
    _index.Set(variable, index);
    _entries.emplace_back();
    _entries.back().variable = variable;
    return index;
}

int KEFOPTManager::GetIndex(const KEFOVariable* variable) const {
    return variable == nullptr ? -1 : _index.Find(variable);
}

KEFOPTNode* KEFOPTManager::GetParentSet(const KEFOVariable* variable) const {
    int index = GetIndex(variable);
    return index < 0 ? nullptr : _entries[static_cast<std::size_t>(index)].parentSet;
}

void KEFOPTManager::IndexVariables(const std::vector<KEFOVariable*>& variables) {
    for (KEFOVariable* variable : variables) _AddVariable(variable);
}

void KEFOPTManager::BuildOccurrenceListsOfVariables(const std::vector<KEFOVariable*>& variables) {
    std::vector<KEFOGate*> references;
    for (KEFOVariable* variable : variables) {
        if (variable->IsStateVariable()) continue;
        references.clear();
        KEFORewriterCone::CollectReferences(variable->GetDefinitionAsGate(), references);
        for (KEFOGate* reference : references) {
            int index = GetIndex(reference->GetReferredVariable());
            if (index >= 0) _entries[static_cast<std::size_t>(index)].occurrences.push_back(reference);
        }
    }
}

void KEFOPTManager::ResetOccurrenceListsOfVariables(const std::vector<KEFOVariable*>& variables) {
    for (KEFOVariable* variable : variables) {
        int index = GetIndex(variable);
        if (index >= 0) _entries[static_cast<std::size_t>(index)].occurrences.clear();
    }
}

void KEFOPTManager::_SetParentSet(Entry& entry, KEFOPTNode* set) {
    if (entry.parentSet == set) return;
    if (entry.parentSet != nullptr) entry.parentSet->Release();
    entry.parentSet = set;
    if (set != nullptr) set->Acquire();
}

namespace {

// The literal a child of a definition is: a reference (positive) or a not
// over a reference (negative); null otherwise.
KEFOGate* LiteralReference(KEFOGate* child, bool& positive) {
    if (child->IsReference()) {
        positive = true;
        return child;
    }
    if (child->IsNegation() && child->GetNumberOfChildren() == 1) {
        KEFOGate* inner = KEFOGate::AsGate(child->GetFirstChild());
        if (inner != nullptr && inner->IsReference()) {
            positive = false;
            return inner;
        }
    }
    return nullptr;
}

}  // namespace

void KEFOPTManager::BuildParentSetsOfVariables(const std::vector<KEFOVariable*>& variables) {
    for (KEFOVariable* parent : variables) {
        if (parent->IsStateVariable()) continue;
        KEFOGate* definition = parent->GetDefinitionAsGate();
        if (definition == nullptr || definition->IsReference() || definition->IsConstant()) continue;
        int connective = definition->GetType();
        for (KEFOTerm* c = definition->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
            KEFOGate* child = KEFOGate::AsGate(c);
            if (child == nullptr) continue;
            bool positive = true;
            KEFOGate* reference = LiteralReference(child, positive);
            if (reference == nullptr) continue;
            int index = GetIndex(reference->GetReferredVariable());
            if (index < 0) continue;
            Entry& entry = _entries[static_cast<std::size_t>(index)];
            _SetParentSet(entry, ExtendParentSet(entry.parentSet, parent, connective, positive));
        }
    }
}

void KEFOPTManager::ResetParentSetsOfVariables(const std::vector<KEFOVariable*>& variables) {
    for (KEFOVariable* variable : variables) {
        int index = GetIndex(variable);
        if (index >= 0) _SetParentSet(_entries[static_cast<std::size_t>(index)], nullptr);
    }
}

KEFOPTNode* KEFOPTManager::NewParentSet(KEFOVariable* parent, int connective, bool polarity, KEFOPTNode* next) {
    NodeKey key{parent, connective, polarity, next};
    auto found = _table.find(key);
    if (found != _table.end()) return found->second;
    KEFOPTNode* node =
        new KEFOPTNode(parent, _AddVariable(parent), connective, polarity, next, static_cast<int>(_nodes.size()));
    _nodes.push_back(node);
    _table.emplace(key, node);
    return node;
}

KEFOPTNode* KEFOPTManager::ExtendParentSet(KEFOPTNode* set, KEFOVariable* parent, int connective, bool polarity) {
    int index = _AddVariable(parent);
    // The nodes that stay in front of the new one (greater keys), then the
    // new node, then the rest; the front is made again on top of it.
    auto greater = [&](const KEFOPTNode* node) {
        if (node->GetParentIndex() != index) return node->GetParentIndex() > index;
        if (node->GetConnective() != connective) return node->GetConnective() > connective;
        return node->GetPolarity() && !polarity;
    };
    std::vector<const KEFOPTNode*> front;
    KEFOPTNode* rest = set;
    while (rest != nullptr && greater(rest)) {
        front.push_back(rest);
        rest = rest->GetNext();
    }
    KEFOPTNode* result = NewParentSet(parent, connective, polarity, rest);
    for (auto it = front.rbegin(); it != front.rend(); ++it) {
        result = NewParentSet((*it)->GetParent(), (*it)->GetConnective(), (*it)->GetPolarity(), result);
    }
    return result;
}

void KEFOPTManager::_Forget(KEFOGate* child) {
    bool positive = true;
    KEFOGate* reference = LiteralReference(child, positive);
    if (reference != nullptr) _dead.insert(reference);
}

void KEFOPTManager::SubstituteVariableForVariable(KEFOVariable* oldVariable, KEFOVariable* newVariable) {
    int oldIndex = GetIndex(oldVariable);
    if (oldIndex < 0 || oldVariable == newVariable) return;
    int newIndex = _AddVariable(newVariable);
    std::vector<KEFOGate*> occurrences;
    occurrences.swap(_entries[static_cast<std::size_t>(oldIndex)].occurrences);
    std::vector<KEFOGate*>& target = _entries[static_cast<std::size_t>(newIndex)].occurrences;
    for (KEFOGate* reference : occurrences) {
        if (_dead.count(reference) != 0) continue;
        KEFORewriterCone::RedirectReference(reference, newVariable);
        target.push_back(reference);
    }
}

int KEFOPTManager::CompareParentSetsOfVariables(const KEFOVariable* a, const KEFOVariable* b) const {
    const KEFOPTNode* setA = GetParentSet(a);
    const KEFOPTNode* setB = GetParentSet(b);
    int serialA = setA != nullptr ? setA->GetSerial() : -1;
    int serialB = setB != nullptr ? setB->GetSerial() : -1;
    if (serialA != serialB) return serialA < serialB ? -1 : 1;
    int indexA = GetIndex(a);
    int indexB = GetIndex(b);
    return indexA < indexB ? -1 : (indexA > indexB ? 1 : 0);
}

void KEFOPTManager::_GroupRun(KEFOModel* model, const std::vector<KEFOVariable*>& run, KEFOPTNode* set) {
    int connective = set->GetConnective();
    bool polarity = set->GetPolarity();
    if (connective != KEFOGate::And && connective != KEFOGate::Or && connective != KEFOGate::Nand &&
        connective != KEFOGate::Nor) {
        return;
    }
    for (const KEFOPTNode* node = set; node != nullptr; node = node->GetNext()) {
        if (node->GetConnective() != connective || node->GetPolarity() != polarity) return;
    }
    // The group is an and (or an or) over the members, so that it stands for
    // them in and and nand parents (or and nor parents) alike.
    int inner = connective == KEFOGate::And || connective == KEFOGate::Nand ? KEFOGate::And : KEFOGate::Or;
    KEFOVariable* group = _rewriter->GenerateFlowVariable(model);
    int groupIndex = _AddVariable(group);
    KEFOGate* gate = KEFOGate::New(model, inner);
    std::unordered_set<const KEFOVariable*> members;
    for (KEFOVariable* member : run) {
        members.insert(member);
        KEFOGate* reference = KEFOGate::NewVariableReference(model, member);
        _entries[static_cast<std::size_t>(GetIndex(member))].occurrences.push_back(reference);
        gate->AppendChild(polarity ? reference : KEFOGate::NewNot(model, reference));
    }
    group->SetDefinition(gate);
    int size = gate->GetNumberOfChildren();

    auto isMember = [&](KEFOGate* child) {
        bool positive = true;
        KEFOGate* reference = LiteralReference(child, positive);
        return reference != nullptr && positive == polarity && members.count(reference->GetReferredVariable()) != 0;
    };
    std::vector<KEFOVariable*> done;
    for (const KEFOPTNode* node = set; node != nullptr; node = node->GetNext()) {
        KEFOVariable* parent = node->GetParent();
        if (parent == group || std::find(done.begin(), done.end(), parent) != done.end()) continue;
        done.push_back(parent);
        KEFOGate* definition = parent->GetDefinitionAsGate();
        if (definition == nullptr) continue;
        bool whole = definition->GetNumberOfChildren() == size;
        for (KEFOTerm* c = definition->GetFirstChild(); whole && c != nullptr; c = c->GetNextSibling()) {
            KEFOGate* child = KEFOGate::AsGate(c);
            whole = child != nullptr && isMember(child);
        }
        if (whole) {
            SubstituteVariableForVariable(parent, group);
            continue;
        }
        for (KEFOTerm* c = definition->GetFirstChild(); c != nullptr;) {
            KEFOTerm* next = c->GetNextSibling();
            KEFOGate* child = KEFOGate::AsGate(c);
            if (child != nullptr && isMember(child)) {
                definition->RemoveChild(child);
                _Forget(child);
                _removed.push_back(child);
            }
            c = next;
        }
        KEFOGate* reference = KEFOGate::NewVariableReference(model, group);
        _entries[static_cast<std::size_t>(groupIndex)].occurrences.push_back(reference);
        definition->AppendChild(reference);
    }
}

void KEFOPTManager::GroupChildrenWithSameParents(KEFOModel* model, KEFOVariable* top) {
    if (model == nullptr || top == nullptr || _rewriter == nullptr) return;
    Clear();
    KEFORewriterCone cone(top);
    const std::vector<KEFOVariable*>& variables = cone.GetVariables();
    IndexVariables(variables);
    BuildOccurrenceListsOfVariables(variables);
    BuildParentSetsOfVariables(variables);

    std::vector<KEFOVariable*> candidates;
    for (KEFOVariable* variable : variables) {
        const KEFOPTNode* set = GetParentSet(variable);
        if (set != nullptr && set->GetLength() > 1 && set->GetReferenceCount() > 2) candidates.push_back(variable);
    }
    std::sort(candidates.begin(), candidates.end(), [this](const KEFOVariable* a, const KEFOVariable* b) {
        return CompareParentSetsOfVariables(a, b) < 0;
    });

    _rewriter->SetGeneratedFlowVariablePrefix(KEFORewriter::groupPrefix);
    std::vector<KEFOVariable*> run;
    for (std::size_t i = 0; i < candidates.size();) {
        KEFOPTNode* set = GetParentSet(candidates[i]);
        run.clear();
        std::size_t j = i;
        while (j < candidates.size() && GetParentSet(candidates[j]) == set) run.push_back(candidates[j++]);
        if (run.size() >= 2) _GroupRun(model, run, set);
        i = j;
    }
    _rewriter->Reset();
    Clear();
}
