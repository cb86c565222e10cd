#include "preprocessing/rewriter_cone.h"

#include "model/gate.h"
#include "model/path.h"
#include "model/variable.h"

#include <algorithm>
#include <unordered_set>

void KEFORewriterCone::Clear() {
    _top = nullptr;
    _variables.clear();
    _index.Clear();
    _cycleVariables.clear();
    _unresolved.clear();
}

int KEFORewriterCone::GetIndex(const KEFOVariable* variable) const {
    if (variable == nullptr) return -1;
    int index = _index.Find(variable);
    return index >= 0 ? index : -1;
}

void KEFORewriterCone::RedirectReference(KEFOGate* reference, KEFOVariable* variable) {
    reference->SetReferredPort(variable);
    reference->SetReferredPortType(variable->GetType());
    if (variable->GetPath() != nullptr) reference->SetReferredPortPath(variable->GetPath()->Copy());
}

namespace {

// Work stacks of the formula walks, kept from one call to the next (the
// walks do not call one another, and the library runs on one thread).
std::vector<KEFOGate*>& ReferenceStack() {
    static std::vector<KEFOGate*> stack;
    return stack;
}

}  // namespace

void KEFORewriterCone::CollectReferences(KEFOGate* root, std::vector<KEFOGate*>& out) {
    if (root == nullptr) return;
    if (root->IsReference()) {
        out.push_back(root);
        return;
    }
    // Most definitions are one connective over references: their children
    // are read in a loop, and only nested gates go through the stack.
    std::vector<KEFOGate*>& stack = ReferenceStack();
    for (KEFOTerm* c = root->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
        if (!c->IsGate()) continue;
        KEFOGate* child = static_cast<KEFOGate*>(c);
        if (child->IsReference()) {
            out.push_back(child);
            continue;
        }
        stack.clear();
        stack.push_back(child);
        while (!stack.empty()) {
            KEFOGate* gate = stack.back();
            stack.pop_back();
            if (gate->IsReference()) {
                out.push_back(gate);
                continue;
            }
            for (KEFOTerm* g = gate->GetLastChild(); g != nullptr; g = g->GetPreviousSibling()) {
                if (g->IsGate()) stack.push_back(static_cast<KEFOGate*>(g));
            }
        }
    }
}

void KEFORewriterCone::CollectNodesInPostOrder(KEFOGate* root, std::vector<KEFOGate*>& out) {
    if (root == nullptr) return;
    // A node whose children have no children comes after them at once.
    bool flat = true;
    for (KEFOTerm* c = root->GetFirstChild(); c != nullptr && flat; c = c->GetNextSibling()) {
        flat = c->GetFirstChild() == nullptr;
    }
    if (flat) {
        for (KEFOTerm* c = root->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
            if (c->IsGate()) out.push_back(static_cast<KEFOGate*>(c));
        }
        out.push_back(root);
        return;
    }
    struct Frame {
        KEFOGate* gate;
        bool expanded;
    };
    std::vector<Frame> stack{Frame{root, false}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (!frame.expanded && frame.gate->GetFirstChild() != nullptr) {
            frame.expanded = true;
            KEFOGate* gate = frame.gate;
            for (KEFOTerm* c = gate->GetLastChild(); c != nullptr; c = c->GetPreviousSibling()) {
                if (c->IsGate()) stack.push_back(Frame{static_cast<KEFOGate*>(c), false});
            }
            continue;
        }
        out.push_back(frame.gate);
        stack.pop_back();
    }
}

