// PushDownNegations: rewrites the definitions under the top variable so that
// negations stand only over basic events. A negated reference to a variable
// becomes a reference to its opposite variable, made once per variable: for
// a basic event a gate defined by not(event), for a gate variable a gate
// defined by the negated form of its definition. Connectives are rewritten
// by the De Morgan rules and the dual forms of the counting connectives:
//
//   gate              positive                 negated
//   and / or          and / or, children +     or / and, children -
//   nand              or, children -           and, children +
//   nor               and, children -          or, children +
//   atleast k of n    atleast k, +             atleast n-k+1, -
//   atmost k of n     atleast n-k, -           atleast k+1, +
//   cardinality l..h  and(G1, G2)              or(G1, G2)
//                     G1 = atleast l, +        G1 = atleast n-l+1, -
//                     G2 = atleast n-h, -      G2 = atleast h+1, +
//   not x             x negated                x positive
//
// Every variable is normalized at most once per polarity; the work list
// replaces recursion, so cycles and deep models are safe.
#include "preprocessing/rewriter.h"

#include "model/gate.h"
#include "model/model.h"
#include "model/variable.h"
#include "preprocessing/rewriter_cone.h"

#include <utility>
#include <vector>

namespace {

struct NegationState {
    int normalized = 0;  // 1 positive form done, 2 negative form done
    KEFOVariable* opposite = nullptr;
};

bool NeedsRewriting(KEFOGate* definition) {
    std::vector<KEFOGate*> stack{definition};
    while (!stack.empty()) {
        KEFOGate* gate = stack.back();
        stack.pop_back();
        switch (gate->GetType()) {
        case KEFOGate::Nand:
        case KEFOGate::Nor:
        case KEFOGate::Not:
        case KEFOGate::AtMost:
        case KEFOGate::Cardinality:
            return true;
        default:
            break;
        }
        for (KEFOTerm* c = gate->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
            if (c->IsGate()) stack.push_back(static_cast<KEFOGate*>(c));
        }
    }
    return false;
}

int CountGateChildren(const KEFOGate* gate) {
    int n = 0;
    for (KEFOTerm* c = gate->GetFirstChild(); c != nullptr; c = c->GetNextSibling()) {
        if (c->IsGate()) ++n;
    }
    return n;
}

}  // namespace

