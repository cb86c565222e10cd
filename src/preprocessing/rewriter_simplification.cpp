// PropagateConstants, DereferenceVariables, CoalesceGates and
// RemoveDuplicatedChildren: local simplifications of the definitions under
// the top variable. CoalesceGates merges into an and (or) node both the
// nested nodes of the same connective and the definitions of the same
// connective of the gate variables it refers to. Variables are visited children first, so that each one
// sees the final form of the variables it refers to.
#include "preprocessing/rewriter.h"

#include "model/gate.h"
#include "model/model.h"
#include "model/path.h"
#include "model/variable.h"
#include "preprocessing/rewriter_cone.h"

#include <cstdint>
#include <vector>

namespace {

// Puts `replacement` in the place of `gate` (in its parent, or as the
// definition of `variable` when gate is the root) and deletes `gate`.
void ReplaceGate(KEFOVariable* variable, KEFOGate* gate, KEFOGate* replacement) {
    if (replacement->GetParent() != nullptr) replacement->GetParent()->RemoveChild(replacement);
    KEFOTerm* parent = gate->GetParent();
    if (parent != nullptr) {
        parent->SubstituteChild(gate, replacement);
        delete gate;
    } else {
        variable->SetDefinition(replacement);
    }
}

// The variable and polarity of a literal (a reference, or a not over one);
// null for anything else.
KEFOVariable* LiteralVariable(KEFOGate* gate, bool& positive) {
    if (gate->IsReference()) {
        positive = true;
        return gate->GetReferredVariable();
    }
    if (gate->IsNegation() && gate->GetNumberOfChildren() == 1) {
        KEFOGate* child = KEFOGate::AsGate(gate->GetFirstChild());
        if (child != nullptr && child->IsReference()) {
            positive = false;
            return child->GetReferredVariable();
        }
    }
    return nullptr;
}

}  // namespace

// ---- PropagateConstants ------------------------------------------------

namespace {

// Simplifies one node whose children are final: it becomes a constant, is
// replaced by its only child (or the negation of it), or keeps its
// connective with fewer children and reduced bounds.
void SimplifyNode(KEFOModel* model, KEFOVariable* variable, KEFOGate* gate) {
    int type = gate->GetType();
    if (type == KEFOGate::Constant) return;
    if (type == KEFOGate::Reference) {
        KEFOVariable* referred = gate->GetReferredVariable();
        KEFOGate* definition = referred != nullptr && !referred->IsStateVariable() ? referred->GetDefinitionAsGate()
                                                                                   : nullptr;
        if (definition != nullptr && definition->IsConstant()) gate->MuteToConstant(definition->GetConstantValue());
        return;
    }
    // Constant children are deleted first, counted as T and F.
    int t = 0;
    int f = 0;
    int m = 0;
    for (KEFOTerm* c = gate->GetFirstChild(); c != nullptr;) {
        KEFOTerm* next = c->GetNextSibling();
        KEFOGate* child = KEFOGate::AsGate(c);
        if (child != nullptr && child->IsConstant()) {
            if (child->GetConstantValue()) {
                ++t;
            } else {
                ++f;
            }
            gate->DeleteChild(child);
        } else {
            ++m;
        }
        c = next;
    }
    // -1 stays, 0 false, 1 true.
    int verdict = -1;
    switch (type) {
    case KEFOGate::And:
        if (f >= 1) {
            verdict = 0;
        } else if (m == 0) {
            verdict = 1;
        }
        break;
    case KEFOGate::Or:
        if (t >= 1) {
            verdict = 1;
        } else if (m == 0) {
            verdict = 0;
        }
        break;
    case KEFOGate::Nand:
        if (f >= 1) {
            verdict = 1;
        } else if (m == 0) {
            verdict = 0;
        }
        break;
    case KEFOGate::Nor:
    case KEFOGate::Not:
        if (t >= 1) {
            verdict = 0;
        } else if (m == 0) {
            verdict = 1;
        }
        break;
    case KEFOGate::AtLeast: {
        int k = gate->GetAttributeAsInt("__min__", 0) - t;
        if (k < 1) {
            verdict = 1;
        } else if (k > m) {
            verdict = 0;
        } else {
            gate->SetMin(k);
        }
        break;
    }
    case KEFOGate::AtMost: {
        int k = gate->GetAttributeAsInt("__max__", 0) - t;
        if (k >= m) {
            verdict = 1;
        } else if (k < 0) {
            verdict = 0;
        } else {
            gate->SetMax(k);
        }
        break;
    }
    case KEFOGate::Cardinality: {
        int l = gate->GetAttributeAsInt("__min__", 0) - t;
        int h = gate->GetAttributeAsInt("__max__", 0) - t;
        if (h < 0 || l > m || l > h) {
            verdict = 0;
        } else if (l <= 0 && h >= m) {
            verdict = 1;
        } else {
            gate->SetMin(l < 0 ? 0 : l);
            gate->SetMax(h);
        }
        break;
    }
    default:
        return;
    }
    if (verdict >= 0) {
        gate->MuteToConstant(verdict == 1);
        return;
    }
    if (m != 1) return;
    // One child left: the gate is its child, or the negation of it.
    KEFOGate* child = KEFOGate::AsGate(gate->GetFirstChild());
    if (child == nullptr) return;
    bool identity = false;
    switch (type) {
    case KEFOGate::And:
    case KEFOGate::Or:
    case KEFOGate::AtLeast:  // k is 1 here
        identity = true;
        break;
    case KEFOGate::Cardinality:  // 1..1 is the child, 0..0 its negation
        identity = gate->GetAttributeAsInt("__min__", 0) >= 1;
        break;
    case KEFOGate::Not:
        return;
    default:  // nand, nor, atmost 0: the negation of the child
        break;
    }
    gate->RemoveChild(child);
    ReplaceGate(variable, gate, identity ? child : KEFOGate::NewNot(model, child));
}

}  // namespace