void KEFORewriterCone::Build(KEFOVariable* top) {
    Clear();
    _top = top;
    if (top == nullptr) return;
    // Depth-first walk over variables. A variable on the stack is in the
    // index with -2 (open); it gets its position when it is closed. The
    // children of the open variables live in one buffer, each frame owning
    // the slice it pushed.
    struct Frame {
        KEFOVariable* variable;
        std::size_t begin;
        std::size_t next;
        std::size_t end;
    };
    std::vector<Frame> stack;
    std::vector<KEFOVariable*> children;
    std::vector<KEFOGate*> references;
    std::unordered_set<const KEFOVariable*> cycleHeads;
    auto open = [&](KEFOVariable* variable) {
        _index.Set(variable, -2);
        std::size_t begin = children.size();
        KEFOGate* definition = variable->GetDefinitionAsGate();
        if (definition != nullptr) {
            references.clear();
            CollectReferences(definition, references);
            for (KEFOGate* reference : references) {
                KEFOVariable* child = reference->GetReferredVariable();
                if (child == nullptr) {
                    _unresolved.push_back(reference);
                    continue;
                }
                children.push_back(child);
            }
        }
        stack.push_back(Frame{variable, begin, begin, children.size()});
    };
    open(top);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < frame.end) {
            KEFOVariable* child = children[frame.next++];
            int state = _index.Find(child);
            if (state == -1) {
                open(child);
            } else if (state == -2) {
                // A reference back to an open variable closes a cycle.
                if (cycleHeads.insert(child).second) _cycleVariables.push_back(child);
            }
            continue;
        }
        KEFOVariable* variable = frame.variable;
        children.resize(frame.begin);
        stack.pop_back();
        _index.Set(variable, static_cast<int>(_variables.size()));
        _variables.push_back(variable);
    }
}

long KEFORewriterCone::CountTerms() const {
    long count = 0;
    std::vector<KEFOGate*> nodes;
    for (KEFOVariable* variable : _variables) {
        KEFOGate* definition = variable->GetDefinitionAsGate();
        if (definition == nullptr) continue;
        nodes.clear();
        CollectNodesInPostOrder(definition, nodes);
        count += static_cast<long>(nodes.size());
    }
    return count;
}

void KEFORewriterCone::ComputeChildren(std::vector<int>& begins, std::vector<int>& children) const {
    begins.assign(_variables.size() + 1, 0);
    children.clear();
    std::vector<KEFOGate*> references;
    for (std::size_t i = 0; i < _variables.size(); ++i) {
        begins[i] = static_cast<int>(children.size());
        if (_variables[i]->IsStateVariable()) continue;
        references.clear();
        CollectReferences(_variables[i]->GetDefinitionAsGate(), references);
        for (KEFOGate* reference : references) {
            int index = GetIndex(reference->GetReferredVariable());
            if (index >= 0) children.push_back(index);
        }
    }
    begins[_variables.size()] = static_cast<int>(children.size());
}

void KEFORewriterCone::ComputeVisitDates(std::vector<Dates>& dates) const {
    dates.assign(_variables.size(), Dates());
    int topIndex = GetIndex(_top);
    if (topIndex < 0) return;
    std::vector<int> begins;
    std::vector<int> children;
    ComputeChildren(begins, children);
    int counter = 0;
    struct Frame {
        int variable;
        int next;
    };
    std::vector<Frame> stack;
    auto visit = [&](int index) {
        Dates& d = dates[static_cast<std::size_t>(index)];
        ++counter;
        if (d.first == 0) {
            d.first = counter;
            stack.push_back(Frame{index, begins[static_cast<std::size_t>(index)]});
        }
        d.last = counter;
    };
    visit(topIndex);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < begins[static_cast<std::size_t>(frame.variable) + 1]) {
            int child = children[static_cast<std::size_t>(frame.next++)];
            visit(child);
            continue;
        }
        Dates& d = dates[static_cast<std::size_t>(frame.variable)];
        ++counter;
        d.second = counter;
        d.last = counter;
        stack.pop_back();
    }
    // Children come before their parents in the cone (cycles aside).
    for (std::size_t i = 0; i < _variables.size(); ++i) {
        Dates& d = dates[i];
        int begin = begins[i];
        int end = begins[i + 1];
        if (begin == end) {
            d.lowest = d.first;
            d.highest = _variables[i]->GetDefinition() == nullptr ? d.second : 0;
            continue;
        }
        int lowest = d.first;
        int highest = 0;
        for (int k = begin; k < end; ++k) {
            const Dates& c = dates[static_cast<std::size_t>(children[static_cast<std::size_t>(k)])];
            lowest = std::min(lowest, c.lowest);
            highest = std::max(highest, std::max(c.last, c.highest));
        }
        d.lowest = lowest;
        d.highest = highest;
    }
}