void KEFORewriter::PushDownNegations(int& errors, KEFOModel* model, KEFOVariable* top) {
    if (errors != 0 || model == nullptr || top == nullptr) return;
    // States by variable, in a vector: positions, not references, are kept
    // across insertions.
    KEFOPointerIndex stateIndex;
    std::vector<NegationState> stateList;
    auto state = [&](KEFOVariable* variable) -> std::size_t {
        int index = stateIndex.Find(variable);
        if (index < 0) {
            index = static_cast<int>(stateList.size());
            stateIndex.Set(variable, index);
            stateList.emplace_back();
        }
        return static_cast<std::size_t>(index);
    };
    std::vector<std::pair<KEFOVariable*, bool>> work;

    // The opposite of a variable, made when missing; its definition is
    // written by the negative job of the variable.
    auto opposite = [&](KEFOVariable* variable) -> KEFOVariable* {
        std::size_t own = state(variable);
        if (stateList[own].opposite != nullptr) return stateList[own].opposite;
        KEFOVariable* made = _NewOppositeVariable(model, variable);
        stateList[own].opposite = made;
        std::size_t other = state(made);
        stateList[other].opposite = variable;
        stateList[other].normalized = 3;
        work.emplace_back(variable, false);
        return made;
    };

    auto newReference = [&](KEFOVariable* variable) {
        work.emplace_back(variable, true);
        return KEFOGate::NewVariableReference(model, variable);
    };

    // Writes the form of `definition` in the given polarity as a new formula.
    auto rewrite = [&](KEFOGate* definition, bool positive) -> KEFOGate* {
        KEFOGate* holder = KEFOGate::New(model, KEFOGate::And);
        struct Frame {
            KEFOGate* source;
            bool positive;
            KEFOGate* parent;
        };
        std::vector<Frame> stack{Frame{definition, positive, holder}};
        auto pushChildren = [&stack](KEFOGate* source, bool childPositive, KEFOGate* parent) {
            for (KEFOTerm* c = source->GetLastChild(); c != nullptr; c = c->GetPreviousSibling()) {
                if (c->IsGate()) stack.push_back(Frame{static_cast<KEFOGate*>(c), childPositive, parent});
            }
        };
        while (!stack.empty()) {
            Frame frame = stack.back();
            stack.pop_back();
            KEFOGate* source = frame.source;
            bool p = frame.positive;
            int n = CountGateChildren(source);
            KEFOGate* made = nullptr;
            switch (source->GetType()) {
            case KEFOGate::Reference: {
                KEFOVariable* variable = source->GetReferredVariable();
                if (variable == nullptr) {
                    made = KEFOGate::Copy(model, source);
                    if (!p) made = KEFOGate::NewNot(model, made);
                } else {
                    made = p ? newReference(variable) : newReference(opposite(variable));
                }
                frame.parent->AppendChild(made);
                break;
            }
            case KEFOGate::Constant:
                frame.parent->AppendChild(KEFOGate::NewConstant(model, source->GetConstantValue() == p));
                break;
            case KEFOGate::And:
                made = KEFOGate::New(model, p ? KEFOGate::And : KEFOGate::Or);
                frame.parent->AppendChild(made);
                pushChildren(source, p, made);
                break;
            case KEFOGate::Or:
                made = KEFOGate::New(model, p ? KEFOGate::Or : KEFOGate::And);
                frame.parent->AppendChild(made);
                pushChildren(source, p, made);
                break;
            case KEFOGate::Nand:
                made = KEFOGate::New(model, p ? KEFOGate::Or : KEFOGate::And);
                frame.parent->AppendChild(made);
                pushChildren(source, !p, made);
                break;
            case KEFOGate::Not:
                if (n == 1) {
                    // Transparent: the child takes the place of the not.
                    pushChildren(source, !p, frame.parent);
                    break;
                }
                // A not over several children reads as a nor.
                [[fallthrough]];
            case KEFOGate::Nor:
                made = KEFOGate::New(model, p ? KEFOGate::And : KEFOGate::Or);
                frame.parent->AppendChild(made);
                pushChildren(source, !p, made);
                break;
            case KEFOGate::AtLeast: {
                int k = source->GetAttributeAsInt("__min__", 0);
                made = KEFOGate::NewAtLeast(model, p ? k : n - k + 1);
                frame.parent->AppendChild(made);
                pushChildren(source, p, made);
                break;
            }
            case KEFOGate::AtMost: {
                int k = source->GetAttributeAsInt("__max__", 0);
                made = KEFOGate::NewAtLeast(model, p ? n - k : k + 1);
                frame.parent->AppendChild(made);
                pushChildren(source, !p, made);
                break;
            }
            case KEFOGate::Cardinality: {
                int l = source->GetAttributeAsInt("__min__", 0);
                int h = source->GetAttributeAsInt("__max__", 0);
                made = KEFOGate::New(model, p ? KEFOGate::And : KEFOGate::Or);
                frame.parent->AppendChild(made);
                KEFOVariable* first = GenerateFlowVariable(model);
                KEFOVariable* second = GenerateFlowVariable(model);
                stateList[state(first)].normalized = 1;
                stateList[state(second)].normalized = 1;
                KEFOGate* firstGate = KEFOGate::NewAtLeast(model, p ? l : n - l + 1);
                KEFOGate* secondGate = KEFOGate::NewAtLeast(model, p ? n - h : h + 1);
                first->SetDefinition(firstGate);
                second->SetDefinition(secondGate);
                made->AppendChild(KEFOGate::NewVariableReference(model, first));
                made->AppendChild(KEFOGate::NewVariableReference(model, second));
                // Children of the second gate are written after those of the
                // first (the stack pops the last pushed first).
                pushChildren(source, !p, secondGate);
                pushChildren(source, p, firstGate);
                break;
            }
            default:
                made = KEFOGate::Copy(model, source);
                if (!p) made = KEFOGate::NewNot(model, made);
                frame.parent->AppendChild(made);
                break;
            }
        }
        KEFOGate* result = KEFOGate::AsGate(holder->GetFirstChild());
        if (result != nullptr) holder->RemoveChild(result);
        delete holder;
        if (result == nullptr) result = KEFOGate::NewConstant(model, !positive);
        return result;
    };

    std::vector<KEFOGate*> references;
    work.emplace_back(top, true);
    while (!work.empty()) {
        KEFOVariable* variable = work.back().first;
        bool positive = work.back().second;
        work.pop_back();
        std::size_t own = state(variable);
        int bit = positive ? 1 : 2;
        if ((stateList[own].normalized & bit) != 0) continue;
        stateList[own].normalized |= bit;
        KEFOGate* definition = variable->GetDefinitionAsGate();
        if (positive) {
            if (definition == nullptr) continue;
            if (NeedsRewriting(definition)) {
                variable->SetDefinition(rewrite(definition, true));
            } else {
                references.clear();
                KEFORewriterCone::CollectReferences(definition, references);
                for (KEFOGate* reference : references) {
                    KEFOVariable* child = reference->GetReferredVariable();
                    if (child != nullptr) work.emplace_back(child, true);
                }
            }
            continue;
        }
        KEFOVariable* negation = opposite(variable);
        if (definition == nullptr) {
            // The opposite of an event without definition is not(event); a
            // reused "not-" gate has that definition already.
            if (negation->GetDefinition() == nullptr) {
                negation->SetDefinition(KEFOGate::NewNot(model, KEFOGate::NewVariableReference(model, variable)));
            }
        } else {
            negation->SetDefinition(rewrite(definition, false));
        }
    }
}