void KEFORewriter::PropagateConstants(int& errors, KEFOModel* model, KEFOVariable* top) {
    if (errors != 0 || model == nullptr || top == nullptr) return;
    KEFORewriterCone cone(top);
    _PropagateConstants(model, cone);
}

void KEFORewriter::_PropagateConstants(KEFOModel* model, const KEFORewriterCone& cone) {
    std::vector<KEFOGate*> nodes;
    for (KEFOVariable* variable : cone.GetVariables()) {
        if (variable->IsStateVariable()) continue;
        KEFOGate* definition = variable->GetDefinitionAsGate();
        if (definition == nullptr) continue;
        nodes.clear();
        KEFORewriterCone::CollectNodesInPostOrder(definition, nodes);
        // Each node is simplified after its children; a node replaced by its
        // child is deleted at that moment and never met again.
        for (KEFOGate* node : nodes) SimplifyNode(model, variable, node);
    }
}

// ---- DereferenceVariables ----------------------------------------------

void KEFORewriter::DereferenceVariables(int& errors, KEFOModel* model, KEFOVariable* top) {
    if (errors != 0 || model == nullptr || top == nullptr) return;
    KEFORewriterCone cone(top);
    _DereferenceVariables(model, cone);
}

void KEFORewriter::_DereferenceVariables(KEFOModel* model, const KEFORewriterCone& cone) {
    // End of the chain that starts at each variable defined by a literal:
    // the first variable defined otherwise, and the polarity of the chain.
    struct Link {
        KEFOVariable* target;
        bool positive;
    };
    KEFOPointerIndex linkIndex;
    std::vector<Link> links;
    std::vector<KEFOGate*> references;
    for (KEFOVariable* variable : cone.GetVariables()) {
        if (variable->IsStateVariable()) continue;
        KEFOGate* definition = variable->GetDefinitionAsGate();
        if (definition == nullptr) continue;
        references.clear();
        KEFORewriterCone::CollectReferences(definition, references);
        for (KEFOGate* reference : references) {
            int found = linkIndex.Find(reference->GetReferredVariable());
            if (found < 0) continue;
            Link link = links[static_cast<std::size_t>(found)];
            if (link.target == variable) continue;  // a chain that closes a cycle
            KEFORewriterCone::RedirectReference(reference, link.target);
            if (link.positive) continue;
            // A negative chain: not(reference) becomes the reference, a
            // plain reference becomes not(reference).
            KEFOGate* parent = KEFOGate::AsGate(reference->GetParent());
            if (parent != nullptr && parent->IsNegation() && parent->GetNumberOfChildren() == 1) {
                parent->RemoveChild(reference);
                ReplaceGate(variable, parent, reference);
            } else {
                KEFOGate* negation = KEFOGate::New(model, KEFOGate::Not);
                if (parent != nullptr) {
                    parent->SubstituteChild(reference, negation);
                } else {
                    variable->ReleaseDefinition();
                    reference->ResetDefinedPort();
                    variable->SetDefinition(negation);
                }
                negation->AppendChild(reference);
            }
        }
        definition = variable->GetDefinitionAsGate();
        bool positive = true;
        KEFOVariable* target = LiteralVariable(definition, positive);
        if (target != nullptr && target != variable) {
            linkIndex.Set(variable, static_cast<int>(links.size()));
            links.push_back(Link{target, positive});
        }
    }
}

// ---- RemoveDuplicatedChildren ------------------------------------------

namespace {

// Marks of the literals met among the children of the node being cleaned:
// one stamp per polarity and variable.
class LiteralMarks {
public:
    void NextNode() { ++_stamp; }
    // True when the literal was already met under the current node.
    bool Mark(const KEFOVariable* variable, bool positive) {
        int index = _index.Find(variable);
        if (index < 0) {
            index = static_cast<int>(_marks.size());
            _index.Set(variable, index);
            _marks.emplace_back();
        }
        Entry& entry = _marks[static_cast<std::size_t>(index)];
        std::uint64_t& slot = positive ? entry.positive : entry.negative;
        if (slot == _stamp) return true;
        slot = _stamp;
        return false;
    }

private:
    struct Entry {
        std::uint64_t positive = 0;
        std::uint64_t negative = 0;
    };
    KEFOPointerIndex _index;
    std::vector<Entry> _marks;
    std::uint64_t _stamp = 0;
};

bool IsAndOr(const KEFOGate* gate) { return gate->GetType() == KEFOGate::And || gate->GetType() == KEFOGate::Or; }

}  // namespace

void KEFORewriter::RemoveDuplicatedChildren(int& errors, KEFOModel* model, KEFOVariable* top) {
    if (errors != 0 || model == nullptr || top == nullptr) return;
    KEFORewriterCone cone(top);
    _RemoveDuplicatedChildren(model, cone);
}

void KEFORewriter::_RemoveDuplicatedChildren(KEFOModel* /*model*/, const KEFORewriterCone& cone) {
    LiteralMarks marks;
    std::vector<KEFOGate*> nodes;
    for (KEFOVariable* variable : cone.GetVariables()) {
        KEFOGate* definition = variable->GetDefinitionAsGate();
        if (definition == nullptr || variable->IsStateVariable()) continue;
        nodes.clear();
        KEFORewriterCone::CollectNodesInPostOrder(definition, nodes);
        for (KEFOGate* node : nodes) {
            if (!IsAndOr(node)) continue;
            marks.NextNode();
            for (KEFOTerm* c = node->GetFirstChild(); c != nullptr;) {
                KEFOTerm* next = c->GetNextSibling();
                KEFOGate* child = KEFOGate::AsGate(c);
                bool positive = true;
                KEFOVariable* literal = child != nullptr ? LiteralVariable(child, positive) : nullptr;
                if (literal != nullptr && marks.Mark(literal, positive)) node->DeleteChild(child);
                c = next;
            }
        }
    }
}

// ---- CoalesceGates -----------------------------------------------------

void KEFORewriter::CoalesceGates(int& errors, KEFOModel* model, KEFOVariable* top) {
    if (errors != 0 || model == nullptr || top == nullptr) return;
    KEFORewriterCone cone(top);
    _CoalesceGates(model, cone);
}

// The definitions are rewritten from the top down, each variable once, in
// the order a depth-first walk over the rewritten definitions meets them.
// The copies of a merged definition are scanned in turn, so a definition is
// flattened in one scan however deep its chain of merged variables goes; a
// variable whose every reference was merged is not reached and keeps its
// definition (it is no longer under the top). Rewriting every variable of
// the cone children first flattened each one again: a chain of n or-gates
// made n * n / 2 copies.
void KEFORewriter::_CoalesceGates(KEFOModel* model, const KEFORewriterCone& cone) {
    KEFOVariable* top = cone.GetTop();
    if (top == nullptr || !cone.Contains(top)) return;
    long budget = coalescingBudget + cone.CountTerms();
    LiteralMarks marks;
    std::vector<char> reached(static_cast<std::size_t>(cone.GetNumberOfVariables()), 0);
    std::vector<KEFOVariable*> variables{top};
    reached[static_cast<std::size_t>(cone.GetIndex(top))] = 1;
    std::vector<KEFOGate*> nodes;
    std::vector<KEFOGate*> references;
    while (!variables.empty()) {
        KEFOVariable* variable = variables.back();
        variables.pop_back();
        KEFOGate* definition = variable->GetDefinitionAsGate();
        if (definition == nullptr || variable->IsStateVariable()) continue;
        // The nodes of the definition, each rewritten before its nested
        // nodes are taken: the scan of a node only moves the children of
        // nested nodes of its own connective, which are not taken yet.
        nodes.assign(1, definition);
        while (!nodes.empty()) {
            KEFOGate* node = nodes.back();
            nodes.pop_back();
            if (IsAndOr(node)) {
                // Children are scanned once, left to right; a literal met
                // again is dropped at once (RemoveDuplicatedChildren would
                // drop it).
                marks.NextNode();
                for (KEFOTerm* c = node->GetFirstChild(); c != nullptr;) {
                    KEFOTerm* next = c->GetNextSibling();
                    KEFOGate* child = KEFOGate::AsGate(c);
                    c = next;
                    if (child == nullptr) continue;
                    if (child->GetType() == node->GetType()) {
                        // A nested node of the same connective: its children
                        // take its place and are scanned in turn.
                        KEFOTerm* first = child->GetFirstChild();
                        while (child->GetFirstChild() != nullptr) node->AddChildBefore(child, child->GetFirstChild());
                        node->DeleteChild(child);
                        if (first != nullptr) c = first;
                        continue;
                    }
                    bool positive = true;
                    KEFOVariable* literal = LiteralVariable(child, positive);
                    if (literal == nullptr) continue;
                    KEFOGate* merged = positive && !literal->IsStateVariable() && !literal->IsSingleton() &&
                                               literal != variable
                                           ? literal->GetDefinitionAsGate()
                                           : nullptr;
                    if (merged != nullptr && merged->GetType() == node->GetType() && merged != node) {
                        const long size = merged->GetNumberOfChildren();
                        if (size <= budget) {
                            // Merged once per node: a second reference adds
                            // nothing to an and or an or.
                            if (!marks.Mark(literal, true)) {
                                budget -= size;
                                KEFOTerm* first = nullptr;
                                for (KEFOTerm* g = merged->GetFirstChild(); g != nullptr; g = g->GetNextSibling()) {
                                    KEFOGate* grandChild = KEFOGate::AsGate(g);
                                    if (grandChild == nullptr) continue;
                                    KEFOGate* copy = KEFOGate::Copy(model, grandChild);
                                    node->AddChildBefore(child, copy);
                                    if (first == nullptr) first = copy;
                                }
                                if (first != nullptr) c = first;
                            }
                            node->DeleteChild(child);
                            continue;
                        }
                    }
                    if (marks.Mark(literal, positive)) node->DeleteChild(child);
                }
            }
            for (KEFOTerm* c = node->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
                KEFOGate* child = KEFOGate::AsGate(c);
                bool positive = true;
                if (child != nullptr && LiteralVariable(child, positive) == nullptr) nodes.push_back(child);
            }
        }
        references.clear();
        KEFORewriterCone::CollectReferences(definition, references);
        for (KEFOGate* reference : references) {
            const int index = cone.GetIndex(reference->GetReferredVariable());
            if (index < 0 || reached[static_cast<std::size_t>(index)] != 0) continue;
            reached[static_cast<std::size_t>(index)] = 1;
            variables.push_back(reference->GetReferredVariable());
        }
    }
}
